#include "gui/shell/UMuxConfig.h"

#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QSerialPortInfo>
#include <QSoundEffect>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>
#include <algorithm>
#include <filesystem>

#include "core/base/Errors.h"
#include "core/diagnostics/SignallingGrid.h"
#include "core/link/Address.h"
#include "core/model/Backup.h"
#include "core/settings/CommandLine.h"
#include "gui/boards/BoardDialog.h"
#include "gui/crossconnect/UJackField.h"
#include "gui/crossconnect/UPorts.h"
#include "gui/crossconnect/USelectType.h"
#include "gui/crossconnect/UViewLinks.h"
#include "gui/diagnostics/InfoForm.h"
#include "gui/diagnostics/UProtocol.h"
#include "gui/diagnostics/UTrace.h"
#include "gui/link/UAddress.h"
#include "gui/link/UProgress.h"
#include "gui/link/URs485Edit.h"
#include "gui/model/UReport.h"
#include "gui/shell/AlarmSound.h"
#include "gui/shell/UAbout.h"
#include "gui/shell/USlotFrame.h"
#include "gui/widgets/Application.h"
#include "gui/widgets/Icons.h"
#include "gui/widgets/Named.h"
#include "gui/widgets/Placement.h"
#include "platform/SerialPacketHandler.h"
#include "platform/ServerPacketHandler.h"

namespace tervis {

namespace {

const QString kQuestionCaption = "Конфигуратор мультиплексора";
const QString kDefaultFileName = "newcfg.mux";
constexpr int kClientWidth = 754;
constexpr int kClientHeight = 281;
constexpr int kToolBarHeight = 31;
constexpr int kStatusHeight = 20;
constexpr int kTileStep = 44;
constexpr int kTimerMs = 50;
constexpr int kTraceStop = 255;  // slot and port of the request that stops the trace
constexpr std::uintmax_t kConfigurationFileBytes = 2 * image::kWords;

// A notification waiting in the window's event queue.
class TNotificationEvent : public QEvent {
public:
    static QEvent::Type Kind() {
        static const auto kind = static_cast<QEvent::Type>(QEvent::registerEventType());
        return kind;
    }
    TNotificationEvent(unsigned message, std::uintptr_t wParam, std::intptr_t lParam)
        : QEvent(Kind()), Message(message), WParam(wParam), LParam(lParam) {}
    unsigned Message;
    std::uintptr_t WParam;
    std::intptr_t LParam;
};

// The files of /proc and /sys give their size as 0 or one page whatever they hold, and reading some of
// them waits for the kernel (/proc/kmsg) or takes messages meant for someone else. No configuration is
// that short, so the size recorded in the file's status decides before a byte is read; devices and
// pipes the model refuses itself.
void CheckLoadSource(const std::filesystem::path& name) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(name, ec)) {
        return;
    }
    const std::uintmax_t size = std::filesystem::file_size(name, ec);
    if (!ec && size < kConfigurationFileBytes) {
        throw EInOutError("Ошибка чтения файла " + name.string() + ": файл короче 65534 байт");
    }
}

bool IsSignallingType(std::uint8_t type) {
    return HasSignallingEditor(type);
}
bool IsInformationType(std::uint8_t type) {
    return HasInformationDialog(type);
}
bool IsTraceableType(std::uint8_t type) {
    return ShowsTraceMessages(type);
}

// Forwards the main window's link-state and information notifications to a window while it is open,
// whatever way it closes.
template <class Form>
class TForwardScope {
public:
    TForwardScope(TConfigForm& window, Form& form)
        : connection_(QObject::connect(&window, &TConfigForm::Notified, &form,
                                       [&form](unsigned message, quintptr wParam, qintptr lParam) {
                                           form.Notify(message, wParam, lParam);
                                       })) {}
    ~TForwardScope() { QObject::disconnect(connection_); }
    TForwardScope(const TForwardScope&) = delete;
    TForwardScope& operator=(const TForwardScope&) = delete;

private:
    QMetaObject::Connection connection_;
};

}  // namespace

TConfigForm::TConfigForm(const std::vector<std::string>& args, const std::filesystem::path& currentDirectory,
                         TSettings& settings, IDialogs& dialogs, QWidget* parent)
    : QMainWindow(parent), dialogs_(dialogs), settings_(settings), currentDirectory_(currentDirectory) {
    setWindowTitle("Конфигуратор MUX");
    setWindowIcon(ApplicationIcon());
    // 1. The keyboard hook of the tile buttons.
    qApp->installEventFilter(this);
    BuildMenus();
    BuildToolBar();
    BuildChassis();
    BuildStatusBar();
    ReadStartupSettings(args);  // 2 to 6
    OpenAlarmSound();           // 7
    ShowSettings();             // 8
    // 9. The CPU tile.
    tiles_[kCpuSlot]->SetBoardType(btCPU);
    CreateModel();      // 10, 11
    OpenStartupFile();  // 12 to 14
    RefreshCaption();
    timer1_ = new QTimer(this);
    timer1_->setInterval(kTimerMs);
    connect(timer1_, &QTimer::timeout, this, [this] { Guard([this] { Timer1Timer(); }); });
    timer1_->start();
    CentreOnScreen(*this);
}

