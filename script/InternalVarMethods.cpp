#include "script/ScriptText.h"
#include "script/SetFamilies.h"
#include "script/SetText.h"
#include "script/VekScript.h"

#include <unordered_map>

// ":" internal variables: arrays of values by name, element 0 being "the value". They live for one
// run. The atom keeps the lower-cased name, so a lookup needs no case folding while running.

namespace {

using TValues = std::vector<TVariant>;

class TVariantList : public TScriptRunData {
public:
    std::unordered_map<std::string, TValues> vars;
};

constexpr int kMaxElements = 10'000'000;

TVariantList& Vars(TvekScript& s) { return s.RunData<TVariantList>(TScriptFamily::Internal); }
const std::string& Key(TvekScript& s) { return s.CurrentAtom().Extra; }

[[noreturn]] void NotDefined(TvekScript& s) { throw EvekScriptError("variable " + s.CurrentName() + " not defined"); }

// The variable, which must exist.
TValues& Existing(TvekScript& s)
{
    auto& vars = Vars(s).vars;
    const auto it = vars.find(Key(s));
    if (it == vars.end()) NotDefined(s);
    return it->second;
}

TValues& Created(TvekScript& s)
{
    TValues& values = Vars(s).vars[Key(s)];
    if (values.empty()) values.assign(1, TVariant::Null());
    return values;
}

TVariant& Element(TvekScript& s, TValues& values, int index)
{
    if (index < 0 || index >= int(values.size()))
        throw EvekScriptError("variable " + s.CurrentName() + " array get index out of range " + std::to_string(index));
    return values[size_t(index)];
}

void Set(TvekScript& s)
{
    TVariant v = s.Pop();
    Created(s)[0] = std::move(v);
}

void Get(TvekScript& s)
{
    const TValues& values = Existing(s);
    if (values[0].IsNull()) NotDefined(s);
    s.Push(values[0]);
}

void SetSize(TvekScript& s)
{
    const int n = s.PopInt();
    if (n < 0 || n > kMaxElements)
        throw EvekScriptError("variable " + s.CurrentName() + " array size out of range " + std::to_string(n));
    Vars(s).vars[Key(s)].resize(size_t(n), TVariant::Null());
}

void GetSize(TvekScript& s) { s.Push(TVariant(int(Existing(s).size()))); }

void SetAt(TvekScript& s)
{
    TValues& values = Existing(s);
    const int i = s.PopInt();
    Element(s, values, i) = s.Pop();
}

void GetAt(TvekScript& s)
{
    TValues& values = Existing(s);
    s.Push(Element(s, values, s.PopInt()));
}

// Element 0 of an existing variable, which setsize[] may have left without elements.
TVariant& Value(TvekScript& s) { return Element(s, Existing(s), 0); }

template <TVariant (*Op)(const TVariant&, const TVariant&)>
void Apply(TvekScript& s)
{
    TVariant& v = Value(s);
    v = Op(v, s.Pop());
}

void Inc(TvekScript& s)
{
    TVariant& v = Value(s);
    v = VarAdd(v, TVariant(1));
}

void Dec(TvekScript& s)
{
    TVariant& v = Value(s);
    v = VarSub(v, TVariant(1));
}

void DecIsZero(TvekScript& s)
{
    TVariant& v = Value(s);
    v = VarSub(v, TVariant(1));
    s.Push(TVariant(VarCompare(v, TVariant(0)) == TVarOrder::Equal));
}

void Negate(TvekScript& s)
{
    TVariant& v = Value(s);
    v = VarNeg(v);
}

void IncrementIndex(TvekScript& s)
{
    TVariant& v = Value(s);
    const std::string text = v.ToString();
    const size_t open = text.rfind('[');
    if (open == std::string::npos) throw EvekScriptError("Increment Index: \"[\" expected in " + text);
    const size_t close = text.rfind(']');
    if (close == std::string::npos) throw EvekScriptError("Increment Index: \"]\" expected in " + text);
    int n = 0;
    if (close < open || !ParseIntText(std::string_view(text).substr(open + 1, close - open - 1), n) || n == INT32_MAX)
        throw EvekScriptError("Increment Index: expected integer between \"[..]\" in " + text);
    std::string next = text.substr(0, open) + "[" + std::to_string(n + 1) + "]";
    v = TVariant(next);
    s.Push(TVariant(std::move(next)));
}

void Load(TvekScript& s)
{
    TVariant& v = Value(s);
    const std::string file = s.ExpandFileName(s.PopString());
    std::string text;
    if (!vektext::ReadTextFile(file, text)) throw EvekScriptError("Cannot open file \"" + file + "\"");
    s.CheckTimeSoon();
    v = TVariant(std::move(text));
}

void Save(TvekScript& s)
{
    const TVariant& v = Value(s);
    const std::string file = s.ExpandFileName(s.PopString());
    if (!vektext::WriteTextFile(file, v.ToString())) throw EvekScriptError("Cannot create file \"" + file + "\"");
    s.CheckTimeSoon();
}

void SplitInto(TvekScript& s)
{
    const std::vector<std::string> items = vektext::ReadCommaText(s.PopString());
    if (items.empty()) throw EvekScriptError("internal variable " + s.CurrentName() + " can not split empty string");
    TValues& values = Vars(s).vars[Key(s)];
    values.clear();
    for (const std::string& item : items) values.emplace_back(item);
}

void Unknown(TvekScript& s)
{
    throw EvekScriptError("unrecognize internal variable method " + s.CurrentName() + "." + s.CurrentValue().RawString());
}

const TMethodEntry kInternalMethods[] = {
    {"set", Set},           {"get", Get},
    {"setsize[]", SetSize}, {"getsize[]", GetSize},
    {"set[]", SetAt},       {"get[]", GetAt},
    {"1+", Inc},            {"1-", Dec},
    {"1-?0", DecIsZero},    {"+", Apply<VarAdd>},
    {"-", Apply<VarSub>},   {"*", Apply<VarMul>},
    {"/", Apply<VarDiv>},   {"--", Negate},
    {"[1+]", IncrementIndex}, {"load", Load},
    {"save", Save},         {"split[]", SplitInto},
};

} // namespace

void ResolveInternalVarMethod(TAtom& atom)
{
    atom.Extra = LowerCase(atom.Name);
    atom.Op = FindMethod(kInternalMethods, atom.Value.RawString(), Unknown);
}
