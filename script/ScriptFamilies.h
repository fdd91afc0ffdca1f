#pragma once
#include "script/Atom.h"

// Called once per prefixed token at load time, with atom.Name and atom.Value (the method text)
// filled in: sets atom.Op, and may fill atom.Aux and atom.Extra.
using TFamilyResolver = void (*)(TAtom& atom);

TFamilyResolver FamilyResolver(TScriptFamily family);

// The engine's own families: external variables (">") and system variables (")").
void ResolveExternalMethod(TAtom& atom);
void ResolveSystemMethod(TAtom& atom);
