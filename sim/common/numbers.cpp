#include "sim/common/numbers.h"

#include <math.h>
#include <stdio.h>

#include <charconv>

namespace sim {
namespace {

std::string Bound(int64_t n, Digits digits)
{
    char text[32];
    if (digits == Digits::kDecimalOrHex && n > 9)
        snprintf(text, sizeof text, "0x%llX", static_cast<unsigned long long>(n));
    else
        snprintf(text, sizeof text, "%lld", static_cast<long long>(n));
    return text;
}

std::string Bound(double x)
{
    char text[32];
    snprintf(text, sizeof text, "%.15g", x);
    return text;
}

bool Refuse(std::string_view text, const std::string& wanted, std::string* problem)
{
    *problem = "'" + std::string(text) + "' is not " + wanted;
    return false;
}

bool IsHex(std::string_view text)
{
    return text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
}

}  // namespace

std::string Wanted(const WholeRange& range)
{
    return "a whole number from " + Bound(range.least, range.digits) + " to " + Bound(range.most, range.digits);
}

std::string Wanted(const RealRange& range)
{
    return "a number above " + Bound(range.above) + ", at most " + Bound(range.most);
}

bool ReadWhole(std::string_view text, const WholeRange& range, int64_t* value, std::string* problem)
{
    const bool hex = range.digits == Digits::kDecimalOrHex && IsHex(text);
    const std::string_view digits = hex ? text.substr(2) : text;
    // from_chars takes a "-" but no "+"; a sign where none is wanted, or before "0x", is refused.
    if (digits.empty() || (digits[0] == '-' && (hex || range.least >= 0)))
        return Refuse(text, Wanted(range), problem);
    int64_t v = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), v, hex ? 16 : 10);
    if (error != std::errc() || end != digits.data() + digits.size() || v < range.least || v > range.most)
        return Refuse(text, Wanted(range), problem);
    *value = v;
    return true;
}

bool ReadReal(std::string_view text, const RealRange& range, double* value, std::string* problem)
{
    double v = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || !isfinite(v) ||
        !(v > range.above) || v > range.most)
        return Refuse(text, Wanted(range), problem);
    *value = v;
    return true;
}

}  // namespace sim
