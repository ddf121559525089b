// A plain PNG writer for pictures the host program draws itself.
#pragma once

#include <windows.h>

#include <string>

// Writes the 32-bit top-down DIB bits (BGRA) as an 8-bit RGB PNG.
bool WritePng(const std::string& path, int width, int height, const void* bgra);
