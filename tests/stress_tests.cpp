// Long seeded runs of hostile host behaviour against the plug-in's own code,
// run in-process so that its board table can be held against a model:
// messages in any order, channel counts from none to absurd, slots and ports
// out of range, blocks missing, empty, too long or full of NaNs, block sizes
// and sample distances that make no sense, process calls before preparation
// and after the end, driver faults at every entry point, tick counts on both
// sides of the wrap, and the settings dialog opened in the middle of it all,
// with commands from foreign senders and runs ending and beginning while it
// is open. Every record handed over ends against a no-access page, so a stray
// read or write faults at once.
//
// Each run also draws, from its seed, a host that is less polite than the
// simulated one (sim/host/host_behaviour.h): its x87 environment, services
// and driver of either calling convention, a stop carried out at once, and
// services that run the host's loop before they return, in which the run
// draws what the host does there (process calls, run ends and preparations,
// removals).
//
// KORVU_STRESS_SEED, KORVU_STRESS_RUNS and KORVU_STRESS_STEPS (per run) in the
// environment repeat a run; KORVU_STRESS_TRACE prints every action.

#include <gmock/gmock.h>

#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <memory>
#include <random>
#include <sstream>

#include "board/board_table.h"
#include "controls/controls.h"
#include "dialogs/settings_dialog.h"
#include "host/binding.h"
#include "frame/plugin.h"
#include "host/texts.h"
#include "sim/common/paths.h"
#include "sim/user/dialog_script.h"
#include "sim/reference/double_reference.h"
#include "sim/host/host_behaviour.h"
#include "sim/host/sim_host.h"
#include "sim/clock/test_clock.h"
#include "sim/driver/sim_driver.h"

// The plug-in runs here; its resources come from the real DLL.
HINSTANCE hInstDll;

namespace {

std::vector<std::string> g_problems;
void CollectProblem(const std::string& what) { g_problems.push_back(what); }
void FailTest(const std::string& what) { ADD_FAILURE() << "host simulator: " << what; }

uint32_t EnvNumber(const char* name, uint32_t fallback)
{
    const char* v = getenv(name);
    return v && *v ? static_cast<uint32_t>(strtoul(v, nullptr, 0)) : fallback;
}

enum Kind { kOut = 0, kIn = 1 };

struct Live {
    sim::Module module;
    Kind kind;
};

class StressRun {
public:
    StressRun(uint32_t seed, SimDriver& driver) : rng_(seed), driver_(driver), clock_(GetModuleHandleA(nullptr)) {}
    ~StressRun();

    bool Start();
    void Step();
    std::string Check();  // empty when every invariant holds
    std::string Finish();
    const std::string& LastAction() const { return action_; }
    void InsideAServiceCall();

private:
    uint32_t Pick(std::initializer_list<uint32_t> values)
    {
        return *(values.begin() + Below(static_cast<uint32_t>(values.size())));
    }
    uint32_t Below(uint32_t n) { return n ? rng_() % n : 0; }
    bool Chance(uint32_t percent) { return Below(100) < percent; }
    float HostileSample();
    Live* AnyModule() { return live_.empty() ? nullptr : live_[Below(live_.size())].get(); }
    const ModuleClassDescriptor* Class(Kind kind);

    void NewModule();
    void SendMessage(Live& m);
    int32_t Message(Live& m, uint32_t code, void* pointer = nullptr);
    void Process(Live& m);
    void ChangeBlockSize();
    void ChangeSampleDistance();
    void ChangeFlags(Live* m);
    void MoveClock();
    void QueueInputBlock(Live& m);
    void InjectDriverFault();
    void ChangeChannelCount(Live& m);
    void CheckReleases(Live& m, const uint64_t* released);
    void Settings(Live& m);
    void DialogAction(HWND dialog, Live& m);
    void Remove(size_t index);
    void Reinitialise();
    void Note(const char* what, uint32_t a = 0, uint32_t b = 0);

