#pragma once

#include <array>

#include "gui/boards/BoardDialog.h"

class QCheckBox;
class QComboBox;
class QGridLayout;
class QLineEdit;
class QRadioButton;
class QTabWidget;

namespace tervis::boards {

// The four-line DSL boards, a tab per line. The TDM rate list and the LAN figure follow the line rate,
// the line mode, the management and the self-monitoring channel while the operator edits. The 4DSL
// chooses TC-PAM16 or TC-PAM32 by buttons; the 4DSLv2 has a line-code list whose code bounds its
// line-rate list.
class TConfigDslLinesForm : public TBoardDialog {
    Q_OBJECT
public:
    static constexpr int kSets = 4;

    void CBOffLineClick(int set);
    void CBSpeedDSLClick(int set);
    void CBModeClick(int set);
    void CBSpeedTDMClick(int set);
    void CBSlaveClick(int set);

    // The rate rule's two steps, as the handlers and the load run them.
    static void FillTdmList(QComboBox* list, int count, int index);
    void RebuildTdmList(int set);
    void ShowLanFigure(int set);

protected:
    TConfigDslLinesForm(std::uint8_t type, const char* objectName, IDialogs& dialogs, QWidget* parent);
    void LoadControls() override;
    bool IsV2() const { return layout_.Type == 29; }
    // The 4DSLv2's line-code handling; nothing on the 4DSL.
    virtual void LoadLineCodes() {}
    void EnableTcPam(int set);

    struct TLine {
        QComboBox* Sync = nullptr;
        QCheckBox* OffLine = nullptr;
        QCheckBox* RemoteLoop = nullptr;
        QCheckBox* LocalLoop = nullptr;
        QCheckBox* Slave = nullptr;
        QComboBox* Mode = nullptr;
        QComboBox* LineCode = nullptr;  // 4DSLv2
        QCheckBox* CtrlMode = nullptr;
        QCheckBox* Ghs = nullptr;
        QCheckBox* SelfControl = nullptr;
        QComboBox* SpeedDsl = nullptr;
        QRadioButton* TcPam16 = nullptr;  // 4DSL
        QRadioButton* TcPam32 = nullptr;  // 4DSL
        QComboBox* SpeedTdm = nullptr;
        QLineEdit* SpeedLan = nullptr;
    };
    std::array<TLine, kSets> lines_{};

private:
    QWidget* MakeLinePage(QTabWidget* tabs, int set);
    void AddTcPamButtons(int set, QWidget* page, QGridLayout* grid, int row);
    void ConnectLine(int set);
    const TBlockField& TcPamField() const;
    // n, R and S of the rate rule for a line; n is 0 when the line-rate list has no selection.
    int LineRate(int set) const;
    bool Remote(int set) const;
};

class TConfig4DSLForm : public TConfigDslLinesForm {
    Q_OBJECT
public:
    explicit TConfig4DSLForm(IDialogs& dialogs, QWidget* parent = nullptr);
};

class TConfig4DSLv2Form : public TConfigDslLinesForm {
    Q_OBJECT
public:
    explicit TConfig4DSLv2Form(IDialogs& dialogs, QWidget* parent = nullptr);
    void FormCreate();
    // Rebuilds the line's line-rate list for the code its line-code list shows.
    void CBTcpamChange(int set);

protected:
    void LoadLineCodes() override;

private:
    void BuildLineRates(int set, int code);
};

}  // namespace tervis::boards
