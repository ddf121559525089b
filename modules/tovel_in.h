// "Tovel IN": reads one input port into up to eight output channels.
#pragma once

#include "host/host_records.h"

int32_t HOST_CALL TovelInMessageHandler(ModuleRecord* module, uint32_t code, int32_t argument, void* pointer);
int32_t HOST_CALL TovelInProcess(ModuleRecord* module);
