#include "script/SetText.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "script/Variant.h"

namespace vektext {

size_t FindLastText(std::string_view hay, std::string_view needle)
{
    if (needle.size() > hay.size()) return std::string::npos;
    for (size_t i = hay.size() - needle.size() + 1; i-- > 0;)
        if (SameText(hay.substr(i, needle.size()), needle)) return i;
    return std::string::npos;
}

void ReplaceAll(std::string& s, std::string_view from, std::string_view to)
{
    if (from.empty()) return;
    std::string out;
    size_t pos = 0;
    for (size_t hit; (hit = s.find(from, pos)) != std::string::npos; pos = hit + from.size()) {
        out.append(s, pos, hit - pos);
        out += to;
    }
    if (pos == 0) return;
    out.append(s, pos);
    s.swap(out);
}

std::vector<std::string> ReadSet(std::string_view set)
{
    std::vector<std::string> items;
    std::string_view r = TrimView(set);
    while (!r.empty()) {
        if (r[0] == '"') {
            const size_t close = r.find('"', 1);
            if (close == std::string_view::npos) {
                // An unclosed quote is dropped and reading goes on with what follows it.
                r.remove_prefix(1);
            } else {
                items.emplace_back(r.substr(1, close - 1));
                r.remove_prefix(close + 1);
            }
        } else {
            const size_t space = r.find(' ');
            items.emplace_back(r.substr(0, space));
            r.remove_prefix(space == std::string_view::npos ? r.size() : space);
        }
        while (!r.empty() && static_cast<unsigned char>(r.front()) <= 32) r.remove_prefix(1);
        while (!r.empty() && static_cast<unsigned char>(r.back()) <= 32) r.remove_suffix(1);
    }
    return items;
}

std::string WriteSet(const std::vector<std::string>& items)
{
    std::string out;
    for (size_t i = 0; i < items.size(); ++i) {
        if (i) out += ' ';
        out += items[i];
    }
    return out;
}

std::vector<std::string> ReadLines(std::string_view text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n') continue;
        lines.emplace_back(text.substr(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < text.size()) lines.emplace_back(text.substr(start));
    return lines;
}

std::string WriteLines(const std::vector<std::string>& lines)
{
    std::string out;
    for (const std::string& line : lines) {
        out += line;
        out += "\r\n";
    }
    return out;
}

std::vector<std::string> ReadCommaText(std::string_view text)
{
    std::vector<std::string> items;
    auto separator = [](char c) { return c == ',' || IsBlank(c); };
    size_t i = 0;
    while (i < text.size() && IsBlank(text[i])) ++i;
    while (i < text.size()) {
        std::string item;
        if (text[i] == '"') {
            for (++i; i < text.size(); ++i) {
                if (text[i] != '"') {
                    item += text[i];
                } else if (i + 1 < text.size() && text[i + 1] == '"') {
                    item += '"';
                    ++i;
                } else {
                    ++i;
                    break;
                }
            }
            while (i < text.size() && !separator(text[i])) item += text[i++];
        } else {
            while (i < text.size() && !separator(text[i])) item += text[i++];
        }
        items.push_back(std::move(item));
        // Blanks around one comma make one separator; a second comma makes an empty item.
        while (i < text.size() && IsBlank(text[i])) ++i;
        if (i < text.size() && text[i] == ',') {
            ++i;
            while (i < text.size() && IsBlank(text[i])) ++i;
            if (i == text.size()) items.emplace_back();
        }
    }
    return items;
}

TAttributeSpan FindAttribute(std::string_view attrs, std::string_view name)
{
    TAttributeSpan span;
    if (name.empty()) return span;
    const std::string key = std::string(name) + "=\"";
    for (size_t at = FindText(attrs, key); at != std::string::npos; at = FindText(attrs, key, at + 1)) {
        // The name must start an entry, so that looking up name does not find fullname.
        if (at > 0 && static_cast<unsigned char>(attrs[at - 1]) > 32) continue;
        span.valueStart = at + key.size();
        const size_t close = attrs.find('"', span.valueStart);
        span.valueLength = (close == std::string_view::npos ? attrs.size() : close) - span.valueStart;
        return span;
    }
    return span;
}

std::string AttributeValue(std::string_view attrs, std::string_view name)
{
    const TAttributeSpan span = FindAttribute(attrs, name);
    return span.Found() ? std::string(attrs.substr(span.valueStart, span.valueLength)) : std::string();
}

std::string AttributeText(std::string_view attrs, std::string_view name)
{
    std::string value = AttributeValue(attrs, name);
    ReplaceAll(value, "~~", "\r\n");
    return value;
}

std::string SetAttribute(const std::string& attrs, std::string_view name, std::string_view value)
{
    const std::string entry = std::string(name) + "=\"" + std::string(value) + "\"";
    if (attrs.empty()) return entry;
    const TAttributeSpan span = FindAttribute(attrs, name);
    if (!span.Found()) return attrs + " " + entry;
    std::string out = attrs;
    out.replace(span.valueStart, span.valueLength, value);
    if (span.valueStart + span.valueLength == attrs.size()) out += '"'; // an unclosed value is closed
    return out;
}

bool ParseInt(std::string_view s, long long& value)
{
    std::string_view t = TrimView(s);
    if (!t.empty() && t.front() == '+' && !(t.size() > 1 && t[1] == '-')) t.remove_prefix(1);
    const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), value);
    return !t.empty() && ec == std::errc() && end == t.data() + t.size();
}

bool ParseFloat(std::string_view s, double& value) { return ParseDoubleText(TrimView(s), value); }

bool ReadTextFile(const std::string& fileName, std::string& text)
{
    // Folders and devices are not files to read whole.
    std::error_code ec;
    if (!std::filesystem::is_regular_file(fileName, ec)) return false;
    std::ifstream in(fileName, std::ios::binary);
    if (!in) return false;
    try {
        text.assign(std::istreambuf_iterator<char>(in), {});
    } catch (const std::exception&) {
        return false;
    }
    return !in.bad();
}

bool WriteTextFile(const std::string& fileName, std::string_view text)
{
    std::ofstream out(fileName, std::ios::binary | std::ios::trunc);
    out.write(text.data(), std::streamsize(text.size()));
    out.close();
    return static_cast<bool>(out);
}

} // namespace vektext
