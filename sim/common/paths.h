// Paths as the person who typed them knows them: under Wine a Windows path
// the program made (C:\users\...) stands for a Unix path (/tmp/...), and the
// report and messages say the Unix one.
#pragma once

#include <string>

// The Unix path of a Windows path (both UTF-8) under Wine; empty elsewhere.
std::string UnixPath(const std::string& windowsPath);

// The Unix path under Wine, else the path as it is.
std::string AsTheUserKnowsIt(const std::string& windowsPath);
