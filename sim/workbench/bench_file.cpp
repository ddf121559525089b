#include "sim/workbench/bench_file.h"

#include <ctype.h>
#include <stdio.h>

#include <charconv>
#include <vector>

#include "sim/common/checked_file.h"
#include "sim/common/numbers.h"
#include "sim/common/utf8.h"

namespace workbench {

namespace {

std::string Hex(const void* data, size_t size)
{
    std::string text;
    char byte[3];
    for (size_t i = 0; i < size; ++i) {
        snprintf(byte, sizeof byte, "%02X", static_cast<const uint8_t*>(data)[i]);
        text += byte;
    }
    return text;
}

std::string SignalText(const engine::SignalSource& s)
{
    switch (s.kind) {
    case engine::SignalKind::kSquareWave: return "square " + std::to_string(s.halfPeriodBlocks);
    case engine::SignalKind::kLow: return "low";
    case engine::SignalKind::kHigh: return "high";
    case engine::SignalKind::kCounterBit: return "bit " + std::to_string(s.bit);
    }
    return "low";
}

// "low", "high", "square N" or "bit N"; else false and *problem says why.
bool ParseSignal(const std::string& text, engine::SignalSource* s, std::string* problem)
{
    if (text == "low" || text == "high") {
        s->kind = text == "low" ? engine::SignalKind::kLow : engine::SignalKind::kHigh;
        return true;
    }
    if (text.compare(0, 7, "square ") == 0) {
        s->kind = engine::SignalKind::kSquareWave;
        const bool read = sim::ReadWhole(text.substr(7), engine::kHalfPeriodRange, &s->halfPeriodBlocks, problem);
        *problem = "square " + *problem;
        return read;
    }
    if (text.compare(0, 4, "bit ") == 0) {
        s->kind = engine::SignalKind::kCounterBit;
        const bool read = sim::ReadWhole(text.substr(4), engine::kCounterBitRange, &s->bit, problem);
        *problem = "bit " + *problem;
        return read;
    }
    *problem = "'" + text + "' is none of: square N, low, high, bit N";
    return false;
}

// A module as the file describes it.
struct Planned {
    int line = 0;
    ModuleKindId kind = kOutputModule;
    bool kindGiven = false;
    std::string name, description;
    uint32_t channels = 0;
    std::vector<uint8_t> instance;
    std::vector<engine::SignalSource> sources;
};

struct Plan {
    const std::string* path = nullptr;
    std::string* problems = nullptr;
    std::string boardFile;
    int boardFileLine = 1;
    double msPerSample = 80.0;
    int blockSize = 10;
    std::vector<Planned> modules;
    std::string section;

