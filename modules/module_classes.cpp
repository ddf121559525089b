// Registration of the module classes with the host.

#include "modules/module_classes.h"

#include <string.h>

#include <iterator>

#include "host/host_services.h"
#include "host/instance.h"
#include "modules/tovel_in.h"
#include "modules/tovel_out.h"

namespace {

// A class's code, in the order the host is given the classes.
struct ModuleClass {
    ModuleKindId kind;
    ModuleHandlerFn handler;
    ModuleProcessFn process;
};

constexpr ModuleClass kModuleClasses[] = {
    {kInputModule, TovelInMessageHandler, TovelInProcess},
    {kOutputModule, TovelOutMessageHandler, TovelOutProcess},
};
static_assert(std::size(kModuleClasses) == kModuleKinds, "a class for every kind");

// The host keeps pointers to the names for as long as the plug-in is loaded.
char g_shortNames[kModuleKinds][kShortNameSize];
char g_longNames[kModuleKinds][kLongNameSize];

void Register(const ModuleClass& c)
{
    const ModuleKind& kind = KindOf(c.kind);
    ModuleClassDescriptor descriptor;
    memset(&descriptor, 0, sizeof descriptor);
    LoadStringA(hInstDll, kind.commandId, g_shortNames[kind.id], kShortNameSize);
    LoadStringA(hInstDll, kind.commandId + 1000, g_longNames[kind.id], kLongNameSize);
    descriptor.hInstance = hInstDll;
    descriptor.pszClassName = kind.className;
    descriptor.uiInstanceDataSize = kind.instanceDataSize;
    descriptor.uiUndisclosedSize = kind.undisclosedSize;
    descriptor.uiUndisclosedWord = kUndisclosedDescriptorWord;
    descriptor.uiCommandId = kind.commandId;
    descriptor.pszShortName = g_shortNames[kind.id];
    descriptor.pszLongName = g_longNames[kind.id];
    descriptor.hSmallBitmap = LoadBitmapA(hInstDll, kind.smallBitmap);
    descriptor.hLargeBitmap = LoadBitmapA(hInstDll, kind.largeBitmap);
    descriptor.pfnMessageHandler = c.handler;
    descriptor.pfnProcess = c.process;
    host::RegisterModuleClass(&descriptor);
}

}  // namespace

void RegisterModuleClasses()
{
    for (const ModuleClass& c : kModuleClasses)
        Register(c);
}

const char* ShortName(const ModuleKind& kind)
{
    return g_shortNames[kind.id];
}
