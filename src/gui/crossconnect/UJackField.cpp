#include "gui/crossconnect/UJackField.h"

#include <QApplication>
#include <QEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QPalette>
#include <QPushButton>

#include <cstdlib>
#include <exception>

#include "core/link/StatusDecoding.h"
#include "core/model/Mux.h"
#include "gui/widgets/Application.h"
#include "gui/widgets/Named.h"

namespace tervis {

namespace {

// Sizes chosen so that a two-line caption such as "15,3" over "31" fits the buttons in our small font.
constexpr int kButtonWidth = 26;
constexpr int kButtonHeight = 30;
constexpr int kFontPixels = 10;
constexpr int kHintMilliseconds = 10 * 60 * 1000;
constexpr int kMargin = 6;
constexpr int kTrunkLabelWidth = 74;
constexpr int kHeaderHeight = 16;
constexpr int kRowStep = 32;
constexpr int kTrunkTop = kMargin + kHeaderHeight + 2;
constexpr int kTrunkWidth = kTrunkLabelWidth + TJackField::kTrunkButtons * kButtonWidth;
constexpr int kPortTop = kTrunkTop + TJackField::kTrunkRows * kRowStep + 6;
constexpr int kPortGridRows = 4;
constexpr int kPortGridColumns = 4;
constexpr int kSlotLabelWidth = 20;
constexpr int kBoardLabelWidth = 46;
constexpr int kPortRowWidth =
    kSlotLabelWidth + kBoardLabelWidth + TJackField::kPortColumnsShown * kButtonWidth;
constexpr int kPortColumnStep = kPortRowWidth + 14;
constexpr int kPortAreaHeight = kHeaderHeight + 2 + kPortGridRows * kRowStep;
constexpr int kCpuLeft = kMargin + kPortGridColumns * kPortColumnStep;
constexpr int kClientWidth = kMargin + kTrunkWidth + kMargin;
constexpr int kClientHeight = kPortTop + kPortAreaHeight + kMargin;

const QColor kGreen(0, 128, 0);
const QColor kPurple(128, 0, 128);
const QColor kRed(255, 0, 0);

QFont SmallFont(const QFont& base) {
    QFont font = base;
    font.setPixelSize(kFontPixels);
    return font;
}

QLabel* MakeLabel(QWidget* parent, const QString& name, const QString& text, const QRect& geometry,
                  Qt::Alignment alignment = Qt::AlignCenter) {
    auto* label = Named(new QLabel(text, parent), name);
    label->setGeometry(geometry);
    label->setAlignment(alignment);
    return label;
}

QToolButton* MakeScrollButton(QWidget* parent, const QString& name, Qt::ArrowType arrow,
                              const QRect& geometry) {
    auto* button = Named(new QToolButton(parent), name);
    button->setArrowType(arrow);
    button->setGeometry(geometry);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

}  // namespace

TFieldButton::TFieldButton(QWidget* parent) : QToolButton(parent) {
    setCheckable(true);
    // Reached with Tab (one stop per area, arrows inside it) and clicked with Space; a mouse click does not
    // take the keyboard.
    setFocusPolicy(Qt::TabFocus);
    setToolButtonStyle(Qt::ToolButtonTextOnly);
    // The ADPCM hints list several channels; they stay until the pointer moves on.
    setToolTipDuration(kHintMilliseconds);
    setText("xxx");
}

TJackFieldForm::TJackFieldForm(QWidget* parent) : QDialog(parent) {
    setObjectName("JackFieldForm");
    setWindowTitle("Коммутационное поле");
    setFont(SmallFont(font()));
    buttons_.reserve(TJackField::kTrunkRows * TJackField::kTrunkButtons +
                     kSlotCount * TJackField::kPortColumnsShown + 2);
    BuildTrunkArea();
    BuildPortArea();
    BuildCpuBox();
    setFixedSize(kClientWidth, kClientHeight);
}

TJackFieldForm::~TJackFieldForm() = default;

TFieldButton* TJackFieldForm::MakeButton(QWidget* parent, const QString& name, const THoverTarget& target) {
    auto* button = Named(new TFieldButton(parent), name);
    button->installEventFilter(this);
    // What the button shows as made: drawing starts from there and touches only what differs.
    TButtonView made;
    made.Visible = true;
    made.Enabled = true;
    made.Caption = "xxx";
    buttons_.push_back(TSlotButton{button, target, made});
    const std::size_t index = buttons_.size() - 1;
    connect(button, &QToolButton::clicked, this, [this, index] {
        const THoverTarget t = buttons_[index].Target;
        Act([this, t] {
            switch (t.Kind) {
                case THoverTarget::TKind::Trunk:
                    editor_->ClickTrunk(t.RowOrSlot, t.TagOrColumn);
                    break;
                case THoverTarget::TKind::Port:
                    editor_->ClickPort(t.RowOrSlot, t.TagOrColumn);
                    break;
                case THoverTarget::TKind::Generator:
                    editor_->ClickGenerator();
                    break;
                case THoverTarget::TKind::Measurer:
                    editor_->ClickMeasurer();
                    break;
                case THoverTarget::TKind::None:
                    break;
            }
        });
    });
    return button;
}

void TJackFieldForm::BuildTrunkArea() {
    trunkUp_ = MakeScrollButton(this, "TrunkUpButton", Qt::UpArrow, {kMargin, kMargin, 34, kHeaderHeight});
    trunkDown_ =
        MakeScrollButton(this, "TrunkDownButton", Qt::DownArrow, {kMargin + 36, kMargin, 34, kHeaderHeight});
    connect(trunkUp_, &QToolButton::clicked, this, [this] { Act([this] { editor_->TrunkUp(); }); });
    connect(trunkDown_, &QToolButton::clicked, this, [this] { Act([this] { editor_->TrunkDown(); }); });
    for (int tag = 0; tag < TJackField::kTrunkButtons; ++tag) {
        MakeLabel(this, QString("TrunkHeader%1").arg(tag), QString::number(tag),
                  {kMargin + kTrunkLabelWidth + tag * kButtonWidth, kMargin, kButtonWidth, kHeaderHeight});
    }
    for (int row = 0; row < TJackField::kTrunkRows; ++row) {
        auto* strip = Named(new QWidget(this), QString("TrunkRow%1").arg(row));
        strip->setGeometry(kMargin, kTrunkTop + row * kRowStep, kTrunkWidth, kButtonHeight);
        trunkRows_[static_cast<std::size_t>(row)] = strip;
        trunkLabels_[static_cast<std::size_t>(row)] =
            MakeLabel(strip, QString("TrunkLabel%1").arg(row), QString("№%1").arg(row),
                      {0, 0, kTrunkLabelWidth - 4, kButtonHeight}, Qt::AlignLeft | Qt::AlignVCenter);
        for (int tag = 0; tag < TJackField::kTrunkButtons; ++tag) {
            TFieldButton* button = MakeButton(strip, QString("TrunkButton%1_%2").arg(row).arg(tag),
                                              {THoverTarget::TKind::Trunk, row, tag});
            button->setGeometry(kTrunkLabelWidth + tag * kButtonWidth, 0, kButtonWidth, kButtonHeight);
        }
    }
}

void TJackFieldForm::BuildPortArea() {
    portArea_ = Named(new QWidget(this), "PortArea");
    portArea_->setGeometry(kMargin, kPortTop, kPortGridColumns * kPortColumnStep, kPortAreaHeight);
    portUp_ = MakeScrollButton(portArea_, "PortUpButton", Qt::UpArrow, {0, 0, 30, kHeaderHeight});
    portDown_ = MakeScrollButton(portArea_, "PortDownButton", Qt::DownArrow, {32, 0, 30, kHeaderHeight});
    connect(portUp_, &QToolButton::clicked, this, [this] { Act([this] { editor_->PortUp(); }); });
    connect(portDown_, &QToolButton::clicked, this, [this] { Act([this] { editor_->PortDown(); }); });
    // The port numbers head every column of rows, so that no row is far from its header.
    for (int column = 0; column < kPortGridColumns; ++column) {
        for (int j = 0; j < TJackField::kPortColumnsShown; ++j) {
            const QString name =
                column == 0 ? QString("PortHeader%1").arg(j) : QString("PortHeader%1_%2").arg(j).arg(column);
            portHeaders_.push_back(
                MakeLabel(portArea_, name, QString::number(j),
                          {column * kPortColumnStep + kSlotLabelWidth + kBoardLabelWidth + j * kButtonWidth,
                           0, kButtonWidth, kHeaderHeight}));
        }
    }
    for (int slot = 0; slot < kSlotCount; ++slot) {
        auto* row = Named(new QWidget(portArea_), QString("PortRow%1").arg(slot));
        row->resize(kPortRowWidth, kButtonHeight);
        portRows_[static_cast<std::size_t>(slot)] = row;
        MakeLabel(row, QString("PortSlotLabel%1").arg(slot), QString::number(slot),
                  {0, 0, kSlotLabelWidth, kButtonHeight}, Qt::AlignRight | Qt::AlignVCenter);
        portBoardLabels_[static_cast<std::size_t>(slot)] = MakeLabel(
            row, QString("PortBoardLabel%1").arg(slot), "---",
            {kSlotLabelWidth + 4, 0, kBoardLabelWidth - 4, kButtonHeight}, Qt::AlignLeft | Qt::AlignVCenter);
        for (int j = 0; j < TJackField::kPortColumnsShown; ++j) {
            TFieldButton* button = MakeButton(row, QString("PortButton%1_%2").arg(slot).arg(j),
                                              {THoverTarget::TKind::Port, slot, j});
            button->setGeometry(kSlotLabelWidth + kBoardLabelWidth + j * kButtonWidth, 0, kButtonWidth,
                                kButtonHeight);
        }
    }
}

void TJackFieldForm::BuildCpuBox() {
    const int width = kClientWidth - kMargin - kCpuLeft;
    cpuBox_ = Named(new QGroupBox(" ЦП ", this), "CpuBox");
    cpuBox_->setGeometry(kCpuLeft, kPortTop, width, 104);
    MakeLabel(cpuBox_, "GeneratorLabel", "Генератор", {8, 20, 80, kButtonHeight},
              Qt::AlignLeft | Qt::AlignVCenter);
    MakeButton(cpuBox_, "GeneratorButton", {THoverTarget::TKind::Generator, 0, 0})
        ->setGeometry(92, 20, kButtonWidth + 6, kButtonHeight);
    MakeLabel(cpuBox_, "MeasurerLabel", "Измеритель", {8, 52, 80, kButtonHeight},
              Qt::AlignLeft | Qt::AlignVCenter);
    MakeButton(cpuBox_, "MeasurerButton", {THoverTarget::TKind::Measurer, 0, 0})
        ->setGeometry(92, 52, kButtonWidth + 6, kButtonHeight);
    levelText_ = MakeLabel(cpuBox_, "LevelText", "???", {128, 52, width - 134, kButtonHeight});

    applyButton_ = Named(new QPushButton("Применить", this), "ApplyButton");
    applyButton_->setEnabled(false);
    applyButton_->setAutoDefault(false);
    applyButton_->setGeometry(kCpuLeft, kPortTop + 112, (width - 6) / 2, 26);
    closeButton_ = Named(new QPushButton("Закрыть", this), "CloseButton");
    closeButton_->setAutoDefault(false);
    closeButton_->setGeometry(kCpuLeft + (width + 6) / 2, kPortTop + 112, (width - 6) / 2, 26);
    connect(applyButton_, &QPushButton::clicked, this, [this] { Act([this] { editor_->Apply(); }); });
    connect(closeButton_, &QPushButton::clicked, this, &QDialog::accept);
}

void TJackFieldForm::Load(TMux& mux) {
    mux_ = &mux;
    editor_ = std::make_unique<TJackField>(mux);
    LayOutPortRows();
    levelText_->setText("???");
    Refresh();
}

void TJackFieldForm::LayOutPortRows() {
    int shown = 0;
    for (int slot = 0; slot < kSlotCount; ++slot) {
        QWidget* row = portRows_[static_cast<std::size_t>(slot)];
        const bool visible = editor_->PortRowVisible(slot);
        row->setVisible(visible);
        if (!visible) {
            continue;
        }
        row->move((shown / kPortGridRows) * kPortColumnStep,
                  kHeaderHeight + 2 + (shown % kPortGridRows) * kRowStep);
        portBoardLabels_[static_cast<std::size_t>(slot)]->setText(
            QString::fromStdString(editor_->PortRowLabel(slot)));
        ++shown;
    }
    const int columnsUsed = (shown + kPortGridRows - 1) / kPortGridRows;
    for (std::size_t i = 0; i < portHeaders_.size(); ++i) {
        portHeaders_[i]->setVisible(static_cast<int>(i) / TJackField::kPortColumnsShown <
                                    std::max(columnsUsed, 1));
    }
}

TFieldButton* TJackFieldForm::TrunkButton(int row, int tag) const {
    if (row < 0 || row >= TJackField::kTrunkRows || tag < 0 || tag >= TJackField::kTrunkButtons) {
        return nullptr;
    }
    return buttons_[static_cast<std::size_t>(row * TJackField::kTrunkButtons + tag)].Button;
}

TFieldButton* TJackFieldForm::PortButton(int slot, int column) const {
    if (slot < 0 || slot >= kSlotCount || column < 0 || column >= TJackField::kPortColumnsShown) {
        return nullptr;
    }
    return buttons_[static_cast<std::size_t>(TJackField::kTrunkRows * TJackField::kTrunkButtons +
                                             slot * TJackField::kPortColumnsShown + column)]
        .Button;
}

void TJackFieldForm::SetLabel(QLabel* label, const QString& text) {
    if (label->text() != text) {
        label->setText(text);
        ++lastChanges_;
    }
}

void TJackFieldForm::Draw(TSlotButton& slot, const TButtonView& view) {
    TFieldButton* button = slot.Button;
    const TButtonView& old = slot.Shown;
    if (old.Caption != view.Caption) {
        button->setText(QString::fromStdString(view.Caption));
        ++lastChanges_;
    }
    if (old.Down != view.Down) {
        button->setChecked(view.Down);
        ++lastChanges_;
    }
    if (old.Enabled != view.Enabled) {
        button->setEnabled(view.Enabled);
        ++lastChanges_;
    }
    if (old.Hint != view.Hint) {
        button->setToolTip(QString::fromStdString(view.Hint));
        ++lastChanges_;
    }
    // The waiting first end ("->") is disabled but must not fade into the disabled grey; everything else
    // that is disabled keeps the grey, so that what may not be chosen looks so.
    const auto waiting = [](const TButtonView& v) { return v.Caption == "->"; };
    if (old.Colour != view.Colour || waiting(old) != waiting(view)) {
        QColor colour = Qt::black;
        switch (view.Colour) {
            case TButtonColour::Highlight:
                colour = kRed;
                break;
            case TButtonColour::Green:
                colour = kGreen;
                break;
            case TButtonColour::Purple:
                colour = kPurple;
                break;
            case TButtonColour::Black:
                break;
        }
        QPalette palette = button->palette();
        palette.setColor(QPalette::Active, QPalette::ButtonText, colour);
        palette.setColor(QPalette::Inactive, QPalette::ButtonText, colour);
        palette.setColor(
            QPalette::Disabled, QPalette::ButtonText,
            waiting(view) ? colour : QApplication::palette().color(QPalette::Disabled, QPalette::ButtonText));
        button->setPalette(palette);
        QFont font = button->font();
        font.setBold(view.Colour == TButtonColour::Highlight || waiting(view));
        button->setFont(font);
        ++lastChanges_;
    }
    // Visibility last, so that a button appears already drawn.
    if (old.Visible != view.Visible) {
        button->setVisible(view.Visible);
        ++lastChanges_;
    }
    slot.Shown = view;
}

void TJackFieldForm::Refresh() {
    lastChanges_ = 0;
    if (!editor_) {
        return;
    }
    editor_->RecomputeHighlight();
    const TJackField& e = *editor_;
    std::size_t index = 0;
    for (int row = 0; row < TJackField::kTrunkRows; ++row) {
        const bool visible = e.TrunkRowVisible(row);
        QWidget* strip = trunkRows_[static_cast<std::size_t>(row)];
        if (strip->isVisibleTo(this) != visible) {
            strip->setVisible(visible);
            ++lastChanges_;
        }
        SetLabel(trunkLabels_[static_cast<std::size_t>(row)], QString::fromStdString(e.TrunkRowLabel(row)));
        for (int tag = 0; tag < TJackField::kTrunkButtons; ++tag) {
            Draw(buttons_[index++], e.TrunkButton(row, tag));
        }
    }
    for (int slot = 0; slot < kSlotCount; ++slot) {
        for (int j = 0; j < TJackField::kPortColumnsShown; ++j) {
            Draw(buttons_[index++], e.PortButton(slot, j));
        }
    }
    Draw(buttons_[index++], e.GeneratorButton());
    Draw(buttons_[index++], e.MeasurerButton());
    for (std::size_t i = 0; i < portHeaders_.size(); ++i) {
        SetLabel(portHeaders_[i],
                 QString::number(e.PortOffset() + static_cast<int>(i) % TJackField::kPortColumnsShown));
    }
    const auto enable = [this](QWidget* widget, bool enabled) {
        if (widget->isEnabled() != enabled) {
            widget->setEnabled(enabled);
            ++lastChanges_;
        }
    };
    enable(trunkUp_, e.TrunkUpEnabled());
    enable(trunkDown_, e.TrunkDownEnabled());
    enable(portUp_, e.PortUpEnabled());
    enable(portDown_, e.PortDownEnabled());
    enable(applyButton_, e.ApplyEnabled());
}

template <typename F>
void TJackFieldForm::Act(F&& action) {
    if (!editor_) {
        return;
    }
    try {
        action();
        Refresh();
    } catch (const std::exception& error) {
        ActionFailed(error);
    }
}

void TJackFieldForm::ActionFailed(const std::exception& error) {
    // What the action changed before it failed stays in the model: the operator is told, the pending
    // edit ends, and the field is drawn as the model now stands rather than as it was before the click.
    TApplication::ReportError(QString::fromUtf8(error.what()));
    try {
        editor_->Escape();
        Refresh();
    } catch (const std::exception& again) {
        TApplication::ReportError(QString::fromUtf8(again.what()));
    }
}

void TJackFieldForm::Notify(unsigned message, std::uintptr_t wParam, std::intptr_t) {
    if (message == kNotifyInformation && wParam == kInfoCpu) {
        ShowLevel();
    } else if (message == kNotifyLinkState && wParam == 0) {
        levelText_->setText("???");
    }
}

void TJackFieldForm::ShowLevel() {
    if (mux_ == nullptr) {
        return;
    }
    const std::optional<double> level = TJackField::MeasuredLevel(mux_->CpuStatus());
    if (!level) {
        levelText_->setText("???");
        return;
    }
    QString text = QString::fromStdString(LevelText(*level));
    text.replace('.', QLocale().decimalPoint());
    levelText_->setText(text);
}

void TJackFieldForm::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Escape:
            // Escape ends the pending edit; it does not close the field.
            Act([this] { editor_->Escape(); });
            event->accept();
            return;
        case Qt::Key_Control:
            if (editor_ && !editor_->CtrlHeld()) {
                Act([this] { editor_->SetCtrl(true); });
            }
            event->accept();
            return;
        default:
            QDialog::keyPressEvent(event);
    }
}

