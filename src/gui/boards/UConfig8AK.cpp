#include "gui/boards/UConfig8AK.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace tervis::boards {

TConfig8AKForm::TConfig8AKForm(IDialogs& dialogs, QWidget* parent)
    : TBoardDialog(*FindBlockLayout(18), dialogs, parent, {"Button1", "Button2"}) {
    setObjectName("Config8AKForm");
    const auto& fields = layout_.Fields;
    const std::vector<QRadioButton*> modes = MakeRadios(fields[0], 0, this);
    standard_ = modes[0];
    lapd_ = modes[1];
    concentrator_ = MakeBox(fields[1], 0, this);
    Body()->addWidget(lapd_);
    auto* indented = new QVBoxLayout;
    indented->setContentsMargins(24, 0, 0, 0);
    indented->addWidget(concentrator_);
    Body()->addLayout(indented);
    Body()->addWidget(standard_);
    auto* boxes = new QGridLayout;
    boxes->setContentsMargins(24, 0, 0, 0);
    for (int set = 0; set < kSets; ++set) {
        QCheckBox* box = MakeBox(fields[2], set, this);
        // The captions of sets 0 and 1 end in a space.
        box->setText(QString(set < 2 ? "отключить сигнализацию комплекта №%1 "
                                     : "отключить сигнализацию комплекта №%1")
                         .arg(set));
        signalling_[static_cast<std::size_t>(set)] = box;
        boxes->addWidget(box, set % 4, set / 4);
    }
    Body()->addLayout(boxes);
    // Toggled runs on load as well, since loading checks one of the two buttons.
    connect(standard_, &QRadioButton::toggled, this, [this](bool checked) {
        if (checked) {
            RBStandardModeClick();
        }
    });
    connect(lapd_, &QRadioButton::toggled, this, [this](bool checked) {
        if (checked) {
            RBLapdModeClick();
        }
    });
}

void TConfig8AKForm::RBStandardModeClick() {
    concentrator_->setEnabled(false);
    for (QCheckBox* box : signalling_) {
        box->setEnabled(true);
    }
}

void TConfig8AKForm::RBLapdModeClick() {
    concentrator_->setEnabled(true);
    for (QCheckBox* box : signalling_) {
        box->setEnabled(false);
    }
}

}  // namespace tervis::boards
