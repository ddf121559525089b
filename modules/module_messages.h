// The host's messages to a module, and the shared way of answering them: a
// table per class, with everything not in it going back to the host.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "modules/host_records.h"
#include "modules/module_kind.h"

enum ModuleMessage : uint32_t {
    kMsgCheck = 1,
    kMsgCreate = 101,
    kMsgRemove = 102,
    kMsgSettings = 103,
    kMsgIdle104 = 104,
    kMsgReattach = 105,
    kMsgPrepareRun = 106,
    kMsgEndRun = 107,
    kMsgAnswer117 = 117,
    kMsgAnswer118 = 118,
    kMsgAnswer119 = 119,
    kMsgAnswer120 = 120,
    kMsgAnswer121 = 121,
    kMsgAnswer122 = 122,
    kMsgClearExtraWord = 123,
    kMsgDescribe = 124,
    kMsgIdle201 = 201,
};

struct MessageEntry {
    uint32_t code;
    int32_t (*answer)(ModuleRecord* module, int32_t argument, void* pointer);
};

// The table's answer to the code, or else the host's default action with the
// same four values.
int32_t DispatchModuleMessage(const MessageEntry* table, size_t count, ModuleRecord* module, uint32_t code,
                              int32_t argument, void* pointer);

template <size_t N>
int32_t DispatchModuleMessage(const MessageEntry (&table)[N], ModuleRecord* module, uint32_t code,
                              int32_t argument, void* pointer)
{
    return DispatchModuleMessage(table, N, module, code, argument, pointer);
}

// Answers that need nothing done.
int32_t AnswerOne(ModuleRecord*, int32_t, void*);
int32_t AnswerZero(ModuleRecord*, int32_t, void*);

// Code 101 for either kind: the hardware selection, the reservation and the
// defaults. 1 when created; 0 when the user cancelled or nothing was free.
int32_t CreateInstance(const ModuleKind& kind, ModuleRecord* module);

// Code 102 for either kind: the port reservation is given up.
void ReleaseReservation(const ModuleKind& kind, ModuleRecord* module);

// Code 103 for either kind: the settings dialog, modal over the module's window.
void OpenSettings(const ModuleKind& kind, ModuleRecord* module);

// Code 105 for either kind: the board of the stored slot must answer, then
// the port is reserved again. 0 with a warning when the board is missing.
int32_t ReattachInstance(const ModuleKind& kind, ModuleRecord* module);

// The answers both kinds give alike, bound to their kind for the tables.
template <ModuleKindId K>
int32_t RemoveAnswer(ModuleRecord* module, int32_t, void*)
{
    ReleaseReservation(KindOf(K), module);
    return 1;
}

template <ModuleKindId K>
int32_t SettingsAnswer(ModuleRecord* module, int32_t, void*)
{
    OpenSettings(KindOf(K), module);  // the host needs no answer from the dialog
    return 1;
}

template <ModuleKindId K>
int32_t ReattachAnswer(ModuleRecord* module, int32_t, void*)
{
    return ReattachInstance(KindOf(K), module);
}
