#pragma once
#include <span>

class TVistrelF;
class QMenuBar;

using TMenuCommand = void (TVistrelF::*)();

enum TMenuFlag : unsigned {
    mfCheckable = 1,
    mfChecked = 2,       // ticked at start (implies checkable)
    mfStartsDisabled = 4 // built, but enabled only later in the run
};

// One line of the main menu. A line followed by lines one level deeper is a submenu.
struct TMenuEntry {
    int Level;            // 0: a menu of the menu bar; 1: its entries; 2: entries of a submenu
    const char* Name;     // the name the window finds the entry by
    const char* Caption;  // "&" marks the access key; "-" is a separator
    const char* Shortcut; // key text such as "Ctrl+O"; "" for none
    TMenuCommand Command; // nullptr while the command is not built: the entry shows disabled
    unsigned Flags;
    int RadioGroup;       // 0 for none; entries of one group exclude each other
    // An Effects entry: the effect text it runs (TVistrelDoc::RunEffect), in place of a command.
    const char* Effect = nullptr;
    // An Effect Settings entry: the name of the setting it asks for, in place of a command.
    const char* Setting = nullptr;
};

// The main menu in menu order.
std::span<const TMenuEntry> MainMenuMap();

// Enabled at start: built, and not one that waits for something to happen first.
constexpr bool HasCommand(const TMenuEntry& e) { return e.Command || e.Effect || e.Setting; }
constexpr bool StartsEnabled(const TMenuEntry& e) { return HasCommand(e) && !(e.Flags & mfStartsDisabled); }

// The entry of that name, or nullptr.
const TMenuEntry* FindMenuEntry(const char* name);
