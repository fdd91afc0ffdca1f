#pragma once
#include "script/Atom.h"

#include <string>

// Resolvers of the data method families, registered in the family table.
void ResolveSetMethod(TAtom& atom);          // "set." sets, texts, attribute lists, templates
void ResolveHtmlMethod(TAtom& atom);         // "html."
void ResolveInternalVarMethod(TAtom& atom);  // ":" internal variables
void ResolveObjectVarMethod(TAtom& atom);    // "^" object variables
void ResolveDataSourceMethod(TAtom& atom);   // "_" data sources
void ResolveXmlMethod(TAtom& atom);          // "?" XML trees
void ResolvePagedFileMethod(TAtom& atom);    // "&" paged record files

// A family's methods by name: compared case-sensitively, once, at load time.
struct TMethodEntry {
    const char* name;
    TAtomOp op;
};
template <std::size_t N>
TAtomOp FindMethod(const TMethodEntry (&table)[N], const std::string& method, TAtomOp unknown)
{
    for (const TMethodEntry& e : table)
        if (method == e.name) return e.op;
    return unknown;
}
