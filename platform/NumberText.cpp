#include "platform/NumberText.h"

#include <charconv>
#include <string>

bool ParseDoubleText(std::string_view s, double& out)
{
    std::size_t pos = 0;
    if (pos < s.size() && (s[pos] == '+' || s[pos] == '-')) ++pos;
    const std::size_t numberStart = pos;
    int mantissaDigits = 0;
    while (pos < s.size() && s[pos] >= '0' && s[pos] <= '9') ++pos, ++mantissaDigits;
    if (pos < s.size() && s[pos] == '.') {
        ++pos;
        while (pos < s.size() && s[pos] >= '0' && s[pos] <= '9') ++pos, ++mantissaDigits;
    }
    if (mantissaDigits == 0) return false;
    if (pos < s.size() && (s[pos] == 'e' || s[pos] == 'E')) {
        ++pos;
        if (pos < s.size() && (s[pos] == '+' || s[pos] == '-')) ++pos;
        int expDigits = 0;
        while (pos < s.size() && s[pos] >= '0' && s[pos] <= '9') ++pos, ++expDigits;
        if (expDigits == 0) return false;
    }
    if (pos != s.size()) return false;
    double v = 0;
    auto res = std::from_chars(s.data() + numberStart, s.data() + s.size(), v);
    if (res.ec != std::errc() || res.ptr != s.data() + s.size()) {
        // from_chars refuses "5." and ".5"-less forms it does not know; rebuild them plainly.
        std::string plain(s.substr(numberStart));
        if (!plain.empty() && plain.back() == '.') plain += '0';
        res = std::from_chars(plain.data(), plain.data() + plain.size(), v);
        if (res.ec != std::errc()) return false;
    }
    out = s[0] == '-' ? -v : v;
    return true;
}
