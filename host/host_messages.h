// The codes the host sends a module's message handler, named once for the
// plug-in, the host simulator and the tests.
#pragma once

#include <stdint.h>

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
