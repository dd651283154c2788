#include "app/SessionEndSignals.h"

#include <fcntl.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <atomic>
#include <cerrno>
#include <csignal>

namespace vorlune {
namespace {

constexpr std::array<int, 3> kEndSignals{SIGTERM, SIGINT, SIGHUP};

// The pipe's write end, for the handler: a signal handler reaches nothing but static storage.
std::atomic<int> handlerPipe{-1};
static_assert(std::atomic<int>::is_always_lock_free, "read inside a signal handler");

extern "C" void OnEndSignal(int number) {
    const int savedErrno = errno;
    const auto byte = static_cast<unsigned char>(number);
    // Full or closed: the signal is dropped, the first one is already waiting.
    [[maybe_unused]] const ssize_t written = ::write(handlerPipe.load(), &byte, 1);
    errno = savedErrno;
}

bool Ignored(int number) {
    struct sigaction current {};
    return ::sigaction(number, nullptr, &current) == 0 && current.sa_handler == SIG_IGN;
}

void SetHandler(int number, void (*handler)(int), int flags) {
    struct sigaction action {};
    action.sa_handler = handler;
    action.sa_flags = flags;
    sigemptyset(&action.sa_mask);
    ::sigaction(number, &action, nullptr);
}

}  // namespace

SessionEndSignals::SessionEndSignals(QObject* parent) : QObject(parent) {
    int expected = -1;
    if (::pipe2(fds_.data(), O_CLOEXEC | O_NONBLOCK) != 0) {
        fds_ = {-1, -1};
        return;
    }
    if (!handlerPipe.compare_exchange_strong(expected, fds_[1])) {
        ::close(fds_[0]);
        ::close(fds_[1]);
        fds_ = {-1, -1};
        return;
    }
    for (const int number : kEndSignals) {
        if (!Ignored(number)) {
            // Reset to the default once it has run: a second signal ends the process at once.
            SetHandler(number, OnEndSignal, SA_RESTART | SA_RESETHAND);
        }
    }
}

SessionEndSignals::~SessionEndSignals() {
    if (!Installed()) {
        return;
    }
    for (const int number : kEndSignals) {
        struct sigaction current {};
        if (::sigaction(number, nullptr, &current) == 0 && current.sa_handler == OnEndSignal) {
            SetHandler(number, SIG_DFL, 0);
        }
    }
    handlerPipe.store(-1);
    delete notifier_;
    ::close(fds_[0]);
    ::close(fds_[1]);
}

void SessionEndSignals::Listen() {
    if (!Installed() || notifier_ != nullptr) {
        return;
    }
    notifier_ = new QSocketNotifier(fds_[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &SessionEndSignals::ReadPending);
}

void SessionEndSignals::ReadPending() {
    unsigned char numbers[16];
    const ssize_t count = ::read(fds_[0], numbers, sizeof numbers);
    if (count <= 0 || reported_) {
        return;
    }
    reported_ = true;
    emit endRequested(numbers[0]);
}

}  // namespace vorlune
