// A board file as text: its bytes, checked to be text a board file can be,
// and the paths written in it.
#pragma once

#include <string>

namespace tovel {

// The file's bytes (at most 1 MB, ASCII or UTF-8), or why there are none.
bool ReadBoardFileBytes(const char* path, std::string* bytes, std::string* why);

// The folder a path lies in, with its last separator; empty for a bare name.
std::string FolderOf(const std::string& path);

// A path from a drive or a root, not from the folder of the file it is in.
bool Absolute(const std::string& path);

}  // namespace tovel
