// Memory whose last byte touches a no-access page, the way a page heap
// places it: a write or read past the end faults on the spot.
//
// A freed region is sealed and kept for the next block of its size: a run
// gives and takes back blocks by the hundred thousand, and making and
// releasing a region each time costs three system calls and fresh pages
// where sealing and unsealing cost two. A sealed region faults as a
// released one would.

#include <string.h>

#include <map>
#include <vector>

#include "sim/host/sim_host.h"

namespace sim {

namespace {

const size_t kPage = 4096;

struct Region {
    uint8_t* base;   // the whole reservation
    uint8_t* data;   // its accessible pages
    size_t dataPages;
    uint8_t* block;  // the block in them, as handed out
    size_t size;
    bool noAccess;   // sealed by its pages' protection (else by a pattern, if at all)
};

std::map<void*, Region>& Regions()  // block -> its region
{
    static std::map<void*, Region> regions;
    return regions;
}

GuardPlacement g_placement = kGuardAfter;

// Sealed regions for the next block, by placement and accessible pages.
const size_t kMostKept = 64;
std::map<std::pair<int, size_t>, std::vector<Region>>& Kept()
{
    static std::map<std::pair<int, size_t>, std::vector<Region>> kept;
    return kept;
}

ReleasedBlocks g_released = kSealReleased;
const uint8_t kReleasedPattern = 0xDB;

void Seal(Region& r, bool sealed)
{
    if (sealed ? g_released == kSealReleased : r.noAccess) {
        DWORD old;
        VirtualProtect(r.data, r.dataPages * kPage, sealed ? PAGE_NOACCESS : PAGE_READWRITE, &old);
        r.noAccess = sealed;
    } else if (sealed) {
        memset(r.block, kReleasedPattern, r.size);
    } else {
        for (size_t i = 0; i < r.size; ++i) {
            if (r.block[i] != kReleasedPattern) {
                ReportProblem("the plug-in wrote into a block it had handed back to the host");
                break;
            }
        }
    }
}

// A region of `dataPages` with its guard page where the placement puts it.
bool NewRegion(size_t dataPages, Region* r)
{
    std::vector<Region>& kept = Kept()[{g_placement, dataPages}];
    if (!kept.empty()) {
        *r = kept.back();
        kept.pop_back();
        Seal(*r, false);  // a pattern is checked where the freed block lay
        return true;
    }
    uint8_t* base = static_cast<uint8_t*>(
        VirtualAlloc(nullptr, (dataPages + 1) * kPage, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
    if (!base)
        return false;
    DWORD old;
    const bool before = g_placement == kGuardBefore;
    VirtualProtect(before ? base : base + dataPages * kPage, kPage, PAGE_NOACCESS, &old);
    *r = Region{base, before ? base + kPage : base, dataPages, nullptr, 0, false};
    return true;
}

}  // namespace

void SetGuardPlacement(GuardPlacement placement)
{
    g_placement = placement;
}

void SetReleasedBlocks(ReleasedBlocks how)
{
    g_released = how;
}

void* GuardedAlloc(size_t size)
{
    size_t dataPages = (size + kPage - 1) / kPage;
    if (dataPages == 0)
        dataPages = 1;
    Region r;
    if (!NewRegion(dataPages, &r))
        return nullptr;
    // Against the guard page: the first byte after it, or the last byte before it.
    uint8_t* block = r.data == r.base ? r.base + dataPages * kPage - size : r.data;
    r.block = block;
    r.size = size;
    Regions()[block] = r;
    return block;
}

void GuardedFree(void* block)
{
    auto it = Regions().find(block);
    if (it == Regions().end())
        return;
    Region r = it->second;
    Regions().erase(it);
    std::vector<Region>& kept = Kept()[{r.data == r.base ? kGuardAfter : kGuardBefore, r.dataPages}];
    if (kept.size() < kMostKept) {
        Seal(r, true);
        kept.push_back(r);
    } else {
        VirtualFree(r.base, 0, MEM_RELEASE);
    }
}

void GuardedSeal(void* block, bool sealed)
{
    auto it = Regions().find(block);
    if (it != Regions().end())
        Seal(it->second, sealed);
}

}  // namespace sim