void TJackFieldForm::keyReleaseEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Control) {
        if (editor_ && editor_->CtrlHeld()) {
            Act([this] { editor_->SetCtrl(false); });
        }
        event->accept();
        return;
    }
    QDialog::keyReleaseEvent(event);
}

void TJackFieldForm::changeEvent(QEvent* event) {
    // A Ctrl released in another window never reaches this one: forget it when the field loses focus.
    if (event->type() == QEvent::ActivationChange && !isActiveWindow() && editor_ && editor_->CtrlHeld()) {
        Act([this] { editor_->SetCtrl(false); });
    }
    QDialog::changeEvent(event);
}

// The area a widget's keyboard moves within: the trunk rows, the port rows, or the CPU box; -1 for any
// other widget.
int TJackFieldForm::AreaOf(const QObject* widget) const {
    for (const TSlotButton& slot : buttons_) {
        if (slot.Button == widget) {
            return AreaOfTarget(slot.Target);
        }
    }
    return -1;
}

int TJackFieldForm::AreaOfTarget(const THoverTarget& target) {
    switch (target.Kind) {
        case THoverTarget::TKind::Trunk:
            return 0;
        case THoverTarget::TKind::Port:
            return 1;
        default:
            return 2;
    }
}

bool TJackFieldForm::CanTakeFocus(const QWidget* widget) const {
    return (widget->focusPolicy() & Qt::TabFocus) != 0 && widget->isVisible() && widget->isEnabled() &&
           widget->window() == this;
}

