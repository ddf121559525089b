// The timing diagram: each output channel over the input channel that reads
// it back, against experiment time, drawn with GDI into a PNG. It shows a
// window of the run; only that window's samples are kept for it.
#pragma once

#include <stdint.h>

#include <functional>
#include <string>
#include <vector>

#include "sim/program/loopback.h"
#include "sim/program/transfer_trace.h"

struct TimingDiagram {
    int channels = 0;
    std::function<bool(int channel, long long sample)> written;  // the level fed
    long long fed = 0;                        // samples per channel fed before the run ended
    const std::vector<std::vector<uint8_t>>* readBack = nullptr;  // Readback per sample of the window
    long long firstSample = 0, samples = 0;   // the window
    int blockSize = 1;
    double msPerSample = 1;
    std::vector<FailedWrite> failed;          // the failed writes of the window
    std::string title;                        // what is drawn over what
    std::string nothingBack;                  // why no sample of the window came back, if none did
};

// False when the picture could not be written; a window with no samples in
// it writes nothing and is not a failure.
bool WriteTimingDiagram(const std::string& path, const TimingDiagram& diagram);
