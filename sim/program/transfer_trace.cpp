#include "sim/program/transfer_trace.h"

#include <stdio.h>

namespace {

const uint32_t kTakenAtOnce = 65536;

}  // namespace

bool TransferTrace::Open(const std::string& path, uint64_t limit, long long windowFirst, long long windowCount)
{
    limit_ = limit;
    windowFirst_ = windowFirst;
    windowCount_ = windowCount;
    if (!file_.Open(path))
        return false;
    file_.Print("sequence,experiment_ms,slot,port,direction,value,result,error\n");
    return true;
}

void TransferTrace::Drain(SimDriver& driver, long long ms, const WriteOrder& order)
{
    taken_.resize(kTakenAtOnce);
    uint64_t writes = 0;  // of this host call
    for (uint32_t n; (n = driver.TakeTrace(taken_.data(), kTakenAtOnce)) > 0;) {
        for (uint32_t i = 0; i < n; ++i) {
            const TovelSimTransfer& t = taken_[i];
            if (t.direction == 0) {
                if (t.result == 0 && ms >= 0) {
                    const FailedWrite f = {static_cast<uint64_t>(ms), static_cast<int>(writes / order.perChannel),
                                           order.block * order.perChannel + static_cast<long long>(writes % order.perChannel)};
                    if (failedWrites++ == 0)
                        firstFailure = f;
                    if (f.sample >= windowFirst_ && f.sample < windowFirst_ + windowCount_)
                        inWindow.push_back(f);
                }
                ++writes;
            }
            if (!file_.IsOpen() || kept >= limit_) {
                ++dropped;
                continue;
            }
            char at[24] = "";
            if (ms >= 0)
                snprintf(at, sizeof at, "%lld", ms);
            file_.Print("%u,%s,%u,%u,%s,0x%02X,%d,%d\n", t.sequence, at, t.slot, t.port,
                    t.direction == 0 ? "out" : "in", t.value, t.result, t.error);
            ++kept;
        }
    }
}

bool TransferTrace::Close(SimDriver& driver)
{
    dropped += driver.TovelSimTraceDropped();  // more in one host call than the driver holds
    if (!file_.IsOpen())
        return false;
    if (dropped > 0)
        file_.Print("# cut short: the first %llu transfers are here; %llu later ones are not\n",
                    static_cast<unsigned long long>(kept), static_cast<unsigned long long>(dropped));
    return file_.Close();
}