    std::mt19937 rng_;
    SimDriver& driver_;
    sim::TestClock clock_;
    std::vector<std::unique_ptr<Live>> live_;
    uint32_t reserved_[2][kBoardSlots][kBoardPorts] = {};  // what the modules should hold
    uint8_t* description_ = nullptr;  // a code 124 record, exactly 36 bytes
    std::string action_;
    std::string problem_;  // found during a step, reported by the next Check
    int nesting_ = 0;      // steps of the host's loop inside a service call
    int turnsLeft_ = 0;    // of them in this step: a failing driver warns for every write
};

// A host for the run: the given x87 environment, the rest drawn from the seed.
std::string DrawBehaviours(std::mt19937& rng, const sim::FpuEnvironment& environment)
{
    std::string names = environment.name;
    const struct {
        const char* name;
        uint32_t percent;
    } drawn[] = {{"stop-at-once", 50},     {"warnings-pump", 50},    {"services-pump", 30},
                 {"dialog-pump", 50},      {"stdcall-services", 50}, {"cdecl-driver", 50},
                 {"selection-moves", 50},  {"block-size-grows", 50}};
    for (const auto& d : drawn) {
        if (rng() % 100 < d.percent)
            names += std::string(",") + d.name;
    }
    return names;
}

uint32_t ChannelCountOf(const Live& m)
{
    return m.kind == kOut ? m.module.record->uiNumberOfInputs : m.module.record->uiNumberOfOutputs;
}

StressRun::~StressRun()
{
    UnregisterControlClasses();
    for (auto& m : live_)
        sim::DestroyModule(m->module);
    sim::GuardedFree(description_);
}

void StressRun::Note(const char* what, uint32_t a, uint32_t b)
{
    std::ostringstream s;
    s << what << " " << a << " " << b;
    action_ = s.str();
    if (getenv("KORVU_STRESS_TRACE"))
        fprintf(stderr, "  doing %s\n", action_.c_str());
}

const ModuleClassDescriptor* StressRun::Class(Kind kind)
{
    const char* name = kind == kOut ? "Tovel OUT" : "Tovel IN";
    for (const ModuleClassDescriptor& d : sim::RegisteredClasses()) {
        if (strcmp(d.pszClassName, name) == 0)
            return &d;
    }
    return nullptr;
}

bool StressRun::Start()
{
    for (uint32_t s = 0; s < 4; ++s)
        driver_.TovelSimSetBoard(s, 1, 0x300 + 0x20 * s, 16, s);
    driver_.TovelSimSetTraceLimit(0);
    driver_.TovelSimWire(0, 0, 0, 0);
    description_ = static_cast<uint8_t*>(sim::GuardedAlloc(36));
    if (BindToHost(sim::HostWindow()) != 1 || SetupPlugin() != 1)
        return false;
    RegisterControlClasses();  // the settings dialog's channel buttons and arrows
    sim::SetRecordCalls(false);
    sim::SetCaptureOutputBlocks(false);
    sim::SetBlockSize(10);
    sim::SetMilliSecondsPerSample(80);
    sim::SetExperimentRunning(true);
    return Class(kOut) && Class(kIn);
}

float StressRun::HostileSample()
{
    switch (Below(8)) {
    case 0: return NAN;
    case 1: return INFINITY;
    case 2: return -INFINITY;
    case 3: return 5.0f;
    case 4: return 4.999f;
    case 5: return -1e30f;
    default: return static_cast<float>(Below(1000)) / 100.0f;
    }
}

void StressRun::NewModule()
{
    Kind kind = Chance(50) ? kOut : kIn;
    std::unique_ptr<Live> m(new Live{sim::CreateModule(*Class(kind), sim::HostWindow()), kind});
    uint16_t slot = static_cast<uint16_t>(Pick({0, 1, 2, 3, 4, 15, 16, 255, 0xFFFF, Below(65536)}));
    uint16_t port = static_cast<uint16_t>(Pick({0, 1, 0, 1, 2, 7, 0xFFFF}));
    uint32_t count = Pick({0, 1, 2, 3, 8, Below(9), 9 + Below(8), 17, 1000, 0xFFFFFFFFu});
    uint8_t* data = static_cast<uint8_t*>(m->module.instanceData);
    for (uint32_t i = 0; i < m->module.instanceDataSize; ++i)
        data[i] = static_cast<uint8_t>(Chance(80) ? 'a' + Below(26) : Below(256));  // names may lack their zero
    memcpy(data + 192, &slot, 2);
    memcpy(data + (kind == kOut ? 228 : 196), &port, 2);
    if (kind == kOut) {
        uint32_t stale = Pick({0, 0, 0x12345678u, 0xFFFFFFF0u});  // a pointer stored in a worksheet
        memcpy(data + offsetof(OutInstanceData, pPortBuffer), &stale, 4);
        m->module.record->uiNumberOfInputs = count;
    } else {
        m->module.record->uiNumberOfOutputs = count;
    }
    Note("new module", kind, slot);
    live_.push_back(std::move(m));
}

void StressRun::SendMessage(Live& m)
{
    uint32_t code = Pick({kMsgCheck, kMsgRemove, kMsgUndisclosed104, kMsgReattach, kMsgReattach, kMsgPrepareRun,
                          kMsgPrepareRun, kMsgEndRun, kMsgEndRun, kMsgUndisclosed117, kMsgUndisclosed118,
                          kMsgUndisclosed119, kMsgUndisclosed120, kMsgUndisclosed121, kMsgUndisclosed122,
                          kMsgClearExtraWord, kMsgDescribe, kMsgDescribe, kMsgUndisclosed201, Below(300), 0xFFFFFFFFu});
    if (code == kMsgCreate || code == kMsgSettings)
        code = kMsgUndisclosed104;  // the modal dialogs wait for a user; their tests drive them
    void* pointer = nullptr;
    if (code == kMsgDescribe && Chance(80)) {
        uint32_t kind = Pick({13, 12, 0});
        memcpy(description_ + 4, &kind, 4);
        pointer = description_;
    }
    if (code == kMsgClearExtraWord && Chance(10))
        m.module.record->pExtraWord = nullptr;
    Note("message", code, m.kind);
    Message(m, code, pointer);
}

// A message to the module, with the reservations it should then hold.
int32_t StressRun::Message(Live& m, uint32_t code, void* pointer)
{
    uint16_t slot, port;
    memcpy(&slot, static_cast<uint8_t*>(m.module.instanceData) + 192, 2);
    memcpy(&port, static_cast<uint8_t*>(m.module.instanceData) + (m.kind == kOut ? 228 : 196), 2);
    int32_t result = m.module.handler(m.module.record, code, static_cast<int32_t>(rng_()), pointer);
    bool inTable = slot < kBoardSlots && port < kBoardPorts;
    if (code == kMsgReattach && result == 1)
        reserved_[m.kind][slot][port] = 1;
    if (code == kMsgRemove && inTable)
        reserved_[m.kind][slot][port] = 0;
    return result;
}

// What the host's loop does while a service the plug-in called pumps it: its
// run timer calls process functions; a user stops, starts or removes.
void StressRun::InsideAServiceCall()
{
    Live* m = AnyModule();
    if (!m || nesting_ > 0 || turnsLeft_ == 0)
        return;
    --turnsLeft_;
    ++nesting_;
    switch (Below(10)) {
    case 0:
        Message(*m, kMsgEndRun);
        break;
    case 1:
        Message(*m, kMsgPrepareRun);
        break;
    case 2:
        Message(*m, kMsgRemove);
        break;
    case 3:
        for (auto& each : live_)
            Process(*each);
        break;
    default:
        Process(*m);
        break;
    }
    --nesting_;
}

// Process calls; an input module must never hand a block on before the tick
// at which its span ends, computed here in SSE2 double precision.
void StressRun::Process(Live& m)
{
    Note("process", m.kind);
    for (uint32_t i = 1 + Below(3); i > 0; --i) {
        uint64_t released[kMaxHostChannels];
        for (uint32_t c = 0; c < kMaxHostChannels; ++c)
            released[c] = sim::ReleasedOutputBlocks(m.module.record->pOutputChannel[c]);
        m.module.process(m.module.record);
        if (m.kind == kIn)
            CheckReleases(m, released);
    }
}

void StressRun::CheckReleases(Live& m, const uint64_t* released)
{
    const double ms = fGlobalMilliSecondsPerSample;
    if (!(ms > 0 && ms < 1e9))
        return;  // beyond the reference's range; the module's answer is defined but not checked here
    for (uint32_t c = 0; c < kMaxHostChannels; ++c) {
        if (sim::ReleasedOutputBlocks(m.module.record->pOutputChannel[c]) == released[c])
            continue;
        const uint32_t due = dwExperimentStartTimeTicks +
                             ReferenceDueOffset(m.module.record->pChannelRecord[c]->ulSampleCount, ms);
        if (static_cast<int32_t>(clock_.Now() - due) < 0)
            problem_ = "channel " + std::to_string(c) + " released a block at tick " + std::to_string(clock_.Now()) +
                       ", due at " + std::to_string(due);
    }
}

// One thing a user, the host or a foreign window does while the dialog is open.
void StressRun::DialogAction(HWND dialog, Live& m)
{
    const LPARAM sender = Chance(50) ? 0 : reinterpret_cast<LPARAM>(Chance(50) ? sim::HostWindow() : dialog);
    switch (Below(8)) {
    case 6: {
        // Any command from any sender, but those that end the dialog or open
        // another one: the script ends it, and would not see the other.
        uint32_t id = Below(65536);
        if (id == IDOK || id == IDCANCEL || id == IDC_HELP_BUTTON || id == IDC_VERSION_BUTTON)
            id = 1008;
        ::SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, Chance(70) ? 0 : Below(65536)), sender);
        break;
    }
    case 7:
        ::SendMessageA(dialog, Pick({CTL_SETSTATE, KANAL_LBUTTONUP, KANAL_LBUTTONDBLCLK, KANAL_RBUTTONDBLCLK,
                                     KANAL_DESELECT, WM_USER + Below(64)}),
                       rng_(), rng_());
        break;
    case 0:
        ::SendMessageA(dialog, WM_COMMAND, Pick({kCommandLess, kCommandMore}), 0);
        break;
    case 1:
        ::SendMessageA(dialog, Pick({kCopySelectedNameIfEdited, kCopySelectedName}), 0, 0);
        break;
    case 2: {
        HWND sender = Chance(60) ? GetDlgItem(dialog, IDC_CHANNEL_0 + Below(16)) : sim::HostWindow();
        ::SendMessageA(dialog, KANAL_LBUTTONDOWN, reinterpret_cast<WPARAM>(sender), Below(kChannelBitmaps + 1));
        break;
    }
    case 3:
        Message(m, Pick({kMsgPrepareRun, kMsgEndRun}));  // a run ends or begins
        break;
    default:
        Process(m);
        break;
    }
}

