#include "modules/module_messages.h"

#include "board/board_driver.h"
#include "board/tovel_api.h"
#include "dialogs/hardware_selection.h"
#include "dialogs/settings_dialog.h"
#include "host/host_services.h"
#include "host/texts.h"
#include "modules/module_classes.h"
#include "modules/process_call.h"

namespace {

// What a process call in progress works on: its buffer, its channel records.
bool ChangesRunState(uint32_t code)
{
    return code == kMsgCreate || code == kMsgRemove || code == kMsgPrepareRun || code == kMsgEndRun;
}

}  // namespace

int32_t DispatchModuleMessage(const ModuleKind& kind, const MessageEntry* table, size_t count, ModuleRecord* module,
                              uint32_t code, int32_t argument, void* pointer)
{
    if (ChangesRunState(code))
        InterruptProcessCall(module);
    for (size_t i = 0; i < count; ++i) {
        if (table[i].code == code)
            return table[i].answer(kind, module, argument, pointer);
    }
    return host::PerformDefaultAction(module, code, argument, pointer);
}

int32_t AnswerOne(const ModuleKind&, ModuleRecord*, int32_t, void*)
{
    return 1;
}

int32_t AnswerZero(const ModuleKind&, ModuleRecord*, int32_t, void*)
{
    return 0;
}

int32_t CreateInstance(const ModuleKind& kind, ModuleRecord* module, int32_t, void*)
{
    SelectionResult chosen;
    if (!RunHardwareSelection(kind, module->hwndModule, &chosen))
        return 0;
    uint32_t* reserved = ReservationFlag(kind, chosen.wLogSlot, chosen.wPort);
    if (!reserved)
        return 0;
    *reserved = 1;
    SetBinding(kind, module, chosen.wLogSlot, chosen.wPort);

    if (module->uiNumberOfInputs == 0 && module->uiNumberOfOutputs == 0)
        SetChannelCount(kind, module, 1);

    for (int c = 0; c < kMaxModuleChannels; ++c) {
        text::Format(ChannelName(module, c), kChannelNameSize, "%s %d", ShortName(kind), c);
        SetChannelWord(kind, module, c, 1);
        if (module->pChannelRecord[c])
            module->pChannelRecord[c]->iAnimationPhase = 0;
    }
    return 1;
}

int32_t ReattachInstance(const ModuleKind& kind, ModuleRecord* module, int32_t, void*)
{
    const uint16_t slot = LogSlot(module);
    uint32_t* reserved = ReservationFlag(kind, slot, Port(kind, module));
    uint8_t scratch[kTovelResourceSize];
    if (!reserved || BoardGetResource(slot, scratch) == 0) {
        host::ShowWarning(text::kErrorCaption, text::kDeviceMissing);
        return 0;
    }
    *reserved = 1;
    return 1;
}

int32_t ReleaseReservation(const ModuleKind& kind, ModuleRecord* module, int32_t, void*)
{
    if (uint32_t* reserved = ReservationFlag(kind, LogSlot(module), Port(kind, module)))
        *reserved = 0;
    return 1;
}

int32_t OpenSettings(const ModuleKind& kind, ModuleRecord* module, int32_t, void*)
{
    RunSettingsDialog(kind, module->hwndModule);
    return 1;
}
