#include "app/Launch.h"

#include <QEvent>
#include <QStandardPaths>
#include <QTimer>
#include <QWidget>

#include <cstdio>

namespace tervis {

namespace {

// Closes the watched window the normal way (settings written back) after its first paint.
class TFirstPaintWatch : public QObject {
public:
    explicit TFirstPaintWatch(QWidget& window) : QObject(&window), window_(window) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == &window_ && event->type() == QEvent::Paint && !painted_) {
            painted_ = true;
            std::puts(kFirstPaintLine);
            std::fflush(stdout);
            QTimer::singleShot(0, &window_, [this] { window_.close(); });
        }
        return false;
    }

private:
    QWidget& window_;
    bool painted_ = false;
};

}  // namespace

std::filesystem::path EnterDataFolder() {
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (data.isEmpty()) {
        throw std::filesystem::filesystem_error("нет папки данных пользователя",
                                                std::make_error_code(std::errc::no_such_file_or_directory));
    }
    const std::filesystem::path folder = std::filesystem::path(data.toStdString()) / "tervis";
    std::filesystem::create_directories(folder);
    std::filesystem::current_path(folder);
    return folder;
}

void QuitAfterFirstPaint(QWidget& window) {
    window.installEventFilter(new TFirstPaintWatch(window));
}

}  // namespace tervis