// What the settings dialog of another module must leave as it was.
std::string Edited(const Live& m)
{
    const ModuleRecord* r = m.module.record;
    const size_t settings = m.kind == kOut ? offsetof(OutInstanceData, pPortBuffer) : offsetof(InInstanceData, dwRunState);
    return std::string(r->szModuleName, sizeof r->szModuleName) + std::string(r->szDescription, sizeof r->szDescription) +
           std::string(static_cast<const char*>(m.module.instanceData), settings) + std::to_string(ChannelCountOf(m));
}

// The settings dialog, opened on any module at any time, then OK or Cancel.
// After OK the channel count is the stored one or within 1..8, and no other
// module has changed, wherever the host's selection has moved meanwhile.
void StressRun::Settings(Live& m)
{
    std::vector<std::string> others;
    for (auto& each : live_)
        others.push_back(each.get() == &m ? std::string() : Edited(*each));
    const uint32_t stored = ChannelCountOf(m);
    const bool ok = Chance(60);
    Note("settings", m.kind, stored);
    sim::SetCurrentModulePtr(m.module.record);
    DialogScript script;
    for (uint32_t i = Below(6); i > 0; --i)
        script.Then([this, &m](HWND d) { DialogAction(d, m); });
    script.Then([ok](HWND d) { Click(d, ok ? IDOK : IDCANCEL); });
    const size_t changes = sim::SizeChanges().size();
    {
        ArmedScripts armed({&script});
        m.module.handler(m.module.record, kMsgSettings, 0, nullptr);
    }
    if (!script.Completed())
        problem_ = "the settings dialog did not run its script to the end";
    if (ok && sim::SizeChanges().size() == changes + 1) {
        const uint32_t now = ChannelCountOf(m);
        if (now != stored && (now < 1 || now > 8))
            problem_ = "OK left " + std::to_string(now) + " channels, " + std::to_string(stored) + " stored";
    }
    for (size_t i = 0; i < live_.size() && i < others.size(); ++i) {
        if (live_[i].get() != &m && Edited(*live_[i]) != others[i])
            problem_ = "the settings dialog of one module changed another";
    }
}

