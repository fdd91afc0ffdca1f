#include "script/ScriptText.h"
#include "script/VekScript.h"
#include "script/WordTable.h"

#include <array>
#include <optional>
#include <vector>

// regreplace and regreplaceall: patterns of literal text and capturing elements
// "[" class register ":" delimiter ["|" limit] "]", replacements that paste registers back.

namespace {

constexpr int kRegisters = 32;

struct TPart {
    bool literal = true;
    std::string text;      // literal text, or the element's delimiter
    char cls = 0;          // element class, lower case
    int reg = -1;          // -1: not a register from 0 to 31
    std::optional<std::string> limit;
};

std::string Tildes(const std::string& s)
{
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '~' && i + 1 < s.size() && s[i + 1] == '~') {
            out += "\r\n";
            ++i;
        } else {
            out += s[i];
        }
    }
    return out;
}

int RegisterNumber(std::string_view t)
{
    int r = -1;
    if (t.empty() || t.size() > 2 || !ParseIntText(t, r) || t[0] == '+' || t[0] == '-' || t[0] == '$') return -1;
    return r >= 0 && r < kRegisters ? r : -1;
}

TPart Literal(std::string text)
{
    TPart p;
    p.text = std::move(text);
    return p;
}

std::vector<TPart> ParsePattern(const std::string& pattern)
{
    std::vector<TPart> parts;
    std::size_t i = 0;
    while (i < pattern.size()) {
        const std::size_t open = pattern.find('[', i);
        const std::size_t close = open == std::string::npos ? std::string::npos : pattern.find(']', open);
        if (open == std::string::npos || close == std::string::npos) {
            parts.push_back(Literal(pattern.substr(i)));
            break;
        }
        if (open > i) parts.push_back(Literal(pattern.substr(i, open - i)));
        const std::string body = pattern.substr(open + 1, close - open - 1);
        TPart e;
        e.literal = false;
        if (!body.empty()) e.cls = LowerChar(body[0]);
        const std::size_t colon = body.find(':');
        if (colon != std::string::npos) {
            e.reg = RegisterNumber(std::string_view(body).substr(1, colon - 1));
            std::string rest = body.substr(colon + 1);
            const std::size_t bar = rest.find('|');
            if (bar != std::string::npos) {
                e.limit = rest.substr(bar + 1);
                rest.resize(bar);
            }
            e.text = rest;
        }
        parts.push_back(std::move(e));
        i = close + 1;
    }
    return parts;
}

bool InClass(char cls, char c)
{
    const bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
    switch (cls) {
    case '*': return true;
    case 'a': return letter;
    case 'c': return c == '\r' || c == '\n';
    case 'n': return c >= '0' && c <= '9';
    case 's': return c == ' ';
    case 't': return letter || (c >= '1' && c <= '6') || c == '/' || c == '<' || c == '>';
    case 'w': return c == '\t' || c == '\n' || c == '\r' || c == ' ';
    }
    return false;
}

class TMatcher {
public:
    TMatcher(const std::vector<TPart>& parts, bool caseSensitive) : parts_(parts), case_(caseSensitive) {}

    std::array<std::string, kRegisters> registers;

    // Finds the next match at or after from: [start, end).
    bool Match(const std::string& s, std::size_t from, std::size_t& start, std::size_t& end)
    {
        for (;;) {
            std::size_t firstLiteralEnd = std::string::npos;
            const int r = Attempt(s, from, start, end, firstLiteralEnd);
            if (r > 0) return true;
            if (r < 0 || firstLiteralEnd == std::string::npos || firstLiteralEnd >= s.size()) return false;
            from = firstLiteralEnd;
        }
    }

private:
    std::size_t Find(const std::string& s, const std::string& what, std::size_t from) const
    {
        if (from > s.size()) return std::string::npos;
        return case_ ? s.find(what, from) : FindText(s, what, from);
    }

    bool AllInClass(const std::string& s, std::size_t from, std::size_t to, char cls) const
    {
        for (std::size_t i = from; i < to; ++i)
            if (!InClass(cls, s[i])) return false;
        return true;
    }

