#include "SwatchPainting.h"

#include <QPainter>

void FrameRect(QPainter& painter, const QRect& r, const QColor& color) {
    Bevel(painter, r, color, color);
}

void Bevel(QPainter& painter, const QRect& r, const QColor& topLeft, const QColor& bottomRight) {
    if (r.isEmpty()) return;
    painter.fillRect(QRect(r.left(), r.top(), r.width(), 1), topLeft);
    painter.fillRect(QRect(r.left(), r.top(), 1, r.height()), topLeft);
    painter.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), bottomRight);
    painter.fillRect(QRect(r.right(), r.top(), 1, r.height()), bottomRight);
}