void StressRun::Remove(size_t index)
{
    Live& m = *live_[index];
    Note("remove", m.kind);
    m.module.handler(m.module.record, kMsgEndRun, 0, nullptr);
    m.module.handler(m.module.record, kMsgRemove, 0, nullptr);
    uint16_t slot, port;
    memcpy(&slot, static_cast<uint8_t*>(m.module.instanceData) + 192, 2);
    memcpy(&port, static_cast<uint8_t*>(m.module.instanceData) + (m.kind == kOut ? 228 : 196), 2);
    if (slot < kBoardSlots && port < kBoardPorts)
        reserved_[m.kind][slot][port] = 0;
    sim::DestroyModule(m.module);
    live_.erase(live_.begin() + index);
}

// Finish and set up again, the driver perhaps failing this time; the live
// modules stay, as a host that misbehaves would keep them.
void StressRun::Reinitialise()
{
    Note("finish and set up again");
    FinishPlugin();
    if (Chance(30)) {
        uint32_t slot = Below(4);
        driver_.TovelSimInjectFault(slot, Pick({kTovelSimFailCreate, kTovelSimFailResource, kTovelSimFailSwitchValue}),
                                    0, 0, -3);
    }
    memset(reserved_, 0, sizeof reserved_);
    SetupPlugin();
    for (uint32_t s = 0; s < 4; ++s)
        driver_.TovelSimInjectFault(s, kTovelSimClearFaults, 0, 0, 0);
}

