// Paths, in UTF-8: as the person who typed them knows them (under Wine a
// Windows path the program made, C:\users\..., stands for a Unix path,
// /tmp/..., and the report and messages say the Unix one), the program's
// own and what lies beside it, folders made whole.
#pragma once

#include <windows.h>

#include <string>

// The Unix path of a Windows path (both UTF-8) under Wine; empty elsewhere.
std::string UnixPath(const std::string& windowsPath);

// The Unix path under Wine, else the path as it is.
std::string AsTheUserKnowsIt(const std::string& windowsPath);

// The UTF-8 path of a module of the program (a DLL; null: the program), empty
// when it is longer than Windows gives; of a file beside the program, or
// beside the module.
std::string ModulePath(HMODULE module);
std::string PathBesideProgram(const char* fileName);
std::string PathBesideModule(HMODULE module, const char* fileName);

// The folder a path lies in, with its last separator; empty for a bare name.
std::string FolderOf(const std::string& path);

// A path from a drive or a root, not from the folder of whatever names it.
bool Absolute(const std::string& path);

// The path made full against the current folder; as it is when it cannot be.
std::string FullPath(const std::string& path);

// Makes the folder and its parents, or says why not.
bool MakeFolder(const std::string& folder, std::string* error);
