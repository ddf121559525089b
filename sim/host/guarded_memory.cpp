// Memory whose last byte touches a no-access page, the way a page heap
// places it: a write or read past the end faults on the spot.

#include <map>

#include "sim/host/sim_host.h"

namespace sim {

namespace {

const size_t kPage = 4096;

std::map<void*, void*>& Regions()  // block -> region base
{
    static std::map<void*, void*> regions;
    return regions;
}

GuardPlacement g_placement = kGuardAfter;

}  // namespace

void SetGuardPlacement(GuardPlacement placement)
{
    g_placement = placement;
}

void* GuardedAlloc(size_t size)
{
    size_t dataPages = (size + kPage - 1) / kPage;
    if (dataPages == 0)
        dataPages = 1;
    size_t total = (dataPages + 1) * kPage;
    uint8_t* base = static_cast<uint8_t*>(VirtualAlloc(nullptr, total, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
    if (!base)
        return nullptr;
    DWORD old;
    uint8_t* block;
    if (g_placement == kGuardBefore) {
        // The first byte right after a no-access page: an underrun faults.
        VirtualProtect(base, kPage, PAGE_NOACCESS, &old);
        block = base + kPage;
    } else {
        VirtualProtect(base + dataPages * kPage, kPage, PAGE_NOACCESS, &old);
        block = base + dataPages * kPage - size;
    }
    Regions()[block] = base;
    return block;
}

void GuardedFree(void* block)
{
    auto it = Regions().find(block);
    if (it == Regions().end())
        return;
    VirtualFree(it->second, 0, MEM_RELEASE);
    Regions().erase(it);
}

}  // namespace sim