void TConfigForm::ReadStartupSettings(const std::vector<std::string>& args) {
    // 2, 3. Settings file name, then the command line.
    location_ = DefaultSettingsLocation(currentDirectory_);
    ParseCommandLine(args, settings_, location_);
    // 4, 5. Hosted and restricted modes.
    ApplyRunModes();
    // 6. The settings.
    if (const std::string problem = ReadSettings(settings_, location_); !problem.empty()) {
        ShowMessage(problem);
    }
}

void TConfigForm::OpenAlarmSound() {
    // A missing or unplayable file leaves the wave sound off; a machine without sound too, which the
    // status bar says.
    const std::filesystem::path wave = FindAlarmSound(currentDirectory_, InstalledDataFolders());
    if (wave.empty()) {
        return;
    }
    if (!HasAudioOutput()) {
        soundPanel_->setText("Нет звукового устройства");
        soundPanel_->setToolTip("Звуковая сигнализация на колонки не звучит: звуковое устройство не найдено");
        return;
    }
    alarmSound_ = std::make_unique<QSoundEffect>();
    alarmSound_->setSource(QUrl::fromLocalFile(QString::fromStdString(wave.string())));
}

void TConfigForm::ShowSettings() {
    Action("CashedTrxItem")->setChecked(settings_.cashedtrx);
    Action("BackupBeforeLoadItem")->setChecked(settings_.backupbeforeload);
    Action("UseSpeakerItem")->setChecked(settings_.usespeaker);
    Action("UseWaveItem")->setChecked(settings_.usewave);
    Action("AlarmConnectItem")->setChecked(settings_.alarmconnect);
    Action("ItemUseLog")->setChecked(settings_.uselog);
}

void TConfigForm::OpenStartupFile() {
    // 12, 13. The port, and the default file name until the last file is open.
    SelectPort(QString::fromStdString(settings_.device));
    SetFileName(kDefaultFileName);
    // 14. The last file.
    const QString last = QString::fromStdString(settings_.lastfile);
    if (!last.isEmpty() && last != kDefaultFileName) {
        Guard([&] {
            CheckLoadSource(settings_.lastfile);
            if (model_->LoadFromFile(settings_.lastfile)) {
                SetFileName(last);
            }
        });
    }
}

TConfigForm::~TConfigForm() {
    qApp->removeEventFilter(this);
    // A window destroyed without being closed still writes its settings; nothing may leave a destructor,
    // so a failure is shown through the application's error display.
    try {
        WriteSettingsOnExit();
    } catch (const std::exception& error) {
        TApplication::ReportError(QString::fromUtf8(error.what()));
    }
}

void TConfigForm::WriteSettingsOnExit() {
    if (settingsWritten_ || !model_) {
        return;
    }
    settingsWritten_ = true;
    settings_.address = unparsedAddress_ ? *unparsedAddress_ : FormatAddressPath(model_->Address());
    settings_.lastfile = fileName_.toStdString();
    // The port closes and the sound stops before the file is written.
    model_.reset();
    alarmSound_.reset();
    try {
        WriteSettings(settings_, location_);
    } catch (const std::exception&) {
        // A settings file that cannot be written is never reported to the operator (WriteSettings itself
        // skips what the file cannot hold); the program is ending and its window may already be gone.
    }
}

template <typename F>
void TConfigForm::Guard(F&& action) {
    // The application's error display: file and port errors become a message box.
    try {
        action();
    } catch (const std::exception& e) {
        dialogs_.Message(this, QString::fromStdString(e.what()));
    }
}

void TConfigForm::CreateModel() {
    model_ = std::make_unique<TMux>(this, this, settings_);
    progressFactory_ = std::make_unique<TProgressFactory>(this);
    std::unique_ptr<TCustomPacketHandler> link;
    if (settings_.Hosted()) {
        link = std::make_unique<TServerPacketHandler>(*model_);
    } else {
        link = std::make_unique<TSerialPacketHandler>(*model_);
    }
    link->SetProgressFactory(progressFactory_.get());
    model_->SetDeviceLink(std::move(link));
    // 11. The address path. A damaged setting is reported and the directly attached multiplexer is
    // used; its text is kept so that the exit does not erase the operator's route.
    try {
        model_->SetAddress(ParseAddressPath(settings_.address));
    } catch (const EAddressError& e) {
        model_->SetAddress({});
        unparsedAddress_ = settings_.address;
        dialogs_.Message(this, QString::fromStdString(e.what()));
    }
}

TCustomPacketHandler* TConfigForm::Link() const {
    return model_ ? static_cast<TCustomPacketHandler*>(model_->DeviceLink()) : nullptr;
}

// --- building the window

QAction* TConfigForm::AddAction(QMenu* menu, const QString& objectName, const QString& text,
                                void (TConfigForm::*handler)(), const QKeySequence& shortcut) {
    QAction* action = menu->addAction(text);
    action->setObjectName(objectName);
    if (!shortcut.isEmpty()) {
        action->setShortcut(shortcut);
    }
    if (handler != nullptr) {
        connect(action, &QAction::triggered, this, [this, handler] { (this->*handler)(); });
    }
    return action;
}

QAction* TConfigForm::Action(const QString& objectName) const {
    return findChild<QAction*>(objectName);
}

