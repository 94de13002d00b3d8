#include "Glyphs.h"

#include <QPainter>
#include <QPainterPath>

namespace kv::kit {

namespace {

QPixmap draw(Glyph g, int size, bool disabled)
{
    QPixmap pm(size * 2, size * 2);
    pm.setDevicePixelRatio(2);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const double s = size / 32.0;
    p.scale(s, s);
    auto col = [disabled](const char* c) { return disabled ? QColor(170, 170, 170) : QColor(c); };
    QPen pen(col("#2b4a6f"), 2.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(pen);
    switch (g) {
    case Glyph::New:
        p.setBrush(col("#ffffff"));
        p.drawRect(QRectF(7, 4, 16, 22));
        p.setPen(QPen(col("#2e8b57"), 3.2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(22, 19), QPointF(22, 29));
        p.drawLine(QPointF(17, 24), QPointF(27, 24));
        break;
    case Glyph::Edit: {
        p.setBrush(col("#f0c040"));
        QPainterPath path;
        path.moveTo(8, 24);
        path.lineTo(22, 6);
        path.lineTo(26, 10);
        path.lineTo(12, 28);
        path.lineTo(6, 29);
        path.closeSubpath();
        p.drawPath(path);
        break;
    }
    case Glyph::Delete:
        p.setBrush(col("#e8ecf1"));
        p.drawRect(QRectF(9, 10, 14, 18));
        p.drawLine(QPointF(6, 8), QPointF(26, 8));
        p.drawLine(QPointF(13, 5), QPointF(19, 5));
        p.setPen(QPen(col("#b22222"), 2));
        p.drawLine(QPointF(13, 14), QPointF(13, 24));
        p.drawLine(QPointF(19, 14), QPointF(19, 24));
        break;
    case Glyph::Quit:
        p.setBrush(col("#d9e2ec"));
        p.drawRect(QRectF(6, 4, 14, 24));
        p.setPen(QPen(col("#b22222"), 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawLine(QPointF(14, 16), QPointF(28, 16));
        p.drawLine(QPointF(23, 11), QPointF(28, 16));
        p.drawLine(QPointF(23, 21), QPointF(28, 16));
        break;
    case Glyph::Filter: {
        p.setBrush(col("#7fb3e0"));
        QPainterPath path;
        path.moveTo(4, 6);
        path.lineTo(28, 6);
        path.lineTo(19, 17);
        path.lineTo(19, 27);
        path.lineTo(13, 24);
        path.lineTo(13, 17);
        path.closeSubpath();
        p.drawPath(path);
        break;
    }
    case Glyph::Export: {
        // A sheet with its grid, and an arrow leaving it.
        p.setBrush(col("#ffffff"));
        p.drawRect(QRectF(4, 4, 17, 24));
        p.setPen(QPen(col("#2e8b57"), 1.4));
        for (double y : {11.0, 16.0, 21.0})
            p.drawLine(QPointF(6, y), QPointF(19, y));
        p.drawLine(QPointF(11, 6), QPointF(11, 26));
        p.setPen(Qt::NoPen);
        p.setBrush(col("#2e8b57"));
        QPolygonF a;
        a << QPointF(30, 18) << QPointF(22, 10) << QPointF(22, 15) << QPointF(15, 15) << QPointF(15, 21)
          << QPointF(22, 21) << QPointF(22, 26);
        p.drawPolygon(a);
        break;
    }
    case Glyph::Zoom:
        p.setBrush(col("#dff0ff"));
        p.drawEllipse(QPointF(13, 13), 8, 8);
        p.setPen(QPen(col("#2b4a6f"), 4, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(19, 19), QPointF(27, 27));
        break;
    case Glyph::Print:
        p.setBrush(col("#ffffff"));
        p.drawRect(QRectF(9, 4, 14, 9));
        p.setBrush(col("#9fb4c8"));
        p.drawRoundedRect(QRectF(4, 12, 24, 11), 2, 2);
        p.setBrush(col("#ffffff"));
        p.drawRect(QRectF(9, 19, 14, 9));
        break;
    case Glyph::Down:
    case Glyph::Up: {
        p.setBrush(col("#4a7fb5"));
        QPolygonF a;
        if (g == Glyph::Down)
            a << QPointF(16, 28) << QPointF(5, 15) << QPointF(12, 15) << QPointF(12, 4) << QPointF(20, 4) << QPointF(20, 15)
              << QPointF(27, 15);
        else
            a << QPointF(16, 4) << QPointF(5, 17) << QPointF(12, 17) << QPointF(12, 28) << QPointF(20, 28) << QPointF(20, 17)
              << QPointF(27, 17);
        p.drawPolygon(a);
        break;
    }
    case Glyph::Confirm:
        p.setPen(QPen(col("#2e8b57"), 4.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPolyline(QPolygonF() << QPointF(6, 17) << QPointF(13, 24) << QPointF(26, 8));
        break;
    case Glyph::Cancel:
        p.setPen(QPen(col("#b22222"), 4.5, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(8, 8), QPointF(24, 24));
        p.drawLine(QPointF(24, 8), QPointF(8, 24));
        break;
    case Glyph::Search:
        p.setBrush(col("#ffffff"));
        p.drawRect(QRectF(4, 4, 16, 20));
        p.drawLine(QPointF(8, 10), QPointF(16, 10));
        p.drawLine(QPointF(8, 15), QPointF(13, 15));
        p.setBrush(col("#dff0ff"));
        p.drawEllipse(QPointF(19, 19), 6, 6);
        p.setPen(QPen(col("#2b4a6f"), 3.5, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(23.5, 23.5), QPointF(28, 28));
        break;
    case Glyph::None:
        break;
    case Glyph::Open:
        p.setBrush(col("#f3d27a"));
        p.drawRect(QRectF(4, 9, 24, 17));
        p.drawLine(QPointF(4, 9), QPointF(11, 5));
        p.drawLine(QPointF(11, 5), QPointF(16, 9));
        p.setPen(QPen(col("#2e8b57"), 3, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(16, 13), QPointF(16, 23));
        p.drawLine(QPointF(11, 18), QPointF(21, 18));
        break;
    }
    return pm;
}

} // namespace

QIcon icon(Glyph glyph, int size)
{
    QIcon result;
    if (glyph == Glyph::None)
        return result;
    result.addPixmap(draw(glyph, size, false), QIcon::Normal);
    result.addPixmap(draw(glyph, size, true), QIcon::Disabled);
    return result;
}

} // namespace kv::kit
