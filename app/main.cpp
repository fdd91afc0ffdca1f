#include "app/CommandLine.h"
#include "app/WindowEntry.h"

#include "platform/ProgramFolder.h"

#include <QGuiApplication>

#include <cstdio>
#include <cstdlib>

namespace {
// Headless runs keep standard error for the system's own messages: Qt's warnings about the
// missing display environment would bury them.
void QuietQtMessages(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtCriticalMsg || type == QtFatalMsg) std::fprintf(stderr, "%s\n", qPrintable(message));
}
} // namespace

int main(int argc, char** argv)
{
    InitProgramFolder(argv[0]);
    if (IsHeadlessCommand(argc, argv)) {
        // Headless: fonts and painting still need a Gui application, but no display.
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        qInstallMessageHandler(QuietQtMessages);
        QGuiApplication app(argc, argv);
        std::vector<std::string> files;
        int code = RunCommandLine(argc, argv, files);
        return code < 0 ? 2 : code;
    }
    return RunWindow(argc, argv);
}
