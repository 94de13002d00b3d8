#pragma once
// The activity report without its widgets: for one day or a period, the four journals - the vehicles'
// expenses by heading, the pays closed in the period with the advances on salary, the other expenses,
// the receipts - with their totals, and each vehicle's average expense per day (`moyenne`).
//
// Each journal is read with one query; the average of every vehicle is written with one statement. Every
// ledger line of the period falls in exactly one place: a vehicle expense (`contrepartie` 0 and a vehicle
// heading) in "Dép. véhicules", an advance on salary (`contrepartie` 1, `Type_Dep` 10) in the advances of
// "Salaires", every other expense in "Autres dépenses" (the cash book lists the same lines under that
// name), every receipt in "Recettes".
#include <QCache>
#include <QHash>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <array>
#include <functional>
#include <memory>
#include <optional>

namespace kv::db { class Database; }

namespace kv::journals {

// ---- the period --------------------------------------------------------------------------------------------

/// The day or the period of a report, as typed ("dd/mm/yyyy"), with its number of days and its heading.
struct Selection {
    QString from;
    QString to;
    int days = 1;
    QString heading; ///< "Journée du  01/03/2021" or "Période du  01/03/2021 au 31/03/2021"
    bool operator==(const Selection&) const = default;
};

/// What is wrong with the dates typed.
enum class DateFault { None, Incorrect, Inverted };
/// The message of a fault: "Date incorrecte", "Dates inversées" (critical, "ATTENTION").
QString faultMessage(DateFault fault);

/// One day: "Date incorrecte" unless the date is a real day written "dd/mm/yyyy".
std::optional<Selection> day(const QString& date, DateFault* fault = nullptr);
/// A period: "Date incorrecte" unless both dates are real days, "Dates inversées" when the second comes
/// before the first. A period of one day counts 1 day, as "Un Jour" does, under the period's heading.
std::optional<Selection> period(const QString& from, const QString& to, DateFault* fault = nullptr);

// ---- the journals ------------------------------------------------------------------------------------------

/// The six vehicle headings (`Type_Dep` 0 to 5) and their columns in "Dép. véhicules".
inline constexpr int kHeadings = 6;
inline const QStringList kHeadingCaptions = {QStringLiteral("Carbur."), QStringLiteral("Huile"),
                                             QStringLiteral("Pièces"),  QStringLiteral("Entret."),
                                             QStringLiteral("Pneus"),   QStringLiteral("Divers")};

/// A vehicle expense of the period.
struct VehicleLine {
    qint64 num = 0;
    QString date;      ///< dd/mm/yyyy
    qint64 vehicle = 0;
    QString matricule; ///< empty when the vehicle is no longer in the register
    QVariant ref;      ///< the object; null when never written
    int heading = 0;   ///< 0 to 5
    double montant = 0;
};

/// A pay closed in the period.
struct PayLine {
    qint64 num = 0;
    QString date;
    QString nom, prenom, fonction; ///< empty when the agent is no longer in the register
    int mois = 0;
    double taux = 0, jours = 0, brut = 0;
    double deductions = 0; ///< avances + Remb_prets + Autres_Retenues
    double net = 0;        ///< the pay's net as the pay screen stored it (after CNAS and IRG too)
};

/// An expense of "Autres dépenses" or a receipt of "Recettes".
struct MoneyLine {
    qint64 num = 0;
    QString date;
    bool found = false; ///< the person is in the register
    QString nom, prenom;
    double montant = 0;
    int mode = 0;
    QVariant ref;
};

/// The totals of a vehicle over the period, by heading.
struct VehicleTotals {
    qint64 vehicle = 0;
    QString matricule;
    std::array<double, kHeadings> byHeading{};
    double total = 0;
};

/// The lines of one journal of a report, in the journal's order. Their numbers are read with the report;
/// the lines themselves a page at a time, when a list or a print asks for them, and only the pages last
/// asked for are kept: the year of a large firm has a million lines, which a list shows a screenful at
/// a time. Copies share their pages.
template <typename Line> class Lines {
public:
    /// Reads the lines of these numbers, in any order.
    using Loader = std::function<QList<Line>(const QList<qint64>& nums)>;
    static constexpr qsizetype kPage = 256;
    static constexpr int kPagesKept = 32;

    Lines() = default;
    Lines(QList<qint64> keys, Loader load) : d_(std::make_shared<Shared>(std::move(keys), std::move(load))) {}

    qsizetype size() const { return d_ ? d_->keys.size() : 0; }
    bool isEmpty() const { return size() == 0; }
    /// The numbers of the lines, in their order.
    QList<qint64> keys() const { return d_ ? d_->keys : QList<qint64>(); }
    /// Line `i`; one that was deleted since the report was read comes back empty, with its number.
    /// Throws db::Error when its page cannot be read.
    Line operator[](qsizetype i) const
    {
        const qsizetype page = i / kPage;
        const QList<Line>* lines = d_->pages.object(page);
        if (!lines)
            lines = load(page);
        return lines->at(i - page * kPage);
    }

    class const_iterator {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = Line;
        using difference_type = qsizetype;
        using pointer = void;
        using reference = Line;
        const_iterator(const Lines* lines, qsizetype i) : lines_(lines), i_(i) {}
        Line operator*() const { return (*lines_)[i_]; }
        const_iterator& operator++() { ++i_; return *this; }
        bool operator==(const const_iterator& o) const { return i_ == o.i_; }
        bool operator!=(const const_iterator& o) const { return i_ != o.i_; }

    private:
        const Lines* lines_;
        qsizetype i_;
    };
    const_iterator begin() const { return {this, 0}; }
    const_iterator end() const { return {this, size()}; }

private:
    struct Shared {
        Shared(QList<qint64> k, Loader l) : keys(std::move(k)), load(std::move(l)) {}
        QList<qint64> keys;
        Loader load;
        QCache<qsizetype, QList<Line>> pages{kPagesKept};
    };
    const QList<Line>* load(qsizetype page) const
    {
        const QList<qint64> nums = d_->keys.mid(page * kPage, kPage);
        QHash<qint64, qsizetype> at;
        at.reserve(nums.size());
        for (qsizetype i = 0; i < nums.size(); ++i)
            at.insert(nums[i], i);
        auto* lines = new QList<Line>(nums.size());
        for (qsizetype i = 0; i < nums.size(); ++i)
            (*lines)[i].num = nums[i];
        for (const Line& l : d_->load(nums))
            if (const auto it = at.constFind(l.num); it != at.cend())
                (*lines)[*it] = l;
        d_->pages.insert(page, lines);
        return lines;
    }
    std::shared_ptr<Shared> d_;
};

struct Report {
    Selection selection;

