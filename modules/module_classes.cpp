// Registration of the two module classes with the host.

#include "modules/module_classes.h"

#include <string.h>

#include "frame/host_services.h"
#include "frame/plugin.h"
#include "modules/module_kind.h"

namespace {

void RegisterModuleKind(const ModuleKind& kind)
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
    descriptor.pfnMessageHandler = kind.handler;
    descriptor.pfnProcess = kind.process;
    host::RegisterModuleClass(&descriptor);
}

}  // namespace

void RegisterInputClass()
{
    RegisterModuleKind(KindOf(kInputModule));
}

void RegisterOutputClass()
{
    RegisterModuleKind(KindOf(kOutputModule));
}
