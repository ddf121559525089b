#include "modules/tovel_in.h"

#include "modules/module_messages.h"

namespace {

const ModuleKind& Kind()
{
    return KindOf(kInputModule);
}

int32_t Create(ModuleRecord* module, int32_t, void*)
{
    return CreateInstance(Kind(), module);
}

const MessageEntry kMessages[] = {
    {kMsgCheck, AnswerOne},
    {kMsgCreate, Create},
    {kMsgIdle104, AnswerOne},
    {kMsgIdle201, AnswerOne},
};

}  // namespace

int32_t HOST_CALL TovelInMessageHandler(ModuleRecord* module, uint32_t code, int32_t argument, void* pointer)
{
    return DispatchModuleMessage(kMessages, module, code, argument, pointer);
}

int32_t HOST_CALL TovelInProcess(ModuleRecord*)
{
    return 1;
}