// The host's global settings, each now and then at its most hostile.
void StressRun::ChangeBlockSize()
{
    // Mostly small, now and then large: a large block with a failing driver
    // costs a warning per sample.
    uint32_t size = Chance(4) ? Pick({1000, 4096}) : Pick({0, 1, 2, 3, 10, 10, 10, 64, 100, 257, 1 + Below(300)});
    Note("block size", size);
    sim::SetBlockSize(size);
}

void StressRun::ChangeSampleDistance()
{
    double ms = 0;
    switch (Below(10)) {
    case 0: ms = NAN; break;
    case 1: ms = INFINITY; break;
    case 2: ms = -5; break;
    case 3: ms = 1e12; break;
    case 4: ms = 0.001; break;
    case 5:
    case 6: ms = (1 + Below(100000)) / static_cast<double>(Pick({3, 7, 10, 100})); break;  // not whole ms
    default: ms = Pick({1, 10, 40, 80, 100, 1000}); break;
    }
    Note("ms per sample", static_cast<uint32_t>(ms));
    sim::SetMilliSecondsPerSample(ms);
}

void StressRun::ChangeFlags(Live* m)
{
    Note("flags");
    sim::SetExperimentPaused(Chance(20));
    sim::SetExperimentRunning(Chance(80));
    sim::SetExperimentStartTicks(Pick({0, 0xFFFFFFFFu - 100, rng_(), clock_.Now()}));
    if (m)
        m->module.record->bActive = Chance(85);
}

void StressRun::MoveClock()
{
    Note("clock");
    if (Chance(30))
        clock_.Set(Pick({0xFFFFFFFFu - Below(2000), Below(2000), rng_()}));
    else
        clock_.Advance(Below(5000));
}

// What the host and the driver hand the modules.
void StressRun::QueueInputBlock(Live& m)
{
    uint32_t channel = Below(10);
    uint32_t n = Pick({0, 1, 3, 10, 11, 300, Below(50)});
    std::vector<float> samples(n);
    for (float& s : samples)
        s = HostileSample();
    Note("input block", channel, n);
    sim::QueueInputBlock(m.module.record, channel, samples);
}

