#include "gui/widgets/Icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <array>

namespace tervis {

namespace {

constexpr int kSize = 24;

const QColor kInk(40, 40, 48);
const QColor kPaper(250, 250, 245);
const QColor kBlue(40, 110, 200);
const QColor kGreen(30, 150, 70);
const QColor kRed(200, 50, 40);
const QColor kYellow(235, 190, 40);

void Page(QPainter& p, const QRectF& r) {
    QPainterPath path;
    path.moveTo(r.left(), r.top());
    path.lineTo(r.right() - 5, r.top());
    path.lineTo(r.right(), r.top() + 5);
    path.lineTo(r.right(), r.bottom());
    path.lineTo(r.left(), r.bottom());
    path.closeSubpath();
    p.setBrush(kPaper);
    p.setPen(QPen(kInk, 1.2));
    p.drawPath(path);
    p.drawLine(QPointF(r.right() - 5, r.top()), QPointF(r.right() - 5, r.top() + 5));
    p.drawLine(QPointF(r.right() - 5, r.top() + 5), QPointF(r.right(), r.top() + 5));
}

void Arrow(QPainter& p, QPointF from, QPointF to, const QColor& colour) {
    p.setPen(QPen(colour, 2.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(from, to);
    const QPointF d = to - from;
    const double length = std::max(1.0, std::hypot(d.x(), d.y()));
    const QPointF u(d.x() / length, d.y() / length);
    const QPointF n(-u.y(), u.x());
    QPolygonF head;
    head << to + u * 2.0 << to - u * 5.0 + n * 4.5 << to - u * 5.0 - n * 4.5;
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawPolygon(head);
}

// A chassis front: a box with slot lines, the multiplexer as the operator knows it.
void Chassis(QPainter& p, const QRectF& r) {
    p.setPen(QPen(kInk, 1.2));
    p.setBrush(QColor(200, 205, 215));
    p.drawRoundedRect(r, 1.5, 1.5);
    for (double x = r.left() + 3; x < r.right() - 1; x += 3) {
        p.drawLine(QPointF(x, r.top() + 2), QPointF(x, r.bottom() - 2));
    }
}

void NewIcon(QPainter& p) {
    Page(p, QRectF(5, 2, 14, 19));
    p.setPen(QPen(kYellow, 2));
    p.drawLine(QPointF(16, 14), QPointF(22, 20));
    p.drawLine(QPointF(22, 14), QPointF(16, 20));
}

void OpenIcon(QPainter& p) {
    p.setPen(QPen(kInk, 1.2));
    p.setBrush(kYellow);
    p.drawRect(QRectF(2, 7, 18, 13));
    QPolygonF flap;
    flap << QPointF(5, 11) << QPointF(23, 11) << QPointF(20, 20) << QPointF(2, 20);
    p.setBrush(QColor(250, 215, 90));
    p.drawPolygon(flap);
}

void SaveIcon(QPainter& p) {
    p.setPen(QPen(kInk, 1.2));
    p.setBrush(kBlue);
    p.drawRoundedRect(QRectF(3, 3, 18, 18), 2, 2);
    p.setBrush(kPaper);
    p.drawRect(QRectF(7, 3, 10, 7));
    p.setBrush(QColor(220, 225, 235));
    p.drawRect(QRectF(6, 13, 12, 8));
}

void AddressIcon(QPainter& p) {
    Chassis(p, QRectF(1, 14, 8, 8));
    Chassis(p, QRectF(15, 2, 8, 8));
    p.setPen(QPen(kBlue, 1.6, Qt::DashLine));
    p.drawLine(QPointF(9, 16), QPointF(15, 8));
}

void CompareIcon(QPainter& p) {
    Page(p, QRectF(2, 3, 10, 15));
    Page(p, QRectF(12, 6, 10, 15));
    p.setPen(QPen(kRed, 2));
    p.drawLine(QPointF(6, 20), QPointF(18, 20));
    p.drawLine(QPointF(6, 23), QPointF(18, 23));
}

void ClearIcon(QPainter& p) {
    Chassis(p, QRectF(2, 2, 20, 8));
    p.setPen(QPen(kRed, 2.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(7, 13), QPointF(17, 22));
    p.drawLine(QPointF(17, 13), QPointF(7, 22));
}

void RestartIcon(QPainter& p) {
    p.setPen(QPen(kGreen, 2.6, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(4, 4, 16, 16), 100 * 16, 290 * 16);
    QPolygonF head;
    head << QPointF(9, 1) << QPointF(15, 4.5) << QPointF(9, 8.5);
    p.setPen(Qt::NoPen);
    p.setBrush(kGreen);
    p.drawPolygon(head);
}

void JackFieldIcon(QPainter& p) {
    p.setPen(QPen(kInk, 1));
    p.setBrush(QColor(235, 235, 230));
    p.drawRect(QRectF(2, 2, 20, 20));
    p.setBrush(kInk);
    for (int row = 0; row < 4; ++row) {
        for (int col = 0; col < 4; ++col) {
            p.drawEllipse(QPointF(5.5 + 4.4 * col, 5.5 + 4.4 * row), 1.1, 1.1);
        }
    }
    p.setPen(QPen(kRed, 1.8));
    p.drawLine(QPointF(5.5, 5.5), QPointF(18.7, 14.3));
    p.setPen(QPen(kBlue, 1.8));
    p.drawLine(QPointF(9.9, 18.7), QPointF(14.3, 5.5));
}

void ReadIcon(QPainter& p) {
    Chassis(p, QRectF(2, 2, 20, 8));
    Arrow(p, QPointF(12, 11), QPointF(12, 21), kGreen);
}

void LoadIcon(QPainter& p) {
    Chassis(p, QRectF(2, 2, 20, 8));
    Arrow(p, QPointF(12, 22), QPointF(12, 13), kBlue);
}

struct TIconPainter {
    TToolIcon Icon;
    void (*Paint)(QPainter&);
};

constexpr std::array<TIconPainter, 10> kPainters = {{
    {TToolIcon::New, NewIcon},
    {TToolIcon::Open, OpenIcon},
    {TToolIcon::Save, SaveIcon},
    {TToolIcon::Address, AddressIcon},
    {TToolIcon::Compare, CompareIcon},
    {TToolIcon::Read, ReadIcon},
    {TToolIcon::Load, LoadIcon},
    {TToolIcon::Clear, ClearIcon},
    {TToolIcon::Restart, RestartIcon},
    {TToolIcon::JackField, JackFieldIcon},
}};

QPixmap Draw(TToolIcon icon) {
    QPixmap pixmap(kSize, kSize);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    for (const TIconPainter& painter : kPainters) {
        if (painter.Icon == icon) {
            painter.Paint(p);
        }
    }
    return pixmap;
}

}  // namespace

QIcon ToolIcon(TToolIcon icon) {
    return QIcon(Draw(icon));
}

QIcon ApplicationIcon() {
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    Chassis(p, QRectF(2, 8, 28, 16));
    p.setPen(Qt::NoPen);
    p.setBrush(kGreen);
    p.drawEllipse(QPointF(26, 12), 1.8, 1.8);
    return QIcon(pixmap);
}

}  // namespace tervis