void TConfigForm::BuildMenus() {
    BuildFileMenu();
    BuildOptionsMenu();
    BuildConfigMenu();
    QMenu* help = menuBar()->addMenu("?");
    AddAction(help, "ItemAbout", "О программе...", &TConfigForm::ItemAboutClick);
}

void TConfigForm::BuildFileMenu() {
    QMenu* file = menuBar()->addMenu("&Файл");
    AddAction(file, "NewItem", "Новая конфигурация", &TConfigForm::NewItemClick, QKeySequence("Ctrl+N"));
    AddAction(file, "SaveItem", "Сохранить", &TConfigForm::SaveItemClick, QKeySequence(Qt::Key_F2));
    AddAction(file, "OpenItem", "Открыть", &TConfigForm::OpenItemClick, QKeySequence(Qt::Key_F3));
    AddAction(file, "SaveAsItem", "Сохранить как...", &TConfigForm::SaveAsItemClick,
              QKeySequence(Qt::SHIFT | Qt::Key_F12));
    file->addSeparator();
    QAction* exit = AddAction(file, "N7", "Выход", nullptr);
    connect(exit, &QAction::triggered, this, &QWidget::close);
}

QAction* TConfigForm::AddToggle(QMenu* menu, const QString& objectName, const QString& text,
                                bool TSettings::*field) {
    QAction* item = AddAction(menu, objectName, text, nullptr);
    item->setCheckable(true);
    connect(item, &QAction::toggled, this, [this, field](bool on) { settings_.*field = on; });
    return item;
}

void TConfigForm::BuildOptionsMenu() {
    QMenu* options = menuBar()->addMenu("&Настройки");
    AddPortItems(options);
    AddAction(options, "AddrItem", "Адрес мультиплексора", &TConfigForm::AddrItemClick);
    options->addSeparator();
    alarmMenu_ = options->addMenu("Сигнализация");
    alarmMenu_->menuAction()->setObjectName("AlarmMenu");
    AddToggle(alarmMenu_, "UseSpeakerItem", "Звуковая сигнализация на динамик", &TSettings::usespeaker);
    AddToggle(alarmMenu_, "UseWaveItem", "Звуковая сигнализация на колонки", &TSettings::usewave);
    AddToggle(alarmMenu_, "AlarmConnectItem", "Сигнализация при потере связи", &TSettings::alarmconnect);
    AddToggle(alarmMenu_, "ItemUseLog", "Лог аварий потока", &TSettings::uselog);
    options->addSeparator();
    AddToggle(options, "CashedTrxItem", "Передавать изменения", &TSettings::cashedtrx);
    AddToggle(options, "BackupBeforeLoadItem", "Сохранять конфигурацию устройства перед загрузкой",
              &TSettings::backupbeforeload);
}

void TConfigForm::AddPortItems(QMenu* options) {
    portMenu_ = options;
    portGroup_ = new QActionGroup(this);
    portGroup_->setExclusive(true);
    for (int i = 1; i <= 4; ++i) {
        const QString name = QString("COM%1").arg(i);
        QAction* item = AddAction(options, QString("ItemCOM%1").arg(i), name, nullptr);
        item->setCheckable(true);
        item->setChecked(i == 1);
        portGroup_->addAction(item);
        comItems_.push_back(item);
        connect(item, &QAction::triggered, this, [this, name] {
            SelectPort(name);
            model_->Reconnect();
        });
    }
    // The serial ports this machine has are listed when the menu opens: looking for them takes longer
    // than building the whole window, and an adapter plugged in later shows up too.
    portsEnd_ = options->addSeparator();
    connect(options, &QMenu::aboutToShow, this, &TConfigForm::RefreshPortItems);
}

void TConfigForm::BuildConfigMenu() {
    QMenu* config = menuBar()->addMenu("&Конфигурация");
    AddAction(config, "CompareItem", "Сравнить", &TConfigForm::CompareItemClick, QKeySequence(Qt::Key_F5));
    AddAction(config, "ReadItem", "Считать", &TConfigForm::ReadItemClick, QKeySequence(Qt::Key_F6));
    AddAction(config, "WriteItem", "Загрузить", &TConfigForm::WriteItemClick, QKeySequence(Qt::Key_F7));
    AddAction(config, "ClearItem", "Очистить", &TConfigForm::ClearItemClick, QKeySequence(Qt::Key_F8));
    AddAction(config, "ResetItem", "Перезапуск мультиплексора", &TConfigForm::ResetItemClick,
              QKeySequence(Qt::Key_F9));
    config->addSeparator();
    AddAction(config, "JackFieldItem", "Коммутационное поле", &TConfigForm::JackFieldItemClick,
              QKeySequence(Qt::Key_F10));
    AddAction(config, "ViewLinksItem", "Список соединений", &TConfigForm::ViewLinksItemClick);
    QAction* hidden = config->addSeparator();
    hidden->setVisible(false);
    AddAction(config, "ItemRS422Id", "Записать идентификатор RS422...", &TConfigForm::ItemRS422IdClick);
}

