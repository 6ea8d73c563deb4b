#include "gui/crossconnect/UPorts.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QStringList>
#include <QTabBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "core/model/Mux.h"
#include "gui/widgets/DialogButtons.h"
#include "gui/widgets/Named.h"

namespace tervis {

namespace {

constexpr int kButtonColumns = 8;
constexpr int kChannelsPerTab = 32;
constexpr int kI15ChannelsPerSet = 16;

// The tabs name the sets (streams) whose 32 channels one page of buttons offers.
QStringList TabTexts(std::uint8_t type) {
    switch (type) {
        case bt1E1:
            return {"комплект 0"};
        case bt4E1:
            return {"компл.0", "компл.1", "компл.2", "компл.3"};
        case bt4I15:
            return {"комплекты 0, 1", "комплекты 2,3"};
        case bt4DSL:
        case bt4DSLv2:
            return {"компл.0 CAS#1", "компл.0 CAS#2", "компл.1 CAS#1", "компл.1 CAS#2"};
        case bt4DSLAlt:
            return {"компл.2 CAS#1", "компл.2 CAS#2", "компл.3 CAS#1", "компл.3 CAS#2"};
        default:
            return {};
    }
}

}  // namespace

TPortsForm::TPortsForm(QWidget* parent) : QDialog(parent) {
    setObjectName("PortsForm");

    TabControl1 = Named(new QTabBar(this), "TabControl1");
    TabControl1->setExpanding(false);
    for (int tab = 0; tab < 4; ++tab) {
        TabControl1->addTab(QString("компл.%1").arg(tab));
    }

    Panel1 = Named(new QFrame(this), "Panel1");
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    auto* grid = new QGridLayout(Panel1);
    grid->setSpacing(2);
    for (int tag = 0; tag < kButtonCount; ++tag) {
        auto* button = Named(new QToolButton(Panel1), QString("SpeedButton_%1").arg(tag));
        button->setText(QString::number(tag));
        button->setCheckable(true);
        button->setAutoRaise(true);
        button->setFixedSize(32, 24);
        connect(button, &QToolButton::clicked, this, [this, tag] { PortButtonClick(tag); });
        grid->addWidget(button, tag / kButtonColumns, tag % kButtonColumns);
        buttons_[tag] = button;
    }

    const TCloseButton close =
        MakeCloseButton(*this, "&Закрыть", "CloseButton", TCloseAction::Reject, TRowPlace::Right);
    CloseButton = close.Ok;
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(TabControl1);
    layout->addWidget(Panel1);
    layout->addLayout(close.Row);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(TabControl1, &QTabBar::currentChanged, this, &TPortsForm::TabControl1Change);
}

void TPortsForm::Load(const TMux& mux) {
    mux_ = &mux;
    type_ = mux.SlotBoardType(slot_);

    {
        // Rebuilding the tabs changes the current tab; the buttons are laid out once at the end.
        const QSignalBlocker blocker(TabControl1);
        while (TabControl1->count() > 0) {
            TabControl1->removeTab(0);
        }
        for (const QString& text : TabTexts(type_)) {
            TabControl1->addTab(text);
        }
        TabControl1->setCurrentIndex(TabControl1->count() > 0 ? 0 : -1);
    }
    TabControl1->setVisible(TabControl1->count() > 0);

    switch (type_) {
        case bt1E1:
        case bt4E1:
        case bt4I15:
            setWindowTitle(QString("Каналы ИКМ, слот %1").arg(slot_));
            break;
        case bt4DSL:
        case bt4DSLv2:
            setWindowTitle(QString("Каналы DSL, слот %1").arg(slot_));
            break;
        case bt4DSLAlt:
            // The second half of a 4DSL whose first half sits in the slot below.
            setWindowTitle(QString("Каналы DSL, слот %1").arg((slot_ + kSlotCount - 1) % kSlotCount));
            break;
        default:
            setWindowTitle(QString("Комплекты платы %1, слот %2")
                               .arg(QString::fromStdString(BoardTypeName(type_)))
                               .arg(slot_));
            break;
    }
    LayoutButtons();
}

int TPortsForm::CurrentTab() const {
    return TabControl1->currentIndex() < 0 ? 0 : TabControl1->currentIndex();
}

void TPortsForm::LayoutButtons() {
    const int tab = CurrentTab();
    for (int tag = 0; tag < kButtonCount; ++tag) {
        const int channel = kChannelsPerTab * tab + tag;
        QToolButton* button = buttons_[tag];
        const bool linked = mux_ != nullptr && channel < kChannelsPerSlot &&
                            mux_->GetLink(MakeEndpoint(static_cast<std::uint8_t>(slot_),
                                                       static_cast<std::uint8_t>(channel))) != kEndpointNone;
        button->setChecked(false);
        button->setEnabled(linked);
        button->setText(
            QString::number(type_ == bt4I15 ? channel % kI15ChannelsPerSet : channel % kChannelsPerTab));
    }
}

void TPortsForm::TabControl1Change() {
    LayoutButtons();
}

void TPortsForm::PortButtonClick(int tag) {
    channel_ = static_cast<std::uint8_t>(kChannelsPerTab * CurrentTab() + tag);
    accept();
}

}  // namespace tervis