    Lines<VehicleLine> vehicleLines;
    std::array<double, kHeadings> headingTotals{};
    double vehicleTotal = 0;

    QList<PayLine> pays;
    QVariant advances;     ///< sum of the period's advances on salary; null when there is none
    double payTotal = 0;   ///< the advances plus the nets of the pays

    Lines<MoneyLine> otherExpenses;
    double otherTotal = 0;

    Lines<MoneyLine> receipts;
    double receiptTotal = 0;
};

/// Reads the four journals of the selection: their totals and the numbers of their lines in one pass
/// over each, the lines of the pays. The other lines are read from `db` when they are asked for, so the
/// database must stay open while the report is shown. Throws db::Error.
Report read(const db::Database& db, const Selection& selection);

/// The expenses of each vehicle over the period by heading, in vehicle order (one grouped query).
QList<VehicleTotals> totalsByVehicle(const db::Database& db, const Selection& selection);

/// Writes every vehicle's `moyenne`: its expenses of the period (whatever they are booked against) divided
/// by the number of days; 0 for a vehicle without expense. One statement in one transaction.
void writeAverages(db::Database& db, const Selection& selection);

/// The report as the screen computes it: the averages written, then the journals read.
Report compute(db::Database& db, const Selection& selection);

// ---- cells as the journals show them -----------------------------------------------------------------------

/// Free text: one blank and the value; empty when the value is empty or null.
QString textCell(const QVariant& value);
/// A line number or a count: the number with the blank of its sign, then a blank (" 3 ").
QString numberCell(double value);
/// An amount "### ###" and a blank; empty unless `shown`.
QString amountCell(double value, const QString& pattern, bool shown);
/// "Espèces" for 0, "Chèque" for any other mode.
QString modeCell(int mode);
/// The person of a line: one blank, the surname, a blank and the first name; `unknown` when the person
/// is not in the register (" Divers Bénéficiaire", " Client Divers").
QString personCell(const MoneyLine& line, const QString& unknown);
inline const QString kUnknownBeneficiary = QStringLiteral(" Divers Bénéficiaire");
inline const QString kUnknownPayer = QStringLiteral(" Client Divers");

/// The totals as the journals show them.
QString vehicleTotalText(double total);  ///< "# ### ###", empty when 0
QString payTotalText(double total);      ///< "# ### ###", empty when 0
QString advancesText(const QVariant& advances); ///< "### ###", empty when there is none
QString otherTotalText(double total);    ///< "# ### ###", empty unless above 0
QString receiptTotalText(double total);  ///< "# ### ###", empty when 0

/// The label before the advances' amount.
inline const QString kAdvancesLabel = QStringLiteral("Avances sur salaire de la période --->");

// ---- the four journals as the screen shows them ------------------------------------------------------------

enum class Journal { Vehicles = 0, Pays = 1, Others = 2, Receipts = 3 };
inline constexpr int kJournals = 4;
/// The tab of a journal: "Dép. véhicules", "Salaires", "Autres dépenses", "Recettes".
QString tabCaption(Journal journal);
/// The column titles of a journal.
QStringList captions(Journal journal);
/// The columns of amounts and numbers (right-aligned) and of dates, numbers and modes (centred).
QList<int> rightColumns(Journal journal);
QList<int> centredColumns(Journal journal);
/// The free-text column that takes the spare width.
int textColumn(Journal journal);
/// The cells of every line of a journal, as shown.
QList<QStringList> cells(const Report& report, Journal journal);
/// The cells of line `i` of a journal (0 to lineCount() - 1), as shown: what a list asks for the lines
/// it shows.
QStringList rowCells(const Report& report, Journal journal, qsizetype i);
/// The exact amount behind an amount cell of line `i` (the cell shows it in whole units), null for any
/// other cell or an amount not shown: what an export of the list writes (1200.5 where "1 201" shows).
QVariant rowValue(const Report& report, Journal journal, qsizetype i, int column);

// ---- printing ----------------------------------------------------------------------------------------------

/// "JRNAL_1.RPT" to "JRNAL_4.RPT".
QString templateName(Journal journal);
/// The keys of a journal's lines, in their order, for the print buffer.
QStringList keys(const Report& report, Journal journal);
/// The number of lines of a journal; nothing is printed for a journal without lines.
int lineCount(const Report& report, Journal journal);
/// The texts of a journal's print: `ch4` the heading; for the pays `ch5` "Avances sur salaires --> " and
/// `ch6` "Total Général --> ", each followed by its amount as shown, read back as a number.
QMap<QString, QString> printTexts(const Report& report, Journal journal);

} // namespace kv::journals
