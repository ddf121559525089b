#include "sim/harness/screenshot.h"

#include <stdio.h>

#include "frame/host/proc_address.h"
#include "sim/host/sim_host.h"

// The screen is the X server that Wine draws on: imagemagick's import reads it
// there, started as a Unix process (Wine runs those, but cannot wait for them,
// so the picture's arrival is polled for).

namespace {

typedef char*(CDECL* UnixFileNameFn)(const WCHAR* dosName);

}  // namespace

std::string UnixPath(const std::string& windowsPath)
{
    UnixFileNameFn toUnix = ProcAddress<UnixFileNameFn>(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name");
    if (!toUnix)
        return std::string();  // not under Wine
    wchar_t wide[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, windowsPath.c_str(), -1, wide, MAX_PATH);
    char* unix = toUnix(wide);
    if (!unix)
        return std::string();
    std::string path = unix;
    HeapFree(GetProcessHeap(), 0, unix);
    return path;
}

namespace {

// Lets Wine hand what the window painted on to the X server.
void Settle(HWND window)
{
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    GdiFlush();
    // Waiting for messages is where Wine maps windows and flushes what they
    // drew; the messages themselves stay queued for the dialog's own loop.
    DWORD until = GetTickCount() + 300;
    MSG msg;
    while (static_cast<int32_t>(GetTickCount() - until) < 0) {
        while (PeekMessageA(&msg, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE))
            DispatchMessageA(&msg);
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
}

}  // namespace

std::string SaveScreenshot(HWND window, const char* name)
{
    std::string folder = sim::PluginPathBesideExe("..\\screenshots");
    CreateDirectoryA(folder.c_str(), nullptr);
    return SaveScreenshotTo(window, folder + "\\" + name + ".png");
}

std::string SaveScreenshotTo(HWND window, const std::string& path)
{
    size_t slash = path.find_last_of("\\/");
    std::string folder = slash == std::string::npos ? std::string(".") : path.substr(0, slash);
    DeleteFileA(path.c_str());
    std::string unixPath = UnixPath(path);
    if (unixPath.empty())
        return std::string();

    Settle(window);
    RECT r;
    GetWindowRect(window, &r);
    // Wine hands the drawing to X a moment after painting: shoot until the
    // picture is more than one flat colour.
    static const char kShoot[] =
        "for i in 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15; do\n"
        "  import -window root -crop \"$1\" +repage \"$2.part.png\"\n"
        "  [ \"$(convert \"$2.part.png\" -format '%[fx:standard_deviation>0]' info:)\" = 1 ] && break\n"
        "  sleep 0.2\n"
        "done\n"
        "mv \"$2.part.png\" \"$2\"\n";
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    std::string script = std::string(temp) + "korvu_shoot.sh";
    if (FILE* f = fopen(script.c_str(), "wb")) {
        fputs(kShoot, f);
        fclose(f);
    }
    char command[2048];
    snprintf(command, sizeof command, "/bin/sh \"%s\" %ldx%ld+%ld+%ld \"%s\"", UnixPath(script).c_str(),
             r.right - r.left, r.bottom - r.top, r.left, r.top, unixPath.c_str());
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi;
    if (!CreateProcessA(nullptr, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return std::string();
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    for (int i = 0; i < 200; ++i) {
        if (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES)
            return path;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    }
    return std::string();
}
