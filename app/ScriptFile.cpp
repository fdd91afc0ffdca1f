#include "app/ScriptFile.h"

#include "platform/Errors.h"

#include <fstream>
#include <iterator>

std::string ReadScriptFile(const std::string& fileName)
{
    std::ifstream in(fileName, std::ios::binary);
    if (!in) throw EvekFileError("Cannot open " + fileName);
    std::string raw{std::istreambuf_iterator<char>(in), {}};
    if (in.bad()) throw EvekFileError("Cannot read " + fileName);
    std::string text;
    text.reserve(raw.size() + raw.size() / 16);
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] == '\n' && (i == 0 || raw[i - 1] != '\r')) text += '\r';
        text += raw[i];
    }
    return text;
}
