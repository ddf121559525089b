// The host services the plug-in calls, which the recorder wraps: their
// answers to the plug-in's lookups are replaced by the recorder's own
// functions, which record each call and pass it on unchanged. Every other
// answer passes through untouched.
#pragma once

#include <stdint.h>

#include "host/host_services.h"

#define RECORDED_SERVICES(X)                                                                                 \
    X(NewMemAlloc) X(NewDoMemFree) X(DefineDllModule) X(DefineDllVariable) X(RegisterModuleClass)            \
    X(PerformDefaultAction) X(GetInputBlock) X(NewReleaseInputBlock) X(GetCurrentOutputBlock)                \
    X(NewReleaseOutputBlock) X(ChangeModuleSize) X(ShowWarning) X(StopExperiment)                            \
    X(CreateStackedFontIndirect) X(DeleteStackedObject) X(RegisterMenuEntry)

enum RecordedService : uint8_t {
#define RECORDED_SERVICE_ID(name) kService##name,
    RECORDED_SERVICES(RECORDED_SERVICE_ID)
#undef RECORDED_SERVICE_ID
    kRecordedServices
};

const char* ServiceName(uint32_t service);
// The service of that name, or kRecordedServices.
RecordedService ServiceNamed(const char* name);

// The recorder's own function for the service whose address the host
// answered; the host's stays behind it for the calls to go to.
uintptr_t WrapService(RecordedService service, uintptr_t hostFunction);
