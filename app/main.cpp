#include "app/CommandLine.h"
#include "app/WindowEntry.h"

#include "platform/ProgramFolder.h"

#include <QGuiApplication>

#include <cstdlib>
#include <cstring>

namespace {
bool IsSubcommand(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--home") == 0) {
            ++i;
            continue;
        }
        return argv[i][0] == '-' || std::strcmp(argv[i], "info") == 0 || std::strcmp(argv[i], "convert") == 0 ||
               std::strcmp(argv[i], "fx") == 0 || std::strcmp(argv[i], "run") == 0 ||
               std::strcmp(argv[i], "batch") == 0;
    }
    return false;
}
} // namespace

int main(int argc, char** argv)
{
    InitProgramFolder(argv[0]);
    if (IsSubcommand(argc, argv)) {
        // Headless: fonts and painting still need a Gui application, but no display.
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        QGuiApplication app(argc, argv);
        std::vector<std::string> files;
        int code = RunCommandLine(argc, argv, files);
        return code < 0 ? 2 : code;
    }
    return RunWindow(argc, argv);
}
