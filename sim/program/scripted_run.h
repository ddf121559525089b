// The scripted experiment: a "Tovel OUT" module driving output port 0 of the
// board at slot 0 from eight square waves, the port wired to input port 0,
// and a "Tovel IN" module reading it back. Both are placed through the real
// hardware selection dialog and set up through the real settings dialog.
#pragma once

#include "sim/program/host_session.h"

// Removes the files a run writes from the output folder, and nothing else.
void ClearRunFiles(const HostOptions& options);
// A report that says the run was refused before it began, and why; false
// when it could not be written whole.
bool WriteRefusal(const HostOptions& options, const std::string& why);

// Prints the report (and writes it, the pictures and the driver's trace into
// options.outDir); 0 when the run went as it should.
int RunScriptedExperiment(HostSession& session, const HostOptions& options);
