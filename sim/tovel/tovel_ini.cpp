// Configuration of the simulated boards from an INI file (see tovel.ini.example).

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "sim/tovel/tovel_state.h"

namespace tovel {

namespace {

std::string Read(const char* path, const char* section, const char* key)
{
    char value[256];
    GetPrivateProfileStringA(section, key, "", value, sizeof value, path);
    std::string text = value;
    text = text.substr(0, text.find(';'));  // comments may follow a value
    size_t end = text.find_last_not_of(" \t");
    return end == std::string::npos ? std::string() : text.substr(0, end + 1);
}

uint32_t Number(const std::string& text, uint32_t fallback)
{
    if (text.empty())
        return fallback;
    return static_cast<uint32_t>(strtoul(text.c_str(), nullptr, 0));
}

void ReadTransferFault(const char* path, const char* section, const char* at, const char* persistent,
                       TransferFault* fault)
{
    uint32_t nth = Number(Read(path, section, at), 0);
    if (nth == 0)
        return;
    fault->nth = nth;
    fault->persistent = Number(Read(path, section, persistent), 0) != 0;
}

void ReadBoard(const char* path, int slot, Board& b)
{
    char section[16];
    snprintf(section, sizeof section, "board%d", slot);
    if (Number(Read(path, section, "present"), 0) == 0)
        return;
    SetBoard(b, true, Number(Read(path, section, "address"), 0x300), Number(Read(path, section, "length"), 16),
             Number(Read(path, section, "switch"), 0));
    for (int port = 0; port < kPorts; ++port) {
        char key[8];
        snprintf(key, sizeof key, "in%d", port);
        std::string in = Read(path, section, key);
        if (in == "counter")
            b.input[port].pattern = kTovelSimCounter;
        else
            b.input[port].value = static_cast<uint8_t>(Number(in, 0));
    }
    std::string fail = Read(path, section, "fail");
    b.failCreate = fail.find("create") != std::string::npos;
    b.failResource = fail.find("resource") != std::string::npos;
    b.failSwitchValue = fail.find("switch") != std::string::npos;
    ReadTransferFault(path, section, "fail_out_at", "fail_out_persistent", &b.failOut);
    ReadTransferFault(path, section, "fail_in_at", "fail_in_persistent", &b.failIn);
    b.faultError = static_cast<int32_t>(Number(Read(path, section, "error"), 0));
}

// "in1.0=out0.0": input port 0 of slot 1 reads output port 0 of slot 0.
void ReadWiring(const char* path, Driver& d)
{
    char lines[4096];
    DWORD n = GetPrivateProfileSectionA("wiring", lines, sizeof lines, path);
    for (const char* line = lines; n > 0 && *line; line += strlen(line) + 1) {
        if (*line == ';')
            continue;
        unsigned inSlot, inPort, outSlot, outPort;
        if (sscanf(line, " in%u.%u = out%u.%u", &inSlot, &inPort, &outSlot, &outPort) != 4)
            continue;
        if (inSlot >= kSlots || outSlot >= kSlots || inPort >= kPorts || outPort >= kPorts)
            continue;
        Input& in = d.boards[inSlot].input[inPort];
        in.wired = true;
        in.sourceSlot = outSlot;
        in.sourcePort = outPort;
    }
}

}  // namespace

bool LoadIni(const char* path)
{
    if (GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES)
        return false;
    Driver& d = State();
    for (int slot = 0; slot < kSlots; ++slot)
        ReadBoard(path, slot, d.boards[slot]);
    ReadWiring(path, d);
    SetCsvAtUnload(Read(path, "trace", "csv"));
    return true;
}

}  // namespace tovel