void TConfigForm::RefreshPortItems() {
    QStringList found;
    const QDir byId("/dev/serial/by-id");
    for (const QFileInfo& entry : byId.entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot)) {
        found << entry.absoluteFilePath();
    }
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        const QString location = info.systemLocation();
        bool known = false;
        for (const QString& f : found) {
            known = known || QFileInfo(f).canonicalFilePath() == QFileInfo(location).canonicalFilePath();
        }
        if (!known && !location.startsWith("/dev/ttyS")) {
            found << location;
        }
    }
    // A port listed once stays listed for the run: the operator may come back to it after trying
    // another, and an adapter that was pulled out may come back too.
    for (const QString& name : found) {
        if (PortItem(name) == nullptr) {
            AddPortItem(name);
        }
    }
    TickPortItem(QString::fromStdString(settings_.device));
}

QAction* TConfigForm::PortItem(const QString& name) const {
    for (QAction* item : comItems_) {
        if (item->text() == name) {
            return item;
        }
    }
    return nullptr;
}

QAction* TConfigForm::AddPortItem(const QString& name) {
    auto* item = Named(new QAction(name, portMenu_), "ItemPort");
    item->setCheckable(true);
    item->setVisible(!settings_.Hosted());
    item->setEnabled(!settings_.restricted);
    portMenu_->insertAction(portsEnd_, item);
    portGroup_->addAction(item);
    comItems_.push_back(item);
    connect(item, &QAction::triggered, this, [this, name] {
        SelectPort(name);
        model_->Reconnect();
    });
    return item;
}

void TConfigForm::TickPortItem(const QString& name) {
    // The group is a radio group for the operator's clicks; set from here, the old tick has to be
    // taken away explicitly, because adding a ticked item to the group leaves the previous one ticked.
    for (QAction* item : comItems_) {
        if (item->text() == name) {
            item->setChecked(true);
        }
    }
    for (QAction* item : comItems_) {
        if (item->text() != name) {
            item->setChecked(false);
        }
    }
}

void TConfigForm::BuildToolBar() {
    QToolBar* bar = addToolBar("ToolBar1");
    bar->setObjectName("ToolBar1");
    bar->setMovable(false);
    bar->setFloatable(false);
    bar->setIconSize(QSize(20, 20));
    struct TButton {
        const char* name;
        const char* action;
        TToolIcon icon;
        const char* hint;
    };
    const TButton buttons[] = {
        {"NewTB", "NewItem", TToolIcon::New, "Новая конфигурация"},
        {"OpenTB", "OpenItem", TToolIcon::Open, "Открыть"},
        {"SaveTB", "SaveItem", TToolIcon::Save, "Сохранить"},
        {"AddrTB", "AddrItem", TToolIcon::Address, "Адрес мультиплексора"},
        {nullptr, nullptr, TToolIcon::New, nullptr},
        {"CompareTB", "CompareItem", TToolIcon::Compare, "Сравнить конфигурацию"},
        {"ReadTB", "ReadItem", TToolIcon::Read, "Считать конфигурацию"},
        {"WriteTB", "WriteItem", TToolIcon::Load, "Загрузить конфигурацию"},
        {"ClearTB", "ClearItem", TToolIcon::Clear, "Стереть конфигурацию"},
        {"ResetTB", "ResetItem", TToolIcon::Restart, "Сброс мультиплексора"},
        {nullptr, nullptr, TToolIcon::New, nullptr},
        {"JackFieldTB", "JackFieldItem", TToolIcon::JackField, "Коммутационное поле"},
        {nullptr, nullptr, TToolIcon::New, nullptr},
    };
    for (const TButton& b : buttons) {
        if (b.name == nullptr) {
            bar->addSeparator();
            continue;
        }
        QAction* action = Action(b.action);
        action->setIcon(ToolIcon(b.icon));
        action->setToolTip(b.hint);
        bar->addAction(action);
        bar->widgetForAction(action)->setObjectName(b.name);
    }
    alarmText_ = Named(new QLabel("---", bar), "AlarmText");
    alarmText_->setFixedSize(420, 22);
    alarmText_->setAlignment(Qt::AlignCenter);
    QFont font = alarmText_->font();
    font.setBold(true);
    font.setPointSize(8);
    alarmText_->setFont(font);
    alarmText_->setAutoFillBackground(true);
    alarmText_->installEventFilter(this);
    // A widget on a toolbar is shown and hidden through its action.
    alarmAction_ = bar->addWidget(alarmText_);
    alarmAction_->setVisible(false);
}

void TConfigForm::BuildChassis() {
    auto* central = Named(new QWidget(this), "Chassis");
    const int height = kClientHeight - kToolBarHeight - kStatusHeight;
    central->setFixedSize(kClientWidth, height);
    // Numbers at y = 36 and tiles at y = 57 of the client area, below the 31-pixel toolbar.
    for (int position = 0; position <= kSlotCount; ++position) {
        const int slot = position < kSlotCount ? kSlotCount - 1 - position : kCpuSlot;
        auto* number = new QLabel(slot == kCpuSlot ? QString("ЦП") : QString::number(slot), central);
        number->setFrameShape(QFrame::Box);
        number->setAlignment(Qt::AlignCenter);
        number->setGeometry(4 + kTileStep * position, 36 - kToolBarHeight, 41, 17);
        auto* tile = Named(new TSlotFrame(slot, *this, central), QString("SlotFrame%1").arg(slot));
        tile->move(4 + kTileStep * position, 57 - kToolBarHeight);
        tiles_[static_cast<std::size_t>(slot)] = tile;
    }
    // Tab order runs left to right.
    for (int position = 0; position < kSlotCount; ++position) {
        const int slot = kSlotCount - 1 - position;
        const int next = position + 1 < kSlotCount ? slot - 1 : kCpuSlot;
        setTabOrder(tiles_[static_cast<std::size_t>(slot)], tiles_[static_cast<std::size_t>(next)]);
    }
    setCentralWidget(central);
}