// Tab leaves the button's area for the next widget of another area (Shift+Tab for the previous one).
bool TJackFieldForm::TabOutOfArea(QWidget* from, bool forward) {
    const int area = AreaOf(from);
    for (QWidget* next = forward ? from->nextInFocusChain() : from->previousInFocusChain(); next != from;
         next = forward ? next->nextInFocusChain() : next->previousInFocusChain()) {
        if (CanTakeFocus(next) && (AreaOf(next) != area || area < 0)) {
            next->setFocus(forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
            return true;
        }
    }
    return false;
}

// The arrows move to the nearest button of the same area in their direction.
bool TJackFieldForm::MoveInArea(QWidget* from, int key) {
    const int area = AreaOf(from);
    const QPoint origin = from->mapTo(this, from->rect().center());
    QWidget* best = nullptr;
    int bestScore = 0;
    for (const TSlotButton& slot : buttons_) {
        QWidget* candidate = slot.Button;
        if (candidate == from || AreaOfTarget(slot.Target) != area || !CanTakeFocus(candidate)) {
            continue;
        }
        const QPoint d = candidate->mapTo(this, candidate->rect().center()) - origin;
        int along = 0;
        int across = 0;
        switch (key) {
            case Qt::Key_Left:
                along = -d.x();
                across = d.y();
                break;
            case Qt::Key_Right:
                along = d.x();
                across = d.y();
                break;
            case Qt::Key_Up:
                along = -d.y();
                across = d.x();
                break;
            default:
                along = d.y();
                across = d.x();
                break;
        }
        if (along <= 0) {
            continue;
        }
        // Straight on first: a step sideways counts more than a step forward.
        const int score = along + 4 * std::abs(across);
        if (best == nullptr || score < bestScore) {
            best = candidate;
            bestScore = score;
        }
    }
    if (best != nullptr) {
        best->setFocus(Qt::OtherFocusReason);
    }
    return true;
}

bool TJackFieldForm::FieldKey(QObject* watched, QKeyEvent* event) {
    if (AreaOf(watched) < 0) {
        return false;
    }
    auto* widget = static_cast<QWidget*>(watched);
    switch (event->key()) {
        case Qt::Key_Tab:
            return TabOutOfArea(widget, true);
        case Qt::Key_Backtab:
            return TabOutOfArea(widget, false);
        case Qt::Key_Left:
        case Qt::Key_Right:
        case Qt::Key_Up:
        case Qt::Key_Down:
            return MoveInArea(widget, event->key());
        default:
            return false;
    }
}

bool TJackFieldForm::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type == QEvent::KeyPress && FieldKey(watched, static_cast<QKeyEvent*>(event))) {
        return true;
    }
    if ((type == QEvent::Enter || type == QEvent::Leave) && editor_) {
        for (const TSlotButton& slot : buttons_) {
            if (slot.Button != watched) {
                continue;
            }
            const THoverTarget target = type == QEvent::Enter ? slot.Target : THoverTarget{};
            // Leaving a button after the pointer already entered the next one changes nothing.
            if (type == QEvent::Enter || editor_->Hover() == slot.Target) {
                try {
                    if (editor_->SetHover(target)) {
                        Refresh();
                    }
                } catch (const std::exception& error) {
                    ActionFailed(error);
                }
            }
            break;
        }
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace tervis
