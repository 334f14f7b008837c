#include "platform/vcl/SysUtils.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

namespace vcl {

std::string Format(const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    va_list copy;
    va_copy(copy, arguments);
    int length = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string result;
    if (length > 0) {
        std::vector<char> text(static_cast<std::size_t>(length) + 1);
        std::vsnprintf(text.data(), text.size(), format, arguments);
        result.assign(text.data(), static_cast<std::size_t>(length));
    }
    va_end(arguments);
    return result;
}

char AnsiUpperChar(char c)
{
    auto byte = static_cast<unsigned char>(c);
    if (byte >= 'a' && byte <= 'z')
        return static_cast<char>(byte - 0x20);
    // Latin-1 letters, except the division sign 0xF7.
    if (byte >= 0xE0 && byte <= 0xFE && byte != 0xF7)
        return static_cast<char>(byte - 0x20);
    switch (byte) {
    case 0x9A: return static_cast<char>(0x8A); // s caron
    case 0x9C: return static_cast<char>(0x8C); // oe ligature
    case 0x9E: return static_cast<char>(0x8E); // z caron
    case 0xFF: return static_cast<char>(0x9F); // y diaeresis
    default: return c;
    }
}

std::string AnsiUpperCase(std::string text)
{
    for (char& c : text)
        c = AnsiUpperChar(c);
    return text;
}

char UpperChar(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 0x20) : c;
}

std::string UpperCase(std::string text)
{
    for (char& c : text)
        c = UpperChar(c);
    return text;
}

std::string Trim(const std::string& text)
{
    std::size_t start = 0;
    std::size_t end = text.size();
    while (start < end && static_cast<unsigned char>(text[start]) <= ' ')
        ++start;
    while (end > start && static_cast<unsigned char>(text[end - 1]) <= ' ')
        --end;
    return text.substr(start, end - start);
}

} // namespace vcl
