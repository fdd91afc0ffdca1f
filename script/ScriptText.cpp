#include "script/ScriptText.h"

#include <algorithm>

std::string UpperCase(std::string_view s)
{
    std::string out(s);
    for (char& c : out) c = UpperChar(c);
    return out;
}

std::string LowerCase(std::string_view s)
{
    std::string out(s);
    for (char& c : out) c = LowerChar(c);
    return out;
}

bool SameText(std::string_view a, std::string_view b) { return a.size() == b.size() && CompareText(a, b) == 0; }

int CompareText(std::string_view a, std::string_view b)
{
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const int x = static_cast<unsigned char>(UpperChar(a[i]));
        const int y = static_cast<unsigned char>(UpperChar(b[i]));
        if (x != y) return x - y;
    }
    return static_cast<int>(a.size()) - static_cast<int>(b.size());
}

int CompareStr(std::string_view a, std::string_view b)
{
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const int x = static_cast<unsigned char>(a[i]);
        const int y = static_cast<unsigned char>(b[i]);
        if (x != y) return x - y;
    }
    return static_cast<int>(a.size()) - static_cast<int>(b.size());
}

std::size_t FindText(std::string_view s, std::string_view sub, std::size_t from)
{
    if (sub.empty() || sub.size() > s.size()) return std::string_view::npos;
    const char first = UpperChar(sub[0]);
    for (std::size_t i = from; i + sub.size() <= s.size(); ++i) {
        if (UpperChar(s[i]) != first) continue;
        std::size_t k = 1;
        while (k < sub.size() && UpperChar(s[i + k]) == UpperChar(sub[k])) ++k;
        if (k == sub.size()) return i;
    }
    return std::string_view::npos;
}

std::string_view TrimLeftView(std::string_view s)
{
    std::size_t i = 0;
    while (i < s.size() && IsBlank(s[i])) ++i;
    return s.substr(i);
}

std::string_view TrimRightView(std::string_view s)
{
    std::size_t n = s.size();
    while (n > 0 && IsBlank(s[n - 1])) --n;
    return s.substr(0, n);
}

std::string_view TrimView(std::string_view s) { return TrimRightView(TrimLeftView(s)); }

std::string ExpandProgramFolder(std::string_view fileName, std::string_view programFolder)
{
    std::string out(fileName);
    const std::size_t p = out.find('%');
    if (p != std::string::npos) out.replace(p, 1, programFolder);
    return out;
}
