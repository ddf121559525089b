// The host's records as the plug-in sees them. The host owns them and fixes
// their byte layout; every field the plug-in touches is declared here once,
// and the layout is checked field by field at compile time.
#pragma once

#include <stddef.h>
#include <stdint.h>
#include <windows.h>

#include "host/host_call.h"

static_assert(sizeof(void*) == 4, "the host's records are 32-bit layouts");

constexpr int kMaxHostChannels = 16, kMaxModuleChannels = 8, kChannelNameSize = 24;

#pragma pack(push, 1)

// Acquisition state of one channel.
struct ChannelRecord {
    uint32_t bBlockPending;     // input module: a filled block waits for its release time
    uint32_t ulSampleCount;     // input module: samples delivered since the run began
    int32_t iAnimationPhase;    // 0, 1 ... 10, -9, -8 ... 10, -9 ...
};

// What an output channel handle points to. Only one word is ours to touch:
// the input module clears it in every process call, as the host's contract
// asks; what the host keeps in it is not disclosed.
struct OutputChannel {
    uint8_t reserved0[14];
    uint16_t wUndisclosed;
};

// One block of samples of one channel; the samples follow the header.
struct DataBlock {
    uint8_t reserved0[6];
    double dStartTime;          // seconds since the run began, of sample 0
    double dSampleDistance;     // seconds between samples
    uint16_t wNumberOfSamples;
};

inline float* BlockSamples(DataBlock* block)
{
    return reinterpret_cast<float*>(block + 1);
}

inline const float* BlockSamples(const DataBlock* block)
{
    return reinterpret_cast<const float*>(block + 1);
}

struct ModuleRecord {
    HWND hwndModule;            // owner of the module's dialogs
    uint8_t reserved4[12];
    uint32_t bActive;           // input module does nothing while 0
    uint8_t reserved20[20];
    char szModuleName[13];
    char szDescription[41];
    uint8_t reserved94[24];
    uint32_t uiNumberOfInputs;  // the output module's channel count
    uint8_t reserved122[704];
    uint32_t uiNumberOfOutputs; // the input module's channel count
    uint8_t reserved830[66];
    OutputChannel* pOutputChannel[kMaxHostChannels];
    void* pInstanceData;
    uint32_t* pExtraWord;
    ChannelRecord* pChannelRecord[kMaxHostChannels];
};

typedef int32_t(HOST_CALL* ModuleHandlerFn)(ModuleRecord* module, uint32_t code, int32_t argument, void* pointer);
typedef int32_t(HOST_CALL* ModuleProcessFn)(ModuleRecord* module);

// Describes a module class to RegisterModuleClass.
struct ModuleClassDescriptor {
    HINSTANCE hInstance;
    const char* pszClassName;
    uint32_t uiInstanceDataSize;
    // Two words the host's contract fixes without disclosing their meaning:
    // a size per class (the kinds table's undisclosedSize; perhaps that of
    // the block behind pExtraWord) and kUndisclosedDescriptorWord.
    uint32_t uiUndisclosedSize;
    uint32_t uiUndisclosedWord;
    uint32_t uiCommandId;
    char* pszShortName;         // 13-byte buffer
    char* pszLongName;          // 39-byte buffer
    uint32_t reserved32[3];
    HBITMAP hSmallBitmap;       // 26 x 24
    HBITMAP hLargeBitmap;       // 64 x 46
    ModuleHandlerFn pfnMessageHandler;
    ModuleProcessFn pfnProcess;
    uint8_t reserved60[120];
};

constexpr uint32_t kUndisclosedDescriptorWord = 12;

// What code 124 asks of a module. The input class answers requests of kind
// kDescriptionKind only: 13 is the contract's number, what the host's other
// kinds ask is not disclosed.
struct DescriptionRequest {
    HINSTANCE hInstance;
    uint32_t uiKind;
    char szName[20];
    uint32_t uiZero;
    uint32_t uiStringId;
};

constexpr uint32_t kDescriptionKind = 13;

// Where the two classes' per-instance data agree: their first 196 bytes.
struct InstanceHead {
    char szChannelName[kMaxModuleChannels][kChannelNameSize];
    uint16_t wLogSlot;
    uint16_t reserved194;
};

// Per-instance data of the output class, allocated by the host (236 bytes).
struct OutInstanceData {
    InstanceHead head;
    uint32_t uiChannelWord[kMaxModuleChannels];  // 1 from creation; nothing reads them
    uint16_t wPort;
    uint16_t reserved230;
    uint8_t* pPortBuffer;       // one byte per sample position during a run
};

// Per-instance data of the input class (368 bytes).
struct InInstanceData {
    InstanceHead head;
    uint16_t wPort;
    uint16_t reserved198;
    uint32_t dwRunState;        // zeroed at run preparation, otherwise unused
    uint8_t reserved204[12];
    uint8_t channelRunState[368 - 216];  // a word per channel every 16 bytes, zeroed likewise
};

constexpr int kInRunWordStride = 16;

#pragma pack(pop)

static_assert(offsetof(ChannelRecord, bBlockPending) == 0, "ChannelRecord layout");
static_assert(offsetof(ChannelRecord, ulSampleCount) == 4, "ChannelRecord layout");
static_assert(offsetof(ChannelRecord, iAnimationPhase) == 8, "ChannelRecord layout");
static_assert(sizeof(ChannelRecord) == 12, "ChannelRecord layout");

