#pragma once
// What the vehicle file does without widgets: its header, its six lists, the checks and writes of its
// entry panels, the last oil change, the voucher signer and the voucher texts.
//
// A line is written by save(): number 0 books a new line (the connection is re-established first and
// the line numbered over the whole table, whatever vehicle the other lines belong to), any other
// number changes that line. Expenses and receipts go through the shared ledger booking.
#include "core/ledger/Ledger.h"
#include "platform/db/Row.h"

#include <QList>
#include <QtCore/qnamespace.h>
#include <QMap>
#include <QString>
#include <QStringList>
#include <optional>

namespace kv {
class Session;
namespace db { class Database; }
} // namespace kv

namespace kv::vehiclefile {

// ---- the vehicle ------------------------------------------------------------------------------------

struct Header {
    qint64 num = 0;
    QString matricule, annee, circulation, carteGrise, date;
    QString type, marque, modele, carburant;   ///< denominations, empty when not found
    // The last oil change, as the frame shows it (empty when not recorded).
    QString dateVidange, kmVidange, huile;
};

/// The vehicle of that number with its reference names, or nothing when it does not exist.
std::optional<Header> readHeader(const db::Database& db, qint64 vehicle);

// ---- the six lists ------------------------------------------------------------------------------------

enum class List { Depenses, Recettes, Assurances, Controles, Vignettes, Affectations };
inline constexpr int kListCount = 6;
inline constexpr List kLists[kListCount] = {List::Depenses,  List::Recettes,  List::Assurances,
                                            List::Controles, List::Vignettes, List::Affectations};

/// The table of a list.
QString tableOf(List list);

struct Column {
    QString title;
    Qt::Alignment align;
    bool amount = false; ///< shown in the font of amounts
};
QList<Column> columnsOf(List list);

/// The rows of a list for one vehicle as read, with the `num` of each row. One query; a row is formatted
/// only when it is shown (cellsAt), so that a vehicle of many lines opens at the cost of the read.
struct ListRows {
    List list = List::Depenses;
    QList<qint64> nums;
    db::Rows rows;
    int size() const { return int(nums.size()); }
    /// The cells of row `i` (from 0) as the list shows them; empty beyond the last row.
    QStringList cellsAt(int i) const;
};
ListRows readList(const db::Database& db, List list, qint64 vehicle);
/// The `num` of a list's lines for one vehicle, in the list's order (read from the index alone where
/// one holds that order): the list opens with these and reads its lines as it shows them.
QList<qint64> readNums(const db::Database& db, List list, qint64 vehicle);
/// The cells of the lines `nums` of a list, in that order, as the list shows them (the position "N°"
/// of the expenses and receipts is the list's); a line no longer stored gives an empty row.
QList<QVariantList> readLines(const db::Database& db, List list, const QList<qint64>& nums);

/// The line of that number, or an empty row when it does not exist.
db::Row findLine(const db::Database& db, List list, qint64 num);
/// Deletes the line of that number. Throws db::Error on an engine failure, db::Conflict
/// ("Enregistrement introuvable") when another desk deleted it first.
void deleteLine(db::Database& db, List list, qint64 num);

// ---- entry panels ------------------------------------------------------------------------------------
// Each entry holds the panel's texts as typed. check() gives the refusal message or an empty text;
// fromLine() gives what the panel shows to change a line; save() writes and returns the line's number
// (0 when the line to change no longer exists). Given `loaded` (the line as the panel was filled from
// it), save() throws db::Conflict when another desk changed the line since, writing nothing.

struct ExpenseEntry {
    QString montant, date, objet, km;
    int mode = 0;
    int typeDep = 0;
};
struct ReceiptEntry {
    QString montant, date, objet;
    int mode = 0;
};
struct InsuranceEntry {
    QString agence, du, au;
};
struct ControlEntry {
    QString visite, suivante;
};
struct StickerEntry {
    QString date, montant;
};
struct AssignmentEntry {
    QString du, au, obs;
    qint64 chauffeur = -1; ///< num of the chosen driver, -1 when there is none
};

QString check(const ExpenseEntry& e);
QString check(const ReceiptEntry& e);
QString check(const InsuranceEntry& e);
QString check(const ControlEntry& e);
QString check(const StickerEntry& e);
QString check(const AssignmentEntry& e);

ExpenseEntry expenseFrom(const db::Row& line);
ReceiptEntry receiptFrom(const db::Row& line);
InsuranceEntry insuranceFrom(const db::Row& line);
ControlEntry controlFrom(const db::Row& line);
StickerEntry stickerFrom(const db::Row& line);
AssignmentEntry assignmentFrom(const db::Row& line);

/// The ledger line an expense or a receipt panel books for the vehicle (what save() writes).
ledger::Line lineOf(qint64 vehicle, const ExpenseEntry& e);
ledger::Line lineOf(qint64 vehicle, const ReceiptEntry& e);

qint64 save(Session& s, qint64 vehicle, qint64 num, const ExpenseEntry& e, const db::Row& loaded = {});
qint64 save(Session& s, qint64 vehicle, qint64 num, const ReceiptEntry& e, const db::Row& loaded = {});
qint64 save(Session& s, qint64 vehicle, qint64 num, const InsuranceEntry& e, const db::Row& loaded = {});
qint64 save(Session& s, qint64 vehicle, qint64 num, const ControlEntry& e, const db::Row& loaded = {});
qint64 save(Session& s, qint64 vehicle, qint64 num, const StickerEntry& e, const db::Row& loaded = {});
qint64 save(Session& s, qint64 vehicle, qint64 num, const AssignmentEntry& e, const db::Row& loaded = {});

/// An amount as a change panel shows it: "### ### ###.00".
QString shownAmount(double value);
/// A date typed in a panel that can be stored: exactly 10 characters forming a real day.
bool isStorableDate(const QString& text);

// ---- drivers -----------------------------------------------------------------------------------------

struct Driver {
    qint64 num = 0;
    QString name; ///< trimmed nom, a blank, trimmed Prenom
};
/// Every driver, archived ones included, by name.
QList<Driver> readDrivers(const db::Database& db);

// ---- oil change ----------------------------------------------------------------------------------------

struct OilChange {
    QString date, km, huile;
};
/// Writes the fields that qualify (a 10-character date, a non-empty mileage or oil) into the vehicle;
/// the others keep their stored value. False when the vehicle no longer exists.
bool saveOilChange(db::Database& db, qint64 vehicle, const OilChange& oil);

// ---- purchase voucher ----------------------------------------------------------------------------------

struct Signer {
    QString quality, name;
    bool operator==(const Signer&) const = default;
};
inline const QString kSignerFile = QStringLiteral("SignData.TXT");
/// The signer of the voucher from SignData.TXT; "Le Comptable" and no name when the file is missing.
Signer readSigner(const QString& path);
/// Rewrites SignData.TXT atomically: the quality and the name, each quoted on its own line.
bool writeSigner(const QString& path, const Signer& signer, QString* error);

struct Voucher {
    QString date, fournisseur, vehicule, produit, montant, agent, observation, qualite, nom, numero;
};
/// "Véhicule" of a new voucher: make, blank, model, " (", registration, ")".
QString voucherVehicle(const Header& h);
/// The template: one copy per page or two.
QString voucherTemplate(bool oneCopy);
/// The report texts ch1 to ch13 of a voucher, all trimmed (ch1 to ch3 the firm identity).
QMap<QString, QString> voucherTexts(const Session& s, const Voucher& v);

} // namespace kv::vehiclefile
