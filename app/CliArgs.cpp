#include "app/CliArgs.h"

#include "app/CommandLine.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>

int IntArg(const std::string& text)
{
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (ec != std::errc{} || ptr != end || text.empty())
        throw TCliUsageError{"\"" + text + "\" is not a whole number"};
    return value;
}

TColor ColorArg(const std::string& text)
{
    const bool hex = !text.empty() && text[0] == '$';
    std::uint32_t value = 0;
    const char* begin = text.data() + (hex ? 1 : 0);
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(begin, end, value, hex ? 16 : 10);
    if (ec != std::errc{} || ptr != end || begin == end)
        throw TCliUsageError{"\"" + text + "\" is not a colour (decimal or $hex)"};
    return value;
}

long double DecimalArg(const std::string& text)
{
    char* end = nullptr;
    const long double value = std::strtold(text.c_str(), &end);
    if (text.empty() || end != text.c_str() + text.size() || !std::isfinite(value))
        throw TCliUsageError{"\"" + text + "\" is not a number"};
    return value;
}

int QualityArg(const std::string& text)
{
    int quality = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, quality);
    if (ec != std::errc{} || ptr != end || quality < 1 || quality > 100)
        throw TCliUsageError{"--quality needs a whole number from 1 to 100, not \"" + text + "\""};
    return quality;
}
