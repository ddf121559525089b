// The codes the host sends a module's message handler, named once for the
// plug-in, the host simulator and the tests. The host does not disclose what
// the kMsgUndisclosed codes ask; the classes answer them with the fixed
// results its contract gives.
#pragma once

#include <stdint.h>

enum ModuleMessage : uint32_t {
    kMsgCheck = 1,
    kMsgCreate = 101,
    kMsgRemove = 102,
    kMsgSettings = 103,
    kMsgUndisclosed104 = 104,
    kMsgReattach = 105,
    kMsgPrepareRun = 106,
    kMsgEndRun = 107,
    kMsgUndisclosed117 = 117,
    kMsgUndisclosed118 = 118,
    kMsgUndisclosed119 = 119,
    kMsgUndisclosed120 = 120,
    kMsgUndisclosed121 = 121,
    kMsgUndisclosed122 = 122,
    kMsgClearExtraWord = 123,
    kMsgDescribe = 124,
    kMsgUndisclosed201 = 201,
};
