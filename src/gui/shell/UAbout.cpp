#include "gui/shell/UAbout.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/widgets/DialogButtons.h"
#include "gui/widgets/Named.h"

namespace tervis {

TAboutForm::TAboutForm(QWidget* parent) : QDialog(parent) {
    setObjectName("AboutForm");
    setWindowTitle("О программе");

    Label1 = Named(new QLabel("Администратор ОРБЕЛ-ТК", this), "Label1");
    Label1->setAlignment(Qt::AlignCenter);
    Label1->setMinimumWidth(220);
    QFont font = Label1->font();
    font.setBold(true);
    Label1->setFont(font);

    BuildLabel =
        Named(new QLabel(BuildTimeText(QCoreApplication::applicationFilePath()), this), "BuildLabel");
    BuildLabel->setAlignment(Qt::AlignCenter);

    const TCloseButton buttons = MakeCloseButton(*this, "OK");
    OKButton = buttons.Ok;

    auto* layout = new QVBoxLayout(this);
    layout->addSpacing(8);
    layout->addWidget(Label1);
    layout->addWidget(BuildLabel);
    layout->addSpacing(8);
    layout->addLayout(buttons.Row);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

QString TAboutForm::BuildTimeText(const QString& fileName) {
    const QFileInfo info(fileName);
    if (!info.exists()) {
        return {};
    }
    return info.lastModified().toString("dd.MM.yy hh:mm");
}

}  // namespace tervis
