#pragma once

// Text helpers of the class-library stand-in: printf-style formatting and the ANSI
// (code page 1252) upper-casing of the system.

#include <string>

namespace vcl {

// printf-style formatting into a string of any length.
std::string Format(const char* format, ...)
#if defined(__MINGW32__)
    __attribute__((format(gnu_printf, 1, 2)))
#elif defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

// One character upper-cased in the ANSI code page 1252.
char AnsiUpperChar(char c);
std::string AnsiUpperCase(std::string text);

// Only the letters a to z upper-cased: the runtime library's default locale.
char UpperChar(char c);
std::string UpperCase(std::string text);

// Without blanks and control characters at both ends.
std::string Trim(const std::string& text);

} // namespace vcl
