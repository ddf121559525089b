#pragma once

#include "sim/host/program/host_session.h"

// Shows the host window with the plug-in's menu: its items place modules
// through the real dialogs, and the host's "モジュール" menu opens their
// settings. Returns when the window is closed.
int RunInteractive(HostSession& session);
