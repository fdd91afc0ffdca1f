#pragma once
#include "platform/TColor.h"

#include <string>

// Number arguments of the subcommands. Each raises TCliUsageError, naming the text, when the text is
// not entirely the number asked for.
int IntArg(const std::string& text);
// A colour as the system writes it: decimal, or $ followed by hex digits ($00BBGGRR).
TColor ColorArg(const std::string& text);
long double DecimalArg(const std::string& text);
// A JPEG quality, 1 to 100, for --quality.
int QualityArg(const std::string& text);
