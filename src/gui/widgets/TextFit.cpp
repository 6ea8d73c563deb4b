#include "gui/widgets/TextFit.h"

#include <QFontMetrics>
#include <QPlainTextEdit>
#include <QStyle>
#include <QTextDocument>

#include <algorithm>
#include <cmath>

#include "core/model/BoardTypes.h"

namespace tervis {

int WidestText(const QFontMetrics& metrics, const QStringList& texts) {
    int widest = 0;
    for (const QString& text : texts) {
        widest = std::max(widest, metrics.horizontalAdvance(text));
    }
    return widest;
}

QFont FontToFit(QFont font, const QStringList& texts, int width) {
    constexpr double kSmallest = 5.0;
    constexpr double kStep = 0.25;
    while (WidestText(QFontMetrics(font), texts) > width && font.pointSizeF() - kStep >= kSmallest) {
        font.setPointSizeF(font.pointSizeF() - kStep);
    }
    return font;
}

int TextBoxChrome(const QPlainTextEdit& box) {
    constexpr int kCursor = 2;
    const int margins = static_cast<int>(std::ceil(2 * box.document()->documentMargin()));
    const int scrollBar = box.style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, &box);
    return 2 * box.frameWidth() + margins + scrollBar + kCursor;
}

QStringList AllBoardTypeNames() {
    QStringList names;
    for (int type = 0; type <= 0xFF; ++type) {
        names.append(QString::fromStdString(BoardTypeName(static_cast<std::uint8_t>(type))));
    }
    names.removeDuplicates();
    return names;
}

}  // namespace tervis
