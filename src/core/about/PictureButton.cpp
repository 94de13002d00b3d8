#include "PictureButton.h"

#include <QEvent>
#include <QFocusEvent>
#include <QIcon>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>

namespace kv {

namespace {
constexpr int kPadding = 5;

class BorderClearer : public QObject {
public:
    BorderClearer(QObject* owner, const QList<PictureButton*>& buttons) : QObject(owner)
    {
        for (PictureButton* b : buttons)
            buttons_ << b;
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::MouseMove)
            for (const QPointer<PictureButton>& b : buttons_)
                if (b)
                    b->setBordered(false);
        return QObject::eventFilter(watched, event);
    }

private:
    QList<QPointer<PictureButton>> buttons_;
};
} // namespace

PictureButton::PictureButton(const QPixmap& picture, QWidget* parent) : QAbstractButton(parent), picture_(picture)
{
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void PictureButton::setPicture(const QPixmap& picture)
{
    picture_ = picture;
    updateGeometry();
    update();
}

void PictureButton::setBordered(bool bordered)
{
    if (bordered_ == bordered)
        return;
    bordered_ = bordered;
    update();
}

QSize PictureButton::sizeHint() const
{
    const QSize picture = picture_.isNull() ? QSize(32, 32) : picture_.deviceIndependentSize().toSize();
    return picture + QSize(2 * kPadding, 2 * kPadding);
}

void PictureButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF frame = QRectF(rect()).adjusted(1, 1, -1, -1);
    if (isDown() && isEnabled()) {
        QPainterPath path;
        path.addRoundedRect(frame, 8, 8);
        painter.fillPath(path, palette().color(QPalette::Highlight).lighter(185));
    }
    if (!picture_.isNull()) {
        const QSize size = picture_.deviceIndependentSize().toSize();
        const QPoint at((width() - size.width()) / 2, (height() - size.height()) / 2 + (isDown() ? 1 : 0));
        if (isEnabled()) {
            painter.drawPixmap(at, picture_);
        } else {
            painter.setOpacity(0.55);
            painter.drawPixmap(at, QIcon(picture_).pixmap(size, picture_.devicePixelRatio(), QIcon::Disabled));
            painter.setOpacity(1.0);
        }
    }
    if (bordered_ || (keyboardFocus_ && hasFocus())) {
        QPen pen(palette().color(QPalette::Highlight), bordered_ ? 2.0 : 1.0);
        if (!bordered_)
            pen.setStyle(Qt::DotLine);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(frame, 8, 8);
    }
}

void PictureButton::enterEvent(QEnterEvent* event)
{
    if (isEnabled())
        setBordered(true);
    QAbstractButton::enterEvent(event);
}

void PictureButton::focusInEvent(QFocusEvent* event)
{
    keyboardFocus_ = event->reason() == Qt::TabFocusReason || event->reason() == Qt::BacktabFocusReason;
    QAbstractButton::focusInEvent(event);
}

void PictureButton::focusOutEvent(QFocusEvent* event)
{
    keyboardFocus_ = false;
    QAbstractButton::focusOutEvent(event);
}

void clearBordersOnMove(QObject* owner, const QList<QWidget*>& surfaces, const QList<PictureButton*>& buttons)
{
    auto* filter = new BorderClearer(owner, buttons);
    for (QWidget* w : surfaces) {
        w->setMouseTracking(true);
        w->installEventFilter(filter);
    }
}

} // namespace kv
