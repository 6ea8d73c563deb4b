#include "platform/SignalPipe.h"

#include <QSocketNotifier>

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <string.h>
#include <unistd.h>

namespace tervis {
namespace {

int signalPipe[2] = {-1, -1};

void OnSignal(int signal) {
    const char byte = static_cast<char>(signal);
    const int saved = errno;
    (void)!write(signalPipe[1], &byte, 1);
    errno = saved;
}

}  // namespace

TSignalPipe::TSignalPipe(std::function<void(int)> onSignal, QObject* parent)
    : QObject(parent), onSignal_(std::move(onSignal)) {}

TSignalPipe::~TSignalPipe() = default;

bool TSignalPipe::Install(std::initializer_list<int> numbers, std::string& error) {
    if (signalPipe[0] < 0 && pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        error = std::string("pipe2: ") + strerror(errno);
        return false;
    }
    notifier_ = std::make_unique<QSocketNotifier>(signalPipe[0], QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, [this] {
        char byte = 0;
        while (read(signalPipe[0], &byte, 1) == 1) {
            onSignal_(byte);
        }
    });
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : numbers) {
        sigaction(signal, &action, nullptr);
    }
    return true;
}

}  // namespace tervis
