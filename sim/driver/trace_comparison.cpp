#include "sim/driver/trace_comparison.h"

#include <stdio.h>

#include <sstream>

#include "board/tovel_api.h"
#include "sim/common/numbers.h"
#include "sim/common/utf8.h"

namespace {

const sim::WholeRange kAnyWord = {0, 0xFFFFFFFF, sim::Digits::kDecimalOrHex};
const sim::WholeRange kAnyResult = {INT32_MIN, INT32_MAX};

std::vector<std::string> Split(const std::string& line)
{
    std::vector<std::string> fields;
    std::stringstream in(line);
    for (std::string f; std::getline(in, f, ',');)
        fields.push_back(f);
    if (!line.empty() && line.back() == ',')
        fields.push_back("");
    return fields;
}

int64_t Number(const std::string& text, const sim::WholeRange& range, bool* ok)
{
    int64_t value = 0;
    std::string problem;
    *ok = sim::ReadWhole(text, range, &value, &problem) && *ok;
    return value;
}

}  // namespace

TraceComparison::~TraceComparison()
{
    if (file_ != INVALID_HANDLE_VALUE)
        CloseHandle(file_);
}

void TraceComparison::Add(const TovelSimTransfer* transfers, uint32_t count)
{
    for (uint32_t i = 0; i < count && difference_.empty() && cutBy_.empty(); ++i) {
        Thread& thread = threads_[transfers[i].threadId];
        thread.transfers.push_back(transfers[i]);
        Match(thread);
    }
}

void TraceComparison::Look()
{
    if (file_ == INVALID_HANDLE_VALUE)  // the writer shares it as it writes
        file_ = CreateFileW(Widen(path_).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file_ == INVALID_HANDLE_VALUE)
        return;
    char bytes[65536];
    DWORD n = 0;
    while (difference_.empty() && ReadFile(file_, bytes, sizeof bytes, &n, nullptr) && n > 0)
        Read(bytes, n);
}

void TraceComparison::Read(const char* bytes, size_t n)
{
    for (size_t i = 0; i < n && difference_.empty(); ++i) {
        if (bytes[i] != '\n') {
            partial_ += bytes[i];
            continue;
        }
        std::string line;
        line.swap(partial_);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        TakeLine(std::move(line));
    }
}

void TraceComparison::TakeLine(std::string text)
{
    ++lineNumber_;
    if (lineNumber_ == 1) {
        const std::vector<std::string> names = Split(text);
        for (size_t i = 0; i < names.size(); ++i)
            columns_[names[i]] = i;
        return;
    }
    // Calls dropped, or the recording stopped: the rest is not all there, and
    // what was is equal. Nothing more is kept to hold against it.
    if (cutBy_.empty() && (text.rfind("# dropped", 0) == 0 || text.rfind("# recording stopped", 0) == 0)) {
        cutBy_ = text.substr(2);
        threads_.clear();
    }
    if (!cutBy_.empty() || text.empty() || text[0] == '#')
        return;
    Line line = {lineNumber_, text, "", Split(text)};
    if (line.fields.size() != columns_.size()) {
        Differs(line, "not " + std::to_string(columns_.size()) + " columns");
        return;
    }
    line.entry = Field(line, "entry");
    if (line.entry != kTovelEntryNames[kTovelOutPort] && line.entry != kTovelEntryNames[kTovelInPort] &&
        line.entry != kTovelEntryNames[kTovelGetLastError])
        return;
    bool ok = true;
    const uint32_t id = static_cast<uint32_t>(Number(Field(line, "thread"), kAnyWord, &ok));
    if (!ok) {
        Differs(line, "no thread");
        return;
    }
    Thread& thread = threads_[id];
    thread.lines.push_back(std::move(line));
    Match(thread);
}

const std::string& TraceComparison::Field(const Line& line, const char* column)
{
    static const std::string none;
    auto at = columns_.find(column);
    return at == columns_.end() || at->second >= line.fields.size() ? none : line.fields[at->second];
}

void TraceComparison::Differs(const Line& line, const std::string& what)
{
    if (difference_.empty())
        difference_ = path_ + ":" + std::to_string(line.number) + ": " + line.text + ": " + what;
}

// The thread's lines, in their order, against its transfers as far as both go.
void TraceComparison::Match(Thread& thread)
{
    while (!thread.lines.empty() && difference_.empty()) {
        const Line& line = thread.lines.front();
        bool ok = true;
        const int32_t result = static_cast<int32_t>(Number(Field(line, "result"), kAnyResult, &ok));
        if (line.entry == kTovelEntryNames[kTovelGetLastError]) {
            if (thread.lastFailed && ok && result != thread.lastError)
                Differs(line, "TovelGetLastError gave " + std::to_string(result) +
                                  ", the simulated driver's error was " + std::to_string(thread.lastError));
            thread.lastFailed = false;
            thread.lines.pop_front();
            continue;
        }
        if (thread.transfers.empty())
            return;  // its transfer is still to come
        const TovelSimTransfer t = thread.transfers.front();
        const bool out = line.entry == kTovelEntryNames[kTovelOutPort];
        const uint32_t slot = static_cast<uint32_t>(Number(Field(line, "slot"), kAnyWord, &ok));
        const uint32_t port = static_cast<uint32_t>(Number(Field(line, "port"), kAnyWord, &ok));
        const bool sameValue = !(out || t.result) ||  // a failed read has no byte
                               static_cast<uint32_t>(Number(Field(line, "value"), kAnyWord, &ok)) == t.value;
        if (!ok || slot != t.slot || port != t.port || out != (t.direction == 0) || result != t.result || !sameValue) {
            char sim[160];
            snprintf(sim, sizeof sim, "slot %u, port %u, %s, value 0x%02X, result %d", t.slot, t.port,
                     t.direction ? "in" : "out", t.value, t.result);
            Differs(line, "is transfer " + std::to_string(t.sequence) + " of the simulated driver: " + sim);
            return;
        }
        thread.lastFailed = t.result == 0;
        thread.lastError = t.error;
        thread.transfers.pop_front();
        thread.lines.pop_front();
        ++compared_;
    }
}

std::string TraceComparison::Finish(uint32_t dropped)
{
    Look();
    if (!partial_.empty()) {
        std::string last;
        last.swap(partial_);
        TakeLine(std::move(last));
    }
    if (file_ == INVALID_HANDLE_VALUE && difference_.empty() && !threads_.empty())
        return "the trace driver wrote no file " + path_;
    for (auto& entry : threads_) {
        Thread& thread = entry.second;
        if (!difference_.empty() || !cutBy_.empty())
            break;
        if (!thread.lines.empty() && dropped == 0)
            Differs(thread.lines.front(), "a transfer the simulated driver did not see");
        else if (!thread.transfers.empty() && dropped == 0)
            difference_ = "the simulated driver saw transfer " + std::to_string(thread.transfers.front().sequence) +
                          " (thread " + std::to_string(entry.first) + "), " + path_ + " does not hold it";
    }
    return difference_;
}
