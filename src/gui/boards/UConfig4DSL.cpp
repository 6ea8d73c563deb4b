#include "gui/boards/UConfig4DSL.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include <stdexcept>

#include "core/boards/DslRates.h"
#include "core/boards/UntouchedBlock.h"
#include "gui/widgets/Named.h"

namespace tervis::boards {

namespace {
constexpr int kRemoteStationMode = 3;  // "вынос станции ЛВ-420" takes the management channel
}  // namespace

TConfigDslLinesForm::TConfigDslLinesForm(std::uint8_t type, const char* objectName, IDialogs& dialogs,
                                         QWidget* parent)
    : TBoardDialog(*FindBlockLayout(type), dialogs, parent, {"Button1", "Button2"}) {
    setObjectName(objectName);
    auto* tabs = MakePageControl(this);
    tabs->setUsesScrollButtons(false);  // every set's tab in sight
    for (int set = 0; set < kSets; ++set) {
        tabs->addTab(MakeLinePage(tabs, set), QString("Комплект №%1").arg(set));
        ConnectLine(set);
    }
    Body()->addWidget(tabs);
}

QWidget* TConfigDslLinesForm::MakeLinePage(QTabWidget* tabs, int set) {
    TLine& line = lines_[static_cast<std::size_t>(set)];
    QWidget* page = MakeTabSheet(tabs, set + 1);
    auto* grid = new QGridLayout(page);
    int row = 0;
    const auto box = [&](std::string_view control) {
        QCheckBox* made = MakeBox(Field(control), set, page);
        grid->addWidget(made, row++, 0, 1, 2);
        return made;
    };
    const auto list = [&](std::string_view control) {
        return AddListRow(grid, row++, Field(control), set, page);
    };

    line.Sync = list("CBSync%d");
    line.Sync->setEnabled(false);
    line.OffLine = box("CBOffLine%d");
    line.RemoteLoop = box("CBRemoteLoop%d");
    line.LocalLoop = box("CBLocalLoop%d");
    line.Slave = box("CBSlave%d");
    line.Mode = list("CBMode%d");
    if (IsV2()) {
        line.LineCode = list("CBTcpam%d");
    }
    line.CtrlMode = box("CBCtrlMode%d");
    line.Ghs = box("CBGhs%d");
    line.SelfControl = box("SelfControl%d");
    line.SpeedDsl = list("CBSpeedDSL%d");
    if (!IsV2()) {
        AddTcPamButtons(set, page, grid, row++);
    }
    line.SpeedTdm = list("CBSpeedTDM%d");
    auto* lanLabel = new QLabel("скорость LAN", page);
    line.SpeedLan = Named(new QLineEdit(page), QString("EDSpeedLAN%1").arg(set));
    line.SpeedLan->setReadOnly(true);
    lanLabel->setBuddy(line.SpeedLan);
    grid->addWidget(lanLabel, row, 0);
    grid->addWidget(line.SpeedLan, row++, 1);
    grid->setRowStretch(row, 1);
    grid->setColumnStretch(1, 1);
    return page;
}

const TBlockField& TConfigDslLinesForm::TcPamField() const {
    for (const TBlockField& field : layout_.Fields) {
        if (field.Kind == TFieldKind::Radio) {
            return field;
        }
    }
    throw std::logic_error("the 4DSL table has no TC-PAM buttons");
}

// The 4DSL's TC-PAM16/TC-PAM32 buttons and its fixed line-rate list.
void TConfigDslLinesForm::AddTcPamButtons(int set, QWidget* page, QGridLayout* grid, int row) {
    TLine& line = lines_[static_cast<std::size_t>(set)];
    auto* frame = new QWidget(page);
    auto* buttons = new QHBoxLayout(frame);
    buttons->setContentsMargins(0, 0, 0, 0);
    const std::vector<QRadioButton*> made = MakeRadios(TcPamField(), set, frame);
    for (QRadioButton* button : made) {
        buttons->addWidget(button);
    }
    buttons->addStretch();
    grid->addWidget(frame, row, 1);
    line.TcPam16 = made.at(0);
    line.TcPam32 = made.at(1);
    QStringList rates;
    for (int channels = dsl::kLowestLineRate; channels <= dsl::kHighest4DslLineRate; ++channels) {
        rates.append(QString::fromStdString(dsl::RateItemCyrillic(channels)));
    }
    line.SpeedDsl->addItems(rates);
    line.SpeedDsl->setCurrentIndex(-1);
}

// Boxes run their handlers when their state changes, during load too; lists only on the operator's choice.
void TConfigDslLinesForm::ConnectLine(int set) {
    const TLine& line = lines_[static_cast<std::size_t>(set)];
    connect(line.OffLine, &QCheckBox::toggled, this, [this, set] { CBOffLineClick(set); });
    connect(line.Slave, &QCheckBox::toggled, this, [this, set] { CBSlaveClick(set); });
    connect(line.Mode, &QComboBox::activated, this, [this, set] { CBModeClick(set); });
    connect(line.CtrlMode, &QCheckBox::toggled, this, [this, set] { CBModeClick(set); });
    connect(line.SelfControl, &QCheckBox::toggled, this, [this, set] { CBModeClick(set); });
    connect(line.SpeedDsl, &QComboBox::activated, this, [this, set] { CBSpeedDSLClick(set); });
    connect(line.SpeedTdm, &QComboBox::activated, this, [this, set] { CBSpeedTDMClick(set); });
}

void TConfigDslLinesForm::LoadControls() {
    const auto each = [this](std::string_view control) {
        const TBlockField& field = Field(control);
        for (int set = 0; set < kSets; ++set) {
            LoadField(block_, field, set);
        }
    };
    each("CBSync%d");
    each("CBRemoteLoop%d");
    each("CBLocalLoop%d");
    each("CBSlave%d");
    each("CBMode%d");
    LoadLineCodes();
    each("CBCtrlMode%d");
    each("CBGhs%d");
    each("SelfControl%d");
    // The rate lists as the core's rule has them, whatever the boxes' handlers built on the way.
    for (int set = 0; set < kSets; ++set) {
        const TDslLineShown shown = ShownDslLine(layout_, block_, set);
        const TLine& line = lines_[static_cast<std::size_t>(set)];
        line.SpeedDsl->setCurrentIndex(shown.LineRate);
        if (!IsV2()) {
            LoadField(block_, TcPamField(), set);
            EnableTcPam(set);
        }
        FillTdmList(line.SpeedTdm, shown.TdmCount, shown.Tdm);
        ShowLanFigure(set);
    }
    // Last, so that their handlers set the enabling of everything loaded before.
    each("CBOffLine%d");
}

int TConfigDslLinesForm::LineRate(int set) const {
    const int index = lines_[static_cast<std::size_t>(set)].SpeedDsl->currentIndex();
    return index < 0 ? 0 : index + dsl::kLowestLineRate;
}

bool TConfigDslLinesForm::Remote(int set) const {
    const TLine& line = lines_[static_cast<std::size_t>(set)];
    return line.Mode->currentIndex() == kRemoteStationMode || line.CtrlMode->isChecked();
}

// The TDM rates 0..count - 1, item index shown.
void TConfigDslLinesForm::FillTdmList(QComboBox* list, int count, int index) {
    QStringList rates;
    for (int rate = 0; rate < count; ++rate) {
        rates.append(QString::fromStdString(dsl::RateItemLatin(rate)));
    }
    list->clear();
    list->addItems(rates);
    list->setCurrentIndex(index);
}

void TConfigDslLinesForm::RebuildTdmList(int set) {
    const TLine& line = lines_[static_cast<std::size_t>(set)];
    if (line.SpeedDsl->currentIndex() < 0) {
        return;
    }
    const int maximum = dsl::TdmMaximum(LineRate(set), Remote(set), line.SelfControl->isChecked());
    FillTdmList(line.SpeedTdm, maximum + 1,
                dsl::TdmIndexAfterRebuild(line.SpeedTdm->currentIndex(), maximum));
    if (!IsV2()) {
        EnableTcPam(set);
    }
}

// The buttons a line rate allows; none while the line is switched off.
void TConfigDslLinesForm::EnableTcPam(int set) {
    const TLine& line = lines_[static_cast<std::size_t>(set)];
    const dsl::TTcPamEnabling enabling = dsl::TcPamEnabling(line.SpeedDsl->currentIndex());
    const bool on = !line.OffLine->isChecked();
    line.TcPam16->setEnabled(on && enabling.TcPam16);
    line.TcPam32->setEnabled(on && enabling.TcPam32);
}

void TConfigDslLinesForm::ShowLanFigure(int set) {
    const TLine& line = lines_[static_cast<std::size_t>(set)];
    if (line.SpeedDsl->currentIndex() < 0 || line.SpeedTdm->currentIndex() < 0) {
        return;
    }
    const auto channels = dsl::LanChannels(LineRate(set), Remote(set), line.SelfControl->isChecked(),
                                           line.SpeedTdm->currentIndex());
    if (channels) {
        line.SpeedLan->setText(QString::fromStdString(dsl::LanText(*channels)));
    }
}

void TConfigDslLinesForm::CBOffLineClick(int set) {
    const TLine& line = lines_[static_cast<std::size_t>(set)];
    const bool on = !line.OffLine->isChecked();
    for (QWidget* control :
         std::initializer_list<QWidget*>{line.Mode, line.SpeedDsl, line.SpeedTdm, line.SpeedLan, line.Slave,
                                         line.Ghs, line.CtrlMode, line.RemoteLoop, line.LocalLoop}) {
        control->setEnabled(on);
    }
    if (IsV2()) {
        line.LineCode->setEnabled(on);
    } else {
        EnableTcPam(set);
    }
    line.Sync->setEnabled(on && line.Slave->isChecked());
}

void TConfigDslLinesForm::CBSpeedDSLClick(int set) {
    const TLine& line = lines_[static_cast<std::size_t>(set)];
    const int index = line.SpeedDsl->currentIndex();
    if (IsV2()) {
        line.SpeedDsl->setCurrentIndex(dsl::LineRateIndexForCode(index, line.LineCode->currentIndex()));
    } else if (const auto tcPam32 = dsl::ForcedTcPam32(index)) {
        (*tcPam32 ? line.TcPam32 : line.TcPam16)->setChecked(true);
    }
    RebuildTdmList(set);
    ShowLanFigure(set);
}

void TConfigDslLinesForm::CBModeClick(int set) {
    RebuildTdmList(set);
    ShowLanFigure(set);
}

void TConfigDslLinesForm::CBSpeedTDMClick(int set) {
    ShowLanFigure(set);
}

void TConfigDslLinesForm::CBSlaveClick(int set) {
    const TLine& line = lines_[static_cast<std::size_t>(set)];
    line.Sync->setEnabled(line.Slave->isChecked() && !line.OffLine->isChecked());
}

// --- 4DSL

TConfig4DSLForm::TConfig4DSLForm(IDialogs& dialogs, QWidget* parent)
    : TConfigDslLinesForm(24, "Config4DSLForm", dialogs, parent) {}

// --- 4DSLv2

TConfig4DSLv2Form::TConfig4DSLv2Form(IDialogs& dialogs, QWidget* parent)
    : TConfigDslLinesForm(29, "Config4DSLv2Form", dialogs, parent) {
    for (int set = 0; set < kSets; ++set) {
        // The operator's new code also brings the TDM list and the LAN figure in line with the line
        // rate the code leaves, so that no TDM rate above the line rate can be stored.
        connect(lines_[static_cast<std::size_t>(set)].LineCode, &QComboBox::activated, this, [this, set] {
            CBTcpamChange(set);
            RebuildTdmList(set);
            ShowLanFigure(set);
        });
    }
    FormCreate();
}

void TConfig4DSLv2Form::FormCreate() {
    for (int set = 0; set < kSets; ++set) {
        BuildLineRates(set, dsl::kDefaultLineCode);
    }
}

void TConfig4DSLv2Form::CBTcpamChange(int set) {
    BuildLineRates(set, lines_[static_cast<std::size_t>(set)].LineCode->currentIndex());
}

void TConfig4DSLv2Form::BuildLineRates(int set, int code) {
    QComboBox* rates = lines_[static_cast<std::size_t>(set)].SpeedDsl;
    const int previous = rates->currentIndex();
    QStringList items;
    for (int channels = dsl::kLowestLineRate; channels <= dsl::HighestLineRate(code); ++channels) {
        items.append(QString::fromStdString(dsl::RateItemLatin(channels)));
    }
    rates->clear();
    rates->addItems(items);
    rates->setCurrentIndex(dsl::LineRateIndexAfterRebuild(previous, code));
}

void TConfig4DSLv2Form::LoadLineCodes() {
    const TBlockField& field = Field("CBTcpam%d");
    for (int set = 0; set < kSets; ++set) {
        LoadField(block_, field, set);
        CBTcpamChange(set);
    }
}

}  // namespace tervis::boards
