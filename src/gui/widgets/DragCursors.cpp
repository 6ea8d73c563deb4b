#include "gui/widgets/DragCursors.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPolygon>

#include <array>

namespace tervis {

namespace {

constexpr int kCursors = 3;
constexpr QPoint kHotSpot{1, 1};

struct TCursorTable {
    std::array<QPixmap, kCursors> images;
    bool loaded = false;
};

TCursorTable& Table() {
    static TCursorTable table;
    return table;
}

// The usual pointer arrow, tip at the hot spot.
void DrawArrow(QPainter& painter) {
    const QPolygon arrow({QPoint(1, 1), QPoint(1, 17), QPoint(5, 13), QPoint(8, 20), QPoint(10, 19),
                          QPoint(7, 12), QPoint(12, 12)});
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(Qt::white);
    painter.drawPolygon(arrow);
}

// A page with a folded corner and a plus: the configuration is copied.
void DrawCopyBadge(QPainter& painter) {
    const QPolygon page({QPoint(16, 14), QPoint(25, 14), QPoint(29, 18), QPoint(29, 30), QPoint(16, 30)});
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(Qt::white);
    painter.drawPolygon(page);
    painter.drawPolyline(QPolygon({QPoint(25, 14), QPoint(25, 18), QPoint(29, 18)}));
    painter.setPen(QPen(Qt::black, 2));
    painter.drawLine(QPoint(19, 24), QPoint(26, 24));
    painter.drawLine(QPoint(22, 21), QPoint(22, 28));
}

// Two chain links: the channels are linked.
void DrawLinkBadge(QPainter& painter) {
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(Qt::white, 4));
    painter.drawRoundedRect(QRect(13, 17, 10, 7), 3, 3);
    painter.drawRoundedRect(QRect(19, 23, 10, 7), 3, 3);
    painter.setPen(QPen(Qt::black, 2));
    painter.drawRoundedRect(QRect(13, 17, 10, 7), 3, 3);
    painter.drawRoundedRect(QRect(19, 23, 10, 7), 3, 3);
}

// A small menu of three lines: the action is chosen at the drop.
void DrawMenuBadge(QPainter& painter) {
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(Qt::white);
    painter.drawRect(QRect(15, 14, 14, 16));
    painter.setBrush(QColor(0, 0, 128));
    painter.setPen(Qt::NoPen);
    painter.drawRect(QRect(16, 15, 13, 4));
    painter.setPen(QPen(Qt::black, 1));
    painter.drawLine(QPoint(18, 22), QPoint(26, 22));
    painter.drawLine(QPoint(18, 26), QPoint(26, 26));
}

QPixmap DrawCursor(int number) {
    QImage image(kDragCursorSize, kDragCursorSize, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    DrawArrow(painter);
    switch (number) {
        case kCursorCopyConfig:
            DrawCopyBadge(painter);
            break;
        case kCursorLinkAll:
            DrawLinkBadge(painter);
            break;
        default:
            DrawMenuBadge(painter);
            break;
    }
    painter.end();
    return QPixmap::fromImage(image);
}

const QPixmap* Image(int number) {
    if (number < 1 || number > kCursors) {
        return nullptr;
    }
    if (!Table().loaded) {
        LoadDragCursors();
    }
    return &Table().images[static_cast<std::size_t>(number - 1)];
}

}  // namespace

void LoadDragCursors() {
    TCursorTable& table = Table();
    for (int number = 1; number <= kCursors; ++number) {
        table.images[static_cast<std::size_t>(number - 1)] = DrawCursor(number);
    }
    table.loaded = true;
}

QCursor DragCursor(int number) {
    const QPixmap* image = Image(number);
    if (image == nullptr) {
        return QCursor(Qt::ForbiddenCursor);
    }
    return QCursor(*image, kHotSpot.x(), kHotSpot.y());
}

QPixmap DragCursorPixmap(int number) {
    const QPixmap* image = Image(number);
    if (image == nullptr) {
        return {};
    }
    // Even side, so that the centre (side / 2) is exactly the tip.
    const int side = 2 * (kDragCursorSize - kHotSpot.x());
    QPixmap canvas(side, side);
    canvas.fill(Qt::transparent);
    QPainter painter(&canvas);
    painter.drawPixmap(side / 2 - kHotSpot.x(), side / 2 - kHotSpot.y(), *image);
    painter.end();
    return canvas;
}

}  // namespace tervis
