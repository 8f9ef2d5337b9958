// SPDX-License-Identifier: MIT
#include "app_icon.h"

#include <QIconEngine>
#include <QPainter>

#include <algorithm>
#include <QPainterPath>

namespace q42 {

// A radio unit with its antenna and two bands of waves, L9 and L7, on a dark rounded tile.
QPixmap DrawAppIcon(int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 64.0, size / 64.0);

    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x1F, 0x3A, 0x5F));
    p.drawRoundedRect(QRectF(2, 2, 60, 60), 12, 12);

    p.setBrush(QColor(0xE8, 0xEE, 0xF4));
    p.drawRoundedRect(QRectF(14, 34, 36, 20), 4, 4);
    p.setBrush(QColor(0x2E, 0xCC, 0x71));
    p.drawEllipse(QPointF(22, 44), 3.5, 3.5);
    p.setBrush(QColor(0xF3, 0x9C, 0x12));
    p.drawEllipse(QPointF(32, 44), 3.5, 3.5);
    p.setBrush(QColor(0x1F, 0x3A, 0x5F));
    p.drawRect(QRectF(38, 41, 8, 6));

    QPen mast(QColor(0xE8, 0xEE, 0xF4), 3, Qt::SolidLine, Qt::RoundCap);
    p.setPen(mast);
    p.drawLine(QPointF(32, 34), QPointF(32, 16));

    for (int ring = 0; ring < 2; ++ring) {
        QPen wave(ring == 0 ? QColor(0x2E, 0xCC, 0x71) : QColor(0xF3, 0x9C, 0x12), 2.5, Qt::SolidLine, Qt::RoundCap);
        p.setPen(wave);
        p.setBrush(Qt::NoBrush);
        const double r = 7 + 6 * ring;
        const QRectF box(32 - r, 16 - r, 2 * r, 2 * r);
        p.drawArc(box, 30 * 16, 40 * 16);
        p.drawArc(box, 110 * 16, 40 * 16);
    }
    return pixmap;
}

namespace {

// Draws the icon at whatever size is asked for, when it is asked for: nothing is drawn at start-up.
class DrawnIconEngine : public QIconEngine {
public:
    void paint(QPainter* painter, const QRect& rect, QIcon::Mode, QIcon::State) override
    {
        painter->drawPixmap(rect, DrawAppIcon(std::min(rect.width(), rect.height())));
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode, QIcon::State) override
    {
        return DrawAppIcon(std::min(size.width(), size.height()));
    }
    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override
    {
        const int side = std::min(size.width(), size.height());
        return {side, side};
    }
    // The window manager is handed every listed size at start-up; larger ones are drawn on request.
    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override { return {{16, 16}, {32, 32}, {48, 48}}; }
    QIconEngine* clone() const override { return new DrawnIconEngine; }
    QString key() const override { return QStringLiteral("q42-drawn"); }
};

}  // namespace

QIcon AppIcon()
{
    return QIcon(new DrawnIconEngine);
}

}  // namespace q42
