#pragma once
#include <string_view>

// A file mask with "*" and "?", matched without regard to case, as file lists and the script word
// files match names; "*.*" matches every name, with or without an extension.
bool FileMaskMatches(std::string_view mask, std::string_view name);
