#include "gui/shell/USlotFrame.h"

#include <QContextMenuEvent>
#include <QDrag>
#include <QDropEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QStyle>
#include <QTimer>

#include <algorithm>
#include <cstdlib>
#include <map>

#include "core/model/BoardTypes.h"
#include "core/model/Mux.h"
#include "gui/widgets/DragCursors.h"
#include "gui/widgets/GuiSeams.h"
#include "gui/widgets/Named.h"
#include "gui/widgets/TextFit.h"

namespace tervis {

// --- Rules

TSlotStatusFields DecodeSlotStatus(std::uint32_t word) {
    return {static_cast<std::uint8_t>(word & 0xFF), static_cast<std::uint8_t>((word >> 8) & 0xFF),
            static_cast<std::uint8_t>((word >> 16) & 0xFF), static_cast<std::uint8_t>((word >> 24) & 0xFF)};
}

std::optional<QColor> IndicatorColour(std::uint8_t nibble) {
    switch (nibble) {
        case 0:
            return kLampGrey;
        case 1:
            return kLampGreen;
        case 2:
            return kLampYellow;
        case 3:
            return kLampRed;
        default:
            return std::nullopt;
    }
}

bool IsBlinkingNibble(std::uint8_t nibble) {
    return nibble == 4 || nibble == 5;
}

std::uint8_t NextBlinkCounter(std::uint8_t counter) {
    return counter + 1 >= kBlinkPeriod ? 0 : static_cast<std::uint8_t>(counter + 1);
}

QColor BlinkColour(std::uint8_t counter) {
    constexpr int kFlashTicks = 3;
    return counter >= kBlinkPeriod - kFlashTicks ? kLampYellow : kLampBlack;
}

QColor StateLampColour(std::uint8_t state) {
    switch (state) {
        case 0:
            return kLampGrey;
        case 1:
            return kLampGreen;
        default:
            return kLampRed;
    }
}

std::optional<std::array<QString, 4>> LampLabels(std::uint8_t type) {
    if (type == bt1E1) {
        return std::array<QString, 4>{QStringLiteral("los"), QStringLiteral("rm"), QStringLiteral("mf"),
                                      QStringLiteral("slp")};
    }
    if (HasFourStreamLeds(type)) {
        return std::array<QString, 4>{QStringLiteral("к3"), QStringLiteral("к2"), QStringLiteral("к1"),
                                      QStringLiteral("к0")};
    }
    return std::nullopt;
}

TTileCommand ButtonClickCommand(bool restricted, std::uint8_t configuredType) {
    if (restricted) {
        return TTileCommand::ShowBoardInfo;
    }
    return configuredType != btNone ? TTileCommand::EditBoardConfig : TTileCommand::SelectBoardType;
}

bool CanStartDrag(bool restricted, int slot, std::uint8_t configuredType) {
    return !restricted && slot >= 0 && slot < kSlotCount && configuredType != btNone &&
           configuredType != btCPU;
}

bool DragDistanceReached(const QPoint& press, const QPoint& now) {
    constexpr int kDragThreshold = 2;
    return std::abs(now.x() - press.x()) > kDragThreshold || std::abs(now.y() - press.y()) > kDragThreshold;
}

bool CanDropOnto(int sourceSlot, int targetSlot) {
    const auto isBoardSlot = [](int slot) { return slot >= 0 && slot < kSlotCount; };
    return isBoardSlot(sourceSlot) && isBoardSlot(targetSlot) && sourceSlot != targetSlot;
}

TTileDrag MakeTileDrag(const TMux& mux, int sourceSlot, int targetSlot) {
    return {sourceSlot, mux.SlotBoardType(sourceSlot), targetSlot, mux.SlotBoardType(targetSlot)};
}

bool CanLinkBoards(const TTileDrag& drag) {
    return !IsNotBulkLinkable(drag.SourceType) && !IsNotBulkLinkable(drag.TargetType);
}

int DragCursorNumber(bool rightDrag, const TTileDrag& drag) {
    if (rightDrag) {
        return kCursorSelect;
    }
    return CanLinkBoards(drag) ? kCursorLinkAll : kCursorCopyConfig;
}

TDropAction LeftDropAction(const TTileDrag& drag) {
    return CanLinkBoards(drag) ? TDropAction::LinkAll : TDropAction::CopyConfig;
}

TDropMenuEnabling DropMenuEnabling(const TTileDrag& drag) {
    const bool link = CanLinkBoards(drag);
    return {true, link, link};
}

void RunDropAction(TMux& mux, TDropAction action, const TTileDrag& drag) {
    switch (action) {
        case TDropAction::CopyConfig:
            mux.CopyBoardConfig(drag.SourceSlot, drag.TargetSlot);
            break;
        case TDropAction::LinkAll:
            if (CanLinkBoards(drag)) {
                mux.LinkAll(drag.SourceSlot, drag.TargetSlot);
            }
            break;
        case TDropAction::LinkOneWay:
            if (CanLinkBoards(drag)) {
                mux.LinkAllTo(drag.SourceSlot, drag.TargetSlot);
            }
            break;
    }
}

// --- TLamp

TLamp::TLamp(QWidget* parent) : QWidget(parent) {}

void TLamp::SetColour(const QColor& colour) {
    if (colour_ != colour) {
        colour_ = colour;
        update();
    }
}

void TLamp::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(colour_);
    painter.drawEllipse(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));
}

