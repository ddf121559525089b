#include "modules/tovel_out.h"

#include "modules/module_messages.h"

namespace {

const ModuleKind& Kind()
{
    return KindOf(kOutputModule);
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

int32_t HOST_CALL TovelOutMessageHandler(ModuleRecord* module, uint32_t code, int32_t argument, void* pointer)
{
    return DispatchModuleMessage(kMessages, module, code, argument, pointer);
}

int32_t HOST_CALL TovelOutProcess(ModuleRecord*)
{
    return 1;
}