void TConfigForm::BuildStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName("StatusBar1");
    bar->setSizeGripEnabled(false);
    bar->setFixedHeight(kStatusHeight);
    linkPanel_ = Named(new QLabel("Нет связи"), "StatusPanel0");
    linkPanel_->setFixedWidth(200);
    linkPanel_->setAlignment(Qt::AlignCenter);
    queuePanel_ = Named(new QLabel("Пакетов в очереди: 0"), "StatusPanel1");
    queuePanel_->setFixedWidth(200);
    queuePanel_->setAlignment(Qt::AlignCenter);
    soundPanel_ = Named(new QLabel, "StatusPanel2");
    soundPanel_->setFixedWidth(250);
    bar->addWidget(linkPanel_);
    bar->addWidget(queuePanel_);
    bar->addWidget(soundPanel_);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

void TConfigForm::ApplyRunModes() {
    if (settings_.Hosted()) {
        for (const char* name : {"AddrItem", "ItemRS422Id"}) {
            Action(name)->setVisible(false);
        }
        for (QAction* item : comItems_) {
            item->setVisible(false);
        }
        alarmMenu_->menuAction()->setVisible(false);
    }
    if (settings_.restricted) {
        for (const char* name :
             {"NewItem", "SaveItem", "OpenItem", "SaveAsItem", "AddrItem", "UseSpeakerItem", "UseWaveItem",
              "AlarmConnectItem", "ItemUseLog", "CashedTrxItem", "ReadItem", "WriteItem", "ClearItem",
              "ResetItem", "JackFieldItem", "ItemRS422Id"}) {
            Action(name)->setEnabled(false);
        }
        for (QAction* item : comItems_) {
            item->setEnabled(false);
        }
    }
}

// --- notifications

void TConfigForm::PostNotification(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
    QCoreApplication::postEvent(this, new TNotificationEvent(message, wParam, lParam));
}

bool TConfigForm::event(QEvent* e) {
    if (e->type() == TNotificationEvent::Kind()) {
        const auto* n = static_cast<TNotificationEvent*>(e);
        // A listening window's failure is shown, never let out of the event loop.
        Guard([&] { HandleNotification(n->Message, n->WParam, n->LParam); });
        return true;
    }
    return QMainWindow::event(e);
}

void TConfigForm::HandleNotification(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
    if (!model_) {
        return;
    }
    switch (message) {
        case kNotifyModified:
            RefreshCaption();
            for (int slot = 0; slot < kSlotCount; ++slot) {
                tiles_[static_cast<std::size_t>(slot)]->SetButtonCaption(model_->SlotBoardType(slot));
            }
            break;
        case kNotifyLinkState:
            LinkStateChanged(wParam == 1);
            emit Notified(message, wParam, lParam);
            break;
        case kNotifySlotStatus:
            RefreshSlotStatus(wParam);
            break;
        case kNotifyInformation:
            emit Notified(message, wParam, lParam);
            break;
        case kNotifyQueueLength:
            queueLength_ = static_cast<int>(lParam);
            break;
        case kNotifyAlarm:
            ShowAlarm(static_cast<std::intptr_t>(wParam));
            break;
        case kNotifyActivate:
            showMinimized();
            showNormal();
            raise();
            activateWindow();
            break;
        default:
            break;
    }
}

void TConfigForm::LinkStateChanged(bool up) {
    connected_ = up;
    if (up) {
        linkPanel_->setText("Связь есть");
        PostNotification(kNotifyAlarm, 0, 0);
        tiles_[kCpuSlot]->SetStatus(0x120);
        return;
    }
    linkPanel_->setText("Нет связи");
    if (settings_.alarmconnect) {
        PostNotification(kNotifyAlarm, kAlarmNoLink, 0);
    } else {
        HideAlarm();
    }
    tiles_[kCpuSlot]->SetStatus(0x20);
}

// slot: one slot whose status changed, or any number from kSlotCount up for all of them.
void TConfigForm::RefreshSlotStatus(std::uintptr_t slot) {
    for (int s = 0; s < kSlotCount; ++s) {
        if (slot >= static_cast<std::uintptr_t>(kSlotCount) || slot == static_cast<std::uintptr_t>(s)) {
            tiles_[static_cast<std::size_t>(s)]->SetStatus(model_->SlotStatus(s));
        }
    }
}

// A word of zero or below clears the alarm; another word is shown when it differs from the one shown.
void TConfigForm::ShowAlarm(std::intptr_t word) {
    if (word <= 0) {
        HideAlarm();
    } else if (alarm_.Show(static_cast<std::uint16_t>(word))) {
        alarmText_->setText(QString::fromStdString(alarm_.Text()));
        alarmText_->setStyleSheet("color: rgb(255,0,0);");
        alarmAction_->setVisible(true);
    }
}

