// What differs between the two module classes, as data: one table row per
// kind, read by the code that both kinds share.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "board/board_table.h"
#include "host/host_records.h"

enum ModuleKindId { kOutputModule, kInputModule, kModuleKinds };

// The line numbers a kind gives the host's memory services with its tag. They
// name call sites in the host's log; the numbers are the contract's and mean
// nothing to the plug-in.
struct HostLines {
    int32_t settingsAllocate;        // the settings dialog's working copy
    int32_t settingsReleaseOnOk;
    int32_t settingsReleaseOnCancel;
    int32_t portBufferAllocate;      // the output module's port buffer
    int32_t portBufferFree;
    int32_t blockRelease;            // an input block given back, or an output block handed on
};

// A field of the per-instance data that one kind has and the other not.
constexpr size_t kNoField = static_cast<size_t>(-1);

struct ModuleKind {
    ModuleKindId id;
    const char* className;           // the host shows and stores the class by it
    const char* tag;                 // source tag for the host's services
    HostLines lines;
    bool channelsAreInputs;          // the channel count is the module's inputs (else its outputs)
    uint32_t commandId;              // also the short name's string id; the long name's is + 1000
    uint32_t instanceDataSize;
    uint32_t undisclosedSize;        // the descriptor's size the host's contract fixes
    const char* smallBitmap;
    const char* largeBitmap;
    const char* settingsTemplate;
    uint32_t (BoardInfo::*reservationFlags)[kBoardPorts];  // the flags this kind claims
    size_t portOffset;               // wPort within the per-instance data
    size_t channelWordsOffset;       // a 32-bit word per channel set to 1 at creation, or kNoField
    size_t runStateOffset;           // the run's own words, from here to the end of the data
    const char* portText[kBoardPorts];
};

// The row of the kinds table; every id below kModuleKinds has one.
const ModuleKind& KindOf(ModuleKindId id);

constexpr int kShortNameSize = 13;
constexpr int kLongNameSize = 39;

// The host's connector counts of a module of the kind with `count` channels.
struct ConnectorCounts {
    uint32_t inputs;
    uint32_t outputs;
};
ConnectorCounts CountsFor(const ModuleKind& kind, uint32_t count);

// Per-instance fields both kinds have, wherever each keeps them.
uint16_t LogSlot(const ModuleRecord* module);
uint16_t Port(const ModuleKind& kind, const ModuleRecord* module);
void SetBinding(const ModuleKind& kind, ModuleRecord* module, uint16_t slot, uint16_t port);
uint32_t ChannelCount(const ModuleKind& kind, const ModuleRecord* module);
void SetChannelCount(const ModuleKind& kind, ModuleRecord* module, uint32_t count);
char* ChannelName(ModuleRecord* module, int channel);
// The kind's word of a channel, where the kind has one.
void SetChannelWord(const ModuleKind& kind, ModuleRecord* module, int channel, uint32_t value);

// The text of a port value in the kind's dialogs.
const char* PortText(const ModuleKind& kind, uint32_t port);

// The kind's reservation flag of a port, or null when slot or port lie
// outside the board table (a hostile or damaged stored worksheet): such a
// module is bound to a board that is not there.
uint32_t* ReservationFlag(const ModuleKind& kind, uint32_t slot, uint32_t port);
