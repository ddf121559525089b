// The bench as a document, as any editor keeps one: New, Open, Save, Save
// As and Exit in the host's File menu, the file's name in the title, and a
// question before work that was never saved is discarded.
#pragma once

#include <windows.h>

#include <string>

#include "sim/workbench/bench.h"

namespace workbench {

// The File menu's entries in place of the host's placeholder, and back.
void AddFileCommands(HMENU file);
void RemoveFileCommands(HMENU file);
// One of the File menu's commands; false for any other command.
bool RunFileCommand(Bench& bench, UINT command);
// True when the bench may be discarded: it holds nothing unsaved, or the
// person saved it or chose not to. `before` ends the question: "closing".
bool MayDiscard(Bench& bench, const wchar_t* before);
// " — name.bench" for a bench that belongs to a file, else nothing.
std::wstring BenchFileTitle(const Bench& bench);

}  // namespace workbench
