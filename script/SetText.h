#pragma once
#include "script/ScriptText.h"

#include <string>
#include <string_view>
#include <vector>

// Text helpers of the data libraries: 8-bit strings whose letter case is ASCII only, sets of
// blank-separated items, CR LF texts and key="value" attribute lists.
namespace vektext {

// The last occurrence of needle in hay, ignoring case; npos when absent.
size_t FindLastText(std::string_view hay, std::string_view needle);
void ReplaceAll(std::string& s, std::string_view from, std::string_view to);

// Sets: items separated by blanks, an item may be quoted with double quotes.
std::vector<std::string> ReadSet(std::string_view set);
std::string WriteSet(const std::vector<std::string>& items);

// Texts: lines cut at CR LF, LF or CR; written with CR LF after every line.
std::vector<std::string> ReadLines(std::string_view text);
std::string WriteLines(const std::vector<std::string>& lines);

// Comma text: items separated by commas or blanks; an item in double quotes may hold both, a
// doubled double quote inside standing for one.
std::vector<std::string> ReadCommaText(std::string_view text);

// Attribute lists name="value": the value of name (npos when absent) and its span.
struct TAttributeSpan {
    size_t valueStart = std::string::npos;
    size_t valueLength = 0;
    bool Found() const { return valueStart != std::string::npos; }
};
TAttributeSpan FindAttribute(std::string_view attrs, std::string_view name);
// The value as stored, empty when absent.
std::string AttributeValue(std::string_view attrs, std::string_view name);
// The value with "~~" read back as CR LF.
std::string AttributeText(std::string_view attrs, std::string_view name);
// Replaces the value, appends " name=\"value\"", or makes the first entry of an empty list.
std::string SetAttribute(const std::string& attrs, std::string_view name, std::string_view value);

// Whole-text numbers in the fixed script locale, blanks around them allowed.
bool ParseInt(std::string_view s, long long& value);
bool ParseFloat(std::string_view s, double& value);

// Whole files as bytes; false when the file cannot be read or written.
bool ReadTextFile(const std::string& fileName, std::string& text);
bool WriteTextFile(const std::string& fileName, std::string_view text);

} // namespace vektext
