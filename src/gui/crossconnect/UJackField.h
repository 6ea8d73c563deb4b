#pragma once

#include <QDialog>
#include <QToolButton>

#include <array>
#include <cstdint>
#include <exception>
#include <memory>
#include <vector>

#include "core/crossconnect/JackField.h"

class QGroupBox;
class QLabel;
class QPushButton;

namespace tervis {

class TMux;

// A channel, group, generator or measurer button: a toggle whose pressed state only the editor sets, so a
// click never flips it on its own.
class TFieldButton : public QToolButton {
    Q_OBJECT
public:
    explicit TFieldButton(QWidget* parent);

protected:
    void nextCheckState() override {}
};

// The cross-connect field: every linkable channel of the model as a small toggle button that shows
// what the channel is linked to. The window draws the editor's state and forwards clicks, keys and the
// button under the pointer; it creates its buttons once and afterwards only touches what changed.
class TJackFieldForm : public QDialog {
    Q_OBJECT
public:
    explicit TJackFieldForm(QWidget* parent = nullptr);
    ~TJackFieldForm() override;

    // Remembers the model (not owned), builds the trunk list, lays out the rows and draws them.
    void Load(TMux& mux);
    // Redraws what differs from the last drawing and enables "Применить".
    void Refresh();
    // Link state and information notifications forwarded by the main window.
    void Notify(unsigned message, std::uintptr_t wParam, std::intptr_t lParam);

    TJackField* Editor() const { return editor_.get(); }
    TFieldButton* TrunkButton(int row, int tag) const;
    TFieldButton* PortButton(int slot, int column) const;
    // Widget properties set by the last Refresh; a refresh with nothing changed sets none.
    int LastRefreshChanges() const { return lastChanges_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    struct TSlotButton {
        TFieldButton* Button = nullptr;
        THoverTarget Target;
        TButtonView Shown;  // what the button shows now
    };

    int AreaOf(const QObject* widget) const;
    static int AreaOfTarget(const THoverTarget& target);
    bool CanTakeFocus(const QWidget* widget) const;
    bool TabOutOfArea(QWidget* from, bool forward);
    bool MoveInArea(QWidget* from, int key);
    bool FieldKey(QObject* watched, QKeyEvent* event);
    void BuildTrunkArea();
    void BuildPortArea();
    void BuildCpuBox();
    TFieldButton* MakeButton(QWidget* parent, const QString& name, const THoverTarget& target);
    void LayOutPortRows();
    void Draw(TSlotButton& slot, const TButtonView& view);
    void SetLabel(QLabel* label, const QString& text);
    // Runs an operator action on the editor and redraws; nothing the model raises leaves the handler.
    template <typename F>
    void Act(F&& action);
    // Shows the error of a failed action, ends the pending edit and draws what the model now holds.
    void ActionFailed(const std::exception& error);
    void ShowLevel();

    std::unique_ptr<TJackField> editor_;
    TMux* mux_ = nullptr;
    int lastChanges_ = 0;

    std::vector<TSlotButton> buttons_;  // trunk rows, then port rows, then generator and measurer
    std::array<QWidget*, TJackField::kTrunkRows> trunkRows_{};
    std::array<QLabel*, TJackField::kTrunkRows> trunkLabels_{};
    std::array<QWidget*, kSlotCount> portRows_{};
    std::array<QLabel*, kSlotCount> portBoardLabels_{};
    std::vector<QLabel*> portHeaders_;
    QWidget* portArea_ = nullptr;
    QToolButton* trunkUp_ = nullptr;
    QToolButton* trunkDown_ = nullptr;
    QToolButton* portUp_ = nullptr;
    QToolButton* portDown_ = nullptr;
    QGroupBox* cpuBox_ = nullptr;
    QLabel* levelText_ = nullptr;
    QPushButton* applyButton_ = nullptr;
    QPushButton* closeButton_ = nullptr;
};

}  // namespace tervis
