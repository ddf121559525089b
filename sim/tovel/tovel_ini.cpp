// Configuration of the simulated boards from an INI file (see
// tovel.ini.example), read line by line so that each problem can be named
// with its line; a file with any problem changes nothing.

#include <ctype.h>
#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <string>

#include "sim/common/numbers.h"
#include "sim/common/paths.h"
#include "sim/common/utf8.h"
#include "sim/tovel/board_file_text.h"
#include "sim/tovel/tovel_state.h"

namespace tovel {

namespace {

std::string Trimmed(const std::string& text)
{
    const size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return std::string();
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

std::string Lower(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    return text;
}

// "out3.1" or "in3.1": a port of a slot.
bool PortName(const std::string& text, const char* direction, uint32_t* slot, uint32_t* port)
{
    const size_t n = strlen(direction), dot = text.find('.');
    const sim::WholeRange any = {0, UINT32_MAX};
    std::string unused;
    return text.compare(0, n, direction) == 0 && dot != std::string::npos &&
           sim::ReadWhole(std::string_view(text).substr(n, dot - n), any, slot, &unused) &&
           sim::ReadWhole(std::string_view(text).substr(dot + 1), any, port, &unused);
}

struct Reader {
    const char* path = nullptr;
    struct Found { int line; std::string text; };
    std::vector<Found> found;  // printed in the order of their lines once the file is read
    Board boards[kSlots];
    int boardLine[kSlots] = {};     // where each board's section begins
    int addressLine[kSlots] = {};   // where its address is given; 0: the default
    std::string csv;
    int csvLine = 0;
    struct Wire { uint32_t inSlot, outSlot; int line; };
    std::vector<Wire> wires;
    int board = -1;            // the [boardN] being read, or -1
    std::string section;       // "board", "wiring", "trace", or "" outside any known one
    std::vector<std::pair<std::string, int>> seen;  // keys of this section, with their lines
    std::vector<std::pair<std::string, int>> sections;  // every section so far, with its line

    void Problem(int line, const std::string& key, const std::string& what)
    {
        found.push_back({line, key + ": " + what});
    }
};

void ReadSectionHeader(Reader& r, int line, const std::string& text)
{
    r.seen.clear();
    r.board = -1;
    r.section = "unknown";  // its keys are not checked: the header is named already
    if (text.back() != ']') {
        r.Problem(line, text, "the section name has no closing ']'");
        return;
    }
    const std::string name = Lower(Trimmed(text.substr(1, text.size() - 2)));
    for (const auto& s : r.sections) {
        if (s.first == name) {
            r.Problem(line, text, "given twice (first on line " + std::to_string(s.second) + ")");
            return;
        }
    }
    r.sections.push_back({name, line});
    uint32_t slot;
    std::string unused;
    if (name.compare(0, 5, "board") == 0 && sim::ReadWhole(name.substr(5), {0, kSlots - 1}, &slot, &unused)) {
        r.section = "board";
        r.board = static_cast<int>(slot);
        r.boardLine[slot] = line;
    } else if (name == "wiring" || name == "trace") {
        r.section = name;
    } else {
        r.Problem(line, text, "no such section (board0 to board15, wiring, trace)");
    }
}

struct FaultWord {
    const char* word;
    bool Board::*flag;
};

const FaultWord kFaultWords[] = {
#define TOVEL_SIM_FAULT_WORD(id, number, flag, word) {word, &Board::flag},
    TOVEL_SIM_SET_UP_FAULTS(TOVEL_SIM_FAULT_WORD)
#undef TOVEL_SIM_FAULT_WORD
};

void ReadFaultList(Reader& r, int line, const std::string& value, Board& b)
{
    std::string word;
    for (size_t i = 0; i <= value.size(); ++i) {
        const char c = i < value.size() ? value[i] : ' ';
        if (c != ' ' && c != ',' && c != '\t') {
            word += static_cast<char>(tolower(static_cast<unsigned char>(c)));
            continue;
        }
        const FaultWord* known = nullptr;
        for (const FaultWord& f : kFaultWords)
            known = word == f.word ? &f : known;
        if (known) {
            b.*known->flag = true;
        } else if (!word.empty()) {
            std::string words;
            for (const FaultWord& f : kFaultWords)
                words += std::string(words.empty() ? "" : ", ") + f.word;
            r.Problem(line, "fail", "'" + word + "' is none of " + words);
        }
        word.clear();
    }
}

// One key of a [boardN] section. Only `fail` may be empty (no faults).
void ReadBoardKey(Reader& r, int line, const std::string& key, const std::string& value)
{
    Board& b = r.boards[r.board];
    if (value.empty()) {
        if (key != "fail")
            r.Problem(line, key, "no value");
        return;
    }
    uint32_t v = 0;
    auto number = [&](int64_t least, int64_t most) {
        std::string problem;
        if (sim::ReadWhole(value, {least, most, sim::Digits::kDecimalOrHex}, &v, &problem))
            return true;
        r.Problem(line, key, problem);
        return false;
    };
    if (key == "present" && number(0, 1)) {
        b.present = v == 1;
    } else if (key == "address" && number(0, 0xFFFF)) {
        memcpy(b.resource + kTovelResourceIoAddress, &v, 4);
        r.addressLine[r.board] = line;
    } else if (key == "length" && number(1, 0xFFFF)) {
        memcpy(b.resource + kTovelResourceIoLength, &v, 4);
    } else if (key == "switch" && number(0, 0xFF)) {
        b.switchValue = v;
    } else if (key == "in0" || key == "in1") {
        Input& in = b.input[key[2] - '0'];
        if (Lower(value) == "counter")
            in.pattern = kTovelSimCounter;
        else if (number(0, 0xFF))
            in.value = static_cast<uint8_t>(v);
    } else if (key == "fail") {
        ReadFaultList(r, line, value, b);
    } else if ((key == "fail_out_at" || key == "fail_in_at") && number(0, UINT32_MAX)) {
        (key == "fail_out_at" ? b.failOut : b.failIn).nth = v;
    } else if ((key == "fail_out_persistent" || key == "fail_in_persistent") && number(0, 1)) {
        (key == "fail_out_persistent" ? b.failOut : b.failIn).persistent = v == 1;
    } else if (key == "error") {
        // Decimal with its sign, or the code's 32 bits in 0x hex.
        int64_t code = 0;
        std::string problem;
        if (sim::ReadWhole(value, {INT32_MIN, UINT32_MAX, sim::Digits::kDecimalOrHex}, &code, &problem))
            b.faultError = static_cast<int32_t>(static_cast<uint32_t>(code));
        else
            r.Problem(line, key, problem);
    }
}

const char* const kBoardKeys[] = {"present", "address", "length", "switch", "in0", "in1", "fail", "fail_out_at",
                                  "fail_out_persistent", "fail_in_at", "fail_in_persistent", "error"};

// "in1.0=out0.0": input port 0 of slot 1 reads output port 0 of slot 0.
void ReadWire(Reader& r, int line, const std::string& key, const std::string& value)
{
    uint32_t inSlot = 0, inPort = 0, outSlot = 0, outPort = 0;
    if (!PortName(key, "in", &inSlot, &inPort) || !PortName(Lower(value), "out", &outSlot, &outPort)) {
        r.Problem(line, key, "a wire is written inS.P=outS.P, as in0.0=out0.0");
        return;
    }
    if (inSlot >= kSlots || outSlot >= kSlots) {
        r.Problem(line, key, "no slot " + std::to_string(inSlot >= kSlots ? inSlot : outSlot) + " (0 to 15)");
        return;
    }
    if (inPort >= kPorts || outPort >= kPorts) {
        r.Problem(line, key, "no port " + std::to_string(inPort >= kPorts ? inPort : outPort) + " (0 or 1)");
        return;
    }
    r.wires.push_back({inSlot, outSlot, line});
    Input& in = r.boards[inSlot].input[inPort];
    in.wired = true;
    in.sourceSlot = outSlot;
    in.sourcePort = outPort;
}

void ReadKey(Reader& r, int line, const std::string& text)
{
    const size_t equals = text.find('=');
    if (equals == std::string::npos) {
        r.Problem(line, text, "not a key=value line");
        return;
    }
    const std::string key = Lower(Trimmed(text.substr(0, equals)));
    std::string value = text.substr(equals + 1);
    value = Trimmed(value.substr(0, value.find(';')));  // a comment may follow
    if (r.section.empty()) {
        r.Problem(line, key, "outside any section");
        return;
    }
    if (r.section == "unknown")
        return;
    for (const auto& s : r.seen) {
        if (s.first == key) {
            r.Problem(line, key, "given twice (first on line " + std::to_string(s.second) + ")");
            return;
        }
    }
    r.seen.push_back({key, line});
    if (r.section == "wiring") {
        ReadWire(r, line, key, value);
    } else if (r.section == "trace") {
        if (key == "csv") {
            r.csv = value;
            r.csvLine = line;
        } else
            r.Problem(line, key, "no such key in [trace] (csv)");
    } else if (std::find(std::begin(kBoardKeys), std::end(kBoardKeys), key) == std::end(kBoardKeys)) {
        r.Problem(line, key, "no such key in a board's section");
    } else {
        ReadBoardKey(r, line, key, value);
    }
}

// Every wire joins two boards the file puts in.
void CheckWires(Reader& r)
{
    for (const Reader::Wire& w : r.wires) {
        for (uint32_t slot : {w.inSlot, w.outSlot}) {
            if (!r.boards[slot].present) {
                r.Problem(w.line, "wiring", "no board at slot " + std::to_string(slot) + " (its present=1 is missing)");
                break;
            }
        }
    }
}

uint32_t Address(const Board& b)
{
    uint32_t address;
    memcpy(&address, b.resource + kTovelResourceIoAddress, 4);
    return address;
}

// No two boards answer at one I/O address, given or the default.
void CheckAddresses(Reader& r)
{
    for (uint32_t s = 0; s < kSlots; ++s) {
        for (uint32_t t = 0; t < s && r.boards[s].present; ++t) {
            if (!r.boards[t].present || Address(r.boards[t]) != Address(r.boards[s]))
                continue;
            char address[16];
            snprintf(address, sizeof address, "0x%X", Address(r.boards[s]));
            r.Problem(r.addressLine[s] ? r.addressLine[s] : r.boardLine[s], "address",
                      std::string(address) + (r.addressLine[s] ? "" : " (the default)") + " is board" +
                          std::to_string(t) + "'s too: give each board its own address");
            break;
        }
    }
}

// The trace's file: beside the INI file when the path is relative, in a
// folder that exists.
void CheckTraceFile(Reader& r)
{
    if (r.csv.empty())
        return;
    if (!Absolute(r.csv))
        r.csv = FolderOf(r.path) + r.csv;
    const std::string folder = FolderOf(r.csv);
    const DWORD attributes = GetFileAttributesW(Widen(folder.empty() ? "." : folder).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        r.Problem(r.csvLine, "csv", "the folder " + folder + " does not exist");
}

const size_t kLongestLine = 1022;

// Reads the whole file into `r`; false with any problem, each added to
// `problems` as "file:line: key: what is wrong".
bool Read(const char* path, Reader& r, std::vector<std::string>* problems)
{
    std::string bytes, why;
    if (!ReadBoardFileBytes(path, &bytes, &why)) {
        problems->push_back(std::string(path) + ": " + why);
        return false;
    }
    for (Board& b : r.boards)
        SetBoard(b, false, 0x300, 16, 0);
    size_t at = 0;
    for (int line = 1; at < bytes.size(); ++line) {
        size_t end = bytes.find('\n', at);
        if (end == std::string::npos)
            end = bytes.size();
        std::string text = bytes.substr(at, end - at);
        at = end + 1;
        if (text.size() > kLongestLine + (!text.empty() && text.back() == '\r' ? 1 : 0)) {
            r.Problem(line, "line", "longer than " + std::to_string(kLongestLine) + " characters");
            continue;
        }
        text = Trimmed(text);
        if (line == 1 && text.compare(0, 3, "\xEF\xBB\xBF") == 0)
            text = text.substr(3);  // a UTF-8 byte order mark
        if (text.empty() || text[0] == ';' || text[0] == '#')
            continue;
        if (text[0] == '[')
            ReadSectionHeader(r, line, text);
        else
            ReadKey(r, line, text);
    }
    CheckWires(r);
    CheckAddresses(r);
    CheckTraceFile(r);
    // By line, as a reader goes through the file (the wires are checked last).
    std::stable_sort(r.found.begin(), r.found.end(),
                     [](const Reader::Found& a, const Reader::Found& b) { return a.line < b.line; });
    for (const Reader::Found& f : r.found)
        problems->push_back(std::string(path) + ":" + std::to_string(f.line) + ": " + f.text);
    return r.found.empty();
}

}  // namespace

bool CheckIni(const char* path, std::vector<std::string>* problems)
{
    Reader r;
    r.path = path;
    return Read(path, r, problems);
}

bool LoadIni(const char* path, std::vector<std::string>* problems)
{
    Reader r;
    r.path = path;
    if (!Read(path, r, problems))
        return false;
    Driver& d = State();
    ResetState(d);
    std::copy(std::begin(r.boards), std::end(r.boards), d.boards);
    SetCsvAtUnload(r.csv);
    return true;
}

}  // namespace tovel
