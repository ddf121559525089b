// The three entry points the host calls by name.

#include "controls/controls.h"
#include "controls/dialog_layout.h"
#include "host/binding.h"
#include "frame/plugin.h"

extern "C" int32_t HOST_CALL SetupKorvuDLL(HWND host)
{
    if (!BindToHost(host))
        return 0;
    if (!SetupPlugin())
        return 0;
    RegisterControlClasses();
    return 1;
}

extern "C" int32_t HOST_CALL FinishKorvuDLL(int32_t)
{
    UnregisterControlClasses();
    ReleaseDialogFont();
    FinishPlugin();
    return 1;
}

extern "C" int32_t HOST_CALL WEP(int32_t)
{
    return 1;
}
