#include "sim/program/report.h"

#include <stdarg.h>
#include <string.h>

#include <utility>
#include <vector>

#include "host/texts.h"
#include "sim/common/utf8.h"
#include "sim/host/sim_host.h"

namespace {

// What the plug-in's warnings say, for a reader without Japanese.
struct Gloss {
    const char* text;  // code page 932, as the plug-in shows it
    const char* english;
};
const Gloss kGlosses[] = {
    {text::kErrorCaption, "error"},
    {text::kDeviceMissing, "the device does not exist"},
    {text::kNoUsableDevice, "there is no usable device"},
    {text::kSamplingTooFast, "the sampling rate is too fast"},
    {text::kOutputBufferFailed, "the output buffer could not be allocated; make the block size smaller"},
    {text::kSendErrorCaption, "send error"},
    {text::kSamplingErrorCaption, "sampling error"},
};

const char* English(const std::string& cp932)
{
    for (const Gloss& g : kGlosses) {
        if (cp932 == g.text)
            return g.english;
    }
    return nullptr;
}

std::string Glossed(const std::string& cp932)
{
    const char* english = English(cp932);
    return english ? Utf8FromCp932(cp932) + " (" + english + ")" : Utf8FromCp932(cp932);
}

std::string InputSource(const TovelSimInputSource& in)
{
    char text[64];
    if (in.wired)
        snprintf(text, sizeof text, "out%u.%u", in.sourceSlot, in.sourcePort);
    else if (in.pattern == kTovelSimCounter)
        snprintf(text, sizeof text, "a counter");
    else
        snprintf(text, sizeof text, "0x%02X", in.value);
    return text;
}

std::string Faults(const TovelSimBoardInfo& b)
{
    std::string faults;
    auto add = [&](const std::string& what) { faults += (faults.empty() ? "" : ", ") + what; };
#define REPORT_SET_UP_FAULT(id, number, flag, word) \
    if (b.flag)                                           \
        add(std::string(word) + " fails");
    TOVEL_SIM_SET_UP_FAULTS(REPORT_SET_UP_FAULT)
#undef REPORT_SET_UP_FAULT
    for (const auto& [name, f] : {std::pair<const char*, TovelSimTransferFault>{"write", b.failOut}, {"read", b.failIn}}) {
        if (f.everyOne)
            add(std::string("every ") + name + " fails");
        else if (f.nth > 0)
            add(std::string(name) + " " + std::to_string(f.nth) + (f.persistent ? " and every later one fail" : " fails"));
    }
    return faults.empty() ? "none" : faults + ", error code " + std::to_string(b.faultError);
}

}  // namespace

void Report::operator()(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    vprintf(format, args);
    va_end(args);
    va_start(args, format);
    file.PrintList(format, args);
    va_end(args);
}

int ReportBoards(Report& report, SimDriver& driver)
{
    report("Boards the driver loaded\n");
    int shown = 0;
    for (uint32_t slot = 0; slot < 16; ++slot) {
        TovelSimBoardInfo b;
        if (!driver.TovelSimGetBoardInfo(slot, &b) || !b.present)
            continue;
        ++shown;
        report("  slot %u: address 0x%X, length %u, switch 0x%X; in%u.0 reads %s, in%u.1 reads %s; faults: %s\n", slot,
               b.ioAddress, b.ioLength, b.switchValue, slot, InputSource(b.input[0]).c_str(), slot,
               InputSource(b.input[1]).c_str(), Faults(b).c_str());
    }
    if (shown == 0)
        report("  none\n");
    return shown;
}

std::string DescribeWarning(const std::string& caption, const std::string& text)
{
    std::string joined = Glossed(text);
    for (size_t at = joined.find('\n'); at != std::string::npos; at = joined.find('\n', at))
        joined.replace(at, 1, " / ");
    return "[" + Glossed(caption) + "] " + joined;
}

std::string WarningInEnglish(const std::string& caption, const std::string& text)
{
    const char* textInEnglish = English(text);
    if (!textInEnglish)
        return DescribeWarning(caption, text);
    const char* captionInEnglish = English(caption);
    return "[" + (captionInEnglish ? captionInEnglish : Utf8FromCp932(caption)) + "] " + textInEnglish;
}

void ReportWarnings(Report& report)
{
    report("\nWarnings shown: %u\n", static_cast<unsigned>(sim::Warnings().size()));
    std::vector<std::pair<std::string, int>> distinct;
    for (const sim::Warning& w : sim::Warnings()) {
        const std::string line = DescribeWarning(w.caption, w.text);
        if (!distinct.empty() && distinct.back().first == line)
            ++distinct.back().second;
        else
            distinct.push_back({line, 1});
    }
    for (const auto& d : distinct)
        report("  %4d x %s\n", d.second, d.first.c_str());
}
