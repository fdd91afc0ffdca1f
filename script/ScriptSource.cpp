#include "script/ScriptSource.h"

#include "platform/Errors.h"
#include "platform/ProgramFolder.h"

#include <filesystem>
#include <fstream>
#include <iterator>

std::string WithCrLf(std::string_view raw)
{
    std::string text;
    text.reserve(raw.size() + raw.size() / 16);
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] == '\n' && (i == 0 || raw[i - 1] != '\r')) text += '\r';
        text += raw[i];
    }
    return text;
}

std::string ReadScriptSource(const std::string& fileName)
{
    std::error_code ec;
    if (std::filesystem::is_directory(fileName, ec)) throw EvekFileError("Cannot open " + fileName);
    std::ifstream in(fileName, std::ios::binary);
    if (!in) throw EvekFileError("Cannot open " + fileName);
    const std::string raw{std::istreambuf_iterator<char>(in), {}};
    if (in.bad()) throw EvekFileError("Cannot read " + fileName);
    return WithCrLf(raw);
}

TvekScript::TonInclude FileIncludeHandler(std::string scriptFolder)
{
    if (!scriptFolder.empty() && scriptFolder.back() != '/') scriptFolder += '/';
    return [scriptFolder](TvekScript&, const std::string& includeFile, std::string& value, bool& handled, std::string&) {
        for (const std::string& folder : {scriptFolder, ProgramFolder() + "scripts/"}) {
            const std::string candidate = folder + includeFile;
            std::error_code ec;
            if (!std::filesystem::is_regular_file(candidate, ec)) continue;
            value = ReadScriptSource(candidate);
            handled = true;
            return;
        }
    };
}
