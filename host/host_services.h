// The host services the plug-in calls, with the arguments it passes. Each is
// reached through the function slot that binding filled, whichever calling
// convention the host built it with; the typedefs are shared with the host
// simulator so both sides agree on one signature.
#pragma once

#include <stdint.h>
#include <windows.h>

#include "host/any_convention.h"
#include "host/binding.h"
#include "host/host_call.h"
#include "host/host_records.h"

typedef int32_t(HOST_CALL* MenuEntryCallbackFn)(void);

namespace host {

typedef void*(HOST_CALL* NewMemAllocFn)(uint32_t size, const char* tag, int32_t line);
typedef void(HOST_CALL* NewDoMemFreeFn)(void* block, const char* tag, int32_t line);
typedef int32_t(HOST_CALL* DefineDllModuleFn)(void);
typedef int32_t(HOST_CALL* DefineDllVariableFn)(const char* name, void* address, uint32_t size);
typedef void(HOST_CALL* RegisterModuleClassFn)(const ModuleClassDescriptor* descriptor);
typedef int32_t(HOST_CALL* PerformDefaultActionFn)(ModuleRecord* module, uint32_t code, int32_t argument, void* pointer);
typedef DataBlock*(HOST_CALL* GetInputBlockFn)(ModuleRecord* module, uint32_t input);
typedef void(HOST_CALL* NewReleaseInputBlockFn)(ModuleRecord* module, uint32_t input, const char* tag, int32_t line);
typedef DataBlock*(HOST_CALL* GetCurrentOutputBlockFn)(OutputChannel* channel);
typedef void(HOST_CALL* NewReleaseOutputBlockFn)(OutputChannel* channel, const char* tag, int32_t line);
typedef void(HOST_CALL* ChangeModuleSizeFn)(ModuleRecord* module, uint32_t inputs, uint32_t outputs);
typedef void(HOST_CALL* ShowWarningFn)(const char* caption, const char* text);
typedef void(HOST_CALL* StopExperimentFn)(void);
typedef HFONT(HOST_CALL* CreateStackedFontIndirectFn)(const LOGFONTA* font);
typedef void(HOST_CALL* DeleteStackedObjectFn)(HGDIOBJ object);
typedef void(HOST_CALL* RegisterMenuEntryFn)(uint32_t command, MenuEntryCallbackFn callback);

// The service in the slot, called with the signature the plug-in declares.
template <typename Fn, typename... Args>
inline auto Call(HostFunction which, Args... args)
{
    return CallAnyConvention(reinterpret_cast<Fn>(g_hostFunctionSlot[which]), args...);
}

inline void* NewMemAlloc(uint32_t size, const char* tag, int32_t line)
{
    return Call<NewMemAllocFn>(HF_NewMemAlloc, size, tag, line);
}

inline void NewDoMemFree(void* block, const char* tag, int32_t line)
{
    Call<NewDoMemFreeFn>(HF_NewDoMemFree, block, tag, line);
}

inline int32_t DefineDllModule()
{
    return Call<DefineDllModuleFn>(HF_DefineDllModule);
}

inline int32_t DefineDllVariable(const char* name, void* address, uint32_t size)
{
    return Call<DefineDllVariableFn>(HF_DefineDllVariable, name, address, size);
}

inline void RegisterModuleClass(const ModuleClassDescriptor* descriptor)
{
    Call<RegisterModuleClassFn>(HF_RegisterModuleClass, descriptor);
}

inline int32_t PerformDefaultAction(ModuleRecord* module, uint32_t code, int32_t argument, void* pointer)
{
    return Call<PerformDefaultActionFn>(HF_PerformDefaultAction, module, code, argument, pointer);
}

inline DataBlock* GetInputBlock(ModuleRecord* module, uint32_t input)
{
    return Call<GetInputBlockFn>(HF_GetInputBlock, module, input);
}

inline void NewReleaseInputBlock(ModuleRecord* module, uint32_t input, const char* tag, int32_t line)
{
    Call<NewReleaseInputBlockFn>(HF_NewReleaseInputBlock, module, input, tag, line);
}

inline DataBlock* GetCurrentOutputBlock(OutputChannel* channel)
{
    return Call<GetCurrentOutputBlockFn>(HF_GetCurrentOutputBlock, channel);
}

inline void NewReleaseOutputBlock(OutputChannel* channel, const char* tag, int32_t line)
{
    Call<NewReleaseOutputBlockFn>(HF_NewReleaseOutputBlock, channel, tag, line);
}

inline void ChangeModuleSize(ModuleRecord* module, uint32_t inputs, uint32_t outputs)
{
    Call<ChangeModuleSizeFn>(HF_ChangeModuleSize, module, inputs, outputs);
}

inline void ShowWarning(const char* caption, const char* text)
{
    Call<ShowWarningFn>(HF_ShowWarning, caption, text);
}

inline void StopExperiment()
{
    Call<StopExperimentFn>(HF_StopExperiment);
}

inline HFONT CreateStackedFontIndirect(const LOGFONTA* font)
{
    return Call<CreateStackedFontIndirectFn>(HF_CreateStackedFontIndirect, font);
}

inline void DeleteStackedObject(HGDIOBJ object)
{
    Call<DeleteStackedObjectFn>(HF_DeleteStackedObject, object);
}

inline void RegisterMenuEntry(uint32_t command, MenuEntryCallbackFn callback)
{
    Call<RegisterMenuEntryFn>(HF_RegisterMenuEntry, command, callback);
}

// Host variables the plug-in reads after binding.
inline HMENU MainMenu()
{
    return reinterpret_cast<HMENU>(g_hostVariableSlot[HV_MainMenu]);
}

inline ModuleRecord* CurrentModule()
{
    return *reinterpret_cast<ModuleRecord**>(g_hostVariableSlot[HV_AddrCurrentModulePtr]);
}

inline const HBITMAP* ChannelBitmaps()
{
    return reinterpret_cast<const HBITMAP*>(g_hostVariableSlot[HV_hBitChannel]);
}

inline const HBITMAP* LessMoreBitmaps()
{
    return reinterpret_cast<const HBITMAP*>(g_hostVariableSlot[HV_hBitLessMore]);
}

}  // namespace host