static_assert(offsetof(OutputChannel, wUndisclosed) == 14, "OutputChannel layout");
static_assert(sizeof(OutputChannel) == 16, "OutputChannel layout");

static_assert(offsetof(DataBlock, dStartTime) == 6, "DataBlock layout");
static_assert(offsetof(DataBlock, dSampleDistance) == 14, "DataBlock layout");
static_assert(offsetof(DataBlock, wNumberOfSamples) == 22, "DataBlock layout");
static_assert(sizeof(DataBlock) == 24, "DataBlock layout: samples start at byte 24");

static_assert(offsetof(ModuleRecord, hwndModule) == 0, "ModuleRecord layout");
static_assert(offsetof(ModuleRecord, bActive) == 16, "ModuleRecord layout");
static_assert(offsetof(ModuleRecord, szModuleName) == 40, "ModuleRecord layout");
static_assert(offsetof(ModuleRecord, szDescription) == 53, "ModuleRecord layout");
static_assert(offsetof(ModuleRecord, uiNumberOfInputs) == 118, "ModuleRecord layout");
static_assert(offsetof(ModuleRecord, uiNumberOfOutputs) == 826, "ModuleRecord layout");
static_assert(offsetof(ModuleRecord, pOutputChannel) == 896, "ModuleRecord layout");
static_assert(offsetof(ModuleRecord, pInstanceData) == 960, "ModuleRecord layout");
static_assert(offsetof(ModuleRecord, pExtraWord) == 964, "ModuleRecord layout");
static_assert(offsetof(ModuleRecord, pChannelRecord) == 968, "ModuleRecord layout");
static_assert(sizeof(ModuleRecord) == 968 + 4 * kMaxHostChannels, "ModuleRecord layout");

static_assert(offsetof(ModuleClassDescriptor, hInstance) == 0, "descriptor layout");
static_assert(offsetof(ModuleClassDescriptor, pszClassName) == 4, "descriptor layout");
static_assert(offsetof(ModuleClassDescriptor, uiInstanceDataSize) == 8, "descriptor layout");
static_assert(offsetof(ModuleClassDescriptor, uiUndisclosedSize) == 12, "descriptor layout");
static_assert(offsetof(ModuleClassDescriptor, uiUndisclosedWord) == 16, "descriptor layout");
static_assert(offsetof(ModuleClassDescriptor, uiCommandId) == 20, "descriptor layout");
static_assert(offsetof(ModuleClassDescriptor, pszShortName) == 24, "descriptor layout");
static_assert(offsetof(ModuleClassDescriptor, pszLongName) == 28, "descriptor layout");
static_assert(offsetof(ModuleClassDescriptor, reserved32) == 32, "descriptor layout");
static_assert(offsetof(ModuleClassDescriptor, hSmallBitmap) == 44, "descriptor layout");
static_assert(offsetof(ModuleClassDescriptor, hLargeBitmap) == 48, "descriptor layout");
static_assert(offsetof(ModuleClassDescriptor, pfnMessageHandler) == 52, "descriptor layout");
static_assert(offsetof(ModuleClassDescriptor, pfnProcess) == 56, "descriptor layout");
static_assert(offsetof(ModuleClassDescriptor, reserved60) == 60, "descriptor layout");
static_assert(sizeof(ModuleClassDescriptor) == 180, "descriptor layout");

static_assert(offsetof(DescriptionRequest, uiKind) == 4, "DescriptionRequest layout");
static_assert(offsetof(DescriptionRequest, szName) == 8, "DescriptionRequest layout");
static_assert(offsetof(DescriptionRequest, uiZero) == 28, "DescriptionRequest layout");
static_assert(offsetof(DescriptionRequest, uiStringId) == 32, "DescriptionRequest layout");
static_assert(sizeof(DescriptionRequest) == 36, "DescriptionRequest layout");

static_assert(offsetof(InstanceHead, szChannelName) == 0, "InstanceHead layout");
static_assert(offsetof(InstanceHead, wLogSlot) == 192, "InstanceHead layout");
static_assert(sizeof(InstanceHead) == 196, "InstanceHead layout");

static_assert(offsetof(OutInstanceData, head) == 0, "OutInstanceData layout");
static_assert(offsetof(OutInstanceData, uiChannelWord) == 196, "OutInstanceData layout");
static_assert(offsetof(OutInstanceData, wPort) == 228, "OutInstanceData layout");
static_assert(offsetof(OutInstanceData, pPortBuffer) == 232, "OutInstanceData layout");
static_assert(sizeof(OutInstanceData) == 236, "OutInstanceData layout");

static_assert(offsetof(InInstanceData, head) == 0, "InInstanceData layout");
static_assert(offsetof(InInstanceData, wPort) == 196, "InInstanceData layout");
static_assert(offsetof(InInstanceData, dwRunState) == 200, "InInstanceData layout");
static_assert(offsetof(InInstanceData, channelRunState) == 216, "InInstanceData layout");
static_assert(sizeof(InInstanceData().channelRunState) == 368 - 216, "InInstanceData layout");
static_assert(sizeof(InInstanceData) == 368, "InInstanceData layout");
