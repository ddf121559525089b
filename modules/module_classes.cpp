// Registration of the two module classes with the host.

#include "modules/module_classes.h"

#include <string.h>

#include "host/host_services.h"
#include "host/instance.h"
#include "kinds/module_kind.h"
#include "modules/tovel_in.h"
#include "modules/tovel_out.h"

namespace {

void RegisterModuleKind(const ModuleKind& kind, ModuleHandlerFn handler, ModuleProcessFn process)
{
    ModuleClassDescriptor descriptor;
    memset(&descriptor, 0, sizeof descriptor);
    LoadStringA(hInstDll, kind.commandId, kind.shortName, kShortNameSize);
    LoadStringA(hInstDll, kind.commandId + 1000, kind.longName, kLongNameSize);
    descriptor.hInstance = hInstDll;
    descriptor.pszClassName = kind.className;
    descriptor.uiInstanceDataSize = kind.instanceDataSize;
    descriptor.uiSecondSize = kind.secondSize;
    descriptor.uiConstant12 = 12;
    descriptor.uiCommandId = kind.commandId;
    descriptor.pszShortName = kind.shortName;
    descriptor.pszLongName = kind.longName;
    descriptor.hSmallBitmap = LoadBitmapA(hInstDll, kind.smallBitmap);
    descriptor.hLargeBitmap = LoadBitmapA(hInstDll, kind.largeBitmap);
    descriptor.pfnMessageHandler = handler;
    descriptor.pfnProcess = process;
    host::RegisterModuleClass(&descriptor);
}

}  // namespace

void RegisterInputClass()
{
    RegisterModuleKind(KindOf(kInputModule), TovelInMessageHandler, TovelInProcess);
}

void RegisterOutputClass()
{
    RegisterModuleKind(KindOf(kOutputModule), TovelOutMessageHandler, TovelOutProcess);
}
