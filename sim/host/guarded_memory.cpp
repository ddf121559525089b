// Memory whose last byte touches a no-access page, the way a page heap
// places it: a write or read past the end faults on the spot.

#include <map>

#include "sim/host/sim_host.h"

namespace sim {

namespace {

const size_t kPage = 4096;

struct Region {
    uint8_t* base;   // the whole reservation
    uint8_t* data;   // its accessible pages
    size_t dataPages;
};

std::map<void*, Region>& Regions()  // block -> its region
{
    static std::map<void*, Region> regions;
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
    Regions()[block] = Region{base, g_placement == kGuardBefore ? base + kPage : base, dataPages};
    return block;
}

void GuardedFree(void* block)
{
    auto it = Regions().find(block);
    if (it == Regions().end())
        return;
    VirtualFree(it->second.base, 0, MEM_RELEASE);
    Regions().erase(it);
}

void GuardedSeal(void* block, bool sealed)
{
    auto it = Regions().find(block);
    if (it == Regions().end())
        return;
    DWORD old;
    VirtualProtect(it->second.data, it->second.dataPages * kPage, sealed ? PAGE_NOACCESS : PAGE_READWRITE, &old);
}

}  // namespace sim