// --- TSlotFrame

namespace {

constexpr int kPanelHeight = 160;
constexpr int kLampSize = 8;
constexpr int kLampX = 6;
constexpr std::array<int, 4> kLampRowY{29, 44, 59, 74};  // Led1 .. Led4
constexpr int kLabelX = 16;
constexpr int kLabelHeight = 13;
constexpr int kLabelRaise = 3;  // labels are centred on their lamp's row
constexpr QPoint kDragHotSpot{0, 22};
constexpr int kDragImageWidth = 90;
constexpr int kDragImageHeight = 20;

constexpr QRect kTypeLabelGeometry{2, 140, 38, 17};
constexpr int kTextPadding = 1;    // free pixels on either side of the type label's text
constexpr int kButtonPadding = 2;  // and between the type button's frame and its caption

QFont SmallFont() {
    QFont font(QStringLiteral("Sans Serif"), 8);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

// The type label and the type button show every short name in one size: the small font where the
// longest name ("4DSLv2", "АДИКМ", "?(255)") fits, else as much smaller as it needs.
// Measured once per room and kept: sixteen tiles a window would otherwise measure every name at every size.
QFont TypeFont(int room) {
    static std::map<int, double> pointSizes;
    QFont font = SmallFont();
    const auto known = pointSizes.find(room);
    if (known != pointSizes.end()) {
        font.setPointSizeF(known->second);
        return font;
    }
    font = FontToFit(font, AllBoardTypeNames(), room);
    pointSizes.emplace(room, font.pointSizeF());
    return font;
}

// Each drag cursor belongs to one drop action, so the target picks the cursor by the action it accepts.
Qt::DropAction ActionOfCursor(int cursor) {
    switch (cursor) {
        case kCursorCopyConfig:
            return Qt::CopyAction;
        case kCursorLinkAll:
            return Qt::LinkAction;
        default:
            return Qt::MoveAction;
    }
}

}  // namespace

TSlotFrame::TSlotFrame(int slot, ITileOwner& owner, QWidget* parent)
    : QWidget(parent), owner_(owner), tag_(slot) {
    setFixedSize(kWidth, kHeight);
    BuildPanel();
    BuildTypeButton();
    // The tile takes part in the window's tab order through its button.
    setFocusProxy(buttonType_);
    WatchParts();
}

// The raised panel: the state lamp and text, the four stream lamps with their labels and the type label,
// all hidden until a board type shows them.
void TSlotFrame::BuildPanel() {
    const QFont small = SmallFont();
    panel_ = Named(new QFrame(this), QStringLiteral("Panel"));
    panel_->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel_->setGeometry(0, 0, kWidth, kPanelHeight);

    stateLamp_ = Named(new TLamp(panel_), QStringLiteral("StateLed"));
    stateLamp_->setGeometry(6, 6, kLampSize, kLampSize);
    stateLamp_->hide();

    stateLabel_ = Named(new QLabel(QStringLiteral("отс."), panel_), QStringLiteral("StateLabel"));
    stateLabel_->setFont(small);
    stateLabel_->setGeometry(16, 6 - kLabelRaise, 25, kLabelHeight);
    stateLabel_->hide();

    const std::array<const char*, 4> designTexts{"los", "rm", "mf", "slp"};
    for (int led = 1; led <= 4; ++led) {
        const auto index = static_cast<std::size_t>(4 - led);  // lamps_ runs Led4 .. Led1
        const int y = kLampRowY[static_cast<std::size_t>(led - 1)];
        auto* lamp = Named(new TLamp(panel_), QStringLiteral("Led%1").arg(led));
        lamp->setGeometry(kLampX, y, kLampSize, kLampSize);
        lamp->hide();
        auto* label =
            Named(new QLabel(QString::fromLatin1(designTexts[static_cast<std::size_t>(led - 1)]), panel_),
                  QStringLiteral("LabelLed%1").arg(led));
        label->setFont(small);
        label->setGeometry(kLabelX, y - kLabelRaise, 23, kLabelHeight);
        label->hide();
        lamps_[index] = lamp;
        lampLabels_[index] = label;
    }

    typeLabel_ = Named(new QLabel(QStringLiteral("---"), panel_), QStringLiteral("TypeLabel"));
    typeLabel_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    typeLabel_->setAlignment(Qt::AlignCenter);
    typeLabel_->setGeometry(kTypeLabelGeometry);
    typeLabel_->hide();
}

// The type button under the panel; it and the type label share the largest font in which every board
// type name fits both.
void TSlotFrame::BuildTypeButton() {
    buttonType_ =
        Named(new QPushButton(tag_ == kCpuSlot ? QStringLiteral("ЦП") : QStringLiteral("---"), this),
              QStringLiteral("ButtonType"));
    buttonType_->setGeometry(0, kPanelHeight + 2, kWidth, 19);
    const int buttonFrame =
        buttonType_->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, buttonType_);
    const int buttonRoom = kWidth - 2 * (buttonFrame + kButtonPadding);
    const int labelRoom = typeLabel_->contentsRect().width() - 2 * kTextPadding;
    const QFont typeFont = TypeFont(std::min(buttonRoom, labelRoom));
    typeLabel_->setFont(typeFont);
    buttonType_->setFont(typeFont);
    connect(buttonType_, &QPushButton::clicked, this, [this] { ButtonTypeClick(); });
}

