#include "host/format_text.h"

#include <stdarg.h>
#include <windows.h>

namespace text {

void Format(char* out, size_t size, const char* format, ...)
{
    char whole[1025];  // wvsprintfA writes at most 1024 characters and the zero
    va_list arguments;
    va_start(arguments, format);
    wvsprintfA(whole, format, arguments);
    va_end(arguments);
    lstrcpynA(out, whole, static_cast<int>(size));
}

void FormatUnsigned64(char* out, size_t size, uint64_t value)
{
    char digits[21];
    char* first = digits + sizeof digits - 1;
    *first = '\0';
    do {
        *--first = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value);
    lstrcpynA(out, first, static_cast<int>(size));
}

}  // namespace text
