#pragma once
// A screen that shows a day or an account keeps up with the other desks: it reads itself again when
// the window comes back to the front after another one, and, on a server, as soon as another desk
// commits a change to a table it shows (the year's change channel, db::ChangeWatch), a burst of changes
// read once. Its "Actualiser" command (addRefreshCommand, Alt+U) does the same on demand.
#include "core/kit/ScreenKit.h"

#include <QIcon>
#include <QObject>
#include <QStringList>
#include <QToolButton>
#include <functional>

class QDialog;
class QTimer;

namespace kv {
class Session;
namespace db { class ChangeWatch; }

namespace kit {

/// The picture of "Actualiser": two arrows turning round, drawn as the shared commands' pictures are.
QIcon refreshIcon(int size);

/// "Actualiser" (Alt+U) on a screen's row of commands: the screen reads what it shows again.
template <typename Receiver, typename Slot> QToolButton* addRefreshCommand(CommandBar* bar, Receiver* receiver, Slot slot)
{
    QToolButton* b = bar->add(Glyph::None, QStringLiteral("Actualiser"), QStringLiteral("actualiser"), QKeySequence(Qt::ALT | Qt::Key_U),
                              receiver, slot);
    b->setIcon(refreshIcon(b->iconSize().width()));
    return b;
}

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
