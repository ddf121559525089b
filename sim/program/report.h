// The scripted run's report: to the console and to report.txt at once.
#pragma once

#include <stdio.h>

#include <string>

#include "sim/driver/sim_driver.h"

struct Report {
    FILE* file = nullptr;
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
