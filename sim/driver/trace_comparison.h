// The trace driver's file held against the simulated driver's own record of
// its transfers, call for call, while the run goes on: the simulated
// driver's transfers wait here only until the trace driver's writer has put
// their lines in the file, and the file's lines only until the transfers
// they stand for are added, so memory holds the writer's lag and no more,
// however long the run.
//
// Lines are read by the column names the trace driver's header gives.
// Transfers are held against lines thread by thread: calls of different
// threads that no lock keeps apart may reach the two records in either order.
#pragma once

#include <windows.h>
#include <stdint.h>

#include <deque>
#include <map>
#include <string>
#include <vector>

#include "sim/tovel/tovel_sim.h"

class TraceComparison {
public:
    explicit TraceComparison(const std::string& csvPath) : path_(csvPath) {}
    ~TraceComparison();
    TraceComparison(const TraceComparison&) = delete;
    TraceComparison& operator=(const TraceComparison&) = delete;

    // Transfers the simulated driver made, oldest first.
    void Add(const TovelSimTransfer* transfers, uint32_t count);
    // Reads what the trace driver wrote since the last look.
    void Look();
    // Once the trace driver is unloaded and its file whole: empty when the
    // file held every transfer, else the first difference. `dropped`: the
    // simulated driver's own record lost that many transfers, so what was
    // kept is held against the file, and the rest of the file is not.
    std::string Finish(uint32_t dropped);

    uint64_t Compared() const { return compared_; }
    // The note after which the file holds no more (a full ring, a stopped
    // recording), held against nothing after it; empty when it is whole.
    const std::string& CutBy() const { return cutBy_; }
    const std::string& Path() const { return path_; }

private:
    struct Line {
        int number;
        std::string text;
        std::string entry;
        std::vector<std::string> fields;
    };
    struct Thread {
        std::deque<TovelSimTransfer> transfers;
        std::deque<Line> lines;
        bool lastFailed = false;        // its last transfer failed
        int32_t lastError = 0;          // the simulated driver's code for it
    };

    void Read(const char* bytes, size_t n);
    void TakeLine(std::string line);
    void Match(Thread& thread);
    const std::string& Field(const Line& line, const char* column);
    void Differs(const Line& line, const std::string& what);

    std::string path_;
    HANDLE file_ = INVALID_HANDLE_VALUE;
    std::string partial_;               // a line the writer has not finished
    std::map<std::string, size_t> columns_;
    int lineNumber_ = 0;
    std::string cutBy_;                 // a note that the rest is not all there
    std::map<uint32_t, Thread> threads_;
    std::string difference_;
    uint64_t compared_ = 0;
};
