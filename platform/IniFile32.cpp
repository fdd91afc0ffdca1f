#include "platform/IniFile32.h"

#include "platform/Errors.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string Trim(const std::string& s)
{
    std::size_t b = 0, e = s.size();
    while (b < e && static_cast<unsigned char>(s[b]) <= ' ') ++b;
    while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ') --e;
    return s.substr(b, e - b);
}

bool SameTextAscii(const std::string& a, const std::string& b)
{
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        unsigned char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = x - 'A' + 'a';
        if (y >= 'A' && y <= 'Z') y = y - 'A' + 'a';
        if (x != y) return false;
    }
    return true;
}

bool IsSectionHeader(const std::string& line)
{
    std::string t = Trim(line);
    return t.size() >= 2 && t.front() == '[' && t.back() == ']';
}

// A line break inside a value would split it into lines of its own and corrupt the file.
std::string OneLine(std::string text)
{
    for (char& c : text)
        if (c == '\n' || c == '\r') c = ' ';
    return text;
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string SystemMessage() { return std::strerror(errno); }

void WriteAll(int fd, const std::string& bytes, const std::string& fileName)
{
    const char* p = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        ssize_t n = ::write(fd, p, left);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) throw EvekFileError("Cannot write " + fileName + ": " + SystemMessage());
        p += n;
        left -= static_cast<std::size_t>(n);
    }
}

} // namespace

bool ParseIniInteger(const std::string& text, int& value)
{
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        if (text.size() > 10) return false; // more than 32 bits
        std::uint32_t v = 0;
        for (std::size_t i = 2; i < text.size(); ++i) {
            int d = HexDigit(text[i]);
            if (d < 0) return false;
            v = v << 4 | static_cast<std::uint32_t>(d);
        }
        value = static_cast<int>(v); // 0xFFFFFFFF reads as -1, as a 32-bit integer holds it
        return true;
    }
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    if (i >= text.size()) return false;
    std::int64_t v = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        v = v * 10 + (text[i] - '0');
        if (v > std::int64_t(INT32_MAX) + 1) return false;
    }
    if (negative) v = -v;
    if (v > INT32_MAX || v < INT32_MIN) return false;
    value = static_cast<int>(v);
    return true;
}

std::vector<std::string> LoadTextLines(const std::string& fileName)
{
    std::vector<std::string> lines;
    std::ifstream in(fileName, std::ios::binary);
    if (!in) return lines;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

void SaveTextLines(const std::string& fileName, const std::vector<std::string>& lines)
{
    std::string bytes;
    for (const auto& l : lines) {
        bytes += l;
        bytes += '\n';
    }
    auto slash = fileName.find_last_of('/');
    std::string folder = slash == std::string::npos ? std::string() : fileName.substr(0, slash + 1);
    std::string base = slash == std::string::npos ? fileName : fileName.substr(slash + 1);

    std::string temp;
    int fd = -1;
    for (int attempt = 0; fd < 0; ++attempt) {
        temp = folder + "." + base + ".tmp" + std::to_string(::getpid()) + "-" + std::to_string(attempt);
        fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && (errno != EEXIST || attempt > 100))
            throw EvekFileError("Cannot write " + fileName + ": " + SystemMessage());
    }
    try {
        // Keep the permissions of the file being replaced.
        struct stat old {};
        if (::stat(fileName.c_str(), &old) == 0) ::fchmod(fd, old.st_mode & 07777);
        WriteAll(fd, bytes, fileName);
        if (::fsync(fd) != 0) throw EvekFileError("Cannot write " + fileName + ": " + SystemMessage());
        if (::close(fd) != 0) {
            fd = -1;
            throw EvekFileError("Cannot write " + fileName + ": " + SystemMessage());
        }
        fd = -1;
        if (::rename(temp.c_str(), fileName.c_str()) != 0)
            throw EvekFileError("Cannot write " + fileName + ": " + SystemMessage());
    } catch (...) {
        if (fd >= 0) ::close(fd);
        ::unlink(temp.c_str());
        throw;
    }
}

TIniFile32::TIniFile32(std::string fileName) : fileName_(std::move(fileName)), lines_(LoadTextLines(fileName_)) {}

int TIniFile32::FindSection(const std::string& section) const
{
    const std::string header = "[" + section + "]";
    for (std::size_t i = 0; i < lines_.size(); ++i)
        if (SameTextAscii(Trim(lines_[i]), header)) return static_cast<int>(i);
    return -1;
}

int TIniFile32::SectionEnd(int header) const
{
    int i = header + 1;
    while (i < static_cast<int>(lines_.size()) && !IsSectionHeader(lines_[i])) ++i;
    return i;
}

int TIniFile32::FindKey(int header, const std::string& key) const
{
    const int end = SectionEnd(header);
    for (int i = header + 1; i < end; ++i) {
        auto eq = lines_[i].find('=');
        if (eq != std::string::npos && Trim(lines_[i].substr(0, eq)) == key) return i;
    }
    return -1;
}

std::string TIniFile32::ReadString(const std::string& section, const std::string& key, const std::string& def) const
{
    int header = FindSection(section);
    if (header < 0) return def;
    int line = FindKey(header, key);
    if (line < 0) return def;
    std::string value = Trim(lines_[line].substr(lines_[line].find('=') + 1));
    return value.empty() ? def : value;
}

int TIniFile32::ReadInteger(const std::string& section, const std::string& key, int def) const
{
    int value = def;
    return ParseIniInteger(ReadString(section, key, ""), value) ? value : def;
}

bool TIniFile32::ReadBool(const std::string& section, const std::string& key, bool def) const
{
    return ReadInteger(section, key, def ? 1 : 0) != 0;
}

void TIniFile32::WriteString(const std::string& section, const std::string& key, const std::string& value)
{
    const std::string line = Trim(OneLine(key)) + "=" + Trim(OneLine(value));
    int header = FindSection(section);
    if (header < 0) {
        lines_.push_back("");
        lines_.push_back("[" + section + "]");
        lines_.push_back(line);
    } else if (int at = FindKey(header, Trim(key)); at >= 0) {
        lines_[at] = line;
    } else {
        lines_.insert(lines_.begin() + SectionEnd(header), line);
    }
    SaveTextLines(fileName_, lines_);
}

void TIniFile32::WriteInteger(const std::string& section, const std::string& key, int value)
{
    WriteString(section, key, std::to_string(value));
}

void TIniFile32::WriteBool(const std::string& section, const std::string& key, bool value)
{
    WriteString(section, key, value ? "1" : "0");
}
