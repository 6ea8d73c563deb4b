#pragma once

#include <QDialog>
#include <QStringList>

#include <array>
#include <cstdint>
#include <utility>
#include <vector>

#include "core/diagnostics/InfoTexts.h"

class QGridLayout;
class QGroupBox;
class QHBoxLayout;
class QLabel;
class QPushButton;
class QTabBar;
class QTableWidget;
class QVBoxLayout;

namespace tervis {

class TMux;

// What every board information window shares: the slot and port it shows (the model's information
// selection), the forwarded notifications, values that read "???" until the device answers, the CAS
// grids and the counter reset.
class TInfoForm : public QDialog {
    Q_OBJECT
public:
    TInfoForm(TMux& mux, QWidget* parent);

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
    QGroupBox* AddGroup(QVBoxLayout* layout, const QString& title);
    QLabel* AddValue(QGroupBox* group, const QString& caption, const QString& name);
    QLabel* AddValue(QGridLayout* grid, int row, const QString& caption, const QString& name);
    QTabBar* AddTabs(QVBoxLayout* layout, const QStringList& tabs, const QString& name);
    QPushButton* AddResetButton(QGroupBox* group);
    // A CAS grid of 15 rows, two columns per half.
    QTableWidget* AddCasGrid(QGridLayout* grid, int column, const QString& caption, const QString& name,
                             bool twoHalves);
    // The right-hand column of the stream dialogs: "Сигнальная информация" with the received and the
    // transmitted grid; returns them in that order.
    std::pair<QTableWidget*, QTableWidget*> AddCasColumn(QHBoxLayout* columns, bool twoHalves);
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
};

// Creates the information window of the slot's board; null for boards without one. The CPU is slot 16.
std::unique_ptr<TInfoForm> CreateInfoForm(TMux& mux, int slot, QWidget* parent);
// The caption the main window gives the window of this slot's board; empty for the CPU's, which keeps its
// own.
QString InfoFormTitle(std::uint8_t type, int slot);

}  // namespace tervis
