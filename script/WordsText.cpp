#include "script/ScriptText.h"
#include "script/VekScript.h"
#include "script/WordTable.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>

// The text words. Positions count from 1; case-insensitive means ASCII letters only.

namespace {

// Words of the form ( s -- s' ) change the top in place.
template <class F>
void MapTop(TvekScript& s, F f)
{
    s.Need(1);
    TVariant& v = s.Peek();
    v = TVariant(f(v.ToString()));
}

void UCase(TvekScript& s) { MapTop(s, [](const std::string& t) { return UpperCase(t); }); }
void LCase(TvekScript& s) { MapTop(s, [](const std::string& t) { return LowerCase(t); }); }
void Trim(TvekScript& s) { MapTop(s, [](const std::string& t) { return std::string(TrimView(t)); }); }
void TrimLeft(TvekScript& s) { MapTop(s, [](const std::string& t) { return std::string(TrimLeftView(t)); }); }
void TrimRight(TvekScript& s) { MapTop(s, [](const std::string& t) { return std::string(TrimRightView(t)); }); }

void Quote(TvekScript& s)
{
    MapTop(s, [](std::string t) {
        for (char& c : t)
            if (c == '\'') c = '"';
        return t;
    });
}

void Left(TvekScript& s)
{
    const int n = s.PopInt();
    const std::string t = s.PopString();
    s.Push(TVariant(n <= 0 ? std::string() : t.substr(0, static_cast<std::size_t>(n))));
}

void Right(TvekScript& s)
{
    const int n = s.PopInt();
    const std::string t = s.PopString();
    if (n <= 0) {
        s.Push(TVariant(std::string()));
    } else {
        const std::size_t k = std::min(t.size(), static_cast<std::size_t>(n));
        s.Push(TVariant(t.substr(t.size() - k)));
    }
}

void Mid(TvekScript& s)
{
    const int count = s.PopInt();
    const int start = std::max(1, s.PopInt());
    const std::string t = s.PopString();
    if (count <= 0 || static_cast<std::size_t>(start) > t.size())
        s.Push(TVariant(std::string()));
    else
        s.Push(TVariant(t.substr(static_cast<std::size_t>(start - 1), static_cast<std::size_t>(count))));
}

int Position(std::size_t index) { return index == std::string::npos ? 0 : static_cast<int>(index) + 1; }

void Find(TvekScript& s)
{
    const int start = std::max(1, s.PopInt());
    const std::string t = s.PopString();
    const std::string sub = s.PopString();
    s.Push(TVariant(Position(FindText(t, sub, static_cast<std::size_t>(start - 1)))));
}

// Searches backwards in steps of the length of sub, each step searching forward from its start; so
// with overlapping occurrences an earlier one may be found. Kept as the stored scripts know it.
void FindLast(TvekScript& s)
{
    const std::string t = s.PopString();
    const std::string sub = s.PopString();
    const long long L = static_cast<long long>(t.size()), l = static_cast<long long>(sub.size());
    int result = 0;
    if (L > 0 && l > 0 && l <= L) {
        for (long long p = L - l + 1;; p -= l) {
            const long long from = std::max(1LL, p);
            const std::size_t found = FindText(t, sub, static_cast<std::size_t>(from - 1));
            if (found != std::string::npos) {
                result = Position(found);
                break;
            }
            if (from == 1) break;
        }
    }
    s.Push(TVariant(result));
}

void CompareTextWord(TvekScript& s)
{
    const std::string b = s.PopString();
    const std::string a = s.PopString();
    s.Push(TVariant(CompareText(a, b)));
}

void CompareStrWord(TvekScript& s)
{
    const std::string b = s.PopString();
    const std::string a = s.PopString();
    s.Push(TVariant(CompareStr(a, b)));
}

void ReplaceText(TvekScript& s, bool all)
{
    const std::string with = s.PopString();
    std::string t = s.PopString();
    const std::string old = s.PopString();
    if (!old.empty()) {
        std::string out;
        std::size_t from = 0;
        for (;;) {
            const std::size_t p = t.find(old, from);
            if (p == std::string::npos) break;
            out.append(t, from, p - from);
            out += with;
            from = p + old.size();
            if (!all) break;
        }
        out.append(t, from);
        t = std::move(out);
    }
    s.Push(TVariant(std::move(t)));
}

void Replace(TvekScript& s) { ReplaceText(s, false); }
void ReplaceAll(TvekScript& s) { ReplaceText(s, true); }

void Crlf(TvekScript& s) { s.Push(TVariant("\r\n")); }

// "%2.<n>f": n decimals, at least two characters wide. Digits are rounded half away from zero on
// the value's 18-digit decimal form, as the format routine of the stored scripts' origin does.
std::string FormatFixed(double x, int decimals)
{
    if (!std::isfinite(x)) return FormatDouble(x);
    const auto [negative, digits, exponent] = DecimalDigits(x, 17);
    // digits[k] has the weight 10^(exponent - k); keep those down to 10^-decimals.
    const int keep = exponent + 1 + decimals;
    std::string kept; // the integer made of the kept digits
    if (keep <= 0) {
        kept = (keep == 0 && digits[0] >= '5') ? "1" : "0";
    } else {
        kept = digits.substr(0, static_cast<std::size_t>(std::min<int>(keep, static_cast<int>(digits.size()))));
        kept.append(static_cast<std::size_t>(std::max(0, keep - static_cast<int>(digits.size()))), '0');
        if (keep < static_cast<int>(digits.size()) && digits[static_cast<std::size_t>(keep)] >= '5') {
            int i = static_cast<int>(kept.size()) - 1;
            while (i >= 0 && kept[static_cast<std::size_t>(i)] == '9') kept[static_cast<std::size_t>(i--)] = '0';
            if (i < 0) kept.insert(kept.begin(), '1');
            else ++kept[static_cast<std::size_t>(i)];
        }
    }
    if (kept.size() <= static_cast<std::size_t>(decimals))
        kept.insert(0, static_cast<std::size_t>(decimals) + 1 - kept.size(), '0');
    std::string out = kept.substr(0, kept.size() - static_cast<std::size_t>(decimals));
    if (decimals > 0) out += "." + kept.substr(kept.size() - static_cast<std::size_t>(decimals));
    if (negative && out.find_first_not_of("0.") != std::string::npos) out.insert(0, "-");
    if (out.size() < 2) out.insert(0, 2 - out.size(), ' ');
    return out;
}

void Fix(TvekScript& s)
{
    const int decimals = s.PopInt();
    const double x = s.PopDouble();
    // The format routine takes at most 18 decimals; a negative count is a broken format.
    if (decimals < 0)
        throw EvekScriptError("Format '%2." + std::to_string(decimals) + "f' invalid or incompatible with argument");
    s.Push(TVariant(FormatFixed(x, std::min(decimals, 18))));
}

const TWordDef kWords[] = {
    {"ucase", "( s -- s' )", UCase},
    {"lcase", "( s -- s' )", LCase},
    {"left", "( s n -- s' )", Left},
    {"right", "( s n -- s' )", Right},
    {"mid", "( s start count -- s' )", Mid},
    {"find", "( sub s start -- pos )", Find},
    {"findlast", "( sub s -- pos )", FindLast},
    {"comparetext", "( a b -- int )", CompareTextWord},
    {"comparestr", "( a b -- int )", CompareStrWord},
    {"trim", "( s -- s' )", Trim},
    {"trimleft", "( s -- s' )", TrimLeft},
    {"trimright", "( s -- s' )", TrimRight},
    {"replace", "( old s new -- s' )", Replace},
    {"replaceall", "( old s new -- s' )", ReplaceAll},
    {"quote", "( s -- s' )", Quote},
    {"crlf", "( -- s )", Crlf},
    {"fix", "( x n -- s )", Fix},
};

} // namespace

const std::span<const TWordDef> kTextWords(kWords);