    void Problem(int line, const std::string& what)
    {
        *problems += *path + ":" + std::to_string(line) + ": " + what + "\n";
    }
};

bool HexBytes(const std::string& text, std::vector<uint8_t>* bytes)
{
    if (text.size() % 2)
        return false;
    for (size_t i = 0; i < text.size(); i += 2) {
        uint8_t b = 0;
        const char* pair = text.data() + i;
        if (!isxdigit(static_cast<unsigned char>(pair[0])) || std::from_chars(pair, pair + 2, b, 16).ptr != pair + 2)
            return false;
        bytes->push_back(b);
    }
    return true;
}

void ReadBenchKey(Plan& p, int line, const std::string& key, const std::string& value)
{
    std::string problem;
    if (key == "board_file") {
        p.boardFile = value;
        p.boardFileLine = line;
    } else if (key == "ms_per_sample") {
        if (!sim::ReadReal(value, engine::kMsPerSampleRange, &p.msPerSample, &problem))
            p.Problem(line, key + ": " + problem);
    } else if (key == "block_size") {
        if (!sim::ReadWhole(value, engine::kBlockSizeRange, &p.blockSize, &problem))
            p.Problem(line, key + ": " + problem);
    } else {
        p.Problem(line, "no such key in [bench]: " + key);
    }
}

void ReadSignals(Plan& p, int line, const std::string& value, Planned& m)
{
    m.sources.clear();
    size_t from = 0;
    for (size_t comma; from <= value.size(); from = comma + 1) {
        comma = value.find(',', from);
        if (comma == std::string::npos)
            comma = value.size();
        engine::SignalSource s;
        std::string problem;
        if (!ParseSignal(value.substr(from, comma - from), &s, &problem)) {
            p.Problem(line, "signals: " + problem);
            return;
        }
        m.sources.push_back(s);
    }
    if (m.sources.size() != kMaxModuleChannels)
        p.Problem(line, "signals lists " + std::to_string(m.sources.size()) + " channels, not 8");
}

void ReadModuleKey(Plan& p, int line, const std::string& key, const std::string& value)
{
    Planned& m = p.modules.back();
    std::string problem;
    if (key == "kind") {
        m.kindGiven = KindNamed(value, &m.kind);
        if (!m.kindGiven)
            p.Problem(line, "kind '" + value + "' is neither Tovel OUT nor Tovel IN");
    } else if (key == "name") {
        m.name = value;
    } else if (key == "description") {
        m.description = value;
    } else if (key == "channels") {
        if (!sim::ReadWhole(value, {1, kMaxModuleChannels}, &m.channels, &problem))
            p.Problem(line, key + ": " + problem);
    } else if (key == "instance") {
        if (!HexBytes(value, &m.instance))
            p.Problem(line, "instance is not two hex digits a byte");
    } else if (key == "signals") {
        ReadSignals(p, line, value, m);
    } else {
        p.Problem(line, "no such key in [module]: " + key);
    }
}

void ReadLine(Plan& p, int line, const std::string& text)
{
    if (text == "[bench]" || text == "[module]") {
        p.section = text;
        if (text == "[module]") {
            p.modules.push_back(Planned());
            p.modules.back().line = line;
        }
        return;
    }
    const size_t equals = text.find('=');
    if (text[0] == '[' || equals == std::string::npos) {
        p.Problem(line, "'" + text + "' is neither [bench], [module] nor key=value");
        return;
    }
    const std::string key = text.substr(0, equals), value = text.substr(equals + 1);
    if (p.section == "[bench]")
        ReadBenchKey(p, line, key, value);
    else if (p.section == "[module]")
        ReadModuleKey(p, line, key, value);
    else
        p.Problem(line, key + " outside [bench] or [module]");
}

void CheckModules(Plan& p)
{
    for (const Planned& m : p.modules) {
        if (!m.kindGiven || m.channels == 0) {
            p.Problem(m.line, "a module needs its kind and channels");
            continue;
        }
        const char* className = KindOf(m.kind).className;
        const ModuleClassDescriptor* cls = sim::RegisteredClass(className);
        if (cls && m.instance.size() != cls->uiInstanceDataSize)
            p.Problem(m.line, "instance holds " + std::to_string(m.instance.size()) + " bytes, not the " +
                                  std::to_string(cls->uiInstanceDataSize) + " of " + className);
        if (IsFed(m.kind) && m.sources.size() != kMaxModuleChannels)
            p.Problem(m.line, std::string("a ") + className + " module needs its eight signals");
        if (!IsFed(m.kind) && !m.sources.empty())
            p.Problem(m.line, std::string("a ") + className + " module has no signals");
        if (!cls)
            p.Problem(m.line, std::string("the plug-in registered no class ") + className);
    }
}

// Why a bench file cannot be opened: not there, or a folder.
std::string NotAFile(const std::string& path)
{
    const DWORD attributes = GetFileAttributesW(Widen(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return path + ": no such file\n";
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        return path + ": a folder, not a file\n";
    return path + ": cannot be read\n";
}

}  // namespace

std::string BenchBoardFile(const std::string& path)
{
    FILE* f = _wfopen(Widen(path).c_str(), L"rb");
    char buffer[4096];
    std::string boardFile;
    while (f && fgets(buffer, sizeof buffer, f)) {
        std::string text = buffer;
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
            text.pop_back();
        if (text.compare(0, 11, "board_file=") == 0)
            boardFile = text.substr(11);
        if (text == "[module]")
            break;
    }
    if (f)
        fclose(f);
    return boardFile;
}

std::string BenchText(const Bench& bench)
{
    char line[160];
    snprintf(line, sizeof line, "ms_per_sample=%.17g\nblock_size=%d\n", bench.msPerSample, bench.blockSize);
    std::string text = "; a bench of the Korvu host simulator\n[bench]\nboard_file=" + bench.ini + "\n" + line;
    for (const auto& m : bench.modules) {
        const ModuleRecord* r = m->module.record;
        snprintf(line, sizeof line, "[module]\nkind=%s\nname=%.13s\ndescription=%.41s\nchannels=%u\n", KindOf(m->kind).className,
                 r->szModuleName, r->szDescription, Channels(*m));
        text += line;
        text += "instance=" + Hex(m->module.instanceData, m->module.instanceDataSize) + "\n";
        if (IsFed(*m)) {
            std::string signals;
            for (const engine::SignalSource& s : m->sources)
                signals += (signals.empty() ? "" : ",") + SignalText(s);
            text += "signals=" + signals + "\n";
        }
    }
    return text;
}

bool SaveBench(Bench& bench, const std::string& path, std::string* error)
{
    const std::string text = BenchText(bench);
    if (!ReplaceWholeFile(path, text.data(), text.size())) {
        *error = "cannot write " + path + " whole; the file there is as it was";
        return false;
    }
    bench.path = path;
    bench.savedText = text;
    return true;
}

bool HasUnsavedChanges(const Bench& bench)
{
    return BenchText(bench) != bench.savedText;
}

bool OpenBench(Bench& bench, const std::string& path, std::string* problems)
{
    FILE* f = _wfopen(Widen(path).c_str(), L"rb");
    if (!f) {
        *problems = NotAFile(path);
        return false;
    }
    Plan p;
    p.path = &path;
    p.problems = problems;
    problems->clear();
    char buffer[4096];
    for (int line = 1; fgets(buffer, sizeof buffer, f); ++line) {
        std::string text = buffer;
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
            text.pop_back();
        if (!text.empty() && text[0] != ';')
            ReadLine(p, line, text);
    }
    fclose(f);
    CheckModules(p);
    // The plug-in opened the boards at its set-up: they stay as they are.
    if (problems->empty() && p.boardFile != bench.ini)
        p.Problem(p.boardFileLine, "the bench was saved with the boards of '" + p.boardFile + "', not with those in use ('" +
                                       bench.ini + "'): open it with korvu_host --bench");
    if (!problems->empty())
        return false;
    RemoveAllModules(bench);
    bench.ini = p.boardFile;
    bench.msPerSample = p.msPerSample;
    bench.blockSize = p.blockSize;
    for (const Planned& m : p.modules) {
        BenchModule* restored = RestoreModule(bench, m.kind, m.name, m.description, m.channels, m.instance);
        if (restored && IsFed(*restored))
            restored->sources = m.sources;
    }
    bench.path = path;
    bench.savedText = BenchText(bench);
    return true;
}

}  // namespace workbench
