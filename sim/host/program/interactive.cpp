#include "sim/host/program/interactive.h"

#include <stdio.h>

#include <memory>
#include <vector>

#include "resources/resource_ids.h"

namespace {

const UINT kFirstModuleCommand = 5000;

HostSession* g_session;
std::vector<std::unique_ptr<sim::Module>> g_modules;
HMENU g_modulesMenu;

void PlaceModule(const char* className)
{
    const ModuleClassDescriptor* cls = g_session->Class(className);
    if (!cls)
        return;
    std::unique_ptr<sim::Module> m(new sim::Module(sim::CreateModule(*cls, sim::HostWindow())));
    if (m->handler(m->record, 101, 0, nullptr) != 1) {
        sim::DestroyModule(*m);
        return;
    }
    char item[64];
    snprintf(item, sizeof item, "%s #%u ...", className, static_cast<unsigned>(g_modules.size() + 1));
    AppendMenuA(g_modulesMenu, MF_STRING, kFirstModuleCommand + g_modules.size(), item);
    g_modules.push_back(std::move(m));
    printf("placed %s (slot %u)\n", className, *static_cast<uint16_t*>(
                                                    static_cast<void*>(static_cast<uint8_t*>(g_modules.back()->instanceData) + 192)));
}

void OnCommand(UINT command)
{
    if (command == IDM_TOVEL_OUT) {
        PlaceModule("Tovel OUT");
    } else if (command == IDM_TOVEL_IN) {
        PlaceModule("Tovel IN");
    } else if (command >= kFirstModuleCommand && command < kFirstModuleCommand + g_modules.size()) {
        sim::Module& m = *g_modules[command - kFirstModuleCommand];
        sim::SetCurrentModulePtr(m.record);
        m.handler(m.record, 103, 0, nullptr);
    }
}

}  // namespace

int RunInteractive(HostSession& session)
{
    g_session = &session;
    sim::SetWarningsModal(true);
    g_modulesMenu = CreatePopupMenu();
    AppendMenuW(sim::MainMenu(), MF_POPUP, reinterpret_cast<UINT_PTR>(g_modulesMenu), L"モジュール(&M)");
    DrawMenuBar(sim::HostWindow());
    sim::SetCommandHandler(OnCommand);
    ShowWindow(sim::HostWindow(), SW_SHOW);
    printf("The host window is open: place modules from the OVRIN(&O) menu, open their settings from\n"
           "the モジュール menu, close the window to finish.\n");
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    for (auto& m : g_modules) {
        m->handler(m->record, 102, 0, nullptr);
        sim::DestroyModule(*m);
    }
    g_modules.clear();
    sim::SetCommandHandler(nullptr);
    return 0;
}
