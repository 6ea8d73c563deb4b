#include "gui/boards/UConfigTHU.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QSlider>
#include <QTabWidget>
#include <QVBoxLayout>

#include "gui/boards/VoiceTabs.h"
#include "gui/widgets/Named.h"

namespace tervis::boards {

namespace {
constexpr int kTxField = 0;
constexpr int kRxField = 1;
constexpr int kProtocolField = 2;
// A two-wire set transmits this much lower than the four-wire code says.
constexpr double kTwoWireDropDb = 6.0;
const char* const kSetProperty = "set";

QString LevelText(const char* prefix, double db) {
    return QString("%1 %2 дБ").arg(prefix, QLocale::system().toString(db, 'f', 1));
}
}  // namespace

TConfigTHUForm::TConfigTHUForm(IDialogs& dialogs, QWidget* parent)
    : TBoardDialog(*FindBlockLayout(20), dialogs, parent, {"Button1", "Button2"}) {
    setObjectName("ConfigTHUForm");
    auto* tabs = MakePageControl(this);
    QWidget* levels = MakeTabSheet(tabs, 1);
    auto* sets = new QGridLayout(levels);
    for (int set = 0; set < kSets; ++set) {
        auto* group = Named(new QGroupBox(QString(" Комплект %1 ").arg(set), levels),
                            QString("GroupBox%1").arg(set + 1));
        auto* grid = new QGridLayout(group);
        QSlider* tx = MakeTrackBar(layout_.Fields[kTxField], set, group);
        QSlider* rx = MakeTrackBar(layout_.Fields[kRxField], set, group);
        auto* txLabel = new QLabel(LevelText("прд", -17.6), group);
        auto* rxLabel = new QLabel(LevelText("прм", -17.3), group);
        txLabel->setObjectName(QString("LabelTx%1").arg(set));
        rxLabel->setObjectName(QString("LabelRx%1").arg(set));
        // Room for the widest text ("прд -23,6 дБ") so that the bars do not move as the levels change.
        const int labelWidth = txLabel->fontMetrics().horizontalAdvance(LevelText("прд", -23.6)) + 8;
        txLabel->setMinimumWidth(labelWidth);
        rxLabel->setMinimumWidth(labelWidth);
        auto* box = Named(new QCheckBox("двухпроводный режим", group), QString("CheckBox%1").arg(set + 1));
        tx->setMinimumWidth(180);
        rx->setMinimumWidth(180);
        grid->addWidget(tx, 0, 0);
        grid->addWidget(txLabel, 0, 1);
        grid->addWidget(rx, 1, 0);
        grid->addWidget(rxLabel, 1, 1);
        grid->addWidget(box, 2, 0, 1, 2);
        sets->addWidget(group, set / 2, set % 2);
    }
    tabs->addTab(levels, "Уровни");
    tabs->addTab(MakeProtocolTab(layout_.Fields[kProtocolField], tabs), "Протокол");
    Body()->addWidget(tabs);
    FormCreate();
}

void TConfigTHUForm::FormCreate() {
    for (int set = 0; set < kSets; ++set) {
        const auto at = static_cast<std::size_t>(set);
        txBars_[at] = Control<QSlider>(QString::fromStdString(ControlName(layout_.Fields[kTxField], set)));
        rxBars_[at] = Control<QSlider>(QString::fromStdString(ControlName(layout_.Fields[kRxField], set)));
        txLabels_[at] = Control<QLabel>(QString("LabelTx%1").arg(set));
        rxLabels_[at] = Control<QLabel>(QString("LabelRx%1").arg(set));
        twoWire_[at] = Control<QCheckBox>(QString("CheckBox%1").arg(set + 1));
        for (QObject* control : {static_cast<QObject*>(txBars_[at]), static_cast<QObject*>(rxBars_[at]),
                                 static_cast<QObject*>(twoWire_[at])}) {
            control->setProperty(kSetProperty, set);
        }
        connect(txBars_[at], &QSlider::valueChanged, this, [this, at] { TxTrackBarChange(txBars_[at]); });
        connect(twoWire_[at], &QCheckBox::toggled, this, [this, at] { TxTrackBarChange(twoWire_[at]); });
        connect(rxBars_[at], &QSlider::valueChanged, this, [this, at] { RxTrackBarChange(rxBars_[at]); });
    }
}

void TConfigTHUForm::TxTrackBarChange(QObject* sender) {
    const int set = sender->property(kSetProperty).toInt();
    if (set < 0 || set >= kSets) {
        return;
    }
    const auto at = static_cast<std::size_t>(set);
    double db = LevelDb(layout_.Fields[kTxField], static_cast<unsigned>(txBars_[at]->value()));
    if (twoWire_[at]->isChecked()) {
        db -= kTwoWireDropDb;
    }
    txLabels_[at]->setText(LevelText("прд", db));
}

void TConfigTHUForm::RxTrackBarChange(QObject* sender) {
    const int set = sender->property(kSetProperty).toInt();
    if (set < 0 || set >= kSets) {
        return;
    }
    const auto at = static_cast<std::size_t>(set);
    rxLabels_[at]->setText(
        LevelText("прм", LevelDb(layout_.Fields[kRxField], static_cast<unsigned>(rxBars_[at]->value()))));
}

void TConfigTHUForm::SetSlotType(const TSlotType& record) {
    for (int set = 0; set < kSets; ++set) {
        twoWire_[static_cast<std::size_t>(set)]->setChecked((record.Param1 >> set) & 1U);
    }
}

TSlotType TConfigTHUForm::SlotType() const {
    TSlotType record{.Type = bt4TChU};
    for (int set = 0; set < kSets; ++set) {
        if (twoWire_[static_cast<std::size_t>(set)]->isChecked()) {
            record.Param1 = static_cast<std::uint16_t>(record.Param1 | (1U << set));
        }
    }
    return record;
}

}  // namespace tervis::boards
