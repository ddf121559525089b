// Screenshots of what the tests and the host program show, for a person to
// look at: the window as it stands, written as a PNG file to
// build/screenshots/ or to a UTF-8 path.
#pragma once

#include <windows.h>

#include <string>

// The path written, or an empty string when the capture failed.
std::string SaveScreenshot(HWND window, const char* name);  // build/screenshots/<name>.png
std::string SaveScreenshotTo(HWND window, const std::string& path);
