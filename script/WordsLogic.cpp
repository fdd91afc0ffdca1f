#include "script/ScriptText.h"
#include "script/VekScript.h"
#include "script/WordTable.h"

// Constants, comparisons, logic and the membership test of a value in a list text.

namespace {

void True(TvekScript& s) { s.Push(TVariant(true)); }
void False(TvekScript& s) { s.Push(TVariant(false)); }

template <class Test>
void Compare(TvekScript& s, Test test)
{
    s.Need(2);
    TVariant& a = s.Peek(1);
    const TVariant& b = s.Peek(0);
    bool r;
    if (a.Kind() == TVarKind::Int && b.Kind() == TVarKind::Int) {
        const int x = a.RawInt(), y = b.RawInt();
        r = test(x < y ? TVarOrder::Less : (x > y ? TVarOrder::Greater : TVarOrder::Equal));
    } else {
        r = test(VarCompare(a, b));
    }
    a.SetBool(r);
    s.DropTop();
}

void Equal(TvekScript& s) { Compare(s, [](TVarOrder o) { return o == TVarOrder::Equal; }); }
void NotEqual(TvekScript& s) { Compare(s, [](TVarOrder o) { return o != TVarOrder::Equal; }); }
void Less(TvekScript& s) { Compare(s, [](TVarOrder o) { return o == TVarOrder::Less; }); }
void LessEqual(TvekScript& s) { Compare(s, [](TVarOrder o) { return o == TVarOrder::Less || o == TVarOrder::Equal; }); }
void Greater(TvekScript& s) { Compare(s, [](TVarOrder o) { return o == TVarOrder::Greater; }); }
void GreaterEqual(TvekScript& s) { Compare(s, [](TVarOrder o) { return o == TVarOrder::Greater || o == TVarOrder::Equal; }); }

template <TVariant (*Op)(const TVariant&, const TVariant&)>
void Binary(TvekScript& s)
{
    s.Need(2);
    s.Peek(1) = Op(s.Peek(1), s.Peek(0));
    s.DropTop();
}

void Not(TvekScript& s)
{
    s.Need(1);
    s.Peek() = VarNot(s.Peek());
}

void Like(TvekScript& s)
{
    const std::string b = s.PopString();
    const std::string a = s.PopString();
    s.Push(TVariant(FindText(a, b) != std::string::npos));
}

void Unlike(TvekScript& s)
{
    const std::string b = s.PopString();
    const std::string a = s.PopString();
    s.Push(TVariant(FindText(a, b) == std::string::npos));
}

// Reads the items of a list text one at a time: blank-separated, or in double quotes.
class TListItems {
public:
    explicit TListItems(const std::string& text) : t_(text) {}
    bool Next(std::string_view& item)
    {
        while (pos_ < t_.size() && IsBlank(t_[pos_])) ++pos_;
        if (pos_ >= t_.size()) return false;
        if (t_[pos_] == '"') {
            const std::size_t close = t_.find('"', pos_ + 1);
            if (close == std::string_view::npos)
                throw EvekScriptError("unterminated string near " + std::string(t_.substr(pos_)));
            item = t_.substr(pos_ + 1, close - pos_ - 1);
            pos_ = close + 1;
        } else {
            const std::size_t space = t_.find(' ', pos_);
            const std::size_t end = space == std::string_view::npos ? t_.size() : space;
            item = t_.substr(pos_, end - pos_);
            pos_ = end;
        }
        return true;
    }

private:
    std::string_view t_;
    std::size_t pos_ = 0;
};

// How one kind of value reads list items: false from Parse stops the search with false.
template <class T, class ParseFn, class LessFn>
bool InList(const std::string& list, const T& x, ParseFn parse, LessFn less)
{
    TListItems items(list);
    std::string_view item;
    while (items.Next(item)) {
        const std::size_t range = item.find("..");
        if (range != std::string_view::npos) {
            T lo{}, hi{};
            if (!parse(TrimView(item.substr(0, range)), lo) || !parse(TrimView(item.substr(range + 2)), hi)) return false;
            if (!less(x, lo) && !less(hi, x)) return true;
        } else {
            T v{};
            if (!parse(item, v)) return false;
            if (!less(x, v) && !less(v, x)) return true;
        }
    }
    return false;
}

void In(TvekScript& s)
{
    const std::string list = s.PopString();
    const TVariant x = s.Pop();
    bool found = false;
    if (!list.empty()) {
        auto less = [](const auto& a, const auto& b) { return a < b; };
        switch (x.Kind()) {
        case TVarKind::Int:
            found = InList(list, x.RawInt(), [](std::string_view t, int& v) { return ParseIntText(t, v); }, less);
            break;
        case TVarKind::Double:
            found = InList(list, x.RawDouble(), [](std::string_view t, double& v) {
                int i = 0;
                if (ParseIntText(t, i)) return v = i, true;
                if (!ParseDoubleText(t, v)) throw EvekScriptError("invalid number " + std::string(t));
                return true;
            }, less);
            break;
        case TVarKind::Date:
            found = InList(list, x.RawDouble(), [](std::string_view t, double& v) { return ParseDateText(t, v); }, less);
            break;
        case TVarKind::String:
            found = InList(list, x.RawString(), [](std::string_view t, std::string& v) { return v = std::string(t), true; },
                           [](const std::string& a, const std::string& b) { return CompareStr(a, b) < 0; });
            break;
        default: throw EvekScriptError("unrecognized data type in set operation");
        }
    }
    s.Push(TVariant(found));
}

const TWordDef kWords[] = {
    {"true", "( -- bool )", True},
    {"false", "( -- bool )", False},
    {"=", "( a b -- bool )", Equal},
    {"<>", "( a b -- bool )", NotEqual},
    {"<", "( a b -- bool )", Less},
    {"<=", "( a b -- bool )", LessEqual},
    {">", "( a b -- bool )", Greater},
    {">=", "( a b -- bool )", GreaterEqual},
    {"and", "( a b -- c )", Binary<VarAnd>},
    {"or", "( a b -- c )", Binary<VarOr>},
    {"xor", "( a b -- c )", Binary<VarXor>},
    {"not", "( a -- c )", Not},
    {"like", "( a b -- bool )", Like},
    {"unlike", "( a b -- bool )", Unlike},
    {"in", "( x list -- bool )", In},
};

} // namespace

const std::span<const TWordDef> kLogicWords(kWords);
