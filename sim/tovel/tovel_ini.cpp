// Configuration of the simulated boards from an INI file (see
// tovel.ini.example), read line by line so that each problem can be named
// with its line; a file with any problem changes nothing.

#include <ctype.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <string>

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

// A whole number in decimal or 0x hex, nothing else around it, in [low, high].
bool Number(const std::string& text, uint64_t low, uint64_t high, uint32_t* value)
{
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const char* digits = text.c_str() + (hex ? 2 : 0);
    if (!*digits || !isxdigit(static_cast<unsigned char>(*digits)))
        return false;
    char* end = nullptr;
    const unsigned long long v = strtoull(digits, &end, hex ? 16 : 10);
    if (*end || v < low || v > high)
        return false;
    *value = static_cast<uint32_t>(v);
    return true;
}

// "out3.1" or "in3.1": a port of a slot.
bool PortName(const std::string& text, const char* direction, uint32_t* slot, uint32_t* port)
{
    unsigned s, p;
    int used = 0;
    char format[32];
    snprintf(format, sizeof format, "%s%%u.%%u%%n", direction);
    return sscanf(text.c_str(), format, &s, &p, &used) == 2 && used == static_cast<int>(text.size()) &&
           (*slot = s, *port = p, true);
}

struct Reader {
    const char* path = nullptr;
    std::vector<std::string>* problems = nullptr;
    Board boards[kSlots];
    std::string csv;
    struct Wire { uint32_t inSlot, outSlot; int line; };
    std::vector<Wire> wires;
    int board = -1;            // the [boardN] being read, or -1
    std::string section;       // "board", "wiring", "trace", or "" outside any known one
    std::vector<std::pair<std::string, int>> seen;  // keys of this section, with their lines
    std::vector<std::pair<std::string, int>> sections;  // every section so far, with its line

    void Problem(int line, const std::string& key, const std::string& what)
    {
        problems->push_back(std::string(path) + ":" + std::to_string(line) + ": " + key + ": " + what);
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
    if (name.compare(0, 5, "board") == 0 && Number(name.substr(5), 0, kSlots - 1, &slot)) {
        r.section = "board";
        r.board = static_cast<int>(slot);
    } else if (name == "wiring" || name == "trace") {
        r.section = name;
    } else {
        r.Problem(line, text, "no such section (board0 to board15, wiring, trace)");
    }
}

void ReadFaultList(Reader& r, int line, const std::string& value, Board& b)
{
    std::string word;
    for (size_t i = 0; i <= value.size(); ++i) {
        const char c = i < value.size() ? value[i] : ' ';
        if (c != ' ' && c != ',' && c != '\t') {
            word += static_cast<char>(tolower(static_cast<unsigned char>(c)));
            continue;
        }
        if (word == "create")
            b.failCreate = true;
        else if (word == "resource")
            b.failResource = true;
        else if (word == "switch")
            b.failSwitchValue = true;
        else if (!word.empty())
            r.Problem(line, "fail", "'" + word + "' is none of create, resource, switch");
        word.clear();
    }
}

// One key of a [boardN] section; an empty value leaves the key's default.
void ReadBoardKey(Reader& r, int line, const std::string& key, const std::string& value)
{
    Board& b = r.boards[r.board];
    if (value.empty())
        return;
    uint32_t v = 0;
    auto number = [&](uint64_t low, uint64_t high, const char* wanted) {
        if (Number(value, low, high, &v))
            return true;
        r.Problem(line, key, "'" + value + "' is not " + wanted);
        return false;
    };
    if (key == "present" && number(0, 1, "0 or 1")) {
        b.present = v == 1;
    } else if (key == "address" && number(0, 0xFFFF, "an I/O address from 0 to 0xFFFF")) {
        memcpy(b.resource + kTovelResourceIoAddress, &v, 4);
    } else if (key == "length" && number(1, 0xFFFF, "a length from 1 to 0xFFFF")) {
        memcpy(b.resource + kTovelResourceIoLength, &v, 4);
    } else if (key == "switch" && number(0, 0xFFFFFFFF, "a switch value from 0 to 0xFFFFFFFF")) {
        b.switchValue = v;
    } else if (key == "in0" || key == "in1") {
        Input& in = b.input[key[2] - '0'];
        if (Lower(value) == "counter")
            in.pattern = kTovelSimCounter;
        else if (number(0, 0xFF, "a byte from 0 to 0xFF, or counter"))
            in.value = static_cast<uint8_t>(v);
    } else if (key == "fail") {
        ReadFaultList(r, line, value, b);
    } else if ((key == "fail_out_at" || key == "fail_in_at") && number(0, 0xFFFFFFFF, "a count from 0 on")) {
        (key == "fail_out_at" ? b.failOut : b.failIn).nth = v;
    } else if ((key == "fail_out_persistent" || key == "fail_in_persistent") && number(0, 1, "0 or 1")) {
        (key == "fail_out_persistent" ? b.failOut : b.failIn).persistent = v == 1;
    } else if (key == "error") {
        // Decimal, with a sign, or 0x hex for the code's 32 bits.
        const bool negative = value[0] == '-';
        if (Number(negative ? value.substr(1) : value, 0, negative ? 0x80000000u : 0xFFFFFFFFu, &v))
            b.faultError = static_cast<int32_t>(negative ? 0u - v : v);
        else
            r.Problem(line, key, "'" + value + "' is not an error code");
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
        if (key == "csv")
            r.csv = value;
        else
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

// Reads the whole file into `r`; false with any problem.
bool Read(const char* path, Reader& r)
{
    std::vector<std::string>* problems = r.problems;
    FILE* f = fopen(path, "r");
    if (!f) {
        problems->push_back(std::string(path) + ": cannot be read");
        return false;
    }
    const size_t before = problems->size();
    for (Board& b : r.boards)
        SetBoard(b, false, 0x300, 16, 0);
    char buffer[1024];
    for (int line = 1; fgets(buffer, sizeof buffer, f); ++line) {
        if (!strchr(buffer, '\n') && !feof(f)) {
            r.Problem(line, "line", "longer than " + std::to_string(sizeof buffer - 2) + " characters");
            for (int c = fgetc(f); c != EOF && c != '\n';)
                c = fgetc(f);
            continue;
        }
        std::string text = Trimmed(buffer);
        if (line == 1 && text.compare(0, 3, "\xEF\xBB\xBF") == 0)
            text = text.substr(3);  // a UTF-8 byte order mark
        if (text.empty() || text[0] == ';' || text[0] == '#')
            continue;
        if (text[0] == '[')
            ReadSectionHeader(r, line, text);
        else
            ReadKey(r, line, text);
    }
    fclose(f);
    CheckWires(r);
    // By line, as a reader goes through the file (the wires are checked last).
    auto line = [&](const std::string& p) { return atoi(p.c_str() + strlen(path) + 1); };
    std::stable_sort(problems->begin() + before, problems->end(),
                     [&](const std::string& a, const std::string& b) { return line(a) < line(b); });
    return problems->size() == before;
}

}  // namespace

bool CheckIni(const char* path, std::vector<std::string>* problems)
{
    Reader r;
    r.path = path;
    r.problems = problems;
    return Read(path, r);
}

bool LoadIni(const char* path, std::vector<std::string>* problems)
{
    Reader r;
    r.path = path;
    r.problems = problems;
    if (!Read(path, r))
        return false;
    Driver& d = State();
    ResetState(d);
    std::copy(std::begin(r.boards), std::end(r.boards), d.boards);
    SetCsvAtUnload(r.csv);
    return true;
}

}  // namespace tovel
