#pragma once

#include <QMainWindow>
#include <QPointer>

#include <array>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/alarms/AlarmIndication.h"
#include "core/base/Listeners.h"
#include "core/model/Mux.h"
#include "core/settings/Settings.h"
#include "gui/widgets/GuiSeams.h"

class QAction;
class QActionGroup;
class QLabel;
class QMenu;
class QSoundEffect;
class QTimer;

namespace tervis {

class TSlotFrame;
class TReportForm;
class TTraceForm;
class TViewLinksForm;
class TAddressForm;
class TCustomPacketHandler;
class IProgressFactory;

// The main window: the chassis, every file and device command, the notifications of the model and the
// link, the status bar and the alarm panel.
class TConfigForm : public QMainWindow,
                    public ITileOwner,
                    public INotificationSink,
                    public IOperatorMessages {
    Q_OBJECT
public:
    // args: the command line, program path first. currentDirectory: where the settings file and the
    // alarm sound are looked for (the sound also where the program is installed). settings: read at start,
    // written back at exit; must outlive the window.
    TConfigForm(const std::vector<std::string>& args, const std::filesystem::path& currentDirectory,
                TSettings& settings, IDialogs& dialogs, QWidget* parent = nullptr);
    ~TConfigForm() override;

    // ITileOwner
    TMux& Model() override { return *model_; }
    bool Restricted() const override { return settings_.restricted; }
    void SelectBoardType(int slot) override;
    void EditBoardConfig(int slot) override;
    void ShowBoardInfo(int slot) override;
    void TileMenu(int slot, const QPoint& globalPos) override;
    IDialogs& Dialogs() override { return dialogs_; }

    // INotificationSink: queued, handled later on the UI thread.
    void PostNotification(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) override;
    // IOperatorMessages
    void ShowMessage(const std::string& text) override;
    void ShowReport(const std::vector<std::string>& lines) override;
    // Shown once the link's receive handler has returned: a message box's loop inside it would let the
    // next bytes of the line in while the current read is half done.
    void ShowError(const std::string& text) override;

    // Commands, as the menus, toolbar and tiles run them.
    void NewItemClick();
    void OpenItemClick();
    void SaveItemClick();
    void SaveAsItemClick();
    void CompareItemClick();
    void ReadItemClick();
    void WriteItemClick();
    void ClearItemClick();
    void ResetItemClick();
    void AddrItemClick();
    void ItemRS422IdClick();
    void ViewLinksItemClick();
    void JackFieldItemClick();
    void ItemAboutClick();
    void AlarmTextClick();
    void SelectPort(const QString& name);
    void EditSignallingBits(int slot);
    void TracePort(int slot);
    TTraceForm& TraceForm();

    // The window's own operations.
    void SetFileName(const QString& name);
    bool SaveConfig();
    bool SaveConfigAs();
    bool OpenConfig();
    TSlotFrame* TileForSlot(int slot) const;

    const QString& FileName() const { return fileName_; }
    bool Connected() const { return connected_; }
    int QueueLength() const { return queueLength_; }
    const TAlarmIndicator& Alarm() const { return alarm_; }
    QLabel* AlarmPanel() const { return alarmText_; }
    bool AlarmPanelVisible() const;
    QLabel* LinkPanel() const { return linkPanel_; }
    QLabel* QueuePanel() const { return queuePanel_; }
    QLabel* SoundPanel() const { return soundPanel_; }
    QAction* Action(const QString& objectName) const;
    TCustomPacketHandler* Link() const;
    // The popup menu of the tiles with the enabling for this slot (for the right click and for tests).
    std::unique_ptr<QMenu> BuildTileMenu(int slot);
    void Timer1Timer();

signals:
    // The link-state and information notifications, once the main window has handled them, for every
    // window that wants them while it is open. Connect with that window as the context object, so that
    // a closed and destroyed window is never called.
    void Notified(unsigned message, quintptr wParam, qintptr lParam);

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildMenus();
    void BuildFileMenu();
    void BuildOptionsMenu();
    void AddPortItems(QMenu* options);
    void BuildConfigMenu();
    QAction* AddToggle(QMenu* menu, const QString& objectName, const QString& text, bool TSettings::*field);
    // Load with the device's configuration kept in backup/ beside the file first and compared after.
    void LoadWithBackup();
    void BuildToolBar();
    void RefreshPortItems();
    QAction* PortItem(const QString& name) const;
    QAction* AddPortItem(const QString& name);
    void TickPortItem(const QString& name);
    void BuildChassis();
    void BuildStatusBar();
    void ApplyRunModes();
    // The start-up steps after the window is built, in their order.
    void ReadStartupSettings(const std::vector<std::string>& args);
    void OpenAlarmSound();
    void ShowSettings();
    void CreateModel();
    void OpenStartupFile();
    void HandleNotification(unsigned message, std::uintptr_t wParam, std::intptr_t lParam);
    void LinkStateChanged(bool up);
    void RefreshSlotStatus(std::uintptr_t slot);
    void ShowAlarm(std::intptr_t word);
    void HideAlarm();
    bool AskToSave();
    void RefreshCaption();
    void PlayAlarmSound();
    QAction* AddAction(QMenu* menu, const QString& objectName, const QString& text,
                       void (TConfigForm::*handler)(), const QKeySequence& shortcut = {});
    template <typename F>
    void Guard(F&& action);
    void WriteSettingsOnExit();

    IDialogs& dialogs_;
    TSettings& settings_;
    TSettingsLocation location_;
    std::filesystem::path currentDirectory_;
    QString fileName_;
    std::unique_ptr<TMux> model_;
    std::unique_ptr<IProgressFactory> progressFactory_;
    bool connected_ = false;
    int queueLength_ = 0;
    TAlarmIndicator alarm_;
    std::unique_ptr<QSoundEffect> alarmSound_;
    bool settingsWritten_ = false;
    // The address setting's text when it could not be parsed and the operator has set none since.
    std::optional<std::string> unparsedAddress_;

    std::array<TSlotFrame*, kSlotCount + 1> tiles_{};
    QLabel* alarmText_ = nullptr;
    QAction* alarmAction_ = nullptr;
    QLabel* linkPanel_ = nullptr;
    QLabel* queuePanel_ = nullptr;
    QLabel* soundPanel_ = nullptr;  // says when the machine has no sound for the alarm
    QTimer* timer1_ = nullptr;
    QActionGroup* portGroup_ = nullptr;
    QMenu* portMenu_ = nullptr;
    QMenu* alarmMenu_ = nullptr;
    std::vector<QAction*> comItems_;  // the four COM items, then every other port listed in this run
    QAction* portsEnd_ = nullptr;
    QPointer<TReportForm> reportForm_;
    QPointer<TTraceForm> traceForm_;
    TSubscription traceSubscription_;  // the trace window's share of replies 165 and 170
    QPointer<TViewLinksForm> viewLinksForm_;
    QPointer<TAddressForm> addressForm_;
};

}  // namespace tervis
