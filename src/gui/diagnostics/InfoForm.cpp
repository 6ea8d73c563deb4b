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

#include "core/model/Mux.h"
#include "gui/diagnostics/UInf4DSL.h"
#include "gui/diagnostics/UInfC1I.h"
#include "gui/diagnostics/UInfC64.h"
#include "gui/diagnostics/UInfCPU.h"
#include "gui/diagnostics/UInfDP.h"
#include "gui/diagnostics/UInfDSL.h"
#include "gui/diagnostics/UInfE1.h"
#include "gui/diagnostics/UInfI15.h"

namespace tervis {

namespace {
const QString kUnknown = "???";
constexpr int kCasRowHeight = 17;
}  // namespace

TInfoForm::TInfoForm(TMux& mux, QWidget* parent) : QDialog(parent), mux_(mux) {}

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
        label->setText(kUnknown);
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
    auto* label = new QLabel(caption, this);
    label->setObjectName(name + "Caption");
    auto* value = new QLabel(kUnknown, this);
    value->setObjectName(name);
    value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    value->setMinimumWidth(QFontMetrics(value->font()).horizontalAdvance("0000000000"));
    grid->addWidget(label, row, 0);
    grid->addWidget(value, row, 1);
    values_.push_back(value);
    return value;
}

QTabBar* TInfoForm::AddTabs(QVBoxLayout* layout, const QStringList& tabs, const QString& name) {
    auto* bar = new QTabBar(this);
    bar->setObjectName(name);
    bar->setExpanding(false);
    for (const QString& tab : tabs) {
        bar->addTab(tab);
    }
    layout->addWidget(bar);
    return bar;
}

QPushButton* TInfoForm::AddResetButton(QGroupBox* group) {
    auto* button = new QPushButton("&Сброс", this);
    button->setObjectName("ResetButton");
    button->setAutoDefault(false);
    connect(button, &QPushButton::clicked, this, [this] { ResetButtonClick(); });
    auto* grid = static_cast<QGridLayout*>(group->layout());
    grid->addWidget(button, grid->rowCount(), 1, Qt::AlignRight);
    return button;
}

std::pair<QTableWidget*, QTableWidget*> TInfoForm::AddCasColumn(QHBoxLayout* columns, bool twoHalves) {
    auto* right = new QVBoxLayout;
    QGroupBox* cas = AddGroup(right, " Сигнальная информация ");
    auto* grid = static_cast<QGridLayout*>(cas->layout());
    QTableWidget* received = AddCasGrid(grid, 0, "CAS, принято:", "GridReceived", twoHalves);
    QTableWidget* transmitted = AddCasGrid(grid, 1, "CAS, передано:", "GridTransmitted", twoHalves);
    right->addStretch();
    columns->addLayout(right);
    return {received, transmitted};
}

QTableWidget* TInfoForm::AddCasGrid(QGridLayout* grid, int column, const QString& caption,
                                    const QString& name, bool twoHalves) {
    auto* label = new QLabel(caption, this);
    auto* table = new QTableWidget(kCasRows, twoHalves ? 4 : 2, this);
    table->setObjectName(name);
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
        grid->item(r, 1)->setText(kUnknown);
        if (twoHalves) {
            grid->item(r, 2)->setText(QString("к.%1").arg(r + 17));
            grid->item(r, 3)->setText(kUnknown);
        }
    }
}

QVBoxLayout* TInfoForm::AddCloseButton(QVBoxLayout* layout, const QString& text) {
    auto* button = new QPushButton(text, this);
    button->setObjectName("CloseButton");
    button->setDefault(true);
    connect(button, &QPushButton::clicked, this, &QDialog::accept);
    auto* row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(button);
    layout->addLayout(row);
    return layout;
}

void TInfoForm::Show(QLabel* label, const std::string& text) {
    label->setText(QString::fromStdString(text));
}

std::unique_ptr<TInfoForm> CreateInfoForm(TMux& mux, int slot, QWidget* parent) {
    const std::uint8_t type = mux.SlotBoardType(slot);  // 32 for the CPU position
    switch (type) {
        case bt1E1:
        case bt4E1:
        case bt4ToP:
            return std::make_unique<TInfE1Form>(mux, type == bt1E1 ? 1 : 4, parent);
        case bt4I15:
            return std::make_unique<TInfI15Form>(mux, parent);
        case bt4C64:
            return std::make_unique<TInfC64Form>(mux, parent);
        case bt4C1I:
            return std::make_unique<TInfC1IForm>(mux, parent);
        case bt1DSL:
            return std::make_unique<TInfDSLForm>(mux, parent);
        case bt4DSL:
        case bt4DSLv2:
            return std::make_unique<TInf4DSLForm>(mux, parent);
        case btDP:
            return std::make_unique<TInfDPForm>(mux, parent);
        case btCPU:
            return std::make_unique<TInfCPUForm>(mux, parent);
        default:
            return nullptr;
    }
}

QString InfoFormTitle(std::uint8_t type, int slot) {
    switch (type) {
        case bt1E1:
        case bt4E1:
        case bt4ToP:
            return QString("Поток Е1, слот %1").arg(slot);
        case bt4I15:
            return QString("Плата 4I15, слот %1").arg(slot);
        case bt4C64:
            return QString("Плата 4C64, слот %1").arg(slot);
        case bt4C1I:
            return QString("Плата 4С1И, слот %1").arg(slot);
        case bt1DSL:
        case bt4DSL:
        case bt4DSLv2:
            return QString("Поток DSL, слот %1").arg(slot);
        case btDP:
            return QString("Состояние ДП, слот %1").arg(slot);
        default:
            return {};
    }
}

}  // namespace tervis
