// "Tovel OUT": drives the eight bits of one output port from its input channels.
#pragma once

#include "host/host_records.h"

int32_t HOST_CALL TovelOutMessageHandler(ModuleRecord* module, uint32_t code, int32_t argument, void* pointer);
int32_t HOST_CALL TovelOutProcess(ModuleRecord* module);
