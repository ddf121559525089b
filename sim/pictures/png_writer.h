// PNG files of pictures the harness draws itself, through the Windows
// Imaging Component's encoder (part of Windows and of Wine), compressed.
#pragma once

#include <windows.h>

#include <string>

// Writes the 32-bit top-down DIB bits (BGRA, alpha ignored) as an RGB PNG
// at the UTF-8 path.
bool WritePng(const std::string& path, int width, int height, const void* bgra);
