#include "sim/common/paths.h"

#include <windows.h>

#include <filesystem>
#include <system_error>

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

std::string ModulePath(HMODULE module)
{
    wchar_t path[MAX_PATH];
    const DWORD n = GetModuleFileNameW(module, path, MAX_PATH);
    return n > 0 && n < MAX_PATH ? Narrow(path) : std::string();
}

std::string PathBesideModule(HMODULE module, const char* fileName)
{
    return FolderOf(ModulePath(module)) + fileName;
}

std::string PathBesideProgram(const char* fileName)
{
    return PathBesideModule(nullptr, fileName);
}

std::string FolderOf(const std::string& path)
{
    const size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

bool Absolute(const std::string& path)
{
    return (path.size() > 1 && path[1] == ':') || (!path.empty() && (path[0] == '\\' || path[0] == '/'));
}

std::string FullPath(const std::string& path)
{
    wchar_t full[MAX_PATH];
    DWORD n = GetFullPathNameW(Widen(path).c_str(), MAX_PATH, full, nullptr);
    return n > 0 && n < MAX_PATH ? Narrow(full) : path;
}

bool MakeFolder(const std::string& folder, std::string* error)
{
    const std::filesystem::path path(Widen(folder));
    std::error_code failed;
    if (std::filesystem::exists(path, failed) && !std::filesystem::is_directory(path, failed)) {
        *error = AsTheUserKnowsIt(folder) + " is a file, not a folder";
        return false;
    }
    std::filesystem::create_directories(path, failed);
    if (!std::filesystem::is_directory(path, failed)) {
        *error = "cannot make the folder " + AsTheUserKnowsIt(folder);
        return false;
    }
    return true;
}
