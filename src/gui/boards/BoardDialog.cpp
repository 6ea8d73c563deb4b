#include "gui/boards/BoardDialog.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTabWidget>
#include <QVBoxLayout>

#include "gui/widgets/DialogButtons.h"
#include "gui/widgets/GuiSeams.h"
#include "gui/widgets/Named.h"

namespace tervis::boards {

namespace {

QString Text(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString Name(const std::string& name) {
    return QString::fromStdString(name);
}

// Whether a widget lies in the dialog, following parents across the windows of popups (an open list's
// popup is a window of its own, parented to the list).
bool Inside(const QObject* object, const QWidget* dialog) {
    for (const QObject* at = object; at != nullptr; at = at->parent()) {
        if (at == dialog) {
            return true;
        }
    }
    return false;
}

}  // namespace

TConfigDialog::TConfigDialog(IDialogs& dialogs, QWidget* parent, TButtonNames names, TOkGuard guard)
    : QDialog(parent), dialogs_(dialogs), guard_(guard) {
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    const TDialogButtons buttons = MakeDialogButtons(*this, "ОК", "Отмена");
    ok_ = buttons.Ok;
    cancel_ = buttons.Cancel;
    ok_->setObjectName(names.Ok);
    cancel_->setObjectName(names.Cancel);
    // Every dialog's OK (OkButton, Button1 or Button2 by the dialog) runs the guarded handler.
    connect(ok_, &QPushButton::clicked, this, &TConfigDialog::RunOkHandler);
    auto* layout = new QVBoxLayout(this);
    body_ = new QVBoxLayout;
    layout->addLayout(body_);
    layout->addLayout(buttons.Row);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    // Keys are previewed for the whole dialog: Esc cancels even while a list is dropped down.
    qApp->installEventFilter(this);
}

TConfigDialog::~TConfigDialog() {
    qApp->removeEventFilter(this);
}

void TConfigDialog::RunOkHandler() {
    QString failure;
    try {
        RebuildWorkingCopy();
        accept();
        return;
    } catch (const EInvalidParameters&) {
        failure = kInvalidParametersText;
    } catch (const ERangeCheck&) {
        failure = guard_ == TOkGuard::Parameters ? kInvalidParametersText : kRangeCheckText;
    } catch (const std::exception& error) {
        failure =
            guard_ == TOkGuard::Parameters ? kInvalidParametersText : QString::fromStdString(error.what());
    }
    // The working copy may be partly rebuilt; it reaches the model only through a later OK, which
    // rebuilds it from the start.
    dialogs_.Message(this, failure);
}

bool TConfigDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape &&
        isVisible() && Inside(watched, this)) {
        if (QWidget* popup = QApplication::activePopupWidget(); popup != nullptr && Inside(popup, this)) {
            popup->close();
        }
        if (QWidget* focus = QApplication::focusWidget(); focus != nullptr && Inside(focus, this)) {
            focus->clearFocus();
        }
        reject();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TConfigDialog::showEvent(QShowEvent* event) {
    if (!tabOrderSet_) {
        // The buttons are made before the controls above them; Tab reaches them last.
        QWidget* last = nullptr;
        for (QWidget* at = cancel_->nextInFocusChain(); at != ok_ && at != this;
             at = at->nextInFocusChain()) {
            if (at != cancel_ && (at->focusPolicy() & Qt::TabFocus) != 0) {
                last = at;
            }
        }
        if (last != nullptr) {
            setTabOrder(last, ok_);
            setTabOrder(ok_, cancel_);
        }
        tabOrderSet_ = true;
    }
    QDialog::showEvent(event);
}

QCheckBox* TConfigDialog::MakeBox(const TBlockField& field, int set, QWidget* parent) {
    return Named(new QCheckBox(Text(field.Caption), parent), Name(ControlName(field, set)));
}

QComboBox* TConfigDialog::MakeList(const TBlockField& field, int set, QWidget* parent) {
    auto* list = Named(new QComboBox(parent), Name(ControlName(field, set)));
    for (const std::string& item : ListItems(field)) {
        list->addItem(QString::fromStdString(item));
    }
    list->setCurrentIndex(-1);
    return list;
}

std::vector<QRadioButton*> TConfigDialog::MakeRadios(const TBlockField& field, int set, QWidget* parent) {
    // One group per field: the buttons stay exclusive wherever the layout puts them, also each in a frame
    // of its own.
    auto* group = new QButtonGroup(parent);
    std::vector<QRadioButton*> buttons;
    for (std::size_t item = 0; item < field.Items.size(); ++item) {
        auto* button = Named(new QRadioButton(Text(field.Items[item]), parent),
                             Name(ButtonName(field, static_cast<int>(item), set)));
        group->addButton(button);
        buttons.push_back(button);
    }
    return buttons;
}

QGroupBox* TConfigDialog::MakeRadioGroup(const TBlockField& field, int set, const QString& title,
                                         QWidget* parent) {
    auto* group = Named(new QGroupBox(title, parent), Name(ControlName(field, set)));
    auto* column = new QVBoxLayout(group);
    for (QRadioButton* button : MakeRadios(field, set, group)) {
        column->addWidget(button);
    }
    return group;
}

QStringList TConfigDialog::SetItems(const char* format) {
    QStringList items;
    for (int set = 0; set < 4; ++set) {
        items << QString(format).arg(set);
    }
    return items;
}

void TConfigDialog::AddListColumn(QHBoxLayout* row, const QString& label, QWidget* list) {
    auto* column = new QVBoxLayout;
    column->addWidget(new QLabel(label, list->parentWidget()));
    column->addWidget(list);
    column->addStretch();
    row->addLayout(column);
}

QListWidget* TConfigDialog::MakeCheckList(const TBlockField& field, const QStringList& items,
                                          QWidget* parent) {
    auto* list = Named(new QListWidget(parent), Name(ControlName(field, 0)));
    for (const QString& text : items) {
        auto* item = new QListWidgetItem(text, list);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
    // Every item in sight, no scrolling.
    list->setFixedHeight(list->sizeHintForRow(0) * static_cast<int>(items.size()) + 2 * list->frameWidth() +
                         4);
    return list;
}

QSlider* TConfigDialog::MakeTrackBar(const TBlockField& field, int set, QWidget* parent) {
    auto* bar = Named(new QSlider(Qt::Horizontal, parent), Name(ControlName(field, set)));
    bar->setRange(0, FieldMask(field));
    bar->setPageStep(15);
    bar->setTickInterval(15);
    bar->setTickPosition(QSlider::TicksBelow);
    return bar;
}

QComboBox* TConfigDialog::AddListRow(QGridLayout* grid, int row, const TBlockField& field, int set,
                                     QWidget* parent, const QString& caption) {
    auto* label = new QLabel(caption.isEmpty() ? Text(field.Caption) : caption, parent);
    QComboBox* list = MakeList(field, set, parent);
    label->setBuddy(list);
    grid->addWidget(label, row, 0);
    grid->addWidget(list, row, 1);
    return list;
}

QListWidgetItem* TConfigDialog::CheckItem(const TBlockField& field, int set) const {
    QListWidgetItem* item = Control<QListWidget>(Name(ControlName(field, 0)))->item(set);
    if (item == nullptr) {
        throw EInvalidParameters("no item " + std::to_string(set) + " in " + std::string(field.Control));
    }
    return item;
}

std::vector<QRadioButton*> TConfigDialog::Radios(const TBlockField& field, int set) const {
    std::vector<QRadioButton*> buttons;
    for (std::size_t item = 0; item < field.Buttons.size(); ++item) {
        buttons.push_back(Control<QRadioButton>(Name(ButtonName(field, static_cast<int>(item), set))));
    }
    return buttons;
}

void TConfigDialog::CheckRadio(const std::vector<QRadioButton*>& buttons, int index) {
    if (index >= 0 && index < static_cast<int>(buttons.size())) {
        buttons[static_cast<std::size_t>(index)]->setChecked(true);
        return;
    }
    // Exclusive buttons cannot all be cleared while they are exclusive.
    for (QRadioButton* button : buttons) {
        QButtonGroup* group = button->group();
        if (group != nullptr) {
            group->setExclusive(false);
        }
        button->setAutoExclusive(false);
        button->setChecked(false);
        button->setAutoExclusive(true);
        if (group != nullptr) {
            group->setExclusive(true);
        }
    }
}

int TConfigDialog::CheckedRadio(const std::vector<QRadioButton*>& buttons) {
    for (std::size_t index = 0; index < buttons.size(); ++index) {
        if (buttons[index]->isChecked()) {
            return static_cast<int>(index);
        }
    }
    return -1;
}

void TConfigDialog::LoadField(std::span<const std::uint16_t> words, const TBlockField& field, int set) {
    const unsigned value = ReadField(words, field, set);
    const QString name = Name(ControlName(field, set));
    switch (field.Kind) {
        case TFieldKind::Flag:
            Control<QCheckBox>(name)->setChecked((value != 0) != field.Inverted);
            break;
        case TFieldKind::CheckItem:
            CheckItem(field, set)->setCheckState(value != 0 ? Qt::Checked : Qt::Unchecked);
            break;
        case TFieldKind::List:
        case TFieldKind::Rate:
        case TFieldKind::Number: {
            auto* list = Control<QComboBox>(name);
            list->setCurrentIndex(ItemIndexFor(field, value, list->count()));
            break;
        }
        case TFieldKind::Radio: {
            const std::vector<QRadioButton*> buttons = Radios(field, set);
            CheckRadio(buttons, ItemIndexFor(field, value, static_cast<int>(buttons.size())));
            break;
        }
        case TFieldKind::Level:
            Control<QSlider>(name)->setValue(static_cast<int>(value));
            break;
    }
}

void TConfigDialog::StoreField(std::span<std::uint16_t> words, const TBlockField& field, int set) const {
    const QString name = Name(ControlName(field, set));
    unsigned value = 0;
    switch (field.Kind) {
        case TFieldKind::Flag:
            value = Control<QCheckBox>(name)->isChecked() != field.Inverted ? 1 : 0;
            break;
        case TFieldKind::CheckItem:
            value = CheckItem(field, set)->checkState() == Qt::Checked ? 1 : 0;
            break;
        case TFieldKind::List:
        case TFieldKind::Rate:
        case TFieldKind::Number:
            value = ValueForItem(field, Control<QComboBox>(name)->currentIndex());
            break;
        case TFieldKind::Radio:
            value = ValueForItem(field, CheckedRadio(Radios(field, set)));
            break;
        case TFieldKind::Level:
            value = static_cast<unsigned>(Control<QSlider>(name)->value());
            break;
    }
    WriteField(words, field, set, value);
}

// --- TBoardDialog

TBoardDialog::TBoardDialog(const TBlockLayout& layout, IDialogs& dialogs, QWidget* parent, TButtonNames names,
                           TOkGuard guard)
    : TConfigDialog(dialogs, parent, names, guard), layout_(layout) {}

TSetGroupsDialog::TSetGroupsDialog(std::uint8_t type, const QString& name, IDialogs& dialogs, QWidget* parent)
    : TBoardDialog(*FindBlockLayout(type), dialogs, parent, {"OkButton", "CancelButton"},
                   TOkGuard::Parameters) {
    setObjectName(name);
    AddSetGroups();
}

void TBoardDialog::LoadFromBlock(const TBoardConfig& block) {
    block_ = block;
    loaded_ = block;
    LoadControls();
}

void TBoardDialog::LoadControls() {
    for (const TBlockField& field : layout_.Fields) {
        const int sets = IsPerSet(field) ? layout_.SetCount : 1;
        for (int set = 0; set < sets; ++set) {
            LoadField(block_, field, set);
        }
    }
}

void TBoardDialog::RebuildWorkingCopy() {
    ClearRebuiltWords(block_, layout_);
    for (const TBlockField& field : layout_.Fields) {
        const int sets = IsPerSet(field) ? layout_.SetCount : 1;
        for (int set = 0; set < sets; ++set) {
            if (field.ReadOnly) {
                // Taken from the block as loaded: an earlier OK that failed half-way may have cleared it.
                WriteField(block_, field, set, ReadField(loaded_, field, set));
            } else {
                StoreField(block_, field, set);
            }
        }
    }
}

const TBlockField& TBoardDialog::Field(std::string_view control) const {
    const TBlockField* field = FindField(layout_, control);
    if (field == nullptr) {
        throw EInvalidParameters("no field " + std::string(control));
    }
    return *field;
}

void TBoardDialog::AddSetGroups(TListPlace lists) {
    auto* sets = new QGridLayout;
    for (int set = 0; set < layout_.SetCount; ++set) {
        auto* group = Named(new QGroupBox(QString(" Комплект №%1 ").arg(set), this),
                            QString("GroupBox%1").arg(set + 1));
        auto* column = new QVBoxLayout(group);
        for (const TBlockField& field : layout_.Fields) {
            if (!IsPerSet(field)) {
                continue;
            }
            switch (field.Kind) {
                case TFieldKind::List: {
                    auto* line = new QGridLayout;
                    AddListRow(line, 0, field, set, group);
                    line->setColumnStretch(2, 1);
                    column->insertLayout(lists == TListPlace::First ? 0 : -1, line);
                    break;
                }
                case TFieldKind::Radio: {
                    // A frame of its own keeps each set's buttons exclusive among themselves.
                    auto* frame = new QWidget(group);
                    auto* row = new QHBoxLayout(frame);
                    row->setContentsMargins(0, 0, 0, 0);
                    for (QRadioButton* button : MakeRadios(field, set, frame)) {
                        row->addWidget(button);
                    }
                    row->addStretch();
                    column->addWidget(frame);
                    break;
                }
                default:
                    column->addWidget(MakeBox(field, set, group));
                    break;
            }
        }
        sets->addWidget(group, set / 2, set % 2);
    }
    Body()->addLayout(sets);
}

QHBoxLayout* TBoardDialog::AddSetsOffRow() {
    auto* row = new QHBoxLayout;
    AddListColumn(row, "Режим работы комплектов",
                  MakeCheckList(layout_.Fields[0], SetItems("Отключить комплект №%1"), this));
    Body()->addLayout(row);
    return row;
}

QGridLayout* TBoardDialog::MakeSetRadioGroups(const TBlockField& field, QWidget* parent) {
    auto* grid = new QGridLayout;
    for (int set = 0; set < layout_.SetCount; ++set) {
        grid->addWidget(MakeRadioGroup(field, set, QString(" Комплект %1 ").arg(set), parent), set / 2,
                        set % 2);
    }
    return grid;
}

TColumnGroup MakeColumnGroup(const QString& title, QWidget* parent) {
    auto* box = new QGroupBox(title, parent);
    return {box, new QVBoxLayout(box)};
}

QTabWidget* MakePageControl(QWidget* parent) {
    return Named(new QTabWidget(parent), "PageControl1");
}

QWidget* MakeTabSheet(QWidget* pages, int number) {
    return Named(new QWidget(pages), QString("TabSheet%1").arg(number));
}

}  // namespace tervis::boards
