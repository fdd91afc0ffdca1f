#include "script/SetFamilies.h"
#include "script/SetText.h"
#include "script/VekScript.h"

#include <algorithm>

// "set." methods: sets of blank-separated items, CR LF texts, attribute lists and templates.

using namespace vektext;

namespace {

using TItems = std::vector<std::string>;

bool Contains(const TItems& items, const std::string& item)
{
    return std::any_of(items.begin(), items.end(), [&](const std::string& i) { return SameText(i, item); });
}

void SortItems(TItems& items)
{
    std::stable_sort(items.begin(), items.end(), [](const std::string& a, const std::string& b) { return CompareText(a, b) < 0; });
}

void First(TvekScript& s)
{
    const std::string text = s.PopString();
    const std::string_view set = TrimView(text);
    std::string_view item;
    if (!set.empty() && set[0] == '"') {
        const size_t close = set.find('"', 1);
        item = set.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1);
    } else {
        item = set.substr(0, set.find(' '));
    }
    s.Push(TVariant(std::string(item)));
}

void Last(TvekScript& s)
{
    const std::string text = s.PopString();
    const std::string_view set = TrimView(text);
    std::string_view item;
    if (!set.empty() && set.back() == '"') {
        const size_t open = set.size() > 1 ? set.rfind('"', set.size() - 2) : std::string_view::npos;
        item = open == std::string_view::npos ? set.substr(0, set.size() - 1) : set.substr(open + 1, set.size() - open - 2);
    } else {
        const size_t space = set.rfind(' ');
        item = space == std::string_view::npos ? set : set.substr(space + 1);
    }
    s.Push(TVariant(std::string(item)));
}

void Count(TvekScript& s) { s.Push(TVariant(static_cast<int>(ReadSet(s.PopString()).size()))); }

void Pick(TvekScript& s)
{
    const int i = s.PopInt();
    const TItems items = ReadSet(s.PopString());
    if (i < 0) throw EvekScriptError("List index out of bounds (" + std::to_string(i) + ")");
    s.Push(TVariant(i < int(items.size()) ? items[size_t(i)] : std::string()));
}

// ( set -- set' ) and ( text -- text' ): the items or lines changed by f, written back.
template <class F>
void MapItems(TvekScript& s, bool lines, F f)
{
    const std::string text = s.PopString();
    TItems items = lines ? ReadLines(text) : ReadSet(text);
    f(items);
    s.Push(TVariant(lines ? WriteLines(items) : WriteSet(items)));
}

void RotateLeft(TvekScript& s)
{
    MapItems(s, false, [](TItems& items) {
        if (!items.empty()) std::rotate(items.begin(), items.begin() + 1, items.end());
    });
}

void RotateRight(TvekScript& s)
{
    MapItems(s, false, [](TItems& items) {
        if (!items.empty()) std::rotate(items.rbegin(), items.rbegin() + 1, items.rend());
    });
}

void Sort(TvekScript& s) { MapItems(s, false, SortItems); }

void Union(TvekScript& s)
{
    const std::string b = s.PopString();
    std::string a = s.PopString();
    const TItems bItems = ReadSet(b);
    if (bItems.empty()) {
        s.Push(TVariant(std::move(a)));
        return;
    }
    TItems out;
    for (const TItems& items : {bItems, ReadSet(a)})
        for (const std::string& item : items)
            if (!Contains(out, item)) out.push_back(item);
    s.Push(TVariant(WriteSet(out)));
}

void Intersect(TvekScript& s)
{
    const TItems b = ReadSet(s.PopString());
    const TItems a = ReadSet(s.PopString());
    TItems out;
    for (const std::string& item : b)
        if (Contains(a, item)) out.push_back(item);
    s.Push(TVariant(WriteSet(out)));
}

void Exclude(TvekScript& s)
{
    const TItems b = ReadSet(s.PopString());
    TItems a = ReadSet(s.PopString());
    for (const std::string& item : b) {
        const auto hit = std::find_if(a.begin(), a.end(), [&](const std::string& i) { return SameText(i, item); });
        if (hit != a.end()) a.erase(hit);
    }
    s.Push(TVariant(WriteSet(a)));
}

void Pack(TvekScript& s)
{
    std::string t = s.PopString();
    std::erase(t, ' ');
    s.Push(TVariant(std::move(t)));
}

void Split(TvekScript& s)
{
    const std::string sep = s.PopString();
    std::string t = s.PopString();
    ReplaceAll(t, sep, " ");
    s.Push(TVariant(std::move(t)));
}

void Get(TvekScript& s)
{
    const std::string name = s.PopString();
    const std::string attrs = s.PopString();
    s.Push(TVariant(AttributeText(attrs, name)));
}

void Set(TvekScript& s)
{
    const std::string value = s.PopString();
    const std::string name = s.PopString();
    const std::string attrs = s.PopString();
    s.Push(TVariant(SetAttribute(attrs, name, value)));
}

// set.do runs scripts inside scripts; a script that runs itself must end in an error, not in an
// exhausted machine stack.
int doDepth = 0;
constexpr int kMaxDoDepth = 64;

void Do(TvekScript& s)
{
    const std::string text = s.PopString();
    if (doDepth >= kMaxDoDepth) throw EvekScriptError("set.do nested deeper than " + std::to_string(kMaxDoDepth) + " levels");
    struct TDepth {
        TDepth() { ++doDepth; }
        ~TDepth() { --doDepth; }
    } depth;
    TvekScript inner;
    inner.ProgramFolder = s.ProgramFolder;
    inner.DataSourceFolder = s.DataSourceFolder;
    inner.SetScript(text);
    TVariant result = inner.Execute();
    s.CheckTimeSoon();
    s.Push(result.IsEmpty() ? TVariant::Null() : std::move(result));
}

