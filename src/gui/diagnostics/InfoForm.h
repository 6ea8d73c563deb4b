#pragma once

#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QStringList>

#include <array>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "core/diagnostics/InfoTexts.h"

class QGridLayout;
class QGroupBox;
class QHBoxLayout;
class QTabBar;
class QTableWidget;
class QVBoxLayout;

namespace tervis {

class TMux;
struct TStreamState;

// A counter of the stream state record, as the stream dialogs show it in their statistics.
enum class TStreamCounter { Slips, SlipsE, SlipsF, SlipRate, Errors, ErrorRate, Period };

// A counter in a statistics group, under its usual caption unless the dialog gives another.
struct TCounterRow {
    TCounterRow(TStreamCounter counter, const char* caption = nullptr) : Counter(counter), Caption(caption) {}
    TStreamCounter Counter;
    const char* Caption;
};

// What a value reads until the device answers, and again after the link is lost.
inline constexpr char kUnknownValue[] = "???";

// Value labels bound to the text fields of an information record, all refreshed from one record.
template <typename Info>
class TBoundValues {
public:
    void Bind(QLabel* label, std::string Info::*field) { values_.emplace_back(label, field); }
    void Show(const Info& info) const {
        for (const auto& [label, field] : values_) {
            label->setText(QString::fromStdString(info.*field));
        }
    }
    void Clear() const {
        for (const auto& value : values_) {
            value.first->setText(kUnknownValue);
        }
    }

private:
    std::vector<std::pair<QLabel*, std::string Info::*>> values_;
};

// What every board information window shares: the slot and port it shows (the model's information
// selection), the forwarded notifications, values that read "???" until the device answers, the CAS
// grids and the counter reset.
class TInfoForm : public QDialog {
    Q_OBJECT
public:
    // Named and captioned as given, with an empty column for the window's parts.
    TInfoForm(TMux& mux, QWidget* parent, const char* objectName, const QString& title);

    // Sets the caption (empty keeps the window's own) and takes slot, port and board type from the
    // model's information selection, which the caller has just set.
    void Open(const QString& title);
    // The link-state and information notifications the main window forwards.
    void Notify(unsigned message, std::uintptr_t wParam, std::intptr_t lParam);

    int Slot() const { return slot_; }
    int Port() const { return port_; }
    std::uint8_t Type() const { return type_; }
    // A shown value by its object name, for tests and screenshots.
    QString ValueText(const QString& name) const;

    // "&Сброс": the counters of the shown slot and port.
    virtual void ResetButtonClick();

protected:
    // The values of one record, after the model stored it: code 0 CPU block, 1 state, 2 DSL line or ДП,
    // 3 CAS received, 4 CAS transmitted.
    virtual void Refresh(std::uintptr_t code) = 0;
    // Every shown value back to "???".
    virtual void ResetValues();
    // Called on link loss; by default the same as ResetValues.
    virtual void LinkLost() { ResetValues(); }

    // Retargets the information polls to another port of the slot.
    void SelectPort(int port);

    // Building blocks.
    QVBoxLayout* Column() const { return column_; }
    QGroupBox* AddGroup(QVBoxLayout* layout, const QString& title);
    QLabel* AddValue(QGroupBox* group, const QString& caption, const QString& name);
    QLabel* AddValue(QGridLayout* grid, int row, const QString& caption, const QString& name);
    QTabBar* AddTabs(QVBoxLayout* layout, const QStringList& tabs, const QString& name);
    // "комплект 0" … of a board's ports.
    static QStringList PortTabs(int ports);
    // The ports' tabs; choosing one shows that port.
    QTabBar* AddPortTabs(QVBoxLayout* layout, int ports);
    QPushButton* AddResetButton(QGroupBox* group);
    // A group without a caption at the end of the column; its grid is returned.
    QGridLayout* AddPlainGroup();
    // A button that is not the default one, its click bound to the handler.
    template <typename F>
    QPushButton* MakeButton(const QString& text, const QString& name, F handler) {
        QPushButton* button = MakePlainButton(text, name);
        connect(button, &QPushButton::clicked, this, handler);
        return button;
    }
    QPushButton* MakePlainButton(const QString& text, const QString& name);
    // A CAS grid of 15 rows, two columns per half.
    QTableWidget* AddCasGrid(QGridLayout* grid, int column, const QString& caption, const QString& name,
                             bool twoHalves);
    // The stream dialogs below the tabs: the value groups already in `left`, the CAS grids right of them
    // ("Сигнальная информация", received and transmitted), the close button.
    void AddStreamColumns(QVBoxLayout* layout, QVBoxLayout* left, bool twoHalves);
    // A stream alarm flag (object name Flag<index>) under its usual caption unless another is given, and
    // counters of the stream state record, all shown by ShowStreamState.
    static QString StreamFlagCaption(int index);
    void AddStreamFlag(QGroupBox* group, int index, const QString& caption = {});
    void AddStreamCounters(QGroupBox* group, std::initializer_list<TCounterRow> rows);
    // The " Статистика " group of such counters, with its reset button, at the end of the layout.
    void AddStatistics(QVBoxLayout* layout, std::initializer_list<TCounterRow> rows);
    void ShowStreamState(const TStreamState& state);
    // Shows the received or transmitted CAS record in its grid; false for the codes of other records.
    bool RefreshCas(std::uintptr_t code);
    void ShowCas(QTableWidget* grid, const std::array<TCasRow, kCasRows>& rows);
    void ClearCas(QTableWidget* grid);
    QVBoxLayout* AddCloseButton(QVBoxLayout* layout, const QString& text);
    static void Show(QLabel* label, const std::string& text);

    TMux& mux_;
    int slot_ = 0;
    int port_ = 0;
    std::uint8_t type_ = 0;
    std::vector<QLabel*> values_;
    std::vector<QTableWidget*> grids_;
    // The CAS grids of the stream dialogs; two halves for 30 channels, one for the 4И15's 15.
    QTableWidget* casReceived_ = nullptr;
    QTableWidget* casTransmitted_ = nullptr;

private:
    QVBoxLayout* column_;
    std::vector<std::pair<std::size_t, QLabel*>> streamFlags_;
    std::vector<std::pair<TStreamCounter, QLabel*>> streamCounters_;
};

// Creates the information window of the slot's board; null for boards without one. The CPU is slot 16.
std::unique_ptr<TInfoForm> CreateInfoForm(TMux& mux, int slot, QWidget* parent);
// The caption the main window gives the window of this slot's board; empty for the CPU's, which keeps its
// own.
QString InfoFormTitle(std::uint8_t type, int slot);

}  // namespace tervis
