#pragma once
#include "platform/TCanvas.h"
#include "shapes/TvekShape.h"

#include <array>
#include <span>
#include <string_view>

// The names of the values the shape's properties take, as form descriptions store them and menus
// show them, in enumeration order.
extern const std::array<const char*, ShapeTypeCount> ShapeTypeNames;
extern const std::array<const char*, FillDirectionCount> FillDirectionNames;
extern const std::array<const char*, ShapeMouseModeCount> MouseModeNames;
extern const std::array<const char*, psInsideFrame + 1> PenStyleNames;
extern const std::array<const char*, bsDiagCross + 1> BrushStyleNames;

// The index of a name in one of the tables above, or -1. Menus match exactly; form-style text given
// on the command line matches without regard to case.
int NameIndex(std::span<const char* const> names, std::string_view name, bool ignoreCase = false);
