#include "platform/ProgramFolder.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace {
std::string g_folder = "./";

std::string WithSlash(std::string folder)
{
    if (folder.empty()) return "./";
    if (folder.back() != '/') folder += '/';
    return folder;
}

std::string RunningExecutableFolder()
{
    std::error_code ec;
    auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string("./") : WithSlash(exe.parent_path().string());
}

std::string& ExecutableFolderStore()
{
    static std::string folder = RunningExecutableFolder();
    return folder;
}
} // namespace

const std::string& ProgramFolder() { return g_folder; }

const std::string& ExecutableFolder() { return ExecutableFolderStore(); }
void SetExecutableFolder(const std::string& folder) { ExecutableFolderStore() = WithSlash(folder); }

void SetProgramFolder(const std::string& folder)
{
    std::error_code ec;
    auto absolute = std::filesystem::absolute(folder, ec);
    g_folder = WithSlash(ec ? folder : absolute.lexically_normal().string());
}

void InitProgramFolder(const char* argv0)
{
    if (const char* home = std::getenv("VISTREL_HOME"); home && *home) {
        SetProgramFolder(home);
        return;
    }
    std::error_code ec;
    auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec && argv0) exe = std::filesystem::absolute(argv0, ec);
    SetProgramFolder(ec ? std::string(".") : exe.parent_path().string());
}
