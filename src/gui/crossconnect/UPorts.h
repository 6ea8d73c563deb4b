#pragma once

#include <QDialog>

#include <array>
#include <cstdint>

class QFrame;
class QPushButton;
class QTabBar;
class QToolButton;

namespace tervis {

class TMux;

// Chooses the channel of a board whose line-signalling messages are to be traced. Only channels with a
// link can be chosen; a click on one chooses it and closes the dialog as confirmed.
class TPortsForm : public QDialog {
    Q_OBJECT
public:
    static constexpr int kButtonCount = 32;

    explicit TPortsForm(QWidget* parent = nullptr);

    void SetSlot(int slot) { slot_ = slot; }
    // Takes the board type of the slot set before, fills tabs and caption and lays out the buttons. The
    // model must outlive the dialog.
    void Load(const TMux& mux);
    // The chosen channel index, valid when the dialog was confirmed.
    std::uint8_t Channel() const { return channel_; }

    void TabControl1Change();
    void PortButtonClick(int tag);

private:
    void LayoutButtons();
    int CurrentTab() const;

    QTabBar* TabControl1;
    QFrame* Panel1;
    std::array<QToolButton*, kButtonCount> buttons_{};
    QPushButton* CloseButton;
    const TMux* mux_ = nullptr;
    int slot_ = 0;
    std::uint8_t type_ = 0;
    std::uint8_t channel_ = 0;
};

}  // namespace tervis
