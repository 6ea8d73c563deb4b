#include "gui/widgets/Placement.h"

#include <QApplication>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLayout>
#include <QScreen>
#include <QWidget>

namespace tervis {

void CentreOnScreen(QWidget& window) {
    // The layout decides the size of a window that has not been shown yet.
    if (QLayout* layout = window.layout()) {
        layout->activate();
    }
    const QWidget* owner = window.parentWidget() != nullptr ? window.parentWidget()->window() : nullptr;
    QScreen* screen = owner != nullptr ? owner->screen() : window.screen();
    if (screen == nullptr) {
        screen = QGuiApplication::primaryScreen();
    }
    if (screen == nullptr) {
        return;
    }
    const QRect area = screen->availableGeometry();
    const QSize size = window.frameGeometry().size();
    window.move(area.x() + (area.width() - size.width()) / 2, area.y() + (area.height() - size.height()) / 2);
}

namespace {
// Beside the title text the title bar holds the window's icon, its buttons and margins.
constexpr int kTitleBarChrome = 120;
}  // namespace

void FitToTitle(QWidget& window) {
    const int needed =
        QFontMetrics(QApplication::font()).horizontalAdvance(window.windowTitle()) + kTitleBarChrome;
    if (window.width() >= needed) {
        return;
    }
    QLayout* layout = window.layout();
    if (layout != nullptr && layout->sizeConstraint() == QLayout::SetFixedSize) {
        // A fixed layout would give the window its own width back at the next activation.
        layout->setSizeConstraint(QLayout::SetDefaultConstraint);
        window.setFixedSize(needed, window.height());
    } else if (window.minimumWidth() == window.maximumWidth()) {
        window.setFixedWidth(needed);
    } else {
        window.setMinimumWidth(needed);
        window.resize(needed, window.height());
    }
}

}  // namespace tervis
