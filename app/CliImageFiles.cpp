#include "app/CliImageFiles.h"

#include "app/CommandLine.h"
#include "app/VistrelDoc.h"
#include "platform/Errors.h"

#include <fstream>
#include <mutex>
#include <optional>

namespace {

// The command line's password for the whole run: given, or found at the first question.
std::mutex g_passwordLock;
std::optional<std::string> g_password;
std::string g_passwordFile;

} // namespace

bool TakePasswordOptions(std::vector<std::string>& args)
{
    std::vector<std::string> rest;
    bool given = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] != "--password" && args[i] != "--password-file") {
            rest.push_back(args[i]);
            continue;
        }
        if (i + 1 >= args.size()) throw TCliUsageError{args[i] + " needs a value"};
        std::lock_guard guard(g_passwordLock);
        // The last one given wins, as with --home.
        if (args[i] == "--password") {
            g_password = args[i + 1];
            g_passwordFile.clear();
        } else {
            g_password.reset();
            g_passwordFile = args[i + 1];
        }
        given = true;
        ++i;
    }
    args = std::move(rest);
    return given;
}

bool TCliConsoleUi::AskPassword(const std::string& caption, std::string& password)
{
    std::lock_guard guard(g_passwordLock);
    if (!g_password && !g_passwordFile.empty()) {
        std::ifstream in(g_passwordFile, std::ios::binary);
        std::string line;
        if (!in || !std::getline(in, line)) throw EvekFileError("Cannot read the password file \"" + g_passwordFile + "\".");
        if (!line.empty() && line.back() == '\r') line.pop_back();
        g_password = line;
    }
    if (!g_password) {
        std::string line;
        if (!TConsoleUi::AskPassword(caption, line)) line.clear(); // no line at all: no password, as an empty one
        g_password = line;
    }
    password = *g_password;
    return true;
}

TCliImageFiles::TCliImageFiles(const std::string& source, const std::string& destination)
    : source_(source), destination_(destination)
{
    if (!source.empty()) RequireLoadableImageFile(source);
    if (!destination.empty()) RequireSavableImageFile(destination);
}

TBitmap TCliImageFiles::Load()
{
    TBitmap image;
    switch (LoadImageFile(source_, image, Settings)) {
    case TLoadResult::lrInvalidPassword: throw EvekImageError("invalid password");
    case TLoadResult::lrCancelled: throw EvekImageError("No password was given for \"" + source_ + "\".");
    case TLoadResult::lrLoaded:
    case TLoadResult::lrNoReader: break;
    }
    if (image.Empty()) throw EvekImageError("No image was loaded from \"" + source_ + "\".");
    return image;
}

void TCliImageFiles::Save(TBitmap& image)
{
    if (!SaveImageFile(destination_, image, Settings))
        throw EvekError("Nothing was written to \"" + destination_ + "\".");
}
