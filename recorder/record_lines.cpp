#include "recorder/record_lines.h"

#include "guest/guest_self.h"
#include "guest/line_text.h"
#include "recorder/host_record.h"
#include "recorder/plugin_calls.h"
#include "recorder/profile.h"
#include "recorder/services.h"

const char kRecordColumns[] =
    "sequence,microseconds,ticks,thread,call,inside,depth,seen,what,arguments,result,x87_control,x87_status,mxcsr,"
    "stack";

namespace {

const char* const kSeenNames[] = {"lookup", "plugin", "service", "variable", "samples", "dialog"};
const char* const kFunctionNames[] = {"SetupKorvuDLL", "FinishKorvuDLL", "handler", "process", "menu"};

void Words(LineText& text, const uint32_t* words, uint32_t count)
{
    for (uint32_t i = 0; i < count; ++i) {
        if (i)
            text.Char(' ');
        text.Hex(words[i], 1);
    }
}

void What(LineText& text, const HostRecord& r)
{
    switch (r.seen) {
    case Seen::kLookup:
        text.Decimal(r.what ? 30001 : 30000).Char(' ').Text(r.data.text);
        break;
    case Seen::kPluginCall:
        text.Text(kFunctionNames[r.what < 5 ? r.what : 0]);
        if (r.what == kHandler || r.what == kProcess || r.what == kMenuCallback)
            text.Char(' ').Decimal(r.data.words[4]);
        break;
    case Seen::kServiceCall:
    case Seen::kDialogMessage:
        text.Text(ServiceName(r.what));
        break;
    case Seen::kVariable:
        text.Text(WatchedName(r.what));
        break;
    case Seen::kSamples:
        text.Text(r.what ? "output block" : "input block");
        break;
    }
}

void Arguments(LineText& text, const HostRecord& r)
{
    switch (r.seen) {
    case Seen::kLookup:
        if (r.mxcsr != r.result)
            text.Text("wrapped ").Hex(r.mxcsr, 1);
        break;
    case Seen::kPluginCall:
        if (r.what == kHandler) {
            text.Hex(r.data.words[0], 1).Char(' ').Decimal(r.data.words[1]).Char(' ');
            text.Signed(static_cast<int32_t>(r.data.words[2])).Char(' ').Hex(r.data.words[3], 1);
            text.Text(" channels ").Decimal(r.data.words[5]).Char('/').Decimal(r.data.words[6]);
        } else if (r.what != kMenuCallback) {
            text.Hex(r.data.words[0], 1);
        }
        break;
    case Seen::kServiceCall:
        Words(text, r.data.words, r.data.words[4]);
        break;
    case Seen::kVariable: {
        char value[40];
        if (WatchedIsDouble(r.what))
            DoubleText(r.data.words[0], r.data.words[1], value, sizeof value);
        else
            LineText(value, sizeof value).Decimal(r.data.words[0]);
        text.Text(value);
        break;
    }
    case Seen::kSamples:
        text.Hex(r.data.words[0], 1).Char(' ').Decimal(r.data.words[1]).Text(" from ").Decimal(r.result).Char(':');
        for (uint32_t i = 0; i < r.stack && i < 6; ++i)
            text.Char(' ').Hex(r.data.words[2 + i], 8);
        break;
    case Seen::kDialogMessage:
        text.Decimal(r.data.words[0]).Char(' ').Hex(r.data.words[1], 1).Char(' ').Hex(r.data.words[2], 1);
        break;
    }
}

}  // namespace

