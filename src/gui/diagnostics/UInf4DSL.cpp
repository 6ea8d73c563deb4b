#include "gui/diagnostics/InfoWindows.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QTabBar>
#include <QVBoxLayout>

#include "core/base/Format.h"
#include "core/model/Mux.h"
#include "gui/widgets/Named.h"

namespace tervis {

TInf4DSLForm::TInf4DSLForm(TMux& mux, QWidget* parent) : TInfoForm(mux, parent, "Inf4DSLForm", "Поток DSL") {
    sets_ = AddTabs(Column(), PortTabs(4), "TabControl1");
    connect(sets_, &QTabBar::currentChanged, this, [this] { TabChanged(true); });

    auto* columns = new QHBoxLayout;
    auto* left = new QVBoxLayout;
    QGroupBox* signal = AddGroup(left, " Параметры сигнала ");
    state_ = AddValue(signal, "State", "State");
    condition_ = AddValue(signal, "- condition", "Condition");
    reason_ = AddValue(signal, "- reason", "Reason");
    coding_ = AddValue(signal, "Coding", "Coding");
    // The longest names of the state tables fit without cutting.
    const int longest = QFontMetrics(font()).horizontalAdvance("DSL_FRAMING_NOT_SYNCHRONIZED") + 8;
    for (QLabel* label : {state_, condition_, reason_, coding_}) {
        label->setMinimumWidth(longest);
    }
    const char* const kNumbers[] = {"Signal quality, дБ", "Line loss, дБ",      "B channels",
                                    "Code violations",    "Error seconds",      "Severely error seconds",
                                    "LOSW seconds",       "Unavailable seconds"};
    for (std::size_t i = 0; i < numbers_.size(); ++i) {
        numbers_[i] = AddValue(signal, kNumbers[i], QString("Line%1").arg(i));
    }
    cas1Lost_ = AddValue(signal, "Потеря сверхцикла CAS#1:", "Cas1Lost");
    cas2Lost_ = AddValue(signal, "Потеря сверхцикла CAS#2:", "Cas2Lost");
    AddResetButton(signal);
    left->addStretch();
    columns->addLayout(left);

    auto* right = new QVBoxLayout;
    QGroupBox* cas = AddGroup(right, " Сигнальная информация ");
    auto* casLayout = static_cast<QGridLayout*>(cas->layout());
    cas_ = Named(new QTabBar(this), "TabControl2");
    cas_->setExpanding(false);
    cas_->addTab("CAS #1");
    cas_->addTab("CAS #2");
    connect(cas_, &QTabBar::currentChanged, this, [this] { TabChanged(false); });
    auto* grids = new QGridLayout;
    casReceived_ = AddCasGrid(grids, 0, "CAS, принято:", "GridReceived", true);
    casTransmitted_ = AddCasGrid(grids, 1, "CAS, передано:", "GridTransmitted", true);
    casLayout->addWidget(cas_, 0, 0, 1, 2);
    casLayout->addLayout(grids, 1, 0, 1, 2);
    right->addStretch();
    columns->addLayout(right);
    Column()->addLayout(columns);
    AddCloseButton(Column(), "&Закрыть");
    ResetValues();
}

void TInf4DSLForm::TabChanged(bool setTab) {
    const int port = std::max(0, cas_->currentIndex()) * 4 + std::max(0, sets_->currentIndex());
    if (setTab) {
        SelectPort(port);
        return;
    }
    // Another CAS stream of the same set: the line values stay.
    port_ = port;
    ClearCas(casReceived_);
    ClearCas(casTransmitted_);
    mux_.SelectInfo(slot_, port_, true);
}

void TInf4DSLForm::Refresh(std::uintptr_t code) {
    if (code == kInfoLine) {
        const TDslLine& r = mux_.GetDslLine(slot_, port_);
        if (const std::string title = DslInfoTitle(r); !title.empty()) {
            setWindowTitle(QString::fromStdString(title));
        }
        Show(state_, DslStateText(r[0]));
        Show(condition_, DslConditionText(r[2]));
        Show(reason_, DslReasonText(r[1]));
        Show(coding_, DslLineCodingText(r));
        Show(numbers_[0], Format("%d", r[10]));
        Show(numbers_[1], Format("%d", r[11]));
        Show(numbers_[2], Format("%d", r[13]));
        for (std::size_t i = 0; i < 5; ++i) {
            Show(numbers_[3 + i], Format("%d", r[15 + i]));
        }
        Show(cas1Lost_, YesNo(r[7]));
        Show(cas2Lost_, YesNo(r[8]));
    } else {
        RefreshCas(code);
    }
}

}  // namespace tervis
