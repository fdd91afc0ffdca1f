#include "app/SignalClose.h"

#include "platform/Errors.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

int g_pipe[2] = {-1, -1};
struct sigaction g_oldTerm {};
struct sigaction g_oldInt {};

void OnSignal(int)
{
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] auto written = ::write(g_pipe[1], &byte, 1);
    errno = saved;
}

} // namespace

TSignalClose::TSignalClose(std::function<void()> onSignal, QObject* parent)
    : QObject(parent), onSignal_(std::move(onSignal))
{
    if (::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0) throw EvekError("Cannot create the signal pipe");
    notifier_ = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] {
        char buffer[64];
        while (::read(g_pipe[0], buffer, sizeof buffer) > 0) {
        }
        if (onSignal_) onSignal_();
    });
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, &g_oldTerm);
    sigaction(SIGINT, &action, &g_oldInt);
}

TSignalClose::~TSignalClose()
{
    sigaction(SIGTERM, &g_oldTerm, nullptr);
    sigaction(SIGINT, &g_oldInt, nullptr);
    delete notifier_;
    ::close(g_pipe[0]);
    ::close(g_pipe[1]);
    g_pipe[0] = g_pipe[1] = -1;
}