uint32_t FormatRecord(const void* record, char* line, uint32_t size, void* tenthsPerStamp)
{
    const HostRecord& r = *static_cast<const HostRecord*>(record);
    const uint64_t tenths = TenthsSinceLoad(r.stamp, *static_cast<const uint64_t*>(tenthsPerStamp));
    ProfileSees(r, tenths);
    LineText text(line, size);
    text.Decimal(r.ring.sequence).Char(',').Decimal64(tenths / 10).Char('.').Decimal(static_cast<uint32_t>(tenths % 10));
    text.Char(',').Decimal(r.ticks).Char(',').Decimal(r.thread).Char(',');
    if (r.entry)
        text.Decimal(r.entry);
    text.Char(',');
    if (r.within)
        text.Decimal(r.within);
    text.Char(',').Decimal(r.depth).Char(',').Text(kSeenNames[static_cast<int>(r.seen)]).Char(',');
    What(text, r);
    text.Char(',');
    Arguments(text, r);
    text.Char(',');
    const bool call = r.seen == Seen::kPluginCall || r.seen == Seen::kServiceCall || r.seen == Seen::kLookup;
    if (r.seen == Seen::kPluginCall)
        text.Signed(static_cast<int32_t>(r.result));
    else if (call)
        text.Hex(r.result, 1);
    text.Char(',');
    if (r.seen == Seen::kPluginCall) {
        text.Hex(r.fpuControl, 4).Char(',').Hex(r.fpuStatus, 4).Char(',').Hex(r.mxcsr, 4).Char(',');
        text.Decimal(r.stack);
    } else if (r.seen == Seen::kServiceCall) {
        text.Text(",,,").Decimal(r.stack);
    } else {
        text.Text(",,,");
    }
    text.Text("\r\n");
    return text.Length();
}

namespace {

// (mantissa x 10^6) / 2^s rounded to nearest, for s from 13 on: the value
// is below 2^40, so the millionths fit 64 bits; the product, up to 2^73,
// is held as hi x 2^32 + lo.
uint64_t Millionths(uint64_t mantissa, int s)
{
    if (s > 100)
        return 0;
    const uint64_t lowProduct = (mantissa & 0xFFFFFFFFu) * 1000000;
    uint64_t hi = (mantissa >> 32) * 1000000 + (lowProduct >> 32);
    uint64_t lo = lowProduct & 0xFFFFFFFFu;
    if (s - 1 < 32) {
        lo += static_cast<uint64_t>(1) << (s - 1);
        hi += lo >> 32;
        lo &= 0xFFFFFFFFu;
    } else if (s - 1 - 32 < 64) {
        hi += static_cast<uint64_t>(1) << (s - 1 - 32);
    }
    if (s >= 32)
        return s - 32 < 64 ? hi >> (s - 32) : 0;
    return (hi << (32 - s)) | (lo >> s);
}

}  // namespace

void DoubleText(uint32_t low, uint32_t high, char* textOut, uint32_t size)
{
    LineText text(textOut, size);
    const uint32_t biased = (high >> 20) & 0x7FF;
    const uint64_t fraction = (static_cast<uint64_t>(high & 0xFFFFF) << 32) | low;
    const int shift = static_cast<int>(biased) - 1075;  // value = mantissa x 2^shift
    const uint64_t mantissa = fraction | (static_cast<uint64_t>(biased != 0) << 52);
    if (biased == 0x7FF || shift > 10) {  // not a number, infinite, or past 2^63
        text.Text("bits ").Hex(high, 8).Hex(low, 8);
        return;
    }
    if (high >> 31)
        text.Char('-');
    if (shift >= 0) {
        text.Decimal64(mantissa << shift);
        return;
    }
    const int s = -shift;
    uint64_t units, millionths;
    if (s <= 12) {  // the fraction has at most twelve bits
        units = mantissa >> s;
        const uint64_t rest = mantissa & ((static_cast<uint64_t>(1) << s) - 1);
        millionths = (rest * 1000000 + (static_cast<uint64_t>(1) << (s - 1))) >> s;
    } else {
        const uint64_t all = Millionths(mantissa, s);
        units = all / 1000000;
        millionths = all % 1000000;
    }
    if (millionths == 1000000) {
        ++units;
        millionths = 0;
    }
    text.Decimal64(units);
    if (!millionths)
        return;
    char digits[6];
    uint32_t m = static_cast<uint32_t>(millionths);
    for (int i = 5; i >= 0; --i) {
        digits[i] = static_cast<char>('0' + m % 10);
        m /= 10;
    }
    int last = 5;
    while (last > 0 && digits[last] == '0')
        --last;
    text.Char('.');
    for (int i = 0; i <= last; ++i)
        text.Char(digits[i]);
}
