#include "kinds/module_kind.h"

#include <string.h>

#include <iterator>

#include "host/texts.h"
#include "resources/resource_ids.h"

static_assert(offsetof(OutInstanceData, head) == 0 && offsetof(InInstanceData, head) == 0,
              "both kinds begin with the head they share");
static_assert(offsetof(OutInstanceData, pPortBuffer) + sizeof(uint8_t*) == sizeof(OutInstanceData) &&
                  offsetof(InInstanceData, dwRunState) + 168 == sizeof(InInstanceData),
              "each kind's run state runs to the end of its per-instance data");
static_assert(IDS_TOVEL_OUT_LONG == IDS_TOVEL_OUT_SHORT + 1000 && IDS_TOVEL_IN_LONG == IDS_TOVEL_IN_SHORT + 1000,
              "a long name's string id is its short name's plus 1000");
static_assert(IDM_TOVEL_OUT == IDS_TOVEL_OUT_SHORT && IDM_TOVEL_IN == IDS_TOVEL_IN_SHORT,
              "a class's menu item has its command id, which is its short name's string id");

namespace {

constexpr ModuleKind kKinds[] = {
    {
        .id = kOutputModule,
        .className = "Tovel OUT",
        .tag = "Tovel_OUT",
        .lines = {.settingsAllocate = 353, .settingsReleaseOnOk = 511, .settingsReleaseOnCancel = 523,
                  .portBufferAllocate = 241, .portBufferFree = 292, .blockRelease = 663},
        .channelsAreInputs = true,
        .commandId = IDS_TOVEL_OUT_SHORT,
        .instanceDataSize = sizeof(OutInstanceData),
        .undisclosedSize = 0,
        .smallBitmap = "ICO_TOVEL_OUT",
        .largeBitmap = "BM_PCI_OUT",
        .settingsTemplate = "TOVEL_OUT",
        .reservationFlags = &BoardInfo::bOutputReserved,
        .portOffset = offsetof(OutInstanceData, wPort),
        .channelWordsOffset = offsetof(OutInstanceData, uiChannelWord),
        .runStateOffset = offsetof(OutInstanceData, pPortBuffer),
        .portText = {text::kOutputPort0, text::kOutputPort1},
    },
    {
        .id = kInputModule,
        .className = "Tovel IN",
        .tag = "Tovel_IN",
        .lines = {.settingsAllocate = 359, .settingsReleaseOnOk = 518, .settingsReleaseOnCancel = 530,
                  .portBufferAllocate = 0, .portBufferFree = 0, .blockRelease = 713},
        .channelsAreInputs = false,
        .commandId = IDS_TOVEL_IN_SHORT,
        .instanceDataSize = sizeof(InInstanceData),
        .undisclosedSize = 520,
        .smallBitmap = "ICO_TOVEL_IN",
        .largeBitmap = "BM_PCI_IN",
        .settingsTemplate = "TOVEL_IN",
        .reservationFlags = &BoardInfo::bInputReserved,
        .portOffset = offsetof(InInstanceData, wPort),
        .channelWordsOffset = kNoField,
        .runStateOffset = offsetof(InInstanceData, dwRunState),
        .portText = {text::kInputPort0, text::kInputPort1},
    },
};

uint8_t* InstanceBytes(const ModuleRecord* module)
{
    return static_cast<uint8_t*>(module->pInstanceData);
}

InstanceHead* Head(const ModuleRecord* module)
{
    return static_cast<InstanceHead*>(module->pInstanceData);
}

}  // namespace

// A kind added to the ids needs its row, in the place of its id.
constexpr bool EachRowInThePlaceOfItsId()
{
    for (int id = 0; id < kModuleKinds; ++id) {
        if (kKinds[id].id != id)
            return false;
    }
    return true;
}
static_assert(std::size(kKinds) == kModuleKinds, "a row for every kind");
static_assert(EachRowInThePlaceOfItsId(), "each row in the place of its id");

const ModuleKind& KindOf(ModuleKindId id)
{
    return kKinds[id < kModuleKinds ? id : kOutputModule];
}

ConnectorCounts CountsFor(const ModuleKind& kind, uint32_t count)
{
    return kind.channelsAreInputs ? ConnectorCounts{count, 0} : ConnectorCounts{0, count};
}

uint16_t LogSlot(const ModuleRecord* module)
{
    return Head(module)->wLogSlot;
}

uint16_t Port(const ModuleKind& kind, const ModuleRecord* module)
{
    uint16_t port;
    memcpy(&port, InstanceBytes(module) + kind.portOffset, sizeof port);
    return port;
}

void SetBinding(const ModuleKind& kind, ModuleRecord* module, uint16_t slot, uint16_t port)
{
    Head(module)->wLogSlot = slot;
    memcpy(InstanceBytes(module) + kind.portOffset, &port, sizeof port);
}

uint32_t ChannelCount(const ModuleKind& kind, const ModuleRecord* module)
{
    return kind.channelsAreInputs ? module->uiNumberOfInputs : module->uiNumberOfOutputs;
}

void SetChannelCount(const ModuleKind& kind, ModuleRecord* module, uint32_t count)
{
    const ConnectorCounts counts = CountsFor(kind, count);
    module->uiNumberOfInputs = counts.inputs;
    module->uiNumberOfOutputs = counts.outputs;
}

void SetChannelWord(const ModuleKind& kind, ModuleRecord* module, int channel, uint32_t value)
{
    if (kind.channelWordsOffset != kNoField)
        memcpy(InstanceBytes(module) + kind.channelWordsOffset + channel * sizeof value, &value, sizeof value);
}

char* ChannelName(ModuleRecord* module, int channel)
{
    return Head(module)->szChannelName[channel];
}

const char* PortText(const ModuleKind& kind, uint32_t port)
{
    static const char* const kOtherPorts[] = {text::kPortC, text::kPortD, text::kPortE, text::kPortF};
    if (port < kBoardPorts)
        return kind.portText[port];
    if (port - kBoardPorts < std::size(kOtherPorts))
        return kOtherPorts[port - kBoardPorts];
    return text::kUnknownPort;
}

uint32_t* ReservationFlag(const ModuleKind& kind, uint32_t slot, uint32_t port)
{
    BoardInfo* board = BoardAt(slot);
    if (!board || port >= kBoardPorts)
        return nullptr;
    return &(board->*kind.reservationFlags)[port];
}
