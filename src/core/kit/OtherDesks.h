#pragma once
// A screen that shows a day or an account keeps up with the other desks: it reads itself again when
// the window comes back to the front after another one, and, on a server, as soon as another desk
// commits a change to a table it shows (the year's change channel, db::ChangeWatch), a burst of changes
// read once. Its "Actualiser" command (kit::Command::Refresh) does the same on demand.
#include <QObject>
#include <QStringList>
#include <functional>

class QDialog;
class QTimer;

namespace kv {
class Session;
namespace db { class ChangeWatch; }

namespace kit {

class OtherDesks : public QObject {
    Q_OBJECT
public:
    /// Follows `tables` (names in any letter case) for `screen`, calling `refresh` to read it again.
    OtherDesks(QDialog* screen, Session& session, const QStringList& tables, std::function<void()> refresh);
    /// Whether the other desks' changes are heard as they are committed (a server reached).
    bool hearsOtherDesks() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QDialog* screen_;
    QStringList tables_;
    std::function<void()> refresh_;
    db::ChangeWatch* watch_ = nullptr;
    QTimer* pending_ = nullptr;
    bool wasInactive_ = false;
};

} // namespace kit
} // namespace kv
