#pragma once
#include "script/Atom.h"

#include <span>
#include <string_view>

// One built-in word: its name (lower case, matched exactly), its stack effect, which is its
// documentation, and its routine.
struct TWordDef {
    const char* name;
    const char* effect;
    TAtomOp op;
};

// The word tables, one per family, each defined in its family's file.
extern const std::span<const TWordDef> kStackWords;      // WordsStack.cpp: stack, control, conversion
extern const std::span<const TWordDef> kTextWords;       // WordsText.cpp
extern const std::span<const TWordDef> kPatternWords;    // WordsPattern.cpp: regreplace
extern const std::span<const TWordDef> kEncodingWords;   // WordsEncoding.cpp
extern const std::span<const TWordDef> kFileWords;       // WordsFile.cpp
extern const std::span<const TWordDef> kDialogWords;     // WordsDialog.cpp: dialogs and clipboard
extern const std::span<const TWordDef> kDateWords;       // WordsDate.cpp
extern const std::span<const TWordDef> kMathWords;       // WordsMath.cpp
extern const std::span<const TWordDef> kLogicWords;      // WordsLogic.cpp: comparison, logic, in

// The built-in word of that exact name, or nullptr.
const TWordDef* FindWord(std::string_view token);
