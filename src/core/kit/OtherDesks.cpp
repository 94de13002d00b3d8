#include "OtherDesks.h"

#include "core/state/Session.h"
#include "platform/db/ChangeWatch.h"

#include <QDialog>
#include <QEvent>
#include <QPainter>
#include <QPainterPath>
#include <QTimer>

#include <tuple>

namespace kv::kit {

namespace {
QPixmap drawRefresh(int size, bool disabled)
{
    QPixmap pm(size * 2, size * 2);
    pm.setDevicePixelRatio(2);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 32.0, size / 32.0);
    const QColor colour = disabled ? QColor(170, 170, 170) : QColor("#2e8b57");
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(colour, 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    const QRectF circle(6, 6, 20, 20);
    p.drawArc(circle, 30 * 16, 150 * 16);
    p.drawArc(circle, 210 * 16, 150 * 16);
    p.setBrush(colour);
    p.setPen(Qt::NoPen);
    for (const auto& [a, b, c] : {std::tuple{QPointF(24.7, 4.5), QPointF(29.5, 13.5), QPointF(19.5, 13.0)},
                                  std::tuple{QPointF(7.3, 27.5), QPointF(2.5, 18.5), QPointF(12.5, 19.0)}}) {
        QPainterPath head;
        head.moveTo(a);
        head.lineTo(b);
        head.lineTo(c);
        head.closeSubpath();
        p.drawPath(head);
    }
    return pm;
}
} // namespace

QIcon refreshIcon(int size)
{
    QIcon result;
    result.addPixmap(drawRefresh(size, false), QIcon::Normal);
    result.addPixmap(drawRefresh(size, true), QIcon::Disabled);
    return result;
}

OtherDesks::OtherDesks(QDialog* screen, Session& session, const QStringList& tables, std::function<void()> refresh)
    : QObject(screen), screen_(screen), refresh_(std::move(refresh))
{
    for (const QString& t : tables)
        tables_ << t.toLower();
    screen->installEventFilter(this);
    pending_ = new QTimer(this);
    pending_->setSingleShot(true);
    pending_->setInterval(150);
    connect(pending_, &QTimer::timeout, this, [this] { refresh_(); });
    watch_ = new db::ChangeWatch(session.db(), session.server ? &*session.server : nullptr, this);
    connect(watch_, &db::ChangeWatch::changed, this, [this](const QStringList& changed) {
        for (const QString& t : changed)
            if (tables_.contains(t)) {
                pending_->start();
                return;
            }
    });
}

bool OtherDesks::hearsOtherDesks() const { return watch_->isWatching(); }

bool OtherDesks::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == screen_ && event->type() == QEvent::ActivationChange) {
        // Back in front after another window (another screen, another program): read again.
        if (!screen_->isActiveWindow())
            wasInactive_ = true;
        else if (wasInactive_) {
            wasInactive_ = false;
            pending_->start();
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace kv::kit
