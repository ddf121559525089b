// Numbers as a person types them: into the host program's options, a board
// file, a bench file or a bench form. The whole text is the number: no
// spaces, no "+", a "-" only where the range goes below 0, nothing after it.
// Every reader says what is wrong in the same words, "'70000' is not a whole
// number from 1 to 65535", after the name of what was being read.
#pragma once

#include <stdint.h>

#include <limits>
#include <string>
#include <string_view>

namespace sim {

enum class Digits { kDecimal, kDecimalOrHex };  // hex after "0x", for addresses and bytes

struct WholeRange {
    int64_t least, most;
    Digits digits = Digits::kDecimal;
};

struct RealRange {
    double above, most;  // above `above`, at most `most`
};

// "a whole number from 1 to 65535", "a number above 0, at most 1000000000".
std::string Wanted(const WholeRange& range);
std::string Wanted(const RealRange& range);

// The text as a number in the range; else false, *value untouched and
// *problem "'<text>' is not <wanted>".
bool ReadWhole(std::string_view text, const WholeRange& range, int64_t* value, std::string* problem);
bool ReadReal(std::string_view text, const RealRange& range, double* value, std::string* problem);

// The same for the narrower integer types the readers keep; a number the
// type cannot hold is refused too, never wrapped.
template <typename Int>
bool ReadWhole(std::string_view text, const WholeRange& range, Int* value, std::string* problem)
{
    int64_t v = 0;
    if (!ReadWhole(text, range, &v, problem))
        return false;
    if (v < static_cast<int64_t>(std::numeric_limits<Int>::min()) ||
        static_cast<uint64_t>(v) > static_cast<uint64_t>(std::numeric_limits<Int>::max())) {
        *problem = "'" + std::string(text) + "' is not " + Wanted(range);
        return false;
    }
    *value = static_cast<Int>(v);
    return true;
}

}  // namespace sim
