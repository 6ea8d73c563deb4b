#pragma once

// Unix signals delivered on the Qt event loop: the handler only writes the signal's number into a pipe,
// and a socket notifier hands each number to the callback on the thread that created the object.

#include <QObject>

#include <functional>
#include <initializer_list>
#include <memory>
#include <string>

class QSocketNotifier;

namespace tervis {

class TSignalPipe : public QObject {
    Q_OBJECT
public:
    explicit TSignalPipe(std::function<void(int)> onSignal, QObject* parent = nullptr);
    ~TSignalPipe() override;

    // Routes the signals here (one object per process); false, with the system's words in error, when
    // the pipe cannot be made.
    bool Install(std::initializer_list<int> numbers, std::string& error);

private:
    std::function<void(int)> onSignal_;
    std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace tervis