// Every part starts drags, takes drops and opens the tile menu through the tile's event filter.
void TSlotFrame::WatchParts() {
    for (QWidget* part :
         std::initializer_list<QWidget*>{panel_, stateLamp_, stateLabel_, typeLabel_, buttonType_}) {
        part->installEventFilter(this);
    }
    for (std::size_t i = 0; i < lamps_.size(); ++i) {
        lamps_[i]->installEventFilter(this);
        lampLabels_[i]->installEventFilter(this);
        lamps_[i]->setAcceptDrops(true);
        lampLabels_[i]->setAcceptDrops(true);
    }
    typeLabel_->setAcceptDrops(true);
    buttonType_->setAcceptDrops(true);
}

void TSlotFrame::SetBoardType(std::uint8_t type) {
    boardType_ = type;
    typeLabel_->setText(QString::fromStdString(BoardTypeName(type)));
    typeLabel_->setVisible(type != btNone);
    stateLamp_->setVisible(type != btNone);
    stateLabel_->setVisible(type != btNone && type != btCPU);
    const auto labels = LampLabels(type);
    for (std::size_t i = 0; i < lamps_.size(); ++i) {
        lamps_[i]->setVisible(labels.has_value());
        lampLabels_[i]->setVisible(labels.has_value());
        lampLabels_[i]->setText(labels ? (*labels)[lamps_.size() - 1 - i] : QString());
    }
}

void TSlotFrame::SetBoardState(std::uint8_t state) {
    boardState_ = state;
    stateLabel_->setText(QString::fromStdString(SlotStateName(state)));
    stateLamp_->SetColour(StateLampColour(state));
}

void TSlotFrame::SetIndicators(std::uint8_t byteA, std::uint8_t byteB) {
    // An absent board has no lamps lit, whatever the device left in the status word.
    indicatorA_ = boardState_ != 0 ? byteA : 0;
    indicatorB_ = boardState_ != 0 ? byteB : 0;
    const std::array<std::uint8_t, 4> nibbles{
        static_cast<std::uint8_t>(indicatorA_ >> 4), static_cast<std::uint8_t>(indicatorA_ & 0x0F),
        static_cast<std::uint8_t>(indicatorB_ >> 4), static_cast<std::uint8_t>(indicatorB_ & 0x0F)};
    for (std::size_t i = 0; i < lamps_.size(); ++i) {
        lampValues_[i] = static_cast<std::uint8_t>(nibbles[i] + 1);
        if (const auto colour = IndicatorColour(nibbles[i])) {
            lamps_[i]->SetColour(*colour);
        }
    }
}

void TSlotFrame::SetStatus(std::uint32_t word) {
    const TSlotStatusFields fields = DecodeSlotStatus(word);
    SetBoardState(fields.State);
    SetBoardType(fields.Type);
    SetIndicators(fields.IndicatorA, fields.IndicatorB);
}

void TSlotFrame::SetButtonCaption(std::uint8_t type) {
    buttonType_->setText(QString::fromStdString(BoardTypeName(type)));
}

