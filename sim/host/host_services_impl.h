// The simulator's implementations of the host services, with the signatures
// the plug-in declares for them.
#pragma once

#include <type_traits>

#include "sim/host/sim_host.h"

namespace sim {

void* HOST_CALL HostNewMemAlloc(uint32_t size, const char* tag, int32_t line);
void HOST_CALL HostNewDoMemFree(void* block, const char* tag, int32_t line);
int32_t HOST_CALL HostDefineDllModule();
int32_t HOST_CALL HostDefineDllVariable(const char* name, void* address, uint32_t size);
void HOST_CALL HostRegisterModuleClass(const ModuleClassDescriptor* descriptor);
int32_t HOST_CALL HostPerformDefaultAction(ModuleRecord* module, uint32_t code, int32_t argument, void* pointer);
DataBlock* HOST_CALL HostGetInputBlock(ModuleRecord* module, uint32_t input);
void HOST_CALL HostNewReleaseInputBlock(ModuleRecord* module, uint32_t input, const char* tag, int32_t line);
DataBlock* HOST_CALL HostGetCurrentOutputBlock(OutputChannel* channel);
void HOST_CALL HostNewReleaseOutputBlock(OutputChannel* channel, const char* tag, int32_t line);
void HOST_CALL HostChangeModuleSize(ModuleRecord* module, uint32_t inputs, uint32_t outputs);
void HOST_CALL HostShowWarning(const char* caption, const char* text);
void HOST_CALL HostStopExperiment();
HFONT HOST_CALL HostCreateStackedFontIndirect(const LOGFONTA* font);
void HOST_CALL HostDeleteStackedObject(HGDIOBJ object);
void HOST_CALL HostRegisterMenuEntry(uint32_t command, MenuEntryCallbackFn callback);

// Each implementation has exactly the type the plug-in calls it through.
#define SIM_SAME_TYPE(fn, type) \
    static_assert(std::is_same<decltype(&fn), host::type>::value, #fn " has the plug-in's signature")
SIM_SAME_TYPE(HostNewMemAlloc, NewMemAllocFn);
SIM_SAME_TYPE(HostNewDoMemFree, NewDoMemFreeFn);
SIM_SAME_TYPE(HostDefineDllModule, DefineDllModuleFn);
SIM_SAME_TYPE(HostDefineDllVariable, DefineDllVariableFn);
SIM_SAME_TYPE(HostRegisterModuleClass, RegisterModuleClassFn);
SIM_SAME_TYPE(HostPerformDefaultAction, PerformDefaultActionFn);
SIM_SAME_TYPE(HostGetInputBlock, GetInputBlockFn);
SIM_SAME_TYPE(HostNewReleaseInputBlock, NewReleaseInputBlockFn);
SIM_SAME_TYPE(HostGetCurrentOutputBlock, GetCurrentOutputBlockFn);
SIM_SAME_TYPE(HostNewReleaseOutputBlock, NewReleaseOutputBlockFn);
SIM_SAME_TYPE(HostChangeModuleSize, ChangeModuleSizeFn);
SIM_SAME_TYPE(HostShowWarning, ShowWarningFn);
SIM_SAME_TYPE(HostStopExperiment, StopExperimentFn);
SIM_SAME_TYPE(HostCreateStackedFontIndirect, CreateStackedFontIndirectFn);
SIM_SAME_TYPE(HostDeleteStackedObject, DeleteStackedObjectFn);
SIM_SAME_TYPE(HostRegisterMenuEntry, RegisterMenuEntryFn);
#undef SIM_SAME_TYPE

ModuleRecord** CurrentModulePtrAddress();

}  // namespace sim