    // 1: matched; 0: an element failed (the caller may retry); -1: no match at all.
    int Attempt(const std::string& s, std::size_t from, std::size_t& start, std::size_t& end, std::size_t& firstLiteralEnd)
    {
        std::size_t cur = from;
        bool started = false;
        for (const TPart& p : parts_) {
            if (p.literal) {
                const std::size_t at = Find(s, p.text, cur);
                if (at == std::string::npos) return -1;
                if (!started) start = at, started = true;
                cur = at + p.text.size();
                if (firstLiteralEnd == std::string::npos) firstLiteralEnd = cur;
                continue;
            }
            if (p.cls == 0 || std::string_view("*acnstw").find(p.cls) == std::string_view::npos) return -1;
            if (p.reg < 0 || p.text.empty()) return -1;
            if (!started) start = cur, started = true;
            std::string& reg = registers[static_cast<std::size_t>(p.reg)];
            reg.clear();
            std::size_t limitAt = std::string::npos;
            if (p.limit) {
                limitAt = Find(s, *p.limit, cur);
                if (limitAt == std::string::npos) return 0;
            }
            int pieces = 0;
            for (;;) {
                const std::size_t d = Find(s, p.text, cur);
                const bool usable = d != std::string::npos && (!p.limit || d < limitAt) && AllInClass(s, cur, d, p.cls);
                if (!usable) break;
                reg.append(s, cur, d - cur);
                reg += "||";
                cur = d + p.text.size();
                ++pieces;
                if (!p.limit) break;
            }
            if (pieces == 0) return 0;
        }
        end = cur;
        return 1;
    }

    const std::vector<TPart>& parts_;
    bool case_;
};

// Builds the replacement; false when a segment is malformed or names an empty register.
bool BuildReplacement(const std::string& replacement, const std::array<std::string, kRegisters>& regs, std::string& out)
{
    out.clear();
    std::size_t i = 0;
    while (i < replacement.size()) {
        const std::size_t open = replacement.find('[', i);
        const std::size_t close = open == std::string::npos ? std::string::npos : replacement.find(']', open);
        if (open == std::string::npos || close == std::string::npos) {
            out.append(replacement, i);
            break;
        }
        out.append(replacement, i, open - i);
        const std::string_view body = std::string_view(replacement).substr(open + 1, close - open - 1);
        const std::size_t colon = body.find(':');
        if (colon == std::string_view::npos) return false;
        const int r = RegisterNumber(body.substr(0, colon));
        if (r < 0 || regs[static_cast<std::size_t>(r)].empty()) return false;
        const std::string_view joiner = body.substr(colon + 1);
        const std::string& reg = regs[static_cast<std::size_t>(r)];
        for (std::size_t k = 0; k < reg.size();) {
            if (reg.compare(k, 2, "||") == 0) {
                out += joiner;
                k += 2;
            } else {
                out += reg[k++];
            }
        }
        i = close + 1;
    }
    return true;
}

void RegReplace(TvekScript& s, bool all)
{
    const bool caseSensitive = s.PopBool();
    const std::string replacement = Tildes(s.PopString());
    const std::string pattern = Tildes(s.PopString());
    std::string text = s.PopString();
    if (!pattern.empty()) {
        const bool starAtEnds = pattern.front() == '*' || pattern.back() == '*' ||
                                (!replacement.empty() && (replacement.front() == '*' || replacement.back() == '*'));
        if (starAtEnds) throw EvekScriptError("\"*\" not allowed at beginning or end of");
        const std::vector<TPart> parts = ParsePattern(pattern);
        TMatcher matcher(parts, caseSensitive);
        std::size_t from = 0, start = 0, end = 0;
        std::string built;
        while (from <= text.size() && matcher.Match(text, from, start, end)) {
            if (!BuildReplacement(replacement, matcher.registers, built)) break;
            text.replace(start, end - start, built);
            from = start + built.size();
            if (!all) break;
        }
    }
    s.Push(TVariant(std::move(text)));
}

void RegReplaceFirst(TvekScript& s) { RegReplace(s, false); }
void RegReplaceAll(TvekScript& s) { RegReplace(s, true); }

const TWordDef kWords[] = {
    {"regreplace", "( s pattern replacement flag -- s' )", RegReplaceFirst},
    {"regreplaceall", "( s pattern replacement flag -- s' )", RegReplaceAll},
};

} // namespace

const std::span<const TWordDef> kPatternWords(kWords);
