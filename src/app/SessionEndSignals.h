#pragma once

#include <QObject>
#include <array>

class QSocketNotifier;

namespace vorlune {

// The end of the desktop session (SIGTERM at a logout, `systemctl --user stop`, a package
// upgrade), a closed terminal (SIGHUP) and Ctrl+C (SIGINT) as one Qt signal on the
// user-interface thread, so that the program can end as a confirmed exit does. The handler only
// writes the signal's number into a pipe, which is all a handler may safely do; the event loop
// reads it. A signal the program was started to ignore (SIGHUP under nohup) stays ignored. A
// second signal of the same kind takes the system's default action, should the clean end hang.
// One watcher at a time: a second one watches nothing.
class SessionEndSignals : public QObject {
    Q_OBJECT
  public:
    explicit SessionEndSignals(QObject* parent = nullptr);
    ~SessionEndSignals() override;
    SessionEndSignals(const SessionEndSignals&) = delete;
    SessionEndSignals& operator=(const SessionEndSignals&) = delete;

    // The handlers are installed; a signal that came since waits until Listen().
    [[nodiscard]] bool Installed() const { return fds_[1] >= 0; }
    // From now on the event loop reports the signals, those that already came first.
    void Listen();

  signals:
    // Emitted once, for the first signal.
    void endRequested(int signalNumber);

  private:
    void ReadPending();

    std::array<int, 2> fds_{-1, -1};
    QSocketNotifier* notifier_ = nullptr;
    bool reported_ = false;
};

}  // namespace vorlune