void TConfigForm::HideAlarm() {
    alarm_.Clear();
    alarmAction_->setVisible(false);
    alarmText_->setText(QString());
}

void TConfigForm::RefreshCaption() {
    const QString name = QFileInfo(fileName_).fileName();
    setWindowTitle(model_ && model_->Modified() ? name + "*" : name);
}

// --- the 50 ms timer

void TConfigForm::Timer1Timer() {
    queuePanel_->setText(QString("Пакетов в очереди: %1").arg(queueLength_));
    const TAlarmIndicator::TTick tick = alarm_.Tick();
    if (tick.PlaySound) {
        PlayAlarmSound();
    }
    switch (alarm_.Look()) {
        case TAlarmIndicator::TLook::Hidden:
            break;
        case TAlarmIndicator::TLook::Steady:
            alarmText_->setStyleSheet("color: rgb(255,0,0);");
            break;
        case TAlarmIndicator::TLook::Acknowledged:
            alarmText_->setStyleSheet("color: black;");
            break;
        case TAlarmIndicator::TLook::Blink:
            if (alarm_.RedPanel()) {
                if (tick.Beep && settings_.usespeaker) {
                    QApplication::beep();
                }
                alarmText_->setStyleSheet("color: palette(button); background-color: rgb(255,0,0);");
            } else {
                alarmText_->setStyleSheet("color: rgb(255,0,0);");
            }
            break;
    }
    for (int slot = 0; slot <= kSlotCount; ++slot) {
        tiles_[static_cast<std::size_t>(slot)]->BlinkTick();
    }
}

void TConfigForm::PlayAlarmSound() {
    if (settings_.usewave && alarmSound_ && alarmSound_->status() != QSoundEffect::Error) {
        alarmSound_->stop();
        alarmSound_->play();
    }
}

bool TConfigForm::AlarmPanelVisible() const {
    return alarmAction_->isVisible();
}

void TConfigForm::AlarmTextClick() {
    alarm_.Acknowledge();
    if (alarm_.Look() == TAlarmIndicator::TLook::Acknowledged) {
        alarmText_->setStyleSheet("color: black;");
    }
}

