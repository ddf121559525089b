#include "sim/host/host_fpu.h"

#include <stdio.h>
#include <string.h>

#include <string>

#include "sim/host/sim_host.h"

namespace sim {

namespace {

// Control word bits: exception masks 0-5 (invalid, denormal, zero-divide,
// overflow, underflow, precision), precision 8-9 (00 24, 10 53, 11 64 bits),
// rounding 10-11 (00 nearest, 01 down, 10 up, 11 toward zero).
const std::vector<FpuEnvironment> kEnvironments = {
    {"fpu-process", 0, 0, "the x87 unit as this process's start-up left it (the default)"},
    {"fpu-64bit", 0x037F, 0, "64-bit precision, every exception masked, as a MinGW start-up leaves it"},
    {"fpu-53bit", 0x027F, 0, "53-bit precision, as a Microsoft runtime's start-up leaves it"},
    {"fpu-24bit", 0x007F, 0, "24-bit precision, as graphics libraries leave it"},
    {"fpu-round-down", 0x067F, 0, "rounding toward minus infinity"},
    {"fpu-round-up", 0x0A7F, 0, "rounding toward plus infinity"},
    {"fpu-round-zero", 0x0E7F, 0, "rounding toward zero, as real-time and numeric code sets it"},
    {"fpu-0x1332", 0x1332, 0, "invalid, zero-divide and overflow unmasked, as some runtimes start"},
    {"fpu-flags-raised", 0x027F, 0x003F, "every exception flag already raised in the status word"},
};

// fnstenv's record in 32-bit protected mode.
const size_t kControlAt = 0, kStatusAt = 4, kTagAt = 8;
const uint16_t kExceptionFlags = 0x003F, kErrorSummary = 0x0080;

const FpuEnvironment* g_inUse;

thread_local IntoPlugin* t_innermost;  // the call into the plug-in in progress
thread_local bool t_inPlugin;          // its code runs now, not the host's

void Store(uint8_t* environment)
{
#if defined(__i386__) && defined(__GNUC__)
    // fnstenv masks every exception after storing; fldenv puts the masks back.
    __asm__ volatile("fnstenv %0\n\tfldenv %0" : "=m"(*reinterpret_cast<uint8_t(*)[28]>(environment)) : : "memory");
#else
    memset(environment, 0, 28);
#endif
}

// Stores the environment as it is and leaves every exception masked, so that
// nothing pending can fault before the next Load.
void StoreMasked(uint8_t* environment)
{
#if defined(__i386__) && defined(__GNUC__)
    __asm__ volatile("fnstenv %0" : "=m"(*reinterpret_cast<uint8_t(*)[28]>(environment)) : : "memory");
#else
    memset(environment, 0, 28);
#endif
}

void Load(const uint8_t* environment)
{
#if defined(__i386__) && defined(__GNUC__)
    __asm__ volatile("fldenv %0" : : "m"(*reinterpret_cast<const uint8_t(*)[28]>(environment)) : "memory");
#else
    (void)environment;
#endif
}

uint16_t Word(const uint8_t* environment, size_t at)
{
    uint16_t word;
    memcpy(&word, environment + at, sizeof word);
    return word;
}

void SetWord(uint8_t* environment, size_t at, uint16_t word)
{
    memcpy(environment + at, &word, sizeof word);
}

bool GivenBack(const uint8_t* now, const uint8_t* given, Exactness exactness)
{
    const uint16_t control = Word(given, kControlAt);
    if (Word(now, kControlAt) != control)
        return false;
    if (exactness == kControlAndStatus)
        return Word(now, kStatusAt) == Word(given, kStatusAt);
    const uint16_t raised = Word(now, kStatusAt) & ~Word(given, kStatusAt) & kExceptionFlags;
    return (raised & ~control) == 0;
}

std::string Words(const uint8_t* environment)
{
    char text[64];
    snprintf(text, sizeof text, "control word 0x%04X, status word 0x%04X", Word(environment, kControlAt),
             Word(environment, kStatusAt));
    return text;
}

std::string Named(const char* what, uint32_t code)
{
    return code == 0xFFFFFFFFu ? std::string(what) : std::string(what) + " (code " + std::to_string(code) + ")";
}

}  // namespace

const std::vector<FpuEnvironment>& FpuEnvironments()
{
    return kEnvironments;
}

const FpuEnvironment* FindFpuEnvironment(const char* name)
{
    for (const FpuEnvironment& e : kEnvironments) {
        if (strcmp(e.name, name) == 0)
            return &e;
    }
    return nullptr;
}

uint16_t ProcessControlWord()
{
    static const uint16_t word = [] {
        uint8_t environment[28];
        Store(environment);
        return Word(environment, kControlAt);
    }();
    return word;
}

void UseFpuEnvironment(const FpuEnvironment* environment)
{
    g_inUse = environment == &kEnvironments[0] ? nullptr : environment;
}

const FpuEnvironment* FpuEnvironmentInUse()
{
    return g_inUse;
}

IntoPlugin::IntoPlugin(const char* what, Exactness exactness, uint32_t code)
    : what_(what), exactness_(exactness), code_(code), outer_(t_innermost), outerInPlugin_(t_inPlugin)
{
    Store(harness_);
    memcpy(given_, harness_, sizeof given_);
    if (g_inUse) {
        SetWord(given_, kControlAt, g_inUse->control);
        const uint16_t status = Word(harness_, kStatusAt) & ~(kExceptionFlags | kErrorSummary);
        SetWord(given_, kStatusAt, status | g_inUse->flags);
        SetWord(given_, kTagAt, 0xFFFF);  // every register empty, as at any call
        Load(given_);
        Store(given_);  // as the unit holds it: reserved bits read back as the unit has them
    }
    t_innermost = this;
    t_inPlugin = true;
}

IntoPlugin::~IntoPlugin()
{
    uint8_t after[28];
    StoreMasked(after);
    Load(harness_);
    t_innermost = outer_;
    t_inPlugin = outerInPlugin_;
    if (!GivenBack(after, given_, exactness_))
        ReportProblem("the plug-in returned from " + Named(what_, code_) + " with the x87 " + Words(after) +
                      ", where the host gave it " + Words(given_));
}

BackInHost::BackInHost(const char* what) : call_(t_inPlugin ? t_innermost : nullptr)
{
    if (!call_)
        return;
    StoreMasked(entry_);
    Load(call_->harness_);
    t_inPlugin = false;
    if (!GivenBack(entry_, call_->given_, call_->exactness_))
        ReportProblem(std::string("the plug-in called ") + what + " with the x87 " + Words(entry_) +
                      ", where the host gave it " + Words(call_->given_));
}

BackInHost::~BackInHost()
{
    if (!call_)
        return;
    Load(entry_);
    t_inPlugin = true;
}

}  // namespace sim
