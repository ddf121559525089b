#include "tracer/trace_lines.h"

#include "guest/guest_self.h"
#include "guest/line_text.h"

const char kTraceColumns[] = "sequence,microseconds,ticks,thread,entry,slot,port,direction,value,result,error";

uint32_t FormatCall(const void* record, char* line, uint32_t size, void* tenthsPerStamp)
{
    const CallRecord& r = *static_cast<const CallRecord*>(record);
    const uint64_t tenths = TenthsSinceLoad(r.stamp, *static_cast<const uint64_t*>(tenthsPerStamp));
    const bool transfer = r.entry == kTovelInPort || r.entry == kTovelOutPort;
    LineText text(line, size);
    text.Decimal(r.ring.sequence).Char(',').Decimal64(tenths / 10).Char('.').Decimal(static_cast<uint32_t>(tenths % 10));
    text.Char(',').Decimal(r.ticks).Char(',').Decimal(r.thread).Char(',').Text(kTovelEntryNames[r.entry]);
    text.Char(',');
    if (r.has & kHasSlot)
        text.Decimal(r.slot);
    text.Char(',');
    if (r.has & kHasPort)
        text.Decimal(r.port);
    text.Char(',').Text(r.entry == kTovelOutPort ? "out" : r.entry == kTovelInPort ? "in" : "").Char(',');
    if (r.has & kHasValue)
        text.Hex(r.value, transfer ? 2 : 1);
    text.Char(',').Signed(r.result).Char(',');
    if (r.entry == kTovelGetLastError)
        text.Signed(r.result);
    text.Text("\r\n");
    return text.Length();
}
