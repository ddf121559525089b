#include "sim/common/paths.h"

#include <windows.h>

#include "host/proc_address.h"
#include "sim/common/utf8.h"

namespace {

typedef char*(CDECL* UnixFileNameFn)(const WCHAR* dosName);

}  // namespace

std::string UnixPath(const std::string& windowsPath)
{
    const UnixFileNameFn toUnix = ProcAddress<UnixFileNameFn>(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name");
    if (!toUnix || windowsPath.empty())
        return std::string();  // not under Wine
    char* unix = toUnix(Widen(windowsPath).c_str());
    if (!unix)
        return std::string();
    std::string path = unix;
    HeapFree(GetProcessHeap(), 0, unix);
    return path;
}

std::string AsTheUserKnowsIt(const std::string& windowsPath)
{
    const std::string unix = UnixPath(windowsPath);
    return unix.empty() ? windowsPath : unix;
}
