#include "OtherDesks.h"

#include "core/state/Session.h"
#include "platform/db/ChangeWatch.h"

#include <QDialog>
#include <QEvent>
#include <QTimer>

namespace kv::kit {

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
