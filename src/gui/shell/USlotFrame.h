#pragma once

// One chassis position of the main window: board type, state and four lamps of a slot, its buttons
// and the slot-to-slot drag that copies a board or links two boards' channels.

#include <QColor>
#include <QPoint>
#include <QString>
#include <QWidget>

#include <array>
#include <cstdint>
#include <optional>

class QFrame;
class QLabel;
class QPushButton;

namespace tervis {

class ITileOwner;
class TMux;

// --- The tile's rules, kept free of widgets.

// The fields of a slot status word.
struct TSlotStatusFields {
    std::uint8_t Type = 0;
    std::uint8_t State = 0;
    std::uint8_t IndicatorA = 0;  // high nibble Led4, low nibble Led3
    std::uint8_t IndicatorB = 0;  // high nibble Led2, low nibble Led1
};
TSlotStatusFields DecodeSlotStatus(std::uint32_t word);

constexpr int kBlinkPeriod = 40;  // ticks of 50 ms
constexpr QColor kLampGrey{128, 128, 128};
constexpr QColor kLampGreen{0, 255, 0};
constexpr QColor kLampYellow{255, 255, 0};
constexpr QColor kLampRed{255, 0, 0};
constexpr QColor kLampBlack{0, 0, 0};

// The colour an indicator nibble sets at once: 0..3; none for the blinking nibbles 4 and 5 and for 6
// and above, which leave the lamp as it is.
std::optional<QColor> IndicatorColour(std::uint8_t nibble);
bool IsBlinkingNibble(std::uint8_t nibble);
// The blink counter after one tick: 0..39.
std::uint8_t NextBlinkCounter(std::uint8_t counter);
// A blinking lamp flashes yellow for the last three ticks of the period and is black otherwise.
QColor BlinkColour(std::uint8_t counter);
QColor StateLampColour(std::uint8_t state);
// Texts of Led1..Led4 for board types that show the four lamps; none for the others.
std::optional<std::array<QString, 4>> LampLabels(std::uint8_t type);

// What a click on the type button asks of the owner.
enum class TTileCommand { SelectBoardType, EditBoardConfig, ShowBoardInfo };
TTileCommand ButtonClickCommand(bool restricted, std::uint8_t configuredType);

// A press may start a drag only from a board slot holding a board, and not in restricted mode.
bool CanStartDrag(bool restricted, int slot, std::uint8_t configuredType);
// The pointer has left the press position by more than 2 pixels in either direction.
bool DragDistanceReached(const QPoint& press, const QPoint& now);
// Only another board slot accepts a dragged tile.
bool CanDropOnto(int sourceSlot, int targetSlot);

// The slots and configured types of a drag, as filled at drag-over and drop.
struct TTileDrag {
    int SourceSlot = 0;
    std::uint8_t SourceType = 0;
    int TargetSlot = 0;
    std::uint8_t TargetType = 0;
};
TTileDrag MakeTileDrag(const TMux& mux, int sourceSlot, int targetSlot);

// Neither board is a non-linking type, so channels may be linked.
bool CanLinkBoards(const TTileDrag& drag);
// kCursorSelect for a right-button drag, else kCursorCopyConfig when the boards cannot be linked, else
// kCursorLinkAll.
int DragCursorNumber(bool rightDrag, const TTileDrag& drag);

enum class TDropAction { CopyConfig, LinkAll, LinkOneWay };
// What a left-button drop does.
TDropAction LeftDropAction(const TTileDrag& drag);
// Enabled items of the drop menu, in menu order.
struct TDropMenuEnabling {
    bool CopyConfig = true;
    bool LinkAll = false;
    bool LinkOneWay = false;
};
TDropMenuEnabling DropMenuEnabling(const TTileDrag& drag);
// Runs an action on the model; the link actions do nothing between boards that cannot be linked.
void RunDropAction(TMux& mux, TDropAction action, const TTileDrag& drag);

// --- Widgets

// A round lamp.
class TLamp : public QWidget {
    Q_OBJECT
public:
    explicit TLamp(QWidget* parent = nullptr);
    void SetColour(const QColor& colour);
    QColor Colour() const { return colour_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor colour_ = kLampGrey;
};

class TSlotFrame : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 42;
    static constexpr int kHeight = 182;
    // Drag data of a tile: the source slot as decimal text.
    static constexpr const char* kMimeType = "application/x-tervis-slot-tile";

    // slot is the tile's tag: 0..15, 16 for the CPU tile.
    TSlotFrame(int slot, ITileOwner& owner, QWidget* parent = nullptr);

    int Tag() const { return tag_; }

    void SetBoardType(std::uint8_t type);
    void SetBoardState(std::uint8_t state);
    void SetIndicators(std::uint8_t byteA, std::uint8_t byteB);
    // State first, then type, then the indicators, so that an absent board darkens its lamps.
    void SetStatus(std::uint32_t word);
    void SetButtonCaption(std::uint8_t type);
    void BlinkTick();

    std::uint8_t BoardType() const { return boardType_; }
    std::uint8_t BoardState() const { return boardState_; }
    std::uint8_t IndicatorA() const { return indicatorA_; }
    std::uint8_t IndicatorB() const { return indicatorB_; }
    std::uint8_t BlinkCounter() const { return blinkCounter_; }
    bool Armed() const { return armed_; }
    const TTileDrag& LastDrag() const { return drag_; }

    // A tile of sourceSlot dragged over this tile: the drag cursor number, 0 when the drop is refused.
    int DragOverFrom(int sourceSlot);
    // A tile of sourceSlot dropped on this tile at a screen position; false when refused. A right-button
    // drag shows the drop menu through the owner's dialogs.
    bool DropFrom(int sourceSlot, const QPoint& globalPos);

    // Whether the current drag was started with the right mouse button; one flag for the application.
    static bool RightDrag() { return rightDrag_; }
    static void SetRightDrag(bool right) { rightDrag_ = right; }

    // The 90 x 20 picture that hangs above the pointer while a tile is dragged.
    static QPixmap DragImage(int slot);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void BuildPanel();
    void BuildTypeButton();
    void WatchParts();
    void ButtonTypeClick();
    bool IsDragPart(const QObject* object) const;
    void PressOnPart(QMouseEvent* event);
    bool MoveOnPart(QMouseEvent* event);  // true when a drag was started
    void StartDrag();
    void DragEnterOrMove(QDropEvent* event);
    void Drop(QWidget* part, QDropEvent* event);
    std::optional<int> DraggedSlot(const QDropEvent* event) const;
    void ShowDropMenu(const QPoint& globalPos);

    static inline bool rightDrag_ = false;

    ITileOwner& owner_;
    int tag_;

    QFrame* panel_;
    TLamp* stateLamp_;
    QLabel* stateLabel_;
    std::array<TLamp*, 4> lamps_{};        // Led4, Led3, Led2, Led1
    std::array<QLabel*, 4> lampLabels_{};  // same order
    QLabel* typeLabel_;
    QPushButton* buttonType_;

    std::uint8_t boardType_ = 0;
    std::uint8_t boardState_ = 0;
    std::uint8_t indicatorA_ = 0;
    std::uint8_t indicatorB_ = 0;
    std::array<std::uint8_t, 4> lampValues_{};  // nibble + 1, order of lamps_
    std::uint8_t blinkCounter_ = 0;
    TTileDrag drag_;
    bool armed_ = false;
    QPoint pressPos_;  // screen position of the arming press
};

}  // namespace tervis
