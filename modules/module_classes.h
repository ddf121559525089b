// The module classes as the host knows them.
#pragma once

#include "kinds/module_kind.h"

// Registers every kind's class with the host, the input class first. Set-up.
void RegisterModuleClasses();

// The kind's short name as loaded at registration: the default channel names
// begin with it.
const char* ShortName(const ModuleKind& kind);