void TSlotFrame::BlinkTick() {
    blinkCounter_ = NextBlinkCounter(blinkCounter_);
    for (std::size_t i = 0; i < lamps_.size(); ++i) {
        if (!lamps_[i]->isHidden() && IsBlinkingNibble(static_cast<std::uint8_t>(lampValues_[i] - 1))) {
            lamps_[i]->SetColour(BlinkColour(blinkCounter_));
        }
    }
}

int TSlotFrame::DragOverFrom(int sourceSlot) {
    if (!CanDropOnto(sourceSlot, tag_)) {
        return 0;
    }
    drag_ = MakeTileDrag(owner_.Model(), sourceSlot, tag_);
    return DragCursorNumber(rightDrag_, drag_);
}

bool TSlotFrame::DropFrom(int sourceSlot, const QPoint& globalPos) {
    if (!CanDropOnto(sourceSlot, tag_)) {
        return false;
    }
    drag_ = MakeTileDrag(owner_.Model(), sourceSlot, tag_);
    if (rightDrag_) {
        ShowDropMenu(globalPos);
    } else {
        RunDropAction(owner_.Model(), LeftDropAction(drag_), drag_);
    }
    return true;
}

void TSlotFrame::ShowDropMenu(const QPoint& globalPos) {
    QMenu menu(this);
    QAction* copy = menu.addAction(QStringLiteral("Скопировать конфигурацию"));
    QAction* linkAll = menu.addAction(QStringLiteral("Соединить свободные порты"));
    QAction* oneWay = menu.addAction(QStringLiteral("Установить односторонние соединения"));
    const TDropMenuEnabling enabling = DropMenuEnabling(drag_);
    copy->setEnabled(enabling.CopyConfig);
    linkAll->setEnabled(enabling.LinkAll);
    oneWay->setEnabled(enabling.LinkOneWay);
    const TTileDrag bound = drag_;
    QAction* chosen = owner_.Dialogs().Popup(menu, globalPos);
    if (chosen == copy) {
        RunDropAction(owner_.Model(), TDropAction::CopyConfig, bound);
    } else if (chosen == linkAll) {
        RunDropAction(owner_.Model(), TDropAction::LinkAll, bound);
    } else if (chosen == oneWay) {
        RunDropAction(owner_.Model(), TDropAction::LinkOneWay, bound);
    }
}

QPixmap TSlotFrame::DragImage(int slot) {
    QFont font = SmallFont();
    font.setBold(true);
    const QString text = QStringLiteral("слот %1 <-> ...").arg(slot);
    // The picture grows where the text is wider than its design size, so that no dot is lost.
    const QFontMetrics metrics(font);
    const int width = std::max(kDragImageWidth, 2 + metrics.horizontalAdvance(text) + 2);
    const int height = std::max(kDragImageHeight, 2 + metrics.height());
    QPixmap image(width, height);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(QRect(2, 2, width - 2, height - 2), Qt::AlignLeft | Qt::AlignTop, text);
    painter.end();
    return image;
}

void TSlotFrame::ButtonTypeClick() {
    armed_ = false;
    switch (ButtonClickCommand(owner_.Restricted(), owner_.Model().SlotBoardType(tag_))) {
        case TTileCommand::ShowBoardInfo:
            owner_.ShowBoardInfo(tag_);
            break;
        case TTileCommand::EditBoardConfig:
            owner_.EditBoardConfig(tag_);
            break;
        case TTileCommand::SelectBoardType:
            owner_.SelectBoardType(tag_);
            break;
    }
}

bool TSlotFrame::IsDragPart(const QObject* object) const {
    if (object == buttonType_ || object == typeLabel_) {
        return true;
    }
    for (std::size_t i = 0; i < lamps_.size(); ++i) {
        if (object == lamps_[i] || object == lampLabels_[i]) {
            return true;
        }
    }
    return false;
}

void TSlotFrame::PressOnPart(QMouseEvent* event) {
    if (!CanStartDrag(owner_.Restricted(), tag_, owner_.Model().SlotBoardType(tag_))) {
        return;
    }
    pressPos_ = event->globalPosition().toPoint();
    armed_ = true;
    rightDrag_ = (event->buttons() & Qt::RightButton) != 0;
    buttonType_->setFocus();
}

bool TSlotFrame::MoveOnPart(QMouseEvent* event) {
    if (!armed_ || (event->buttons() & (Qt::LeftButton | Qt::RightButton)) == 0 ||
        !DragDistanceReached(pressPos_, event->globalPosition().toPoint())) {
        return false;
    }
    armed_ = false;
    StartDrag();
    return true;
}

