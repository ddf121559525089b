// The host's messages to a module, and the shared way of answering them: a
// table per class, with everything not in it going back to the host.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "host/host_messages.h"
#include "host/host_records.h"
#include "kinds/module_kind.h"


// An answer to one code, for the kind whose table holds it.
typedef int32_t (*MessageAnswer)(const ModuleKind& kind, ModuleRecord* module, int32_t argument, void* pointer);

struct MessageEntry {
    uint32_t code;
    MessageAnswer answer;
};

// The table's answer to the code, or else the host's default action with the
// same four values.
int32_t DispatchModuleMessage(const ModuleKind& kind, const MessageEntry* table, size_t count, ModuleRecord* module,
                              uint32_t code, int32_t argument, void* pointer);

template <size_t N>
int32_t DispatchModuleMessage(const ModuleKind& kind, const MessageEntry (&table)[N], ModuleRecord* module,
                              uint32_t code, int32_t argument, void* pointer)
{
    return DispatchModuleMessage(kind, table, N, module, code, argument, pointer);
}

// The answers both kinds give alike.

int32_t AnswerOne(const ModuleKind&, ModuleRecord*, int32_t, void*);
int32_t AnswerZero(const ModuleKind&, ModuleRecord*, int32_t, void*);

// Code 101: the hardware selection, the reservation and the defaults. 1 when
// created; 0 when the user cancelled or nothing was free.
int32_t CreateInstance(const ModuleKind& kind, ModuleRecord* module, int32_t, void*);

// Code 102: the port reservation is given up.
int32_t ReleaseReservation(const ModuleKind& kind, ModuleRecord* module, int32_t, void*);

// Code 103: the settings dialog, modal over the module's window; the host
// needs no answer from the dialog.
int32_t OpenSettings(const ModuleKind& kind, ModuleRecord* module, int32_t, void*);

// Code 105: the board of the stored slot must answer, then the port is
// reserved again. 0 with a warning when the board is missing.
int32_t ReattachInstance(const ModuleKind& kind, ModuleRecord* module, int32_t, void*);
