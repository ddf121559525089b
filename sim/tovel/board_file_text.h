// A board file as text: its bytes, checked to be text a board file can be.
#pragma once

#include <string>

namespace tovel {

// The file's bytes (at most 1 MB, ASCII or UTF-8), or why there are none.
bool ReadBoardFileBytes(const char* path, std::string* bytes, std::string* why);

}  // namespace tovel
