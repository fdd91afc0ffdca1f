#pragma once
#include <string>
#include <string_view>

// Base64 with the alphabet A-Z a-z 0-9 + /, "=" fill at the end and no line breaks; shared by the
// script words and the paged record files, whose stored records depend on exactly this form.
std::string EncodeBase64(std::string_view bytes);
// A length that is not a multiple of 4 raises EvekScriptError("Base64: Incorrect string format");
// characters outside the alphabet count as "/".
std::string DecodeBase64(std::string_view text);
