#pragma once

#include <QDialog>

#include <array>
#include <cstdint>

#include "core/model/Mux.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QTabBar;
class QTableWidget;
class QTableWidgetItem;
class QVBoxLayout;

namespace tervis {

// The signalling-bit editor: the abcd and active bits of one slot's channels, stream by stream, on a
// private copy that only OK hands back.
class TProtocolForm : public QDialog {
    Q_OBJECT
public:
    static constexpr int kAllButtons = 7;

    explicit TProtocolForm(QWidget* parent = nullptr);

    // layout: the board type code of the layout (see casgrid::LayoutFor); entries: the slot's 128 entries.
    void Load(std::uint8_t layout, const std::vector<std::string>& tabs, const TSlotSignalling& entries);
    const TSlotSignalling& Entries() const { return entries_; }
    int CurrentTab() const;

    void TabSet1Change();
    void AllButtonClick(int tag);
    // The live conversion of a row while a cell is edited; the editor passes its current text.
    void CellTextChanged(int row, int column, QLineEdit& editor);
    void CellEditStarted(int row, int column);
    void CellEditEnded();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FitGridToTabs();
    void BuildGrid();
    QTableWidgetItem* MakeCell(int row, int column) const;
    QVBoxLayout* BuildAllButtons();
    void Fill();
    void CurrentCellChanged(int row, int column, int previousRow, int previousColumn);

    QTabBar* TabSet1;
    QTableWidget* StringGrid1;
    QLabel* Label1;
    std::array<QPushButton*, kAllButtons> allButtons_{};
    QPushButton* Button1;
    QPushButton* Button2;
    TSlotSignalling entries_{};
    std::uint8_t layout_ = 0;
    QString remembered_;
    int editTab_ = 0;
    bool adjusting_ = false;
};

}  // namespace tervis
