#include "app/WindowEntry.h"

#include "app/SignalClose.h"
#include "app/VistrelF.h"
#include "platform/ProgramFolder.h"
#include "platform/UiServices.h"

#include <QApplication>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>

namespace {

// The application's default error handler: an exception that escapes an event handler is shown in
// the error box and the program goes on.
class TVistrelApplication : public QApplication {
public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* event) override
    {
        try {
            return QApplication::notify(receiver, event);
        } catch (const std::exception& e) {
            Ui().ShowError(e.what());
        } catch (...) {
            Ui().ShowError("Unknown error");
        }
        return false;
    }
};

// Qt ends the process from inside its start-up when no display can be opened; the user gets one
// line instead of an abort. The warnings that come first only say the same at greater length.
void NoDisplay(QtMsgType type, const QMessageLogContext&, const QString&)
{
    if (type != QtFatalMsg) return;
    std::fputs("Cannot start the window: no display could be opened (is DISPLAY set?). "
               "Subcommands run without one: see vistrel --help.\n",
               stderr);
    std::fflush(stderr);
    std::_Exit(1);
}

// The application object, made with a watch for a missing display.
std::unique_ptr<TVistrelApplication> StartApplication(int& argc, char** argv)
{
    const QtMessageHandler previous = qInstallMessageHandler(NoDisplay);
    auto app = std::make_unique<TVistrelApplication>(argc, argv);
    qInstallMessageHandler(previous);
    return app;
}

} // namespace

int RunWindow(int argc, char** argv)
{
    const auto application = StartApplication(argc, argv);
    TVistrelApplication& app = *application;
    QApplication::setApplicationName("Vistrel 9");
    QApplication::setDesktopFileName("vistrel");
    Q_INIT_RESOURCE(vistrel);

    // Qt has taken its own options out of argv; what is left is --home and the files to open.
    std::vector<std::string> fileNames;
    for (int i = 1; i < argc; ++i) {
        // The command line has made sure that --home has its folder.
        if (std::strcmp(argv[i], "--home") == 0 && i + 1 < argc) {
            SetProgramFolder(argv[++i]);
        } else {
            fileNames.push_back(argv[i]);
        }
    }

    // A fresh --home folder is made, so that the settings of the session have a place to go.
    std::error_code ec;
    std::filesystem::create_directories(ProgramFolder(), ec);

    TVistrelF window;
    if (window.StartMaximized())
        window.showMaximized();
    else
        window.show();
    // A dialog that is open when the session ends is closed (answered Cancel) along with the window.
    TSignalClose signalClose([] { QApplication::closeAllWindows(); });
    if (!fileNames.empty()) {
        std::string first = std::filesystem::absolute(fileNames.front(), ec).string();
        if (ec) first = fileNames.front();
        QTimer::singleShot(0, &window, [&window, first] { window.OpenFile(first); });
    }
    return app.exec();
}