void StressRun::InjectDriverFault()
{
    uint32_t slot = Below(5);
    int32_t fault = static_cast<int32_t>(Pick({kTovelSimFailOutPort, kTovelSimFailInPort, kTovelSimFailResource,
                                               kTovelSimClearFaults, kTovelSimClearFaults}));
    Note("driver fault", slot, fault);
    driver_.TovelSimInjectFault(slot, fault, Below(20), Chance(30), static_cast<int32_t>(rng_()));
}

void StressRun::ChangeChannelCount(Live& m)
{
    uint32_t count = Pick({0, 1, 8, 9, 16, 17, 0xFFFFFFFFu});
    Note("channel count", count);
    if (m.kind == kOut)
        m.module.record->uiNumberOfInputs = count;
    else
        m.module.record->uiNumberOfOutputs = count;
}

void StressRun::Step()
{
    turnsLeft_ = 3;
    Live* m = AnyModule();
    const uint32_t step = Below(20);
    if (step < 2) {
        if (live_.size() < 12)
            NewModule();
    } else if (step < 6) {
        if (m)
            SendMessage(*m);
    } else if (step < 10) {
        if (m)
            Process(*m);
    } else if (step == 10) {
        ChangeBlockSize();
    } else if (step == 11) {
        ChangeSampleDistance();
    } else if (step == 12) {
        ChangeFlags(m);
    } else if (step == 13) {
        MoveClock();
    } else if (step == 14) {
        if (m && m->kind == kOut)
            QueueInputBlock(*m);
    } else if (step == 15) {
        InjectDriverFault();
    } else if (step == 16) {
        Note("output blocks");
        sim::SetOutputBlocksAvailable(Chance(80));
    } else if (step == 17) {
        if (m)
            ChangeChannelCount(*m);
    } else if (step == 18) {
        if (!live_.empty())
            Remove(Below(live_.size()));
    } else if (Chance(5)) {
        Reinitialise();
    } else if (m && Chance(10)) {
        Settings(*m);
    }
}

bool KnownCaption(const std::string& c)
{
    return c == text::kErrorCaption || c == text::kTovelCaption || c == text::kSendErrorCaption ||
           c == text::kSamplingErrorCaption;
}

bool KnownText(const std::string& t)
{
    if (t == text::kDeviceMissing || t == text::kNoUsableDevice || t == text::kSamplingTooFast ||
        t == text::kOutputBufferFailed)
        return true;
    unsigned slot, channel;
    int error;
    char again[96];
    if (sscanf(t.c_str(), "LogSlot = %u\nChannel = %u\nErrCode = %d", &slot, &channel, &error) != 3)
        return false;
    snprintf(again, sizeof again, text::kTransferErrorFormat, slot, channel, error);
    return t == again && slot < 65536 && channel < kMaxHostChannels;
}

std::string StressRun::Check()
{
    if (!problem_.empty()) {
        std::string p = problem_;
        problem_.clear();
        return p;
    }
    if (!g_problems.empty()) {
        std::string p = g_problems.front();
        g_problems.clear();
        return "host simulator: " + p;
    }
    for (const sim::Warning& w : sim::Warnings()) {
        if (!KnownCaption(w.caption) || !KnownText(w.text))
            return "a warning that is not the plug-in's own: " + w.caption + " / " + w.text;
    }
    sim::ClearWarnings();
    for (int k = 0; k < 2; ++k) {
        for (int s = 0; s < kBoardSlots; ++s) {
            for (int p = 0; p < kBoardPorts; ++p) {
                uint32_t flag = k == kOut ? BoardTable[s].bOutputReserved[p] : BoardTable[s].bInputReserved[p];
                if (flag != reserved_[k][s][p]) {
                    std::ostringstream e;
                    e << (k == kOut ? "output" : "input") << " reservation of slot " << s << " port " << p << " is "
                      << flag << ", the modules hold " << reserved_[k][s][p];
                    return e.str();
                }
            }
        }
    }
    // Every block the plug-in holds is the port buffer of exactly one live
    // output module: none lost, none shared.
    for (const sim::Allocation& a : sim::LiveAllocations()) {
        int holders = 0;
        for (auto& m : live_) {
            void* buffer;
            const uint8_t* data = static_cast<const uint8_t*>(m->module.instanceData);
            memcpy(&buffer, data + offsetof(OutInstanceData, pPortBuffer), sizeof buffer);
            holders += m->kind == kOut && buffer == a.block;
        }
        if (holders != 1 || a.tag != "Tovel_OUT" || a.line != 241)
            return "an allocation held by " + std::to_string(holders) + " live modules: " + a.tag + " line " +
                   std::to_string(a.line);
    }
    return std::string();
}

