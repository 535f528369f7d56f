#include "toolkit/ProductPicture.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <array>

namespace kalmora {

namespace {

// One heart beat and the flat line around it, in fractions of the picture's width and height.
constexpr std::array<QPointF, 12> kHeartRateLine{{
    {0.10, 0.58},
    {0.30, 0.58},
    {0.35, 0.52},
    {0.40, 0.58},
    {0.45, 0.58},
    {0.49, 0.68},
    {0.55, 0.22},
    {0.61, 0.76},
    {0.65, 0.58},
    {0.72, 0.58},
    {0.78, 0.50},
    {0.90, 0.58},
}};

}  // namespace

QPixmap ProductPicture(int size, qreal devicePixelRatio)
{
    QPixmap picture(QSize(size, size) * devicePixelRatio);
    picture.setDevicePixelRatio(devicePixelRatio);
    picture.fill(Qt::transparent);

    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF square(1, 1, size - 2, size - 2);
    const qreal radius = size * 0.2;

    QLinearGradient background(square.topLeft(), square.bottomRight());
    background.setColorAt(0.0, QColor(0x1f, 0x8a, 0xa8));
    background.setColorAt(1.0, QColor(0x0b, 0x3d, 0x5c));
    painter.setPen(QPen(QColor(0x08, 0x2f, 0x47), qMax(1.0, size / 64.0)));
    painter.setBrush(background);
    painter.drawRoundedRect(square, radius, radius);

    // A soft light in the upper left, as on a monitor screen.
    QRadialGradient light(square.left() + size * 0.3, square.top() + size * 0.25, size * 0.7);
    light.setColorAt(0.0, QColor(255, 255, 255, 60));
    light.setColorAt(1.0, QColor(255, 255, 255, 0));
    painter.setPen(Qt::NoPen);
    painter.setBrush(light);
    painter.drawRoundedRect(square, radius, radius);

    // Faint monitor grid.
    painter.setPen(QPen(QColor(255, 255, 255, 28), qMax(1.0, size / 96.0)));
    for (int i = 1; i < 5; ++i) {
        const qreal offset = square.left() + square.width() * i / 5.0;
        painter.drawLine(QPointF(offset, square.top() + radius / 2), QPointF(offset, square.bottom() - radius / 2));
        const qreal row = square.top() + square.height() * i / 5.0;
        painter.drawLine(QPointF(square.left() + radius / 2, row), QPointF(square.right() - radius / 2, row));
    }

    QPainterPath line;
    for (std::size_t i = 0; i < kHeartRateLine.size(); ++i) {
        const QPointF point(square.left() + kHeartRateLine[i].x() * square.width(),
                            square.top() + kHeartRateLine[i].y() * square.height());
        if (i == 0) {
            line.moveTo(point);
        } else {
            line.lineTo(point);
        }
    }
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(0x7f, 0xff, 0xd4, 90), size / 14.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPath(line);
    painter.setPen(QPen(Qt::white, size / 32.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPath(line);

    // The point the line has reached.
    const QPointF head(square.left() + kHeartRateLine.back().x() * square.width(),
                       square.top() + kHeartRateLine.back().y() * square.height());
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x7f, 0xff, 0xd4));
    painter.drawEllipse(head, size / 24.0, size / 24.0);
    return picture;
}

}  // namespace kalmora
