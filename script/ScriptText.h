#pragma once
#include <string>
#include <string_view>

// Text helpers shared by the words and the method families. Strings are bytes; case changes touch
// the ASCII letters only, and "without regard to case" means that and nothing more.
inline char UpperChar(char c) { return c >= 'a' && c <= 'z' ? char(c - 32) : c; }
inline char LowerChar(char c) { return c >= 'A' && c <= 'Z' ? char(c + 32) : c; }
std::string UpperCase(std::string_view s);
std::string LowerCase(std::string_view s);
bool SameText(std::string_view a, std::string_view b);
// CompareText: difference of the first differing (upper-cased) characters, else of the lengths.
int CompareText(std::string_view a, std::string_view b);
int CompareStr(std::string_view a, std::string_view b);
// Index of the first occurrence of sub in s at or after from, ignoring case; npos when absent.
std::size_t FindText(std::string_view s, std::string_view sub, std::size_t from = 0);

// Characters with codes up to 32 removed at both ends, at the start, at the end.
std::string_view TrimView(std::string_view s);
std::string_view TrimLeftView(std::string_view s);
std::string_view TrimRightView(std::string_view s);
inline bool IsBlank(char c) { return static_cast<unsigned char>(c) <= 32; }

// The first "%" of a file name replaced by the program folder (which ends with "/"), once.
std::string ExpandProgramFolder(std::string_view fileName, std::string_view programFolder);
