#include "sim/program/loopback.h"

#include <algorithm>

#include "sim/reference/double_reference.h"

Loopback::Loopback(const engine::Experiment& e, const sim::Module& in, int channels, long long first, long long count)
    : experiment(e), in(in), planned(e.blocksToFeed * e.blockSize), windowFirst(first), windowCount(count),
      blocksBack(channels), samplesBack(channels), window(channels, std::vector<uint8_t>(count, kNotBack))
{
}

void Loopback::Observe(OutputChannel* channel, const DataBlock* block)
{
    const int channels = static_cast<int>(blocksBack.size());
    int c = 0;
    while (c < channels && in.record->pOutputChannel[c] != channel)
        ++c;
    if (c == channels)
        return;  // not a channel of the watched module
    const engine::FedModule& out = experiment.outputs[0];
    const float* samples = BlockSamples(block);
    for (uint32_t j = 0; j < block->wNumberOfSamples; ++j) {
        const long long s = static_cast<long long>(samplesBack[c]) + j;
        const bool read = samples[j] == engine::kHighVolts;
        if (s >= windowFirst && s < windowFirst + windowCount)
            window[c][s - windowFirst] = read ? kBackHigh : kBackLow;
        if (s >= planned)
            continue;  // read after the last block fed: nothing to compare with
        const bool written = engine::FedLevel(experiment, out, c, s);
        ++compared;
        if (written == read)
            continue;
        ++differing;
        if (first.sample < 0 || s < first.sample)
            first = {s, c, written, read};
    }
    ++blocksBack[c];
    samplesBack[c] += block->wNumberOfSamples;
}

void Loopback::NoteReleases(uint64_t released, uint32_t now)
{
    for (; releasesTimed < released; ++releasesTimed) {
        const uint32_t samples = static_cast<uint32_t>((releasesTimed + 1) * experiment.blockSize);
        const uint32_t late = now - (experiment.startTicks + ReferenceDueOffset(samples, experiment.msPerSample));
        latest = std::max(latest, late);
        lateSum += late;
    }
}