bool TConfigForm::eventFilter(QObject* watched, QEvent* e) {
    if (watched == alarmText_ && e->type() == QEvent::MouseButtonPress) {
        AlarmTextClick();
        return true;
    }
    // Arrow keys move between the tile buttons while the main window is active.
    if (e->type() == QEvent::KeyPress && isActiveWindow()) {
        const int key = static_cast<QKeyEvent*>(e)->key();
        QWidget* focus = QApplication::focusWidget();
        const bool onTile = focus != nullptr && focus->objectName() == "ButtonType";
        if (onTile &&
            (key == Qt::Key_Left || key == Qt::Key_Up || key == Qt::Key_Right || key == Qt::Key_Down)) {
            focusNextPrevChild(key == Qt::Key_Right || key == Qt::Key_Down);
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, e);
}

// --- file commands

void TConfigForm::SetFileName(const QString& name) {
    fileName_ = name;
    RefreshCaption();
}

bool TConfigForm::AskToSave() {
    if (!model_->Modified()) {
        return true;
    }
    switch (dialogs_.Ask(this, "Сохранить изменения?", true)) {
        case IDialogs::TAnswer::Cancel:
            return false;
        case IDialogs::TAnswer::Yes:
            return SaveConfig();
        case IDialogs::TAnswer::No:
            return true;
    }
    return false;
}

static QString FolderOf(const QString& name, const std::filesystem::path& currentDirectory) {
    const QFileInfo info(name);
    return name.contains('/') ? info.absolutePath() : QString::fromStdString(currentDirectory.string());
}

bool TConfigForm::SaveConfig() {
    if (fileName_ != kDefaultFileName) {
        bool saved = false;
        Guard([&] { saved = model_->SaveToFile(fileName_.toStdString()); });
        return saved;
    }
    return SaveConfigAs();
}

bool TConfigForm::SaveConfigAs() {
    const auto chosen = dialogs_.SaveFileName(this, fileName_, FolderOf(fileName_, currentDirectory_));
    if (chosen) {
        SetFileName(*chosen);
    }
    return chosen && SaveConfig();
}

bool TConfigForm::OpenConfig() {
    const std::optional<QString> chosen =
        dialogs_.OpenFileName(this, fileName_, FolderOf(fileName_, currentDirectory_));
    if (!chosen) {
        return false;
    }
    bool loaded = false;
    Guard([&] {
        CheckLoadSource(chosen->toStdString());
        loaded = model_->LoadFromFile(chosen->toStdString());
    });
    if (loaded) {
        SetFileName(*chosen);
    }
    return loaded;
}

void TConfigForm::NewItemClick() {
    if (!AskToSave()) {
        return;
    }
    model_->Clear();
    SetFileName(kDefaultFileName);
}

void TConfigForm::OpenItemClick() {
    if (AskToSave()) {
        OpenConfig();
    }
}

void TConfigForm::SaveItemClick() {
    SaveConfig();
}
void TConfigForm::SaveAsItemClick() {
    SaveConfigAs();
}

void TConfigForm::closeEvent(QCloseEvent* e) {
    if (model_ && model_->Modified()) {
        switch (dialogs_.Ask(this, "Сохранить изменения?", true)) {
            case IDialogs::TAnswer::Cancel:
                e->ignore();
                return;
            case IDialogs::TAnswer::Yes:
                if (!SaveConfig()) {
                    e->ignore();
                    return;
                }
                break;
            case IDialogs::TAnswer::No:
                break;
        }
    }
    e->accept();
    timer1_->stop();
    Guard([&] { WriteSettingsOnExit(); });
}

// --- device commands

void TConfigForm::CompareItemClick() {
    Guard([&] { model_->CompareConfiguration(); });
}

void TConfigForm::ReadItemClick() {
    Guard([&] { model_->ReadConfiguration(); });
}

void TConfigForm::WriteItemClick() {
    if (dialogs_.Ask(this, "Загрузить конфигурацию ?", false) == IDialogs::TAnswer::Yes) {
        Guard([&] {
            settings_.backupbeforeload ? LoadWithBackup() : static_cast<void>(model_->LoadConfiguration());
        });
    }
}

void TConfigForm::LoadWithBackup() {
    TCustomPacketHandler* link = Link();
    if (link == nullptr || !link->ReadDevice()) {
        return;  // no backup, no load
    }
    // Written whole or not at all; a failure is raised to the operator and nothing is loaded.
    namespace fs = std::filesystem;
    const fs::path folder = fs::absolute(fileName_.toStdString()).parent_path() / "backup";
    std::error_code ec;
    fs::create_directories(folder, ec);
    link->Scratch().SaveToFile(folder / BackupFileName(settings_.address, TSystemClock().Now()));
    if (!model_->LoadConfiguration() || !link->ReadDevice()) {
        return;
    }
    // Only a difference is worth a word after a load.
    if (const std::vector<std::string> lines = model_->MismatchLines(link->Scratch()); !lines.empty()) {
        if (IOperatorMessages* messages = model_->OperatorMessages()) {
            messages->ShowReport(lines);
        }
    }
}

void TConfigForm::ClearItemClick() {
    if (dialogs_.Ask(this, "Стереть конфигурацию ?", false) == IDialogs::TAnswer::Yes) {
        Guard([&] { model_->ClearConfiguration(); });
    }
}

void TConfigForm::ResetItemClick() {
    if (dialogs_.Ask(this, "Перезапустить мультиплексор ?", false) == IDialogs::TAnswer::Yes) {
        model_->RestartMultiplexer();
    }
}

void TConfigForm::SelectPort(const QString& name) {
    // A port that is none of the listed ones (given in the settings, say) gets an item of its own, so
    // the one ticked item always names the port in use.
    if (!name.isEmpty() && PortItem(name) == nullptr) {
        AddPortItem(name);
    }
    TickPortItem(name);
    settings_.device = name.toStdString();
}

void TConfigForm::AddrItemClick() {
    if (!addressForm_) {
        addressForm_ = new TAddressForm(dialogs_, this);
    }
    addressForm_->SetAddress(model_->Address());
    addressForm_->SetDeviceNumber(settings_.rs485id & 0xFF);
    if (dialogs_.Exec(*addressForm_) == QDialog::Accepted) {
        model_->SetAddress(addressForm_->AddressResult());
        unparsedAddress_.reset();
        settings_.rs485id = addressForm_->DeviceNumberResult();
    }
}

void TConfigForm::ItemRS422IdClick() {
    if (settings_.rs485id != 0) {
        dialogs_.Message(this, "Запись возможна только через RS232!");
        return;
    }
    TRs485EditForm form(this);
    if (dialogs_.Exec(form) == QDialog::Accepted) {
        model_->WriteRs485Id(form.Identifier());
    }
}

void TConfigForm::ViewLinksItemClick() {
    if (!viewLinksForm_) {
        viewLinksForm_ = new TViewLinksForm(this);
    }
    viewLinksForm_->SetModel(model_.get());
    dialogs_.Exec(*viewLinksForm_);
}

void TConfigForm::JackFieldItemClick() {
    // The field gets the link-state and information notifications, and the link polls the CPU so that
    // the measured level arrives, for as long as the field is open, however it ends.
    TJackFieldForm form(this);
    const QMetaObject::Connection listening = connect(
        this, &TConfigForm::Notified, &form,
        [&form](unsigned message, quintptr wParam, qintptr lParam) { form.Notify(message, wParam, lParam); });
    model_->SelectInfo(kCpuSlot, 0, true);
    Guard([&] {
        form.Load(*model_);
        dialogs_.Exec(form);
    });
    model_->SelectInfo(kCpuSlot, 0, false);
    disconnect(listening);
}

void TConfigForm::ItemAboutClick() {
    TAboutForm form(this);
    dialogs_.Exec(form);
}

// --- operator messages

void TConfigForm::ShowMessage(const std::string& text) {
    dialogs_.Message(this, QString::fromStdString(text));
}

void TConfigForm::ShowError(const std::string& text) {
    QTimer::singleShot(0, this,
                       [this, message = QString::fromStdString(text)] { dialogs_.Message(this, message); });
}

void TConfigForm::ShowReport(const std::vector<std::string>& lines) {
    if (!reportForm_) {
        reportForm_ = new TReportForm(this);
    }
    reportForm_->SetLines(lines);
    dialogs_.Exec(*reportForm_);
}

// --- slot commands

TSlotFrame* TConfigForm::TileForSlot(int slot) const {
    return slot >= 0 && slot <= kSlotCount ? tiles_[static_cast<std::size_t>(slot)] : nullptr;
}

void TConfigForm::SelectBoardType(int slot) {
    if (model_->SlotBoardType(slot) == btCPU) {
        return;
    }
    TSelectTypeForm form(this);
    form.setWindowTitle(QString("Тип платы, слот %1").arg(slot));
    form.Preset(model_->GetSlotType(slot));
    if (dialogs_.Exec(form) != QDialog::Accepted) {
        return;
    }
    model_->SetSlotType(slot, form.Result());
    EditBoardConfig(slot);
    EditSignallingBits(slot);
}

void TConfigForm::EditBoardConfig(int slot) {
    if (!settings_.restricted) {
        Guard([&] { boards::EditBoardConfig(*model_, slot, dialogs_, this); });
    }
}

void TConfigForm::EditSignallingBits(int slot) {
    const std::uint8_t type = model_->SlotBoardType(slot);
    const auto layout = casgrid::LayoutFor(type, slot);
    if (!layout || settings_.restricted) {
        return;
    }
    TProtocolForm form(this);
    form.setWindowTitle(QString::fromStdString(layout->Title));
    form.Load(layout->Code, layout->Tabs, model_->GetSlotSignalling(slot));
    if (dialogs_.Exec(form) == QDialog::Accepted) {
        model_->SetSlotSignalling(slot, form.Entries());
    }
}

void TConfigForm::ShowBoardInfo(int slot) {
    if (!connected_) {
        return;
    }
    std::unique_ptr<TInfoForm> form = CreateInfoForm(*model_, slot, this);
    if (!form) {
        return;
    }
    const TForwardScope scope(*this, *form);
    model_->SelectInfo(slot, 0, true);
    form->Open(InfoFormTitle(model_->SlotBoardType(slot), slot));
    dialogs_.Exec(*form);
    model_->SelectInfo(slot, 0, false);
}

TTraceForm& TConfigForm::TraceForm() {
    if (!traceForm_) {
        traceForm_ = new TTraceForm(this);
        if (TCustomPacketHandler* link = Link()) {
            traceSubscription_ = link->SubscribeTrace(*traceForm_);
        }
    }
    return *traceForm_;
}

void TConfigForm::TracePort(int slot) {
    if (!model_->Address().empty()) {
        dialogs_.Message(this, "Трассировка удаленного мультиплексора не поддерживается!");
        return;
    }
    if (!connected_ || !CanStartTrace(model_->SlotBoardType(slot))) {
        return;
    }
    TPortsForm ports(this);
    ports.SetSlot(slot);
    ports.Load(*model_);
    if (dialogs_.Exec(ports) != QDialog::Accepted) {
        return;
    }
    TTraceForm& trace = TraceForm();
    {
        const TForwardScope scope(*this, trace);
        model_->Trace(slot, ports.Channel());
        trace.PrepareShow();
        dialogs_.Exec(trace);
        trace.done(QDialog::Rejected);  // a closed window waits for the next trace's own start reply
    }
    model_->Trace(kTraceStop, kTraceStop);
}

std::unique_ptr<QMenu> TConfigForm::BuildTileMenu(int slot) {
    auto menu = std::make_unique<QMenu>(this);
    menu->setObjectName("PopupMenu1");
    const std::uint8_t type = model_->SlotBoardType(slot);
    const bool restricted = settings_.restricted;
    const auto add = [&](const char* objectName, const QString& text, bool enabled, auto handler) {
        QAction* action = menu->addAction(text);
        action->setObjectName(objectName);
        action->setEnabled(enabled);
        connect(action, &QAction::triggered, this, [this, slot, handler] { (this->*handler)(slot); });
        return action;
    };
    add("ContSelectTypeItem", "Изменить тип платы", !restricted && type != btCPU,
        &TConfigForm::SelectBoardType);
    add("ContConfigItem", "Конфигурация платы",
        !restricted && type != 0 && type != btTLM && type != bt4DSLAlt, &TConfigForm::EditBoardConfig);
    add("ContProtocolItem", "Биты сигнализации", !restricted && IsSignallingType(type),
        &TConfigForm::EditSignallingBits);
    add("ContInfItem", "Информация", connected_ && IsInformationType(type), &TConfigForm::ShowBoardInfo);
    QAction* trace = add("ContTraceItem", "Трассировка порта", connected_ && IsTraceableType(type),
                         &TConfigForm::TracePort);
    trace->setVisible(!settings_.Hosted());
    return menu;
}

void TConfigForm::TileMenu(int slot, const QPoint& globalPos) {
    std::unique_ptr<QMenu> menu = BuildTileMenu(slot);
    dialogs_.Popup(*menu, globalPos);  // the chosen item runs its command
}

}  // namespace tervis