void TSlotFrame::StartDrag() {
    auto* mime = new QMimeData;
    mime->setData(QString::fromLatin1(kMimeType), QByteArray::number(tag_));
    auto* drag = new QDrag(this);
    drag->setMimeData(mime);
    drag->setPixmap(DragImage(tag_));
    drag->setHotSpot(kDragHotSpot);
    for (const int cursor : {kCursorCopyConfig, kCursorLinkAll, kCursorSelect}) {
        drag->setDragCursor(DragCursorPixmap(cursor), ActionOfCursor(cursor));
    }
    // The drag takes the release, so the button would stay drawn pressed.
    buttonType_->setDown(false);
    drag->exec(Qt::CopyAction | Qt::LinkAction | Qt::MoveAction);
    drag->deleteLater();
}

std::optional<int> TSlotFrame::DraggedSlot(const QDropEvent* event) const {
    const QMimeData* mime = event->mimeData();
    if (mime == nullptr || qobject_cast<TSlotFrame*>(event->source()) == nullptr ||
        !mime->hasFormat(QString::fromLatin1(kMimeType))) {
        return std::nullopt;
    }
    bool ok = false;
    const int slot = QString::fromLatin1(mime->data(QString::fromLatin1(kMimeType))).toInt(&ok);
    return ok ? std::optional<int>(slot) : std::nullopt;
}

void TSlotFrame::DragEnterOrMove(QDropEvent* event) {
    const auto source = DraggedSlot(event);
    const int cursor = source ? DragOverFrom(*source) : 0;
    if (cursor == 0) {
        event->ignore();
        return;
    }
    event->setDropAction(ActionOfCursor(cursor));
    event->accept();
}

void TSlotFrame::Drop(QWidget* part, QDropEvent* event) {
    const auto source = DraggedSlot(event);
    if (!source || !CanDropOnto(*source, tag_)) {
        event->ignore();
        return;
    }
    event->setDropAction(ActionOfCursor(DragOverFrom(*source)));
    event->accept();
    const QPoint globalPos = part->mapToGlobal(event->position().toPoint());
    // Act once the drag has finished: while it runs it takes every mouse event, so a menu shown from
    // here could not be used.
    QTimer::singleShot(0, this, [this, sourceSlot = *source, globalPos] { DropFrom(sourceSlot, globalPos); });
}

bool TSlotFrame::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::KeyPress: {
            // Enter on the focused type button clicks it, as Space does.
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (watched == buttonType_ && (key == Qt::Key_Return || key == Qt::Key_Enter)) {
                buttonType_->click();
                return true;
            }
            return false;
        }
        case QEvent::MouseButtonPress: {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (!IsDragPart(watched)) {
                return false;
            }
            PressOnPart(mouse);
            // The button clicks with the left button itself; every other press on a part is the tile's.
            return !(watched == buttonType_ && mouse->button() == Qt::LeftButton);
        }
        case QEvent::MouseMove:
            // The move that started a drag must not reach the button, which would draw itself pressed
            // again and click at the release.
            return IsDragPart(watched) && MoveOnPart(static_cast<QMouseEvent*>(event));
        case QEvent::MouseButtonRelease: {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (IsDragPart(watched)) {
                armed_ = false;
            }
            if (mouse->button() == Qt::RightButton) {
                owner_.TileMenu(tag_, mouse->globalPosition().toPoint());
                return true;
            }
            return false;
        }
        case QEvent::MouseButtonDblClick:
            if (watched == panel_) {
                owner_.ShowBoardInfo(tag_);
                return true;
            }
            return false;
        case QEvent::ContextMenu:
            // The tile menu opens at the release of the right button, so that a right-button drag can
            // start; keyboard requests go on to contextMenuEvent.
            return static_cast<QContextMenuEvent*>(event)->reason() == QContextMenuEvent::Mouse;
        case QEvent::DragEnter:
        case QEvent::DragMove:
            if (IsDragPart(watched)) {
                DragEnterOrMove(static_cast<QDropEvent*>(event));
                return true;
            }
            return false;
        case QEvent::Drop:
            if (IsDragPart(watched)) {
                Drop(static_cast<QWidget*>(watched), static_cast<QDropEvent*>(event));
                return true;
            }
            return false;
        default:
            return false;
    }
}

void TSlotFrame::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        owner_.TileMenu(tag_, event->globalPosition().toPoint());
        return;
    }
    QWidget::mouseReleaseEvent(event);
}

void TSlotFrame::contextMenuEvent(QContextMenuEvent* event) {
    if (event->reason() != QContextMenuEvent::Mouse) {
        owner_.TileMenu(tag_, mapToGlobal(rect().center()));
    }
    event->accept();
}

}  // namespace tervis
