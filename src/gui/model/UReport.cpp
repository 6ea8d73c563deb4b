#include "gui/model/UReport.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStringList>
#include <QVBoxLayout>

#include <algorithm>

#include "gui/widgets/DialogButtons.h"
#include "gui/widgets/Placement.h"
#include "gui/widgets/TextFit.h"

namespace tervis {

TReportForm::TReportForm(QWidget* parent) : QDialog(parent) {
    setObjectName("ReportForm");
    setWindowTitle("Несовпадение конфигурации");
    resize(520, 320);

    Memo1 = MakeListing(this);
    const TCloseButton close = MakeCloseButton(*this, "&Закрыть", "Button1");
    Button1 = close.Ok;

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Memo1, 1);
    layout->addLayout(close.Row);
}

void TReportForm::setVisible(bool visible) {
    if (visible && !isVisible()) {
        CentreOnScreen(*this);
    }
    QDialog::setVisible(visible);
}

void TReportForm::SetLines(const std::vector<std::string>& lines) {
    QStringList text;
    text.reserve(static_cast<qsizetype>(lines.size()));
    for (const std::string& line : lines) {
        text.append(QString::fromStdString(line));
    }
    Memo1->setPlainText(text.join('\n'));
    // Each line holds the program's value and then the device's: the window grows, up to the screen's
    // width, until the longest line is seen whole.
    int wanted = WidestText(QFontMetrics(Memo1->font()), text) + TextBoxChrome(*Memo1) + ExtraWidth();
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        wanted = std::min(wanted, screen->availableGeometry().width());
    }
    if (wanted > width()) {
        resize(wanted, height());
    }
}

int TReportForm::ExtraWidth() const {
    const QMargins margins = layout()->contentsMargins();
    return margins.left() + margins.right();
}

}  // namespace tervis
