#include "script/EngineOps.h"
#include "script/ScriptText.h"
#include "script/VekScript.h"
#include "script/WordTable.h"

// Literals, procedures, control flow, the stack words and the conversions.

void OpPushValue(TvekScript& s) { s.Push(s.CurrentValue()); }

void OpPushParam(TvekScript& s)
{
    const std::string& name = s.CurrentName();
    for (const std::string& line : s.Params) {
        const std::size_t eq = line.find('=');
        if (eq != std::string::npos && SameText(std::string_view(line).substr(0, eq), name)) {
            s.Push(TVariant(line.substr(eq + 1)));
            return;
        }
    }
    s.Push(TVariant(std::string()));
}

// Reached in the normal flow, a definition skips its body: the loader stored the atom after the
// first ";" that follows it (or the end).
void OpDefine(TvekScript& s) { s.SetProgramCounter(s.CurrentAtom().Target); }

void OpCall(TvekScript& s)
{
    const int body = s.CurrentAtom().Target;
    if (body < 0) throw EvekScriptError("procedure " + s.CurrentName() + " not defined");
    s.ReturnPush(s.ProgramCounter());
    s.SetProgramCounter(body);
}

void OpReturn(TvekScript& s) { s.SetProgramCounter(s.ReturnPop()); }

void OpIf(TvekScript& s)
{
    if (!s.PopBool()) s.SetProgramCounter(s.CurrentAtom().Target);
}

void OpElse(TvekScript& s) { s.SetProgramCounter(s.CurrentAtom().Target); }

void OpUntil(TvekScript& s)
{
    if (!s.PopBool()) s.SetProgramCounter(s.CurrentAtom().Target);
}

void OpNothing(TvekScript&) {}

namespace {

void Dup(TvekScript& s)
{
    s.Need(1);
    s.Push(TVariant(s.Peek()));
}

void Drop(TvekScript& s)
{
    s.Need(1);
    s.DropTop();
}

void Swap(TvekScript& s)
{
    s.Need(2);
    std::swap(s.Peek(0), s.Peek(1));
}

void CStr(TvekScript& s)
{
    s.Need(1);
    TVariant& v = s.Peek();
    if (!v.IsString()) v = TVariant(v.ToString());
}

void CDbl(TvekScript& s)
{
    s.Need(1);
    TVariant& v = s.Peek();
    v = TVariant(v.ToDouble());
}

void CInt(TvekScript& s)
{
    s.Need(1);
    TVariant& v = s.Peek();
    v = TVariant(v.ToInt());
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    c = UpperChar(c);
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// "#RRGGBB" -> $00BBGGRR; anything else gives 0.
void HtmlToColor(TvekScript& s)
{
    const std::string text = s.PopString();
    int color = 0;
    if (text.size() == 7 && text[0] == '#') {
        int rgb[3] = {0, 0, 0};
        bool ok = true;
        for (int i = 0; i < 3 && ok; ++i) {
            const int hi = HexDigit(text[1 + 2 * i]), lo = HexDigit(text[2 + 2 * i]);
            ok = hi >= 0 && lo >= 0;
            rgb[i] = hi * 16 + lo;
        }
        if (ok) color = rgb[2] * 65536 + rgb[1] * 256 + rgb[0];
    }
    s.Push(TVariant(color));
}

const TWordDef kWords[] = {
    {"dup", "( x -- x x )", Dup},
    {"drop", "( x -- )", Drop},
    {"swap", "( a b -- b a )", Swap},
    {"if", "( flag -- )", OpIf},
    {"else", "( -- )", OpElse},
    {"endif", "( -- )", OpNothing},
    {"repeat", "( -- )", OpNothing},
    {"until", "( flag -- )", OpUntil},
    {";", "( -- )", OpReturn},
    {"cstr", "( x -- str )", CStr},
    {"cdbl", "( x -- num )", CDbl},
    {"cint", "( x -- int )", CInt},
    {"htmltocolor", "( str -- int )", HtmlToColor},
};

} // namespace

const std::span<const TWordDef> kStackWords(kWords);
