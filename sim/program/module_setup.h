// Placing and setting up the scripted run's modules as a person would:
// through the plug-in's own hardware selection and settings dialogs.
#pragma once

#include <string>

#include "sim/program/host_session.h"

struct Placed {
    sim::Module module = {};
    bool ok = false;
    std::string board;  // the rows chosen in the hardware selection dialog
    std::string port;
};

// Code 101: the dialog chooses the board at `slot` and its port `port`, and
// saves a picture of itself to `picture`.
Placed Place(HostSession& session, const char* className, int slot, int port, const std::string& picture);

// Code 103: the settings dialog names the module, sets `channels` channels
// and names each one prefix + its number.
bool Configure(sim::Module& m, const wchar_t* name, const wchar_t* description, const wchar_t* channelPrefix,
               int channels, const std::string& picture);
