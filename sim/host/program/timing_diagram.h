// The timing diagram: each output channel over the input channel that reads
// it back, against experiment time, drawn with GDI into a PNG.
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

struct TimingDiagram {
    const std::vector<std::vector<bool>>* written = nullptr;  // per channel, sample by sample
    const std::vector<std::vector<bool>>* readBack = nullptr;
    int blockSize = 1;
    double msPerSample = 1;
    int firstBlock = 0;       // the window shown
    int blocks = 24;
    std::vector<uint64_t> failedWrites;  // experiment ms of each failed port write
    std::string title;        // what is drawn over what
};

// False when the picture could not be written; a window with no samples in
// it writes nothing and is not a failure.
bool WriteTimingDiagram(const std::string& path, const TimingDiagram& diagram);
