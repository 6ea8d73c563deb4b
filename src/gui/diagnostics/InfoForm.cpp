#include "gui/diagnostics/InfoForm.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTabBar>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

#include "core/base/Format.h"
#include "core/model/Mux.h"
#include "gui/diagnostics/InfoWindows.h"
#include "gui/widgets/DialogButtons.h"
#include "gui/widgets/Named.h"

namespace tervis {

namespace {
constexpr int kCasRowHeight = 17;

// Each counter's object name, usual caption and value, in the order of TStreamCounter: a count or a rate.
struct TCounterEntry {
    const char* Name;
    const char* Caption;
    std::uint32_t TStreamState::*Count;
    double TStreamState::*Rate;
};
const TCounterEntry kCounters[] = {
    {"Slips", "Проскальзываний:", &TStreamState::SlipsTotal, nullptr},
    {"SlipsE", "- пропусков:", &TStreamState::SlipsE, nullptr},
    {"SlipsF", "- повторов:", &TStreamState::SlipsF, nullptr},
    {"SlipRate", "- в секунду:", nullptr, &TStreamState::SlipRate},
    {"FrameErrors", "Ошибок:", &TStreamState::FrameErrors, nullptr},
    {"ErrorRate", "- в секунду:", nullptr, &TStreamState::ErrorRate},
    {"Period", "За период, с:", &TStreamState::Period, nullptr},
};

const TCounterEntry& Counter(TStreamCounter counter) {
    return kCounters[static_cast<std::size_t>(counter)];
}
}  // namespace

TInfoForm::TInfoForm(TMux& mux, QWidget* parent, const char* objectName, const QString& title)
    : QDialog(parent), mux_(mux), column_(new QVBoxLayout(this)) {
    setObjectName(objectName);
    setWindowTitle(title);
}

void TInfoForm::Open(const QString& title) {
    if (!title.isEmpty()) {
        setWindowTitle(title);
    }
    const TInfoSelection& selection = mux_.InfoSelection();
    slot_ = selection.Slot;
    port_ = selection.Unit;
    type_ = selection.Type;
    ResetValues();
}

void TInfoForm::Notify(unsigned message, std::uintptr_t wParam, std::intptr_t) {
    if (message == kNotifyLinkState && wParam == 0) {
        LinkLost();
    } else if (message == kNotifyInformation) {
        Refresh(wParam);
    }
}

QString TInfoForm::ValueText(const QString& name) const {
    const auto* label = findChild<QLabel*>(name);
    return label != nullptr ? label->text() : QString();
}

void TInfoForm::ResetButtonClick() {
    mux_.ResetCounters(slot_, port_);
}

void TInfoForm::ResetValues() {
    for (QLabel* label : values_) {
        label->setText(kUnknownValue);
    }
    for (QTableWidget* grid : grids_) {
        ClearCas(grid);
    }
}

void TInfoForm::SelectPort(int port) {
    port_ = port;
    ResetValues();
    mux_.SelectInfo(slot_, port_, true);
}

QGroupBox* TInfoForm::AddGroup(QVBoxLayout* layout, const QString& title) {
    auto* group = new QGroupBox(title, this);
    auto* grid = new QGridLayout(group);
    grid->setColumnStretch(1, 1);
    grid->setHorizontalSpacing(12);
    layout->addWidget(group);
    return group;
}

QLabel* TInfoForm::AddValue(QGroupBox* group, const QString& caption, const QString& name) {
    auto* grid = static_cast<QGridLayout*>(group->layout());
    return AddValue(grid, grid->rowCount(), caption, name);
}

QLabel* TInfoForm::AddValue(QGridLayout* grid, int row, const QString& caption, const QString& name) {
    auto* label = Named(new QLabel(caption, this), name + "Caption");
    auto* value = Named(new QLabel(kUnknownValue, this), name);
    value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    value->setMinimumWidth(QFontMetrics(value->font()).horizontalAdvance("0000000000"));
    grid->addWidget(label, row, 0);
    grid->addWidget(value, row, 1);
    values_.push_back(value);
    return value;
}

QTabBar* TInfoForm::AddTabs(QVBoxLayout* layout, const QStringList& tabs, const QString& name) {
    auto* bar = Named(new QTabBar(this), name);
    bar->setExpanding(false);
    for (const QString& tab : tabs) {
        bar->addTab(tab);
    }
    layout->addWidget(bar);
    return bar;
}

QPushButton* TInfoForm::MakePlainButton(const QString& text, const QString& name) {
    auto* button = Named(new QPushButton(text, this), name);
    button->setAutoDefault(false);
    return button;
}

QGridLayout* TInfoForm::AddPlainGroup() {
    auto* box = new QGroupBox(this);
    auto* grid = new QGridLayout(box);
    grid->setHorizontalSpacing(12);
    column_->addWidget(box);
    return grid;
}

QPushButton* TInfoForm::AddResetButton(QGroupBox* group) {
    QPushButton* button = MakeButton("&Сброс", "ResetButton", [this] { ResetButtonClick(); });
    auto* grid = static_cast<QGridLayout*>(group->layout());
    grid->addWidget(button, grid->rowCount(), 1, Qt::AlignRight);
    return button;
}

QStringList TInfoForm::PortTabs(int ports) {
    QStringList tabs;
    for (int i = 0; i < ports; ++i) {
        tabs << QString("комплект %1").arg(i);
    }
    return tabs;
}

QTabBar* TInfoForm::AddPortTabs(QVBoxLayout* layout, int ports) {
    QTabBar* bar = AddTabs(layout, PortTabs(ports), "TabControl1");
    connect(bar, &QTabBar::currentChanged, this, [this](int index) { SelectPort(std::max(0, index)); });
    return bar;
}

void TInfoForm::AddStreamColumns(QVBoxLayout* layout, QVBoxLayout* left, bool twoHalves) {
    left->addStretch();
    auto* columns = new QHBoxLayout;
    columns->addLayout(left);
    auto* right = new QVBoxLayout;
    QGroupBox* cas = AddGroup(right, " Сигнальная информация ");
    auto* grid = static_cast<QGridLayout*>(cas->layout());
    casReceived_ = AddCasGrid(grid, 0, "CAS, принято:", "GridReceived", twoHalves);
    casTransmitted_ = AddCasGrid(grid, 1, "CAS, передано:", "GridTransmitted", twoHalves);
    right->addStretch();
    columns->addLayout(right);
    layout->addLayout(columns);
    AddCloseButton(layout, "&Закрыть");
}

QString TInfoForm::StreamFlagCaption(int index) {
    const std::string_view caption = kStreamFlagCaptions[static_cast<std::size_t>(index)];
    return QString::fromUtf8(caption.data(), static_cast<qsizetype>(caption.size()));
}

void TInfoForm::AddStreamFlag(QGroupBox* group, int index, const QString& caption) {
    QLabel* label =
        AddValue(group, caption.isEmpty() ? StreamFlagCaption(index) : caption, QString("Flag%1").arg(index));
    streamFlags_.emplace_back(static_cast<std::size_t>(index), label);
}

void TInfoForm::AddStreamCounters(QGroupBox* group, std::initializer_list<TCounterRow> rows) {
    for (const TCounterRow& row : rows) {
        const TCounterEntry& entry = Counter(row.Counter);
        QLabel* label = AddValue(group, row.Caption != nullptr ? row.Caption : entry.Caption, entry.Name);
        streamCounters_.emplace_back(row.Counter, label);
    }
}

void TInfoForm::AddStatistics(QVBoxLayout* layout, std::initializer_list<TCounterRow> rows) {
    QGroupBox* statistics = AddGroup(layout, " Статистика ");
    AddStreamCounters(statistics, rows);
    AddResetButton(statistics);
}

void TInfoForm::ShowStreamState(const TStreamState& state) {
    for (const auto& [index, label] : streamFlags_) {
        Show(label, YesNo(state.Flags[index]));
    }
    for (const auto& [counter, label] : streamCounters_) {
        const TCounterEntry& entry = Counter(counter);
        Show(label, entry.Count != nullptr ? Format("%u", state.*entry.Count) : RateText(state.*entry.Rate));
    }
}

bool TInfoForm::RefreshCas(std::uintptr_t code) {
    if (casReceived_ == nullptr || (code != kInfoCasReceived && code != kInfoCasTransmitted)) {
        return false;
    }
    const bool received = code == kInfoCasReceived;
    QTableWidget* grid = received ? casReceived_ : casTransmitted_;
    if (grid->columnCount() == 4) {
        ShowCas(grid, E1CasRows(received ? mux_.GetCasReceived(slot_, port_)
                                         : mux_.GetCasTransmitted(slot_, port_)));
    } else {
        ShowCas(grid, I15CasRows(received ? mux_.GetCasReceived15(slot_, port_)
                                          : mux_.GetCasTransmitted15(slot_, port_)));
    }
    return true;
}

QTableWidget* TInfoForm::AddCasGrid(QGridLayout* grid, int column, const QString& caption,
                                    const QString& name, bool twoHalves) {
    auto* label = new QLabel(caption, this);
    auto* table = Named(new QTableWidget(kCasRows, twoHalves ? 4 : 2, this), name);
    table->horizontalHeader()->hide();
    table->verticalHeader()->hide();
    table->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    table->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionMode(QAbstractItemView::NoSelection);
    table->setFocusPolicy(Qt::NoFocus);
    const int channelWidth = QFontMetrics(font()).horizontalAdvance("к.31") + 10;
    const int bitsWidth = QFontMetrics(font()).horizontalAdvance("0000") + 12;
    int width = 0;
    for (int c = 0; c < table->columnCount(); ++c) {
        table->setColumnWidth(c, c % 2 == 0 ? channelWidth : bitsWidth);
        width += c % 2 == 0 ? channelWidth : bitsWidth;
    }
    table->verticalHeader()->setMinimumSectionSize(0);
    const int rowHeight = std::max(kCasRowHeight, QFontMetrics(font()).height() + 2);
    for (int r = 0; r < kCasRows; ++r) {
        table->setRowHeight(r, rowHeight);
        for (int c = 0; c < table->columnCount(); ++c) {
            table->setItem(r, c, new QTableWidgetItem);
        }
    }
    table->setFixedSize(width + 2 * table->frameWidth(), kCasRows * rowHeight + 2 * table->frameWidth());
    grid->addWidget(label, 0, column);
    grid->addWidget(table, 1, column);
    grids_.push_back(table);
    return table;
}

void TInfoForm::ShowCas(QTableWidget* grid, const std::array<TCasRow, kCasRows>& rows) {
    for (int r = 0; r < kCasRows; ++r) {
        const TCasRow& row = rows[static_cast<std::size_t>(r)];
        grid->item(r, 0)->setText(QString::fromStdString(row.Channel1));
        grid->item(r, 1)->setText(QString::fromStdString(row.Bits1));
        if (grid->columnCount() == 4) {
            grid->item(r, 2)->setText(QString::fromStdString(row.Channel2));
            grid->item(r, 3)->setText(QString::fromStdString(row.Bits2));
        }
    }
}

void TInfoForm::ClearCas(QTableWidget* grid) {
    const bool twoHalves = grid->columnCount() == 4;
    for (int r = 0; r < kCasRows; ++r) {
        grid->item(r, 0)->setText(QString("к.%1").arg(r + 1));
        grid->item(r, 1)->setText(kUnknownValue);
        if (twoHalves) {
            grid->item(r, 2)->setText(QString("к.%1").arg(r + 17));
            grid->item(r, 3)->setText(kUnknownValue);
        }
    }
}

QVBoxLayout* TInfoForm::AddCloseButton(QVBoxLayout* layout, const QString& text) {
    layout->addLayout(
        MakeCloseButton(*this, text, "CloseButton", TCloseAction::Accept, TRowPlace::Right).Row);
    return layout;
}

void TInfoForm::Show(QLabel* label, const std::string& text) {
    label->setText(QString::fromStdString(text));
}

namespace {

template <typename Form>
std::unique_ptr<TInfoForm> MakeInfoForm(TMux& mux, QWidget* parent) {
    return std::make_unique<Form>(mux, parent);
}

template <int Streams>
std::unique_ptr<TInfoForm> MakeE1InfoForm(TMux& mux, QWidget* parent) {
    return std::make_unique<TInfE1Form>(mux, Streams, parent);
}

// The boards with an information window: its title with the slot for %1 (none: the window keeps its own)
// and how it is made.
struct TInfoKind {
    std::uint8_t Type;
    const char* Title;
    std::unique_ptr<TInfoForm> (*Make)(TMux&, QWidget*);
};
const TInfoKind kInfoKinds[] = {
    {bt1E1, "Поток Е1, слот %1", MakeE1InfoForm<1>},
    {bt4E1, "Поток Е1, слот %1", MakeE1InfoForm<4>},
    {bt4ToP, "Поток Е1, слот %1", MakeE1InfoForm<4>},
    {bt4I15, "Плата 4I15, слот %1", MakeInfoForm<TInfI15Form>},
    {bt4C64, "Плата 4C64, слот %1", MakeInfoForm<TInfC64Form>},
    {bt4C1I, "Плата 4С1И, слот %1", MakeInfoForm<TInfC1IForm>},
    {bt1DSL, "Поток DSL, слот %1", MakeInfoForm<TInfDSLForm>},
    {bt4DSL, "Поток DSL, слот %1", MakeInfoForm<TInf4DSLForm>},
    {bt4DSLv2, "Поток DSL, слот %1", MakeInfoForm<TInf4DSLForm>},
    {btDP, "Состояние ДП, слот %1", MakeInfoForm<TInfDPForm>},
    {btCPU, nullptr, MakeInfoForm<TInfCPUForm>},
};

const TInfoKind* FindInfoKind(std::uint8_t type) {
    for (const TInfoKind& kind : kInfoKinds) {
        if (kind.Type == type) {
            return &kind;
        }
    }
    return nullptr;
}

}  // namespace

std::unique_ptr<TInfoForm> CreateInfoForm(TMux& mux, int slot, QWidget* parent) {
    const TInfoKind* kind = FindInfoKind(mux.SlotBoardType(slot));  // the CPU's type at its position
    return kind != nullptr ? kind->Make(mux, parent) : nullptr;
}

QString InfoFormTitle(std::uint8_t type, int slot) {
    const TInfoKind* kind = FindInfoKind(type);
    return kind != nullptr && kind->Title != nullptr ? QString(kind->Title).arg(slot) : QString();
}

}  // namespace tervis
