#include "script/ScriptFamilies.h"
#include "script/VekScript.h"

// External (">") and system (")") variables: their values come from the host through the events.

namespace {

const std::string& Method(TvekScript& s) { return s.CurrentValue().RawString(); }

void ExternalGet(TvekScript& s)
{
    TVariant value;
    bool handled = false;
    std::string errorStr = "Variable " + s.CurrentName() + " not defined";
    if (s.onGetVariable) {
        s.CheckTimeSoon();
        s.onGetVariable(s, s.CurrentName(), value, handled, errorStr);
    }
    if (!handled) throw EvekScriptError(errorStr);
    s.Push(std::move(value));
}

void ExternalSet(TvekScript& s)
{
    TVariant value = s.Pop();
    if (!s.onSetVariable) return;
    bool handled = false;
    std::string errorStr = "can not assign variable " + s.CurrentName();
    s.CheckTimeSoon();
    s.onSetVariable(s, s.CurrentName(), value, handled, errorStr);
    if (!handled) throw EvekScriptError(errorStr);
}

void ExternalUnknown(TvekScript& s)
{
    throw EvekScriptError("unrecognize external variable method " + s.CurrentName() + "." + Method(s));
}

void SystemGet(TvekScript& s)
{
    const std::string prompt = s.PopString();
    TVariant value;
    bool handled = false;
    std::string errorStr = "System " + s.CurrentName() + " not defined";
    if (s.onGetSystem) {
        s.CheckTimeSoon();
        s.onGetSystem(s, s.CurrentName(), prompt, value, handled, errorStr);
    }
    if (!handled) throw EvekScriptError(errorStr);
    s.Push(std::move(value));
}

void SystemSet(TvekScript& s)
{
    // The value stays on the stack.
    s.Need(1);
    const TVariant value = s.Peek();
    if (!s.onSetSystem) return;
    bool handled = false;
    std::string errorStr = "can not assign System " + s.CurrentName();
    s.CheckTimeSoon();
    s.onSetSystem(s, s.CurrentName(), value, handled, errorStr);
    if (!handled) throw EvekScriptError(errorStr);
}

void SystemUnknown(TvekScript& s)
{
    throw EvekScriptError("unrecognize system method " + s.CurrentName() + "." + Method(s));
}

} // namespace

void ResolveExternalMethod(TAtom& atom)
{
    const std::string& m = atom.Value.RawString();
    atom.Op = m == "get" ? ExternalGet : m == "set" ? ExternalSet : ExternalUnknown;
}

void ResolveSystemMethod(TAtom& atom)
{
    const std::string& m = atom.Value.RawString();
    atom.Op = m == "get" ? SystemGet : m == "set" ? SystemSet : SystemUnknown;
}