std::string StressRun::Finish()
{
    while (!live_.empty())
        Remove(live_.size() - 1);
    std::string problem = Check();
    if (problem.empty() && !sim::LiveAllocations().empty())
        problem = std::to_string(sim::LiveAllocations().size()) + " allocations left after every module went";
    FinishPlugin();
    return problem;
}

void RunStress(uint32_t seed, uint32_t steps, sim::GuardPlacement placement, const sim::FpuEnvironment& environment)
{
    std::mt19937 draw(seed);
    sim::HostBehaviourScope behaviours(DrawBehaviours(draw, environment));
    ASSERT_TRUE(behaviours.Valid());
    printf("seed %u, host: %s, guard %s\n", seed, sim::HostBehaviours().c_str(),
           placement == sim::kGuardAfter ? "after" : "before");
    sim::ResetHost();
    sim::SetGuardPlacement(placement);
    SimDriver driver;
    ASSERT_TRUE(driver.Load());
    std::string dll = PathBesideProgram("Korvu_ux1.dll");
    hInstDll = LoadLibraryExA(dll.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(nullptr, hInstDll);
    g_problems.clear();
    sim::SetProblemHandler(CollectProblem);
    {
        StressRun run(seed, driver);
        sim::SetPumpHook([&run] { run.InsideAServiceCall(); });
        ASSERT_TRUE(run.Start());
        LARGE_INTEGER began, now, freq;
        QueryPerformanceCounter(&began);
        QueryPerformanceFrequency(&freq);
        for (uint32_t step = 0; step < steps; ++step) {
            if (step % 10000 == 0) {
                QueryPerformanceCounter(&now);
                printf("  step %u after %.1f s\n", step, static_cast<double>(now.QuadPart - began.QuadPart) / freq.QuadPart);
            }
            run.Step();
            if (getenv("KORVU_STRESS_TRACE"))
                fprintf(stderr, "%u %s\n", step, run.LastAction().c_str());
            std::string problem = run.Check();
            ASSERT_EQ("", problem) << "seed " << seed << " (KORVU_STRESS_SEED=" << seed << "), step " << step
                                   << ", after: " << run.LastAction();
        }
        ASSERT_EQ("", run.Finish()) << "seed " << seed;
        sim::SetPumpHook(nullptr);
    }
    sim::SetPumpHook(nullptr);
    sim::SetProblemHandler(FailTest);
    sim::SetGuardPlacement(sim::kGuardAfter);
    FreeLibrary(hInstDll);
    sim::ResetHost();
}

}  // namespace

// A run under each x87 environment, on hosts otherwise drawn from their
// seeds, against overrun and underrun guards in turn: 100,000 steps in all.
TEST(Stress, HostileHostsAgainstGuardPages)
{
    const std::vector<const sim::FpuEnvironment*> environments = TestableFpuEnvironments();
    const uint32_t seed = EnvNumber("KORVU_STRESS_SEED", 20261208);
    const uint32_t runs = EnvNumber("KORVU_STRESS_RUNS", static_cast<uint32_t>(environments.size()));
    const uint32_t steps = EnvNumber("KORVU_STRESS_STEPS", (100000 + runs - 1) / runs);
    for (uint32_t r = 0; r < runs; ++r) {
        RunStress(seed + r, steps, r % 2 ? sim::kGuardBefore : sim::kGuardAfter,
                  *environments[(seed + r) % environments.size()]);
        if (HasFatalFailure())
            return;
    }
}
