#pragma once
#include <QObject>

#include <functional>

class QSocketNotifier;

// SIGTERM and SIGINT end a session the normal way: the handler only writes a byte to a pipe, and the
// event loop, woken by it, runs onSignal (the window closes and writes its settings).
class TSignalClose : public QObject {
    Q_OBJECT
public:
    explicit TSignalClose(std::function<void()> onSignal, QObject* parent = nullptr);
    ~TSignalClose() override;

private:
    std::function<void()> onSignal_;
    QSocketNotifier* notifier_ = nullptr;
};
