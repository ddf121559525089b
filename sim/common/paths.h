// Paths as the person who typed them knows them: under Wine a Windows path
// the program made (C:\users\...) stands for a Unix path (/tmp/...), and the
// report and messages say the Unix one.
#pragma once

#include <string>

// The Unix path of a Windows path (both UTF-8) under Wine; empty elsewhere.
std::string UnixPath(const std::string& windowsPath);

// The Unix path under Wine, else the path as it is.
std::string AsTheUserKnowsIt(const std::string& windowsPath);

// The UTF-8 path of a file beside the running program.
std::string PathBesideProgram(const char* fileName);

// The path made full against the current folder; as it is when it cannot be.
std::string FullPath(const std::string& path);

// Makes the folder and its parents, or says why not.
bool MakeFolder(const std::string& folder, std::string* error);
