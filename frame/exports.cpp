// The three entry points the host calls by name.

#include "frame/binding.h"
#include "frame/plugin.h"

extern "C" int32_t HOST_CALL SetupKorvuDLL(HWND host)
{
    if (!BindToHost(host))
        return 0;
    if (!SetupPlugin())
        return 0;
    return 1;
}

extern "C" int32_t HOST_CALL FinishKorvuDLL(int32_t)
{
    FinishPlugin();
    return 1;
}

extern "C" int32_t HOST_CALL WEP(int32_t)
{
    return 1;
}