void Load(TvekScript& s)
{
    std::string text;
    if (!ReadTextFile(s.ExpandFileName(s.PopString()), text)) text = "not found";
    s.CheckTimeSoon();
    s.Push(TVariant(std::move(text)));
}

void Save(TvekScript& s)
{
    const std::string file = s.ExpandFileName(s.PopString());
    const std::string text = s.PopString();
    if (!WriteTextFile(file, text)) throw EvekScriptError("Cannot create file \"" + file + "\"");
    s.CheckTimeSoon();
}

void AddLine(TvekScript& s)
{
    const std::string line = s.PopString();
    std::string text = s.PopString();
    text += line;
    text += "\r\n";
    s.Push(TVariant(std::move(text)));
}

void Line(TvekScript& s)
{
    const int i = s.PopInt();
    const TItems lines = ReadLines(s.PopString());
    s.Push(TVariant(i >= 0 && i < int(lines.size()) ? lines[size_t(i)] : std::string()));
}

void DelLine(TvekScript& s)
{
    const int i = s.PopInt();
    std::string text = s.PopString();
    TItems lines = ReadLines(text);
    if (i >= 0 && i < int(lines.size())) {
        lines.erase(lines.begin() + i);
        text = WriteLines(lines);
    }
    s.Push(TVariant(std::move(text)));
}

void CntLine(TvekScript& s) { s.Push(TVariant(static_cast<int>(ReadLines(s.PopString()).size()))); }

void InsLine(TvekScript& s)
{
    const int i = s.PopInt();
    std::string line = s.PopString();
    TItems lines = ReadLines(s.PopString());
    lines.insert(i >= 0 && i < int(lines.size()) ? lines.begin() + i : lines.end(), std::move(line));
    s.Push(TVariant(WriteLines(lines)));
}

void SortLines(TvekScript& s) { MapItems(s, true, SortItems); }

void MoveLine(TvekScript& s)
{
    const int to = s.PopInt();
    const int from = s.PopInt();
    std::string text = s.PopString();
    TItems lines = ReadLines(text);
    const int n = int(lines.size());
    if (from >= 0 && from < n && to >= 0 && to < n) {
        std::string line = std::move(lines[size_t(from)]);
        lines.erase(lines.begin() + from);
        lines.insert(lines.begin() + to, std::move(line));
        text = WriteLines(lines);
    }
    s.Push(TVariant(std::move(text)));
}

void Template(TvekScript& s)
{
    const std::string value = s.PopString();
    const std::string name = s.PopString();
    std::string text = s.PopString();
    const size_t blockAt = FindText(name, "block:");
    if (blockAt != std::string::npos) {
        // A row block is repeated once per call: its content goes in before the block marker.
        const std::string b = name.substr(blockAt + 6);
        const size_t marker = FindLastText(text, "{block:" + b + "}");
        const std::string beginMark = "{begin:" + b + "}";
        const size_t begin = FindText(text, beginMark);
        const size_t end = begin == std::string::npos ? begin : FindText(text, "{end:" + b + "}", begin + beginMark.size());
        if (marker != std::string::npos && end != std::string::npos) {
            const size_t contentStart = begin + beginMark.size();
            text.insert(marker, text.substr(contentStart, end - contentStart));
        }
    }
    const std::string placeholder = "{" + name + "}";
    const size_t at = FindText(text, placeholder);
    if (at != std::string::npos) text.replace(at, placeholder.size(), value);
    s.Push(TVariant(std::move(text)));
}

void TemplateClean(TvekScript& s)
{
    std::string text = s.PopString();
    for (;;) {
        const size_t begin = FindText(text, "{begin:");
        if (begin == std::string::npos) break;
        const size_t end = FindText(text, "{end:", begin);
        if (end == std::string::npos) break;
        const size_t close = text.find('}', end);
        if (close == std::string::npos) break;
        text.erase(begin, close - begin + 1);
    }
    for (;;) {
        const size_t open = text.find('{');
        if (open == std::string::npos) break;
        const size_t close = text.find('}', open);
        if (close == std::string::npos) break;
        text.erase(open, close - open + 1);
    }
    s.Push(TVariant(std::move(text)));
}

void Unknown(TvekScript& s)
{
    throw EvekScriptError("unrecognized set method " + s.CurrentName() + "." + s.CurrentValue().RawString());
}

const TMethodEntry kSetMethods[] = {
    {"first", First},         {"last", Last},         {"count", Count},         {"pick", Pick},
    {"left", RotateLeft},     {"right", RotateRight}, {"sort", Sort},           {"union", Union},
    {"intersect", Intersect}, {"exclude", Exclude},   {"pack", Pack},           {"split", Split},
    {"get", Get},             {"set", Set},           {"do", Do},               {"load", Load},
    {"save", Save},           {"addline", AddLine},   {"line", Line},           {"delline", DelLine},
    {"cntline", CntLine},     {"insline", InsLine},   {"sortlines", SortLines}, {"moveline", MoveLine},
    {"template", Template},   {"templateclean", TemplateClean},
};

} // namespace

void ResolveSetMethod(TAtom& atom) { atom.Op = FindMethod(kSetMethods, atom.Value.RawString(), Unknown); }
