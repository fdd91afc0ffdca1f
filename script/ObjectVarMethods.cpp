#include "script/SetFamilies.h"
#include "script/VekScript.h"

// "^" object variables: name "." verb "." property, served by the host's object events. The atom
// keeps the property in Extra.

namespace {

void Set(TvekScript& s)
{
    // The value stays on the stack.
    s.Need(1);
    const TVariant value = s.Peek();
    if (!s.onSetObject) return;
    bool handled = false;
    std::string errorStr = "can not assign object variable " + s.CurrentName();
    s.CheckTimeSoon();
    s.onSetObject(s, s.CurrentName(), s.CurrentAtom().Extra, value, handled, errorStr);
    if (!handled) throw EvekScriptError(errorStr);
}

void Get(TvekScript& s)
{
    TVariant value;
    bool handled = false;
    std::string errorStr = "Object variable " + s.CurrentName() + " not defined";
    if (s.onGetObject) {
        s.CheckTimeSoon();
        s.onGetObject(s, s.CurrentName(), s.CurrentAtom().Extra, value, handled, errorStr);
    }
    if (!handled) throw EvekScriptError(errorStr);
    s.Push(std::move(value));
}

void MissingProperty(TvekScript& s)
{
    throw EvekScriptError("missing object method or property specifier in " + s.CurrentName() + "." +
                          s.CurrentValue().RawString());
}

void Unknown(TvekScript& s)
{
    throw EvekScriptError("unrecognized object variable method or property " + s.CurrentName() + "." +
                          s.CurrentAtom().Extra);
}

} // namespace

void ResolveObjectVarMethod(TAtom& atom)
{
    const std::string& method = atom.Value.RawString();
    const size_t dot = method.find('.');
    if (dot == std::string::npos) {
        atom.Op = MissingProperty;
        return;
    }
    const std::string verb = method.substr(0, dot);
    atom.Extra = method.substr(dot + 1);
    atom.Op = verb == "set" ? Set : verb == "get" ? Get : Unknown;
}
