#pragma once
#include <string>
#include <vector>

// The settings file: the whole file held as a list of lines. Sections are found by their header line
// (case-insensitive), keys compared exactly, keys and values trimmed. Every write saves the whole
// file at once, so callers make one object per read or write and drop it after.
class TIniFile32 {
public:
    explicit TIniFile32(std::string fileName);

    const std::string& FileName() const { return fileName_; }
    const std::vector<std::string>& Lines() const { return lines_; }

    // The default when the section or key is missing or the value is empty.
    std::string ReadString(const std::string& section, const std::string& key, const std::string& def) const;
    // A value of more than two characters starting with "0x" or "0X" is hexadecimal; anything that
    // does not parse as a 32-bit integer gives the default.
    int ReadInteger(const std::string& section, const std::string& key, int def) const;
    bool ReadBool(const std::string& section, const std::string& key, bool def) const;

    // Replaces the key's line, or inserts it at the end of its section, or appends the section; then
    // saves. Raises EvekFileError when the file cannot be written; the old file stays intact.
    void WriteString(const std::string& section, const std::string& key, const std::string& value);
    void WriteInteger(const std::string& section, const std::string& key, int value);
    void WriteBool(const std::string& section, const std::string& key, bool value);

private:
    // Index of the section's header line, or -1.
    int FindSection(const std::string& section) const;
    // One past the section's last line: the next header or the end of the list.
    int SectionEnd(int header) const;
    int FindKey(int header, const std::string& key) const;

    std::string fileName_;
    std::vector<std::string> lines_;
};

// Parses a settings integer as TIniFile32 does; false when it does not parse.
bool ParseIniInteger(const std::string& text, int& value);

// Text files of the program folder (settings, favourites, custom colours). Lines end in LF or CR LF
// when read; a missing file reads as no lines.
std::vector<std::string> LoadTextLines(const std::string& fileName);
// Writes the lines, LF-terminated, to a temporary file in the same folder and renames it over the
// old file, so that a failed or interrupted write never leaves a truncated file behind. Raises
// EvekFileError on failure.
void SaveTextLines(const std::string& fileName, const std::vector<std::string>& lines);
