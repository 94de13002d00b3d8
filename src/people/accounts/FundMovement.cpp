#include "FundMovement.h"

#include "MVM_FOND.h"
#include "core/formats/Numbers.h"
#include "core/kit/Guard.h"
#include "platform/db/RowWriter.h"
#include "core/state/Session.h"
#include "platform/db/Database.h"
#include "platform/db/Dates.h"

namespace kv::fund {

namespace {

/// Shows the dialog over the filled slots and books the line on "OK".
Outcome run(Session& session, const Codes& codes, std::optional<qint64> num, const Options& options,
            const db::Row* loaded = nullptr)
{
    {
        MVM_FOND dialog(session, options.parent);
        session.ui().showModal(dialog);
    }
    if (session.echange.get(10) != QStringLiteral("OK"))
        return {Status::Cancelled, 0};
    if (options.accept && !options.accept(session.echange))
        return {Status::Refused, 0};
    // An engine failure shows the engine's own message; the booking's transaction left the data as it was.
    std::optional<qint64> written;
    std::optional<db::Conflict::Kind> conflict;
    if (!kit::guarded(session.ui(), [&] {
            try {
                if (loaded && num) {
                    ledger::update(session.db(), codes.book, *num, lineFromSlots(session.echange, codes), *loaded);
                    written = num;
                } else {
                    written = book(session, codes, num);
                }
            } catch (const db::Conflict& e) {
                conflict = e.kind();
            }
        }))
        return {Status::Failed, 0};
    if (conflict == db::Conflict::Kind::Changed) {
        // Another desk changed the line while the dialog was open: nothing was written.
        session.ui().refuse(db::kRowChanged);
        return {Status::Missing, 0};
    }
    if (!written) {
        // Deleted by another screen while the dialog was open.
        if (options.reportMissing)
            session.ui().refuse(QStringLiteral("Mouvement altéré"), ui::Icon::Information);
        return {Status::Missing, 0};
    }
    return {Status::Written, *written};
}

} // namespace

QString bookSlot(ledger::Book book) { return book == ledger::Book::Recettes ? QStringLiteral("0") : QStringLiteral("1"); }

QString amountText(double montant) { return montant == 0 ? QString() : formatNumber(montant, u"########0.00"); }

void fillNew(Echange& block, ledger::Book book, const QDate& today)
{
    block.set(1, QStringLiteral("0"));
    block.set(2, bookSlot(book));
    block.set(3, QStringLiteral("0"));
    block.set(4, QString());
    block.set(7, today.toString(db::kShownDateFormat));
    block.set(8, QString());
}

void fillChange(Echange& block, ledger::Book book, int mode, const ShownLine& line)
{
    block.set(1, QStringLiteral("1"));
    block.set(2, bookSlot(book));
    block.set(3, QString::number(mode));
    block.set(4, line.object.trimmed());
    block.set(7, line.date.trimmed());
    block.set(8, line.amount);
}

ledger::Line lineFromSlots(const Echange& block, const Codes& codes)
{
    ledger::Line line;
    line.date = block.get(7);
    line.montant = readNumber(block.get(8));
    line.mode = static_cast<int>(readNumber(block.get(3)));
    line.ref = block.get(4);
    line.contrepartie = codes.contrepartie;
    line.numAgent = codes.numAgent;
    if (codes.book == ledger::Book::Depenses)
        line.typeDep = codes.typeDep;
    return line;
}

std::optional<qint64> book(Session& session, const Codes& codes, std::optional<qint64> num)
{
    const ledger::Line line = lineFromSlots(session.echange, codes);
    if (!num) {
        // Lines booked by other screens since this one opened its views must be counted.
        session.reconnect();
        return ledger::add(session.db(), codes.book, line);
    }
    if (!ledger::update(session.db(), codes.book, *num, line))
        return std::nullopt;
    return num;
}

Outcome enterNew(Session& session, const Codes& codes, const Options& options)
{
    fillNew(session.echange, codes.book, session.defaultDay());
    return run(session, codes, std::nullopt, options);
}

Outcome enterChange(Session& session, const Codes& codes, qint64 num, const Options& options)
{
    db::Row stored;
    if (!kit::guarded(session.ui(), [&] {
            stored = session.db().queryOne(QStringLiteral("SELECT * FROM %1 WHERE num = ?").arg(ledger::table(codes.book)),
                                           {num});
        }))
        return {Status::Failed, 0};
    if (stored.size() == 0) {
        if (options.reportMissing)
            session.ui().refuse(QStringLiteral("Mouvement altéré"), ui::Icon::Information);
        return {Status::Missing, 0};
    }
    const ShownLine line = options.shown ? *options.shown
                                         : ShownLine{db::toShownDate(stored.value(QStringLiteral("date"))),
                                                     amountText(stored.value(QStringLiteral("Montant")).toDouble()),
                                                     stored.value(QStringLiteral("ref")).toString()};
    fillChange(session.echange, codes.book, stored.value(QStringLiteral("mode")).toInt(), line);
    return run(session, codes, num, options, &stored);
}

} // namespace kv::fund
