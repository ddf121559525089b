#include "sim/host/program/transfer_trace.h"

#include <stdio.h>

#include <algorithm>

void TransferClock::Note(SimDriver& driver, uint64_t ms)
{
    const uint32_t made = driver.TovelSimTraceLength() + driver.TovelSimTraceDropped();
    if (marks.empty() || marks.back().first != made)
        marks.push_back({made, ms});
}

TraceSummary WriteTransferTrace(const std::string& path, SimDriver& driver, const TransferClock& clock)
{
    TraceSummary summary;
    summary.dropped = driver.TovelSimTraceDropped();
    FILE* f = fopen(path.c_str(), "w");
    if (!f)
        return summary;
    fprintf(f, "sequence,experiment_ms,slot,port,direction,value,result,error\n");
    for (const TovelSimTransfer& t : driver.Trace()) {
        // The call that made transfer number t.sequence.
        auto mark = std::lower_bound(clock.marks.begin(), clock.marks.end(), t.sequence,
                                     [](const std::pair<uint32_t, uint64_t>& m, uint32_t s) { return m.first < s; });
        char ms[24] = "";
        if (mark != clock.marks.end())
            snprintf(ms, sizeof ms, "%llu", static_cast<unsigned long long>(mark->second));
        fprintf(f, "%u,%s,%u,%u,%s,0x%02X,%d,%d\n", t.sequence, ms, t.slot, t.port, t.direction == 0 ? "out" : "in",
                t.value, t.result, t.error);
        if (t.direction == 0 && t.result == 0 && mark != clock.marks.end())
            summary.failedWrites.push_back(mark->second);
        ++summary.kept;
    }
    if (summary.dropped > 0)
        fprintf(f, "# cut short: the driver kept the first %u transfers; %u later ones are not here\n", summary.kept,
                summary.dropped);
    const bool failed = ferror(f) != 0;
    summary.written = fclose(f) == 0 && !failed;
    return summary;
}
