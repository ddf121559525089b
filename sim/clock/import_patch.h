// Points one import of a loaded module at a replacement for as long as the
// object lives, by patching the module's import address table: how the tests
// give the plug-in a clock of their own or watch its calls of WinHelp. The
// plug-in carries no hook for it.
#pragma once

#include <windows.h>

namespace sim {

class ImportPatch {
public:
    ImportPatch(HMODULE module, const char* dll, const char* function, void* replacement);
    ~ImportPatch();
    ImportPatch(const ImportPatch&) = delete;
    ImportPatch& operator=(const ImportPatch&) = delete;

    bool Installed() const { return slot_ != nullptr; }

private:
    void** slot_ = nullptr;
    void* original_ = nullptr;
};

}  // namespace sim
