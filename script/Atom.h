#pragma once
#include "script/Variant.h"

#include <cstdint>
#include <string>
#include <vector>

class TvekScript;

// The routine that executes one atom. It finds its atom through TvekScript::CurrentAtom().
using TAtomOp = void (*)(TvekScript&);

// One token of a loaded script.
struct TAtom {
    // The word itself; the variable, object or file name of a prefixed token; the literal text; the
    // procedure name of a call or definition.
    std::string Name;
    // The value a literal pushes, or the method text of a prefixed token ("set." and "html." tokens
    // included: for "set.count" Name is "set" and Value is "count").
    TVariant Value;
    TAtomOp Op = nullptr;
    // Jump target of if, else, until and procedure calls: an atom index; -1 while unset.
    int Target = -1;
    // Free for the method family that resolved the atom, to keep what it worked out at load time
    // (a method code, a split method text) so that running needs no string comparison.
    int Aux = 0;
    std::string Extra;
};

using TAtomList = std::vector<TAtom>;

// The method families of prefixed tokens, in the order the loader tests them.
enum class TScriptFamily : std::uint8_t {
    Set,        // "set." + method
    Html,       // "html." + method
    PagedFile,  // "&" name "." method
    Xml,        // "?" name "." method
    DataSource, // "_" name "." method
    System,     // ")" name "." method
    External,   // ">" name "." method
    Internal,   // ":" name "." method
    Object,     // "^" name "." verb "." property
    Count
};
