#pragma once
#include <string_view>

// A whole text that is a decimal number with a point: optional sign, digits with an optional
// fraction (at least one digit), optional exponent; no blanks. False when it is anything else.
bool ParseDoubleText(std::string_view s, double& out);
