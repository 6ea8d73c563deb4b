// A program that prints "painted" when its main window is first painted, then ends: the configurator's own
// start (TERVIS_PROBE_CONFIGURATOR) or a bare Qt Widgets main window with a menu bar, a toolbar and a status
// bar. The start-up benchmark starts both the same way and times them from the start of the process.
#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

#include <cstdio>

#ifdef TERVIS_PROBE_CONFIGURATOR
#include "app/Configurator.h"
#else
#include "BareWindow.h"
#endif

namespace {

class TFirstPaint : public QObject {
public:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint && !painted_) {
            painted_ = true;
            std::puts("painted");
            std::fflush(stdout);
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        }
        return false;
    }

private:
    bool painted_ = false;
};

}  // namespace

int main(int argc, char* argv[]) {
    TFirstPaint watch;
#ifdef TERVIS_PROBE_CONFIGURATOR
    return tervis::RunConfigurator(argc, argv, [&](QWidget& window) { window.installEventFilter(&watch); });
#else
    QApplication app(argc, argv);
    const auto window = MakeBareWindow();
    window->show();
    window->installEventFilter(&watch);
    return QApplication::exec();
#endif
}
