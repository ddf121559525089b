// The scripted run's report: to the console and to report.txt at once.
#pragma once

#include <string>

#include "sim/common/checked_file.h"
#include "sim/driver/sim_driver.h"

struct Report {
    CheckedFile file;
    void operator()(const char* format, ...) __attribute__((format(__MINGW_PRINTF_FORMAT, 2, 3)));
};

// Each board the driver loaded: slot, address, length, switch, what each
// input port reads and the faults armed. The number of boards.
int ReportBoards(Report& report, SimDriver& driver);

// The plug-in's warnings, each run of identical ones once with its length,
// in UTF-8 with an English gloss beside the Japanese text.
void ReportWarnings(Report& report);

// One warning, its lines joined: "[caption] text (gloss)".
std::string DescribeWarning(const std::string& caption, const std::string& text);
// The same in English alone where the text is one the plug-in gives, for a
// picture drawn in a font without Japanese: "[caption] gloss".
std::string WarningInEnglish(const std::string& caption, const std::string& text);
