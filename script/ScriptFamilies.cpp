#include "script/ScriptFamilies.h"

#include "script/SetFamilies.h"
#include "script/VekScript.h"

#include <string>

namespace {

// Until a family is registered, every method of it fails the way an unknown method does.
[[noreturn]] void RaiseNoFamily(TvekScript& s)
{
    throw EvekScriptError("unrecognized method " + s.CurrentName() + "." + s.CurrentValue().RawString());
}
[[maybe_unused]] void ResolveUnregistered(TAtom& atom) { atom.Op = [](TvekScript& s) { RaiseNoFamily(s); }; }

// One resolver per family, in the order of TScriptFamily. A family registers by replacing its
// ResolveUnregistered here.
constexpr TFamilyResolver kFamilyResolvers[] = {
    ResolveSetMethod,      // Set
    ResolveHtmlMethod,     // Html
    ResolvePagedFileMethod, // PagedFile
    ResolveXmlMethod,      // Xml
    ResolveDataSourceMethod, // DataSource
    ResolveSystemMethod,   // System
    ResolveExternalMethod, // External
    ResolveInternalVarMethod, // Internal
    ResolveObjectVarMethod, // Object
};
static_assert(std::size(kFamilyResolvers) == static_cast<std::size_t>(TScriptFamily::Count));

} // namespace

TFamilyResolver FamilyResolver(TScriptFamily family) { return kFamilyResolvers[static_cast<std::size_t>(family)]; }
