// kavorel-bench: what the screens do on a stress year, each beside the same work done bare through the
// sqlite3 C API on the same file in the same run; with --server, the same year on a PostgreSQL server
// too, each operation beside bare libpq sending the statements the program sent.
//
//   kavorel-bench --folder=PROGRAM_FOLDER [--server="host=… port=… dbname=… user=…"] [google benchmark options]
//
// The folder holds the year made by `kavorel-demo --stress`. Each benchmark is a pair, "<operation>/Kavorel"
// and "<operation>/Bare"; the table at the end puts them side by side. The peak resident memory of an
// operation is the process's VmHWM after it ran, the high-water mark having been brought down to the
// resident size just before (writing 5 to /proc/self/clear_refs): what the operation added on top of
// what the process already held shows as the peak, what it held before is counted too.
//
// With --server (the year copied there by kavorel-migrate --to-server), the operations the server can do
// run a third and a fourth time: "<operation>_Server" on a desk pointed at the server (its own program
// folder, the local one's settings without the year file), and "<operation>_Libpq", the statements that
// work sent to the server (taken once through the engine's statement watch, with their parameters)
// sent again by bare libpq on a connection set up as the engine's, every value of every row read.
#include "core/about/MainPictures.h"
#include "core/connexion/ConnectionFile.h"
#include "platform/db/Backend.h"
#include "core/formats/Names.h"
#include "core/schema/Schema.h"
#include "core/startup/Startup.h"
#include "core/state/Session.h"
#include "app/Form1.h"
#include "exercise/closing/Closing.h"
#include "fleet/costs/F_CoutVehicules.h"
#include "fleet/costs/VehicleCosts.h"
#include "fleet/duedates/DueDates.h"
#include "fleet/duedates/F_Echeances.h"
#include "fleet/vehiclefile/VehicleFile.h"
#include "fleet/vehiclefile/Zoom_V.h"
#include "people/accounts/AccountScreen.h"
#include "people/accounts/PersonAccount.h"
#include "platform/os/Display.h"
#include "platform/ui/SilentUi.h"
#include "treasury/cashbook/CashDay.h"
#include "treasury/cashbook/J_CAISSE.h"
#include "treasury/journals/Journals.h"
#include "treasury/journals/f_jrnl2.h"

#include <benchmark/benchmark.h>
#include <libpq-fe.h>
#include <sqlite3.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <xcb/xcb.h>

#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <malloc.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <filesystem>
#include <algorithm>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <vector>

using namespace kv;

namespace {

// ---- the stress year ---------------------------------------------------------------------------------------

QString gFolder;
int gYear = 0;
qint64 gVehicle = 0; ///< the vehicle with the most lines
qint64 gClient = 0;  ///< the client with the most lines
std::map<QString, qint64> gDayLines; ///< the lines of each day the cash book is timed on, for the figures file

QString exerciseFile() { return QDir(gFolder).filePath(QStringLiteral("ZEB_%1.MDB").arg(gYear)); }

/// The benchmark's screens answer Yes to every question.
class BenchUi : public ui::SilentUi {
public:
    BenchUi() : SilentUi(true) {}
};

class NoDisplay : public os::Display {
public:
    QSize currentSize() const override { return {1280, 1024}; }
    void setSize(QSize) override {}
};

/// A session on the stress year, as the program has it once started.
struct Started {
    BenchUi ui;
    Session session;
    explicit Started(const QString& folder) : session(folder, ui) { Startup(session).run(); }
};

Started* gServerDesk = nullptr; ///< the desk on the server (--server), made in main
bool gOnServer = false;          ///< a benchmark of the server column is running

/// The session the running benchmark works on: the local year, or the same year on the server.
Started& started()
{
    if (gOnServer)
        return *gServerDesk;
    static Started s(gFolder);
    return s;
}

// ---- peak memory -------------------------------------------------------------------------------------------

void resetPeak()
{
    // What an earlier benchmark freed goes back to the system first, so that the mark starts from what
    // the process holds now.
    malloc_trim(0);
    if (FILE* f = std::fopen("/proc/self/clear_refs", "w")) {
        std::fputs("5", f);
        std::fclose(f);
    }
}

double peakMegabytes()
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    return 0;
}

/// Runs the benchmark loop and records the peak resident memory reached during it.
template <typename F> void measured(benchmark::State& state, F&& body)
{
    resetPeak();
    for (auto _ : state)
        body(state);
    state.counters["peak_MB"] = peakMegabytes();
}

// ---- bare sqlite3 ------------------------------------------------------------------------------------------

struct Bare {
    sqlite3* db = nullptr;
    explicit Bare(const QString& path, int flags = SQLITE_OPEN_READWRITE)
    {
        sqlite3_open_v2(path.toUtf8().constData(), &db, flags, nullptr);
    }
    ~Bare() { sqlite3_close_v2(db); }
    /// Runs a statement with text parameters, reading every column of every row; returns the rows.
    /// A statement the engine refuses ends the benchmark, unless `tolerant` (a replayed statement).
    qint64 run(const char* sql, std::initializer_list<QByteArray> params = {}, double* sum = nullptr, bool tolerant = false)
    {
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db, sql, -1, &st, nullptr) != SQLITE_OK) {
            std::fprintf(stderr, "bare: %s\n", sqlite3_errmsg(db));
            if (tolerant)
                return 0;
            std::abort();
        }
        int i = 1;
        for (const QByteArray& p : params)
            sqlite3_bind_text(st, i++, p.constData(), int(p.size()), SQLITE_TRANSIENT);
        qint64 rows = 0;
        const int n = sqlite3_column_count(st);
        while (sqlite3_step(st) == SQLITE_ROW) {
            ++rows;
            for (int c = 0; c < n; ++c) {
                if (sqlite3_column_type(st, c) == SQLITE_TEXT)
                    benchmark::DoNotOptimize(sqlite3_column_text(st, c));
                else if (sum)
                    *sum += sqlite3_column_double(st, c);
                else
                    benchmark::DoNotOptimize(sqlite3_column_double(st, c));
            }
        }
        sqlite3_finalize(st);
        return rows;
    }
};

/// Declares the program's text order on a bare connection (defined with the replayed statements).
void declareCollation(Bare& bare);

QByteArray iso(const QDate& d) { return d.toString(Qt::ISODate).toUtf8(); }

// ---- cash book of a day ------------------------------------------------------------------------------------

/// The two days of the cash book: the first working day of the year (its opening balance sums one day)
/// and the last (its opening balance sums the whole year). Flat in the year's size means both cost the same.
QDate gFirstDay, gLastDay;

/// A line's amount in cents as the cash book shows it, computed bare: the amount times 100, rounded, which
/// is exact for an amount typed in cents (every amount of the made-up years); `inexact` counts the others
/// (main() checks the bare figures against the program's: a year with such amounts shows DIFFERENT).
inline qint64 bareCents(double amount, qint64& inexact)
{
    const double x = amount * 100;
    const qint64 c = std::llround(x);
    if (std::fabs(x - double(c)) >= 1e-6)
        ++inexact;
    return c;
}

/// What the cash book of a day shows, computed bare: the day's lines with their texts, the totals of the
/// four lists and the opening balance, in cents.
struct BareCashDay {
    qint64 opening = 0, receipts = 0, vehicles = 0, salaries = 0, others = 0;
    qint64 lines = 0, inexact = 0;
};

/// The cash book of `day` bare, the cheapest exact way: the day's expenses in one pass over the index by
/// date (each line sorted into its list by the same rule as the program's), the day's pays and receipts,
/// each with the names a list shows; the opening balance from the same totals kept by day
/// (`Caisse_Jours`) that the program reads, as one sum of integers.
BareCashDay bareCashDay(Bare& bare, const QByteArray& day)
{
    BareCashDay c;
    const auto each = [&](const char* sql, auto&& row) {
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(bare.db, sql, -1, &st, nullptr);
        sqlite3_bind_text(st, 1, day.constData(), int(day.size()), SQLITE_TRANSIENT);
        while (sqlite3_step(st) == SQLITE_ROW) {
            ++c.lines;
            row(st);
        }
        sqlite3_finalize(st);
    };
    const auto text = [](sqlite3_stmt* st, int col) { benchmark::DoNotOptimize(sqlite3_column_text(st, col)); };
    // Columns: num, contrepartie, Type_Dep, amount, ref, mode, registration, model, surname, first name, function.
    each("SELECT d.num, d.contrepartie, d.Type_Dep, d.Montant, d.ref, d.mode, v.matricule, m.denom, a.nom, a.Prenom, a.Fonction "
         "FROM Depenses d LEFT JOIN Vehicules v ON v.num = d.num_vehicule LEFT JOIN Modeles m ON m.num = v.num_Modele "
         "LEFT JOIN Agents a ON a.num = d.Num_Agent WHERE d.date = ?1 ORDER BY d.num",
         [&](sqlite3_stmt* st) {
             const bool known = sqlite3_column_type(st, 1) != SQLITE_NULL, typed = sqlite3_column_type(st, 2) != SQLITE_NULL;
             const double counterpart = sqlite3_column_double(st, 1), heading = sqlite3_column_double(st, 2);
             const qint64 cents = bareCents(sqlite3_column_double(st, 3), c.inexact);
             text(st, 4);
             if (known && counterpart == 0 && typed && heading < 6) { // a vehicle expense
                 c.vehicles += cents;
                 text(st, 6);
                 text(st, 7);
             } else if (known && counterpart == 1 && typed && heading == 10) { // an advance on salary
                 c.salaries += cents;
                 text(st, 8);
                 text(st, 9);
                 text(st, 10);
             } else { // every other expense
                 c.others += cents;
                 benchmark::DoNotOptimize(sqlite3_column_int(st, 5));
                 text(st, 8);
                 text(st, 9);
             }
         });
    each("SELECT s.num, s.Net, s.MM, a.nom, a.Prenom, a.Fonction FROM Salaires s LEFT JOIN Agents a ON a.num = s.num_agent "
         "WHERE s.date = ?1 ORDER BY s.num",
         [&](sqlite3_stmt* st) {
             c.salaries += bareCents(sqlite3_column_double(st, 1), c.inexact);
             benchmark::DoNotOptimize(sqlite3_column_int(st, 2));
             text(st, 3);
             text(st, 4);
             text(st, 5);
         });
    each("SELECT r.num, r.Montant, r.mode, r.ref, a.nom, a.Prenom FROM Recettes r LEFT JOIN Agents a ON a.num = r.Num_Agent "
         "WHERE r.date = ?1 ORDER BY r.num",
         [&](sqlite3_stmt* st) {
             c.receipts += bareCents(sqlite3_column_double(st, 1), c.inexact);
             benchmark::DoNotOptimize(sqlite3_column_int(st, 2));
             text(st, 3);
             text(st, 4);
             text(st, 5);
         });
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(bare.db, "SELECT sum(recettes - vehicules - salaires - autres + report) FROM Caisse_Jours WHERE date < ?1", -1,
                       &st, nullptr);
    sqlite3_bind_text(st, 1, day.constData(), int(day.size()), SQLITE_TRANSIENT);
    if (sqlite3_step(st) == SQLITE_ROW)
        c.opening = sqlite3_column_int64(st, 0);
    sqlite3_finalize(st);
    return c;
}

void CashBook_Kavorel(benchmark::State& state, const QDate& day)
{
    const db::Database& db = started().session.db();
    measured(state, [&](benchmark::State&) {
        // What the screen has before it shows: the day read, the summary's cells and the totals under the
        // lists. A list formats its lines when its tab shows them (the screen's benchmark).
        const cashbook::CashDay c = cashbook::readCashDay(db, day, gYear);
        benchmark::DoNotOptimize(cashbook::summaryCells(c));
        const cashbook::Sums t = c.totals();
        for (cashbook::Cents total : {t.vehicles, t.salaries, t.others, t.receipts})
            benchmark::DoNotOptimize(cashbook::listTotal(total));
    });
}

/// The opening balance alone ("Report de la veille"): what must not grow with the year.
void CashOpening_Kavorel(benchmark::State& state, const QDate& day)
{
    const db::Database& db = started().session.db();
    measured(state, [&](benchmark::State&) { benchmark::DoNotOptimize(cashbook::openingBalance(db, day)); });
}

void CashBook_Bare(benchmark::State& state, const QDate& day)
{
    Bare bare(exerciseFile());
    const QByteArray d = iso(day);
    measured(state, [&](benchmark::State&) { benchmark::DoNotOptimize(bareCashDay(bare, d)); });
}

void CashBookScreen_Kavorel(benchmark::State& state, const QDate& day)
{
    Session& s = started().session;
    measured(state, [&](benchmark::State&) {
        J_CAISSE screen(s, day);
        screen.show();
        QApplication::processEvents();
    });
}

/// Checks that the bare cash book gives the program's figures of `day` to the cent; prints both.
void checkCashDay(const db::Database& db, const QDate& day, const QString& figuresKey)
{
    Bare bare(exerciseFile());
    const BareCashDay b = bareCashDay(bare, iso(day));
    const cashbook::CashDay p = cashbook::readCashDay(db, day, gYear);
    const cashbook::Sums t = p.totals();
    const bool same = b.opening == p.opening && b.receipts == t.receipts && b.vehicles == t.vehicles && b.salaries == t.salaries &&
                      b.others == t.others;
    std::printf("cash book of %s: %lld lines; opening %lld, receipts %lld, vehicles %lld, salaries %lld, others %lld cents: "
                "bare %s\n",
                qPrintable(day.toString(Qt::ISODate)), static_cast<long long>(b.lines), static_cast<long long>(p.opening),
                static_cast<long long>(t.receipts), static_cast<long long>(t.vehicles), static_cast<long long>(t.salaries),
                static_cast<long long>(t.others), same ? "the same" : "DIFFERENT");
    gDayLines[figuresKey] = b.lines;
}

// ---- activity report of the year -------------------------------------------------------------------------

/// The lines a list shows at once.
constexpr int kScreenful = 40;

journals::Selection yearSelection()
{
    return *journals::period(QStringLiteral("01/01/%1").arg(gYear), QStringLiteral("31/12/%1").arg(gYear));
}

/// The vehicles' averages of the year, written bare as the report writes them.
void bareAverages(Bare& bare)
{
    const QByteArray from = iso(QDate(gYear, 1, 1)), to = iso(QDate(gYear, 12, 31));
    const QByteArray days = QByteArray::number(QDate(gYear, 1, 1).daysTo(QDate(gYear, 12, 31)) + 1);
    bare.run("BEGIN");
    bare.run("UPDATE Vehicules SET moyenne = coalesce((SELECT sum(d.Montant) FROM Depenses d WHERE d.num_vehicule = Vehicules.num "
             "AND d.date >= ?1 AND d.date <= ?2), 0) / ?3",
             {from, to, days});
    bare.run("COMMIT");
}

void Journals_Kavorel(benchmark::State& state)
{
    db::Database& db = started().session.db();
    const journals::Selection year = yearSelection();
    measured(state, [&](benchmark::State&) {
        // The report, its totals, and the first screenful of each list, as a list asks for it.
        const journals::Report report = journals::compute(db, year);
        for (int j = 0; j < journals::kJournals; ++j)
            for (int i = 0; i < std::min(kScreenful, journals::lineCount(report, journals::Journal(j))); ++i)
                benchmark::DoNotOptimize(journals::rowCells(report, journals::Journal(j), i));
        benchmark::DoNotOptimize(report.vehicleTotal + report.receiptTotal);
    });
}

/// The same work bare, through the same statements: the averages, the totals and the numbers of every
/// journal's lines in its order (one pass each), the pays, and the first screenful of lines of each list,
/// read by their numbers.
void JournalsSame_Bare(benchmark::State& state)
{
    Bare bare(exerciseFile());
    const QByteArray from = iso(QDate(gYear, 1, 1)), to = iso(QDate(gYear, 12, 31));
    // The numbers of a journal's lines in order, with the total of the column after them.
    const auto keys = [&](const char* sql, std::vector<qint64>& nums, double& total) {
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(bare.db, sql, -1, &st, nullptr);
        sqlite3_bind_text(st, 1, from.constData(), int(from.size()), SQLITE_TRANSIENT);
        sqlite3_bind_text(st, 2, to.constData(), int(to.size()), SQLITE_TRANSIENT);
        nums.clear();
        while (sqlite3_step(st) == SQLITE_ROW) {
            nums.push_back(sqlite3_column_int64(st, 0));
            total += sqlite3_column_double(st, sqlite3_column_count(st) - 1);
        }
        sqlite3_finalize(st);
    };
    const auto firstScreenful = [&](const QByteArray& select, const std::vector<qint64>& nums) {
        QByteArray in;
        for (size_t i = 0; i < std::min<size_t>(nums.size(), kScreenful); ++i)
            in += (i ? "," : "") + QByteArray::number(nums[i]);
        bare.run((select + " WHERE x.num IN (" + in + ")").constData());
    };
    measured(state, [&](benchmark::State&) {
        bareAverages(bare);
        std::vector<qint64> nums;
        double total = 0;
        keys("SELECT d.num, d.Type_Dep, d.Montant FROM Depenses d INDEXED BY Depenses_vehicule WHERE +d.contrepartie IS 0 "
             "AND +d.Type_Dep IS NOT NULL AND +d.Type_Dep < 6 AND d.date >= ? AND d.date <= ? ORDER BY d.num_vehicule, d.date, d.num",
             nums, total);
        firstScreenful("SELECT x.num, x.date, x.num_vehicule, v.matricule, x.ref, x.Type_Dep, x.Montant FROM Depenses x "
                       "LEFT JOIN Vehicules v ON v.num = x.num_vehicule",
                       nums);
        bare.run("SELECT total(Montant) FROM Depenses WHERE contrepartie IS 1 AND Type_Dep IS 10 AND date >= ? AND date <= ?", {from, to});
        bare.run("SELECT s.num, s.date, s.MM, s.Taux_Jour, s.nbre_jours, s.BRUT, s.avances, s.Remb_prets, s.Autres_Retenues, s.Net, "
                 "a.nom, a.Prenom, a.Fonction FROM Salaires s LEFT JOIN Agents a ON a.num = s.num_agent "
                 "WHERE s.date IS NOT NULL AND s.date >= ? AND s.date <= ? ORDER BY s.date, s.num",
                 {from, to});
        const QByteArray money = "SELECT x.num, x.date, x.Montant, x.mode, x.ref, a.num, a.nom, a.Prenom FROM %1 x "
                                 "LEFT JOIN Agents a ON a.num = x.Num_Agent";
        keys("SELECT x.num, x.Montant FROM Depenses x WHERE NOT (x.contrepartie IS 0 AND x.Type_Dep IS NOT NULL AND x.Type_Dep < 6) "
             "AND NOT (x.contrepartie IS 1 AND x.Type_Dep IS 10) AND x.date >= ? AND x.date <= ? ORDER BY x.date, x.num",
             nums, total);
        firstScreenful(QByteArray(money).replace("%1", "Depenses"), nums);
        keys("SELECT x.num, x.Montant FROM Recettes x WHERE 1 AND x.date >= ? AND x.date <= ? ORDER BY x.date, x.num", nums, total);
        firstScreenful(QByteArray(money).replace("%1", "Recettes"), nums);
        benchmark::DoNotOptimize(total);
    });
}

void JournalsScreen_Kavorel(benchmark::State& state)
{
    Session& s = started().session;
    measured(state, [&](benchmark::State&) {
        f_jrnl2 screen(s);
        screen.show();
        screen.fromField()->setText(QStringLiteral("01/01/%1").arg(gYear));
        screen.toField()->setText(QStringLiteral("31/12/%1").arg(gYear));
        screen.computePeriod();
        QApplication::processEvents();
    });
}

// ---- a vehicle file and a person account ------------------------------------------------------------------

void VehicleFile_Kavorel(benchmark::State& state)
{
    Session& s = started().session;
    s.vehicule_courant = gVehicle;
    measured(state, [&](benchmark::State&) {
        Zoom_V screen(s);
        screen.show();
        QApplication::processEvents();
    });
}

/// The figures the vehicle file shows, bare: the vehicle with its reference names, the drivers a new
/// assignment chooses from, and its six lists in the screen's order (each over its index by vehicle).
void VehicleFile_Bare(benchmark::State& state)
{
    Bare bare(exerciseFile());
    declareCollation(bare);
    const QByteArray v = QByteArray::number(gVehicle);
    measured(state, [&](benchmark::State&) {
        bare.run("SELECT v.*, g.denom, m.denom, o.denom, c.denom FROM Vehicules v LEFT JOIN Genres g ON g.num = v.num_Genre "
                 "LEFT JOIN Marques m ON m.num = v.num_marque LEFT JOIN Modeles o ON o.num = v.num_Modele "
                 "LEFT JOIN Carburants c ON c.num = v.num_carburant WHERE v.num = ?",
                 {v});
        bare.run("SELECT num, nom, Prenom FROM Agents WHERE Type_Ag = 1 ORDER BY nom, Prenom");
        bare.run("SELECT num, date, ref, Montant, Type_Dep, Km FROM Depenses WHERE num_vehicule = ? ORDER BY date, num", {v});
        bare.run("SELECT num, date, ref, Montant, mode FROM Recettes WHERE num_vehicule = ? ORDER BY date, num", {v});
        bare.run("SELECT num, agence, du, au FROM Assurances WHERE num_vehicule = ? ORDER BY du, num", {v});
        bare.run("SELECT num, Date1, Date2 FROM Controles WHERE num_vehicule = ? ORDER BY Date1, num", {v});
        bare.run("SELECT num, Date, montant FROM Vignettes WHERE num_vehicule = ? ORDER BY Date, num", {v});
        bare.run("SELECT f.num, f.du, f.au, f.obs, a.num, a.nom, a.Prenom FROM Affectations f LEFT JOIN Agents a ON a.num = f.num_Chauffeur "
                 "WHERE f.num_vehicule = ? ORDER BY f.du, f.num",
                 {v});
    });
}

void PersonAccount_Kavorel(benchmark::State& state)
{
    Session& s = started().session;
    s.num_courant = gClient;
    measured(state, [&](benchmark::State&) {
        Zoom_Cli screen(s);
        screen.show();
        QApplication::processEvents();
    });
}

/// The figures the account shows, bare: the person, the account's lines of both books in date order,
/// and the person's rentals with the vehicle of each.
void PersonAccount_Bare(benchmark::State& state)
{
    Bare bare(exerciseFile());
    declareCollation(bare);
    const QByteArray p = QByteArray::number(gClient);
    measured(state, [&](benchmark::State&) {
        bare.run("SELECT * FROM Agents WHERE num = ?", {p});
        bare.run("SELECT num, date, Montant, ref, mode FROM Depenses WHERE Num_Agent = ? AND contrepartie = 1 ORDER BY date, num", {p});
        bare.run("SELECT num, date, Montant, ref, mode FROM Recettes WHERE Num_Agent = ? AND contrepartie = 1 ORDER BY date, num", {p});
        bare.run("SELECT l.num, l.num_vehicule, l.du, l.au, l.Nb, l.montant, l.flag_regl, l.obs, l.flag_forfait, l.montant_forfait, "
                 "m.denom, o.denom, v.matricule FROM Locations l LEFT JOIN Vehicules v ON v.num = l.num_vehicule "
                 "LEFT JOIN Marques m ON m.num = v.num_marque LEFT JOIN Modeles o ON o.num = v.num_Modele WHERE l.Num_Client = ? "
                 "ORDER BY l.du, l.num",
                 {p});
    });
}

// ---- the statements a screen runs, replayed bare ------------------------------------------------------

/// The read-only statements run on `db` while `work` runs, with their parameters written in.
QList<QByteArray> capturedQueries(const db::Database& db, const std::function<void()>& work)
{
    static QList<QByteArray>* sink = nullptr;
    QList<QByteArray> out;
    sink = &out;
    sqlite3_trace_v2(db.handle(), SQLITE_TRACE_STMT,
                     [](unsigned, void*, void* p, void*) -> int {
                         auto* st = static_cast<sqlite3_stmt*>(p);
                         if (sink && sqlite3_stmt_readonly(st)) {
                             char* sql = sqlite3_expanded_sql(st);
                             const QByteArray text(sql ? sql : "");
                             sqlite3_free(sql);
                             // The page checks are the start-up's own, not a query of the window.
                             if (!text.startsWith("--") && !text.contains("_check") && !text.trimmed().isEmpty())
                                 sink->append(text);
                         }
                         return 0;
                     },
                     nullptr);
    work();
    sqlite3_trace_v2(db.handle(), 0, nullptr, nullptr);
    sink = nullptr;
    return out;
}

/// Runs captured statements bare, reading every column of every row.
void replay(Bare& bare, const QList<QByteArray>& queries)
{
    for (const QByteArray& q : queries)
        bare.run(q.constData(), {}, nullptr, true);
}

/// Opens the file bare with the program's text order declared (any order lets the engine read it).
void declareCollation(Bare& bare)
{
    sqlite3_create_collation(bare.db, "FR_NOCASE", SQLITE_UTF8, nullptr, [](void*, int n1, const void* a, int n2, const void* b) {
        const int c = std::memcmp(a, b, size_t(std::min(n1, n2)));
        return c != 0 ? c : n1 - n2;
    });
}

// ---- "Coût par véhicule" -----------------------------------------------------------------------------------

void CostScreen_Kavorel(benchmark::State& state)
{
    Session& s = started().session;
    measured(state, [&](benchmark::State&) {
        F_CoutVehicules screen(s);
        screen.show();
        QApplication::processEvents();
    });
}

void Costs_Kavorel(benchmark::State& state)
{
    const db::Database& db = started().session.db();
    measured(state, [&](benchmark::State&) {
        benchmark::DoNotOptimize(costs::compute(db, QDate(gYear, 1, 1), QDate(gYear, 12, 31)));
    });
}

/// The figures of the year computed bare, the cheapest exact way, from the same totals kept by vehicle,
/// month and heading (`Couts_Mois`) that the program reads: one pass over the year's months (integers in
/// cents, summed in plain arrays by vehicle and heading and by month and heading, the lowest and highest
/// mileage by vehicle), then the register with the names it shows. The year is whole months: neither side
/// reads the ledger itself.
struct BareCosts {
    qint64 expenses = 0, receipts = 0; ///< cents, of the fleet
    double km = 0;                     ///< the vehicles' kilometres, summed
    qint64 vehicles = 0;               ///< the rows shown
};

BareCosts bareCosts(Bare& bare, const QByteArray& fromMonth, const QByteArray& toMonth)
{
    struct Vehicle {
        qint64 byHeading[6] = {};
        qint64 receipts = 0;
        double kmMin = 0, kmMax = 0;
        bool km = false, any = false;
    };
    std::map<qint64, Vehicle> vehicles;
    qint64 months[12][6] = {};
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(bare.db, "SELECT num_vehicule, mois, rubrique, montant, km_min, km_max FROM Couts_Mois WHERE mois >= ?1 AND mois <= ?2",
                       -1, &st, nullptr);
    sqlite3_bind_text(st, 1, fromMonth.constData(), int(fromMonth.size()), SQLITE_TRANSIENT);
    sqlite3_bind_text(st, 2, toMonth.constData(), int(toMonth.size()), SQLITE_TRANSIENT);
    while (sqlite3_step(st) == SQLITE_ROW) {
        Vehicle& v = vehicles[sqlite3_column_int64(st, 0)];
        const char* month = reinterpret_cast<const char*>(sqlite3_column_text(st, 1));
        const int h = sqlite3_column_int(st, 2);
        const qint64 amount = sqlite3_column_int64(st, 3);
        if (h == 6) {
            v.receipts += amount;
            v.any = v.any || amount != 0;
            continue;
        }
        v.byHeading[h] += amount;
        v.any = v.any || amount != 0;
        months[(month[5] - '0') * 10 + (month[6] - '0') - 1][h] += amount;
        if (sqlite3_column_type(st, 4) != SQLITE_NULL) {
            const double lo = sqlite3_column_double(st, 4), hi = sqlite3_column_double(st, 5);
            v.kmMin = v.km ? std::min(v.kmMin, lo) : lo;
            v.kmMax = v.km ? std::max(v.kmMax, hi) : hi;
            v.km = v.any = true;
        }
    }
    sqlite3_finalize(st);
    benchmark::DoNotOptimize(months);
    BareCosts c;
    sqlite3_prepare_v2(bare.db,
                       "SELECT v.num, v.matricule, ma.denom, mo.denom, v.flag_Arch FROM Vehicules v LEFT JOIN Marques ma ON ma.num = v.num_marque "
                       "LEFT JOIN Modeles mo ON mo.num = v.num_Modele ORDER BY v.ordre, v.num",
                       -1, &st, nullptr);
    while (sqlite3_step(st) == SQLITE_ROW) {
        const auto it = vehicles.find(sqlite3_column_int64(st, 0));
        const bool figures = it != vehicles.end() && it->second.any;
        if (sqlite3_column_int(st, 4) == 1 && !figures)
            continue;
        ++c.vehicles;
        benchmark::DoNotOptimize(sqlite3_column_text(st, 1));
        benchmark::DoNotOptimize(sqlite3_column_text(st, 2));
        benchmark::DoNotOptimize(sqlite3_column_text(st, 3));
        if (figures)
            it->second.any = false; // listed
        if (it == vehicles.end())
            continue;
        const Vehicle& v = it->second;
        for (qint64 h : v.byHeading)
            c.expenses += h;
        c.receipts += v.receipts;
        if (it->first != 0 && v.km)
            c.km += v.kmMax - v.kmMin;
    }
    sqlite3_finalize(st);
    // The figures of no vehicle of the register: lines on no vehicle and deleted vehicles.
    for (const auto& [num, v] : vehicles) {
        if (!v.any)
            continue;
        ++c.vehicles;
        for (qint64 h : v.byHeading)
            c.expenses += h;
        c.receipts += v.receipts;
        if (num != 0 && v.km)
            c.km += v.kmMax - v.kmMin;
    }
    return c;
}

void Costs_Bare(benchmark::State& state)
{
    Bare bare(exerciseFile());
    const QByteArray from = QByteArray::number(gYear) + "-01", to = QByteArray::number(gYear) + "-12";
    measured(state, [&](benchmark::State&) { benchmark::DoNotOptimize(bareCosts(bare, from, to)); });
}

/// Checks that the bare figures of the year are the program's; prints both.
void checkCosts(const db::Database& db)
{
    Bare bare(exerciseFile());
    const BareCosts b = bareCosts(bare, QByteArray::number(gYear) + "-01", QByteArray::number(gYear) + "-12");
    const costs::CostReport p = costs::compute(db, QDate(gYear, 1, 1), QDate(gYear, 12, 31));
    const bool same = std::llround(p.fleet.expenses * 100) == b.expenses && std::llround(p.fleet.receipts * 100) == b.receipts &&
                      std::fabs(p.fleet.km - b.km) < 0.5 && p.vehicles.size() == b.vehicles;
    std::printf("costs of the year: %lld rows, expenses %.2f, receipts %.2f, %.0f km: bare %s\n", static_cast<long long>(p.vehicles.size()),
                p.fleet.expenses, p.fleet.receipts, p.fleet.km, same ? "the same" : "DIFFERENT");
}

// ---- "Échéances" ---------------------------------------------------------------------------------------------

QList<QByteArray> gDueQueries; ///< the statements the screen runs, captured once

void DueDatesScreen_Kavorel(benchmark::State& state)
{
    Session& s = started().session;
    measured(state, [&](benchmark::State&) {
        F_Echeances screen(s);
        screen.show();
        QApplication::processEvents();
    });
}

/// The figures of the list: the due lines of the default horizon, most urgent first, with the texts a
/// line shows.
void DueDates_Kavorel(benchmark::State& state)
{
    const db::Database& db = started().session.db();
    const QDate today = QDate::currentDate();
    measured(state, [&](benchmark::State&) {
        const QList<duedates::Item> items = duedates::dueItems(db, today);
        for (const duedates::Item& i : items) {
            benchmark::DoNotOptimize(duedates::urgencyText(i));
            benchmark::DoNotOptimize(duedates::kindText(i.kind));
        }
    });
}

/// The screen's own statements, run bare: they are the list's figures (one grouped statement per kind
/// over the register and the three records, the highest mileage by vehicle), with nothing around them.
void DueDates_Bare(benchmark::State& state)
{
    Bare bare(exerciseFile());
    declareCollation(bare);
    measured(state, [&](benchmark::State&) { replay(bare, gDueQueries); });
}

// ---- start-up ----------------------------------------------------------------------------------------------

QString gProgramDir;              ///< the folder of the built program (kavorel)
QString gSelf;                    ///< this executable
QString gStartupQueries;          ///< a file holding the main window's statements, one per line

/// A scratch copy of the program folder with the stress year in it, made outside the timing: the
/// program starts on it as a firm's copy of the program would, and is stopped without its exit.
struct ProgramCopy {
    QTemporaryDir dir;
    explicit ProgramCopy(const QString& root) : dir(root + QStringLiteral("/startup-XXXXXX"))
    {
        for (const QString& from : {gProgramDir, gFolder}) {
            const QDir d(from);
            for (const QString& name : d.entryList(QDir::Files | QDir::Hidden)) {
                if (name.startsWith(QStringLiteral("ZEB_")) && name != QStringLiteral("ZEB_00.mdb") &&
                    name.compare(QStringLiteral("ZEB_%1.MDB").arg(gYear), Qt::CaseInsensitive) != 0)
                    continue;
                if (name.startsWith(QStringLiteral("kavorel-")) || name.endsWith(QStringLiteral(".log")))
                    continue;
                const std::string target = QDir(dir.path()).filePath(name).toStdString();
                std::filesystem::copy_file(d.filePath(name).toStdString(), target, std::filesystem::copy_options::overwrite_existing);
            }
        }
    }
};

/// A child process, its start and end, and its peak resident memory.
struct Child {
    pid_t pid = -1;
    std::chrono::steady_clock::time_point start;

    void spawn(const QStringList& args, const QList<QByteArray>& env = {})
    {
        start = std::chrono::steady_clock::now();
        pid = fork();
        if (pid == 0) {
            for (const QByteArray& e : env)
                putenv(strdup(e.constData()));
            std::vector<QByteArray> bytes;
            for (const QString& a : args)
                bytes.push_back(QFile::encodeName(a));
            std::vector<char*> argv;
            for (QByteArray& b : bytes)
                argv.push_back(b.data());
            argv.push_back(nullptr);
            execv(argv[0], argv.data());
            _exit(127);
        }
    }
    double seconds() const { return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(); }
    /// Waits for its end (after a kill when `kill`); its peak resident memory, MB.
    double finish(bool kill)
    {
        if (kill)
            ::kill(pid, SIGKILL);
        int status = 0;
        rusage usage{};
        wait4(pid, &status, 0, &usage);
        return usage.ru_maxrss / 1024.0;
    }
};

/// Waits until a top-level window at least `minWidth` wide is mapped on the display; false after `timeout`.
bool waitForMainWindow(xcb_connection_t* c, int minWidth, double timeout, const Child& child)
{
    const int fd = xcb_get_file_descriptor(c);
    while (child.seconds() < timeout) {
        while (xcb_generic_event_t* e = xcb_poll_for_event(c)) {
            const bool mapped = (e->response_type & 0x7f) == XCB_MAP_NOTIFY;
            xcb_window_t w = mapped ? reinterpret_cast<xcb_map_notify_event_t*>(e)->window : 0;
            const bool override = mapped && reinterpret_cast<xcb_map_notify_event_t*>(e)->override_redirect;
            std::free(e);
            if (!mapped || override)
                continue;
            if (xcb_get_geometry_reply_t* g = xcb_get_geometry_reply(c, xcb_get_geometry(c, w), nullptr)) {
                const bool big = g->width >= minWidth;
                std::free(g);
                if (big)
                    return true;
            }
        }
        pollfd p{fd, POLLIN, 0};
        poll(&p, 1, 5);
    }
    return false;
}

/// The real program, from its start to its main window mapped on the display (run under xvfb-run).
void Startup_Kavorel(benchmark::State& state)
{
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (!c || xcb_connection_has_error(c)) {
        state.SkipWithError("no display: run under xvfb-run (scripts/bench.sh does)");
        return;
    }
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(c, screen->root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(c);
    const QString root = QFileInfo(gFolder).absolutePath();
    double peak = 0;
    for (auto _ : state) {
        auto copy = std::make_unique<ProgramCopy>(root);
        Child child;
        child.spawn({QDir(copy->dir.path()).filePath(QStringLiteral("kavorel"))},
                    {"QT_QPA_PLATFORM=xcb", "KV_BENCH_CHILD=1"});
        const bool shown = waitForMainWindow(c, 600, 120, child);
        const double seconds = child.seconds();
        peak = std::max(peak, child.finish(true));
        state.SetIterationTime(seconds);
        if (!shown) {
            state.SkipWithError("the main window never showed");
            break;
        }
    }
    state.counters["peak_MB"] = peak;
    xcb_disconnect(c);
}

/// A bare process that opens the file and runs the main window's statements, from its start to its end.
void Startup_Bare(benchmark::State& state)
{
    double peak = 0;
    for (auto _ : state) {
        Child child;
        child.spawn({gSelf, QStringLiteral("--bare-startup=") + exerciseFile(), QStringLiteral("--queries=") + gStartupQueries});
        const double rss = child.finish(false);
        state.SetIterationTime(child.seconds());
        peak = std::max(peak, rss);
    }
    state.counters["peak_MB"] = peak;
}

/// The bare start-up's process: opens the file, runs the statements, ends.
int bareStartup(const QString& file, const QString& queries)
{
    Bare bare(file);
    declareCollation(bare);
    QFile f(queries);
    if (!f.open(QIODevice::ReadOnly))
        return 1;
    for (const QByteArray& q : f.readAll().split('\0'))
        if (!q.trimmed().isEmpty())
            bare.run(q.constData(), {}, nullptr, true);
    return 0;
}

// ---- closing the year --------------------------------------------------------------------------------------

/// A scratch program folder holding a copy of the stress year, made outside the timing.
struct Scratch {
    QTemporaryDir dir;
    explicit Scratch(const QString& root) : dir(root + QStringLiteral("/closing-XXXXXX"))
    {
        const QDir from(gFolder);
        for (const QString& name : from.entryList(QDir::Files | QDir::Hidden))
            if (!name.startsWith(QStringLiteral("ZEB_")) || name == QStringLiteral("ZEB_00.mdb") ||
                name == QStringLiteral("ZEB_%1.MDB").arg(gYear))
                std::filesystem::copy_file(from.filePath(name).toStdString(), QDir(dir.path()).filePath(name).toStdString());
    }
};

void closing(benchmark::State& state, exercise::ClosingOption option)
{
    const QString root = QFileInfo(gFolder).absolutePath();
    measured(state, [&](benchmark::State& st) {
        st.PauseTiming();
        auto scratch = std::make_unique<Scratch>(root);
        auto s = std::make_unique<Started>(scratch->dir.path());
        st.ResumeTiming();
        if (exercise::closeExercise(s->session, option) != exercise::Outcome::Done)
            st.SkipWithError(qPrintable(s->ui.messages.join(u' ')));
        st.PauseTiming();
        s.reset();
        scratch.reset();
        st.ResumeTiming();
    });
}

void ClosingReset_Kavorel(benchmark::State& state) { closing(state, exercise::ClosingOption::Reset); }
void ClosingKeep_Kavorel(benchmark::State& state) { closing(state, exercise::ClosingOption::Keep); }

/// The reset closing's new year built bare: a new file (no journal while it is filled, as the program's
/// work file) holding the year's schema, every standing table copied (the three books and the totals kept
/// from them left empty), the indexes and triggers built on them, then flushed to the disk. The program
/// also checks the new file and carries the balance into it.
void ClosingResetSame_Bare(benchmark::State& state)
{
    const QString target = QDir(QFileInfo(gFolder).absolutePath()).filePath(QStringLiteral("bare-reset.MDB"));
    const QByteArray source = exerciseFile().toUtf8();
    measured(state, [&](benchmark::State&) {
        QFile::remove(target);
        {
            Bare bare(target, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
            declareCollation(bare);
            bare.run("PRAGMA journal_mode = OFF");
            bare.run("PRAGMA synchronous = OFF");
            bare.run("ATTACH DATABASE ? AS src", {source});
            struct Object {
                QByteArray type, name, sql;
            };
            std::vector<Object> objects;
            sqlite3_stmt* st = nullptr;
            sqlite3_prepare_v2(bare.db, "SELECT type, name, sql FROM src.sqlite_master WHERE sql IS NOT NULL AND name NOT LIKE 'sqlite_%' ORDER BY rowid",
                               -1, &st, nullptr);
            while (sqlite3_step(st) == SQLITE_ROW)
                objects.push_back({reinterpret_cast<const char*>(sqlite3_column_text(st, 0)),
                                   reinterpret_cast<const char*>(sqlite3_column_text(st, 1)),
                                   reinterpret_cast<const char*>(sqlite3_column_text(st, 2))});
            sqlite3_finalize(st);
            static const QList<QByteArray> emptied = {"salaires", "recettes", "depenses", "caisse_jours", "couts_mois"};
            bare.run("BEGIN");
            for (const Object& o : objects)
                if (o.type == "table")
                    bare.run(o.sql.constData());
            for (const Object& o : objects)
                if (o.type == "table" && !emptied.contains(o.name.toLower()))
                    bare.run(("INSERT INTO main.\"" + o.name + "\" SELECT * FROM src.\"" + o.name + "\"").constData());
            for (const Object& o : objects)
                if (o.type != "table")
                    bare.run(o.sql.constData());
            bare.run("COMMIT");
            bare.run("DETACH DATABASE src");
        }
        const int fd = ::open(QFile::encodeName(target).constData(), O_RDONLY);
        ::fsync(fd);
        ::close(fd);
    });
    QFile::remove(target);
}

/// The copy, then flushed to the disk as the closing flushes the new year before putting it in place.
void ClosingFlushed_Bare(benchmark::State& state)
{
    const QString target = QDir(QFileInfo(gFolder).absolutePath()).filePath(QStringLiteral("bare-copy.MDB"));
    measured(state, [&](benchmark::State&) {
        std::filesystem::copy_file(exerciseFile().toStdString(), target.toStdString(),
                                   std::filesystem::copy_options::overwrite_existing);
        const int fd = ::open(QFile::encodeName(target).constData(), O_RDONLY);
        ::fsync(fd);
        ::close(fd);
    });
    QFile::remove(target);
}

// ---- the table ---------------------------------------------------------------------------------------------

bool gPrintQueries = false; ///< --print-queries: prints the statements of each screen first
QString gFigures; ///< --figures=FILE: each benchmark's milliseconds and peak, one per line

struct Figure {
    double seconds = 0;
    double peak = 0;
    double cpu = 0; ///< the process's own CPU seconds (a child process's are not counted)
};

// ---- the same year on a PostgreSQL server (--server) -------------------------------------------------------

db::ServerSettings gServer;   ///< --server: where kavorel-migrate --to-server put the year
QString gServerConninfo;

/// One statement as the server engine sent it.
struct SentStatement {
    QByteArray sql;
    std::vector<std::optional<QByteArray>> params;
};

/// The reads the server engine sends while `work` runs, as sent.
std::vector<SentStatement> capturedOnServer(const std::function<void()>& work)
{
    std::vector<SentStatement> out;
    db::detail::pgStatementWatch = [&out](const QByteArray& sql, const std::vector<const char*>& values) {
        const QByteArray head = sql.trimmed().left(6).toUpper();
        if (!head.startsWith("SELECT") && !head.startsWith("WITH"))
            return;
        SentStatement st{sql, {}};
        for (const char* v : values)
            st.params.push_back(v ? std::optional<QByteArray>(QByteArray(v)) : std::nullopt);
        out.push_back(std::move(st));
    };
    work();
    db::detail::pgStatementWatch = nullptr;
    return out;
}

/// A bare libpq connection on the year's schema, set up as the engine sets up its own.
struct BarePg {
    PGconn* conn = nullptr;
    BarePg()
    {
        conn = PQconnectdb(gServerConninfo.toUtf8().constData());
        if (PQstatus(conn) != CONNECTION_OK) {
            std::fprintf(stderr, "bare libpq: %s\n", PQerrorMessage(conn));
            std::abort();
        }
        PQsetNoticeProcessor(conn, [](void*, const char*) {}, nullptr);
        const QByteArray setup = QStringLiteral("SET DateStyle = ISO; SET extra_float_digits = 1; SET search_path = \"%1\", kavorel")
                                     .arg(db::exerciseSchema(gYear))
                                     .toUtf8();
        PQclear(PQexec(conn, setup.constData()));
    }
    ~BarePg() { PQfinish(conn); }
    /// Runs the statements as sent, every value of every row read.
    void replay(const std::vector<SentStatement>& statements)
    {
        for (const SentStatement& st : statements) {
            std::vector<const char*> values;
            for (const auto& p : st.params)
                values.push_back(p ? p->constData() : nullptr);
            PGresult* res = PQexecParams(conn, st.sql.constData(), int(values.size()), nullptr, values.data(), nullptr, nullptr, 0);
            static std::set<QByteArray> warned;
            if (PQresultStatus(res) != PGRES_TUPLES_OK && warned.insert(st.sql).second)
                // Refused as the program's was (the same statement): timed as the program's is.
                std::fprintf(stderr, "bare libpq, a statement the server refuses: %s", PQresultErrorMessage(res));
            const int rows = PQntuples(res), columns = PQnfields(res);
            for (int r = 0; r < rows; ++r)
                for (int c = 0; c < columns; ++c)
                    benchmark::DoNotOptimize(PQgetvalue(res, r, c));
            PQclear(res);
        }
    }
};

/// A program folder for the desk on the server: the local folder's settings without its year files,
/// pointed at the server by its choice file.
QString serverDeskFolder()
{
    static QTemporaryDir dir;
    static const QRegularExpression yearFile(QStringLiteral("^ZEB_\\d{4}\\.MDB$"), QRegularExpression::CaseInsensitiveOption);
    const QDir from(gFolder);
    for (const QFileInfo& f : from.entryInfoList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot))
        if (!yearFile.match(f.fileName()).hasMatch())
            QFile::copy(f.filePath(), QDir(dir.path()).filePath(f.fileName()));
    QString error;
    if (!connexion::writeChoice(QDir(dir.path()).filePath(connexion::kChoiceFileName), {true, gServer}, &error)) {
        std::fprintf(stderr, "server desk: %s\n", qPrintable(error));
        std::abort();
    }
    return dir.path();
}

/// An operation of the table done on the server: the program's work on the desk on the server
/// ("<operation>_Server"), and the statements that work sent, replayed bare through libpq
/// ("<operation>_Libpq"): the same statements, the same rows read, nothing around them.
struct ServerOperation {
    const char* name; ///< "CashBookJan2": the table's row is the one of "CashBookJan2_Kavorel"
    std::function<void()> work;
};

template <typename Screen, typename... Args> void showScreen(Args&&... args)
{
    Screen screen(started().session, std::forward<Args>(args)...);
    screen.show();
    QApplication::processEvents();
}

void cashBookFigures(const QDate& day)
{
    const cashbook::CashDay c = cashbook::readCashDay(started().session.db(), day, gYear);
    benchmark::DoNotOptimize(cashbook::summaryCells(c));
    const cashbook::Sums t = c.totals();
    for (cashbook::Cents total : {t.vehicles, t.salaries, t.others, t.receipts})
        benchmark::DoNotOptimize(cashbook::listTotal(total));
}

std::vector<ServerOperation> serverOperations()
{
    return {
        {"CashBookJan2", [] { cashBookFigures(gFirstDay); }},
        {"CashBookDec31", [] { cashBookFigures(gLastDay); }},
        {"CashBookScreenJan2", [] { showScreen<J_CAISSE>(gFirstDay); }},
        {"CashBookScreenDec31", [] { showScreen<J_CAISSE>(gLastDay); }},
        {"Costs", [] { benchmark::DoNotOptimize(costs::compute(started().session.db(), QDate(gYear, 1, 1), QDate(gYear, 12, 31))); }},
        {"CostScreen", [] { showScreen<F_CoutVehicules>(); }},
        {"DueDates",
         [] {
             for (const duedates::Item& i : duedates::dueItems(started().session.db(), QDate::currentDate())) {
                 benchmark::DoNotOptimize(duedates::urgencyText(i));
                 benchmark::DoNotOptimize(duedates::kindText(i.kind));
             }
         }},
        {"DueDatesScreen", [] { showScreen<F_Echeances>(); }},
        {"VehicleFile",
         [] {
             started().session.vehicule_courant = gVehicle;
             showScreen<Zoom_V>();
         }},
        {"PersonAccount",
         [] {
             started().session.num_courant = gClient;
             showScreen<Zoom_Cli>();
         }},
    };
}

void registerServer()
{
    for (const ServerOperation& op : serverOperations()) {
        const std::string name = op.name;
        // What the program sends, taken once outside the timing. An operation the server refuses is
        // reported and left out of the column.
        auto sent = std::make_shared<std::vector<SentStatement>>();
        gOnServer = true;
        try {
            *sent = capturedOnServer(op.work);
        } catch (const db::Error& e) {
            db::detail::pgStatementWatch = nullptr;
            gOnServer = false;
            std::printf("on the server, %s fails: %s\n", op.name, qPrintable(e.message().replace(QLatin1Char('\n'), QLatin1Char(' '))));
            continue;
        }
        gOnServer = false;
        benchmark::RegisterBenchmark((name + "_Server").c_str(), [work = op.work](benchmark::State& state) {
            gOnServer = true;
            measured(state, [&](benchmark::State&) { work(); });
            gOnServer = false;
        })->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0);
        if (gPrintQueries) {
            std::printf("%s on the server sends %lld statements:\n", op.name, static_cast<long long>(sent->size()));
            for (const SentStatement& st : *sent)
                std::printf("  %s\n", st.sql.left(400).constData());
        }
        benchmark::RegisterBenchmark((name + "_Libpq").c_str(), [sent](benchmark::State& state) {
            BarePg bare;
            measured(state, [&](benchmark::State&) { bare.replay(*sent); });
        })->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0);
    }
}

class TableReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& r : runs) {
            if (r.error_occurred || r.run_type != Run::RT_Iteration)
                continue;
            const std::string name = r.run_name.function_name;
            const auto peak = r.counters.find("peak_MB");
            figures_[name] = {r.GetAdjustedRealTime() / 1e3, peak == r.counters.end() ? 0 : double(peak->second),
                              r.GetAdjustedCPUTime() / 1e3};
            order_.push_back(name);
        }
    }
    void Finalize() override
    {
        ConsoleReporter::Finalize();
        struct Row {
            const char* label;
            const char* kavorel;
            const char* bare;
        };
        const Row rows[] = {
            {"Cash book of 2 January (lists, opening balance, summary)", "CashBookJan2_Kavorel", "CashBookJan2_Bare"},
            {"Cash book of 31 December (lists, opening balance, summary)", "CashBookDec31_Kavorel", "CashBookDec31_Bare"},
            {"Cash book screen J_CAISSE shown, 2 January", "CashBookScreenJan2_Kavorel", "CashBookJan2_Bare"},
            {"Cash book screen J_CAISSE shown, 31 December", "CashBookScreenDec31_Kavorel", "CashBookDec31_Bare"},
            {"Coût par véhicule, figures of the year", "Costs_Kavorel", "Costs_Bare"},
            {"Coût par véhicule screen F_CoutVehicules shown", "CostScreen_Kavorel", "Costs_Bare"},
            {"Échéances, the list's figures", "DueDates_Kavorel", "DueDates_Bare"},
            {"Échéances screen F_Echeances shown", "DueDatesScreen_Kavorel", "DueDates_Bare"},
            {"Activity report of the year (4 journals, totals, first screenful)", "Journals_Kavorel", "JournalsSame_Bare"},
            {"Activity report screen f_jrnl2, year computed", "JournalsScreen_Kavorel", "JournalsSame_Bare"},
            {"Vehicle file Zoom_V shown (busiest vehicle)", "VehicleFile_Kavorel", "VehicleFile_Bare"},
            {"Client account Zoom_Cli shown (busiest client)", "PersonAccount_Kavorel", "PersonAccount_Bare"},
            {"Start-up: the program to its main window mapped (xvfb)", "Startup_Kavorel", "Startup_Bare"},
            {"Year closing, reset (the new year built bare, flushed)", "ClosingReset_Kavorel", "ClosingResetSame_Bare"},
            {"Year closing, keep, against the copy flushed to disk", "ClosingKeep_Kavorel", "ClosingFlushed_Bare"},
        };
        // With a server (--server): the same operation on the server beside bare libpq sending the same
        // statements, and their ratio.
        const bool server = gServerDesk != nullptr;
        std::printf("\n| Operation | Kavorel | Baseline | Ratio | CPU Kavorel | CPU baseline | CPU ratio | Peak RSS Kavorel | Peak RSS baseline |%s\n",
                    server ? " PostgreSQL: Kavorel | bare libpq | Ratio |" : "");
        std::printf("|---|---:|---:|---:|---:|---:|---:|---:|---:|%s\n", server ? "---:|---:|---:|" : "");
        for (const Row& row : rows) {
            const auto k = figures_.find(row.kavorel);
            const auto b = figures_.find(row.bare);
            if (k == figures_.end() || b == figures_.end())
                continue;
            // A process timed from outside (the start-up) has no CPU time of its own here.
            const bool cpu = std::strncmp(row.kavorel, "Startup", 7) != 0;
            const QByteArray cpuCells = cpu ? QStringLiteral("%1 ms | %2 ms | %3").arg(k->second.cpu * 1e3, 0, 'f', 1).arg(b->second.cpu * 1e3, 0, 'f', 1)
                                                  .arg(b->second.cpu > 0 ? k->second.cpu / b->second.cpu : 0.0, 0, 'f', 2).toUtf8()
                                            : QByteArray("– | – | –");
            QByteArray serverCells;
            if (server) {
                const std::string op = std::string(row.kavorel).substr(0, std::string(row.kavorel).rfind('_'));
                const auto ks = figures_.find(op + "_Server");
                const auto bs = figures_.find(op + "_Libpq");
                serverCells = ks != figures_.end() && bs != figures_.end()
                                  ? QStringLiteral(" %1 ms | %2 ms | %3 |")
                                        .arg(ks->second.seconds * 1e3, 0, 'f', 1)
                                        .arg(bs->second.seconds * 1e3, 0, 'f', 1)
                                        .arg(bs->second.seconds > 0 ? ks->second.seconds / bs->second.seconds : 0.0, 0, 'f', 2)
                                        .toUtf8()
                                  : QByteArray(" – | – | – |");
            }
            std::printf("| %s | %.1f ms | %.1f ms | %.2f | %s | %.0f MB | %.0f MB |%s\n", row.label, k->second.seconds * 1e3,
                        b->second.seconds * 1e3, b->second.seconds > 0 ? k->second.seconds / b->second.seconds : 0.0, cpuCells.constData(),
                        k->second.peak, b->second.peak, serverCells.constData());
        }
        std::fflush(stdout);
        if (!gFigures.isEmpty()) {
            QFile out(gFigures);
            if (out.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
                for (const auto& [key, lines] : gDayLines)
                    out.write(QStringLiteral("%1 %2 0 0\n").arg(key).arg(lines).toUtf8());
                for (const auto& [name, f] : figures_)
                    out.write(QStringLiteral("%1 %2 %3 %4\n")
                                  .arg(QString::fromStdString(name))
                                  .arg(f.seconds * 1e3, 0, 'f', 2)
                                  .arg(f.peak, 0, 'f', 0)
                                  .arg(f.cpu * 1e3, 0, 'f', 2)
                                  .toUtf8());
            }
        }
    }

private:
    std::map<std::string, Figure> figures_;
    std::vector<std::string> order_;
};

void registerAll()
{
    auto add = [](const char* name, void (*fn)(benchmark::State&), int iterations = 0) {
        auto* b = benchmark::RegisterBenchmark(name, fn)->Unit(benchmark::kMillisecond)->UseRealTime();
        if (iterations)
            b->Iterations(iterations);
        else
            b->MinTime(1.0);
    };
    const auto addDay = [](const char* name, void (*fn)(benchmark::State&, const QDate&), const QDate& day) {
        benchmark::RegisterBenchmark(name, fn, day)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0);
    };
    addDay("CashBookJan2_Kavorel", CashBook_Kavorel, gFirstDay);
    addDay("CashBookJan2_Bare", CashBook_Bare, gFirstDay);
    addDay("CashBookDec31_Kavorel", CashBook_Kavorel, gLastDay);
    addDay("CashBookDec31_Bare", CashBook_Bare, gLastDay);
    addDay("CashOpeningJan2_Kavorel", CashOpening_Kavorel, gFirstDay);
    addDay("CashOpeningDec31_Kavorel", CashOpening_Kavorel, gLastDay);
    addDay("CashBookScreenJan2_Kavorel", CashBookScreen_Kavorel, gFirstDay);
    addDay("CashBookScreenDec31_Kavorel", CashBookScreen_Kavorel, gLastDay);
    add("Costs_Kavorel", Costs_Kavorel);
    add("Costs_Bare", Costs_Bare);
    add("CostScreen_Kavorel", CostScreen_Kavorel);
    add("DueDates_Kavorel", DueDates_Kavorel);
    add("DueDatesScreen_Kavorel", DueDatesScreen_Kavorel);
    add("DueDates_Bare", DueDates_Bare);
    add("Journals_Kavorel", Journals_Kavorel, 5);
    add("JournalsSame_Bare", JournalsSame_Bare, 5);
    add("JournalsScreen_Kavorel", JournalsScreen_Kavorel, 3);
    add("VehicleFile_Kavorel", VehicleFile_Kavorel);
    add("VehicleFile_Bare", VehicleFile_Bare);
    add("PersonAccount_Kavorel", PersonAccount_Kavorel);
    add("PersonAccount_Bare", PersonAccount_Bare);
    benchmark::RegisterBenchmark("Startup_Kavorel", Startup_Kavorel)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);
    benchmark::RegisterBenchmark("Startup_Bare", Startup_Bare)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(10);
    add("ClosingReset_Kavorel", ClosingReset_Kavorel, 2);
    add("ClosingKeep_Kavorel", ClosingKeep_Kavorel, 2);
    add("ClosingResetSame_Bare", ClosingResetSame_Bare, 3);
    add("ClosingFlushed_Bare", ClosingFlushed_Bare, 3);
}

} // namespace

int main(int argc, char** argv)
{
    // The bare start-up's own process: no Qt, no benchmark.
    if (argc == 3 && std::strncmp(argv[1], "--bare-startup=", 15) == 0 && std::strncmp(argv[2], "--queries=", 10) == 0)
        return bareStartup(QString::fromLocal8Bit(argv[1] + 15), QString::fromLocal8Bit(argv[2] + 10));
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Our own option first; the rest goes to Google Benchmark.
    std::vector<char*> args;
    for (int i = 0; i < argc; ++i) {
        const QByteArray a(argv[i]);
        if (a.startsWith("--folder="))
            gFolder = QString::fromLocal8Bit(a.mid(9));
        else if (a.startsWith("--figures="))
            gFigures = QString::fromLocal8Bit(a.mid(10));
        else if (a == "--print-queries")
            gPrintQueries = true;
        else if (a.startsWith("--server="))
            gServerConninfo = QString::fromLocal8Bit(a.mid(9));
        else if (a.startsWith("--program="))
            gProgramDir = QString::fromLocal8Bit(a.mid(10));
        else
            args.push_back(argv[i]);
    }
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    if (gFolder.isEmpty()) {
        std::fprintf(stderr, "usage: kavorel-bench --folder=PROGRAM_FOLDER [benchmark options]\n");
        return 2;
    }
    gFolder = QDir(gFolder).absolutePath();
    dayMonthNames();
    {
        // The year, the busiest vehicle and client, and the day: read once from the file itself.
        Started& s = started();
        gYear = s.session.exerciceOuvert;
        const db::Database& db = s.session.db();
        gVehicle = db.scalar(QStringLiteral("SELECT num_vehicule FROM Depenses WHERE num_vehicule IS NOT NULL GROUP BY num_vehicule ORDER BY count(*) DESC LIMIT 1")).toLongLong();
        gClient = db.scalar(QStringLiteral("SELECT Num_Agent FROM Recettes WHERE contrepartie = 1 AND Num_Agent IS NOT NULL GROUP BY Num_Agent ORDER BY count(*) DESC LIMIT 1"))
                      .toLongLong();
        gFirstDay = QDate(gYear, 1, 2);
        gLastDay = QDate(gYear, 12, 31);
        const qint64 vehicleLines =
            db.scalar(QStringLiteral("SELECT (SELECT count(*) FROM Depenses WHERE num_vehicule = ?1) + "
                                     "(SELECT count(*) FROM Recettes WHERE num_vehicule = ?1)"),
                      {gVehicle})
                .toLongLong();
        const qint64 clientLines =
            db.scalar(QStringLiteral("SELECT (SELECT count(*) FROM Depenses WHERE Num_Agent = ?1 AND contrepartie = 1) + "
                                     "(SELECT count(*) FROM Recettes WHERE Num_Agent = ?1 AND contrepartie = 1)"),
                      {gClient})
                .toLongLong();
        std::printf("exercise %d: %lld ledger lines; vehicle %lld with %lld lines, client %lld with %lld lines\n", gYear,
                    db.scalar(QStringLiteral("SELECT (SELECT count(*) FROM Depenses) + (SELECT count(*) FROM Recettes)")).toLongLong(),
                    static_cast<long long>(gVehicle), static_cast<long long>(vehicleLines), static_cast<long long>(gClient),
                    static_cast<long long>(clientLines));
        // The bare figures are the program's, to the cent.
        checkCashDay(db, gFirstDay, QStringLiteral("Lines_Jan2"));
        checkCashDay(db, gLastDay, QStringLiteral("Lines_Dec31"));
        checkCosts(db);
        std::printf("due dates within %d days: %lld lines\n", duedates::kDefaultHorizon,
                    static_cast<long long>(duedates::dueItems(db, QDate::currentDate()).size()));
        // The statements of the due-date screen and of the main window, for their bare baselines.
        gDueQueries = capturedQueries(db, [&] {
            F_Echeances screen(s.session);
            screen.show();
            QApplication::processEvents();
        });
        // --print-queries: what each screen reads, to hold its baseline to the same figures.
        if (gPrintQueries) {
            const auto print = [](const char* screen, const QList<QByteArray>& queries) {
                std::printf("%s runs %lld statements:\n", screen, static_cast<long long>(queries.size()));
                for (const QByteArray& q : queries)
                    std::printf("  %s\n", q.left(400).constData());
            };
            print("F_Echeances", gDueQueries);
            s.session.vehicule_courant = gVehicle;
            print("Zoom_V", capturedQueries(db, [&] {
                      Zoom_V screen(s.session);
                      screen.show();
                      QApplication::processEvents();
                  }));
            s.session.num_courant = gClient;
            print("Zoom_Cli", capturedQueries(db, [&] {
                      Zoom_Cli screen(s.session);
                      screen.show();
                      QApplication::processEvents();
                  }));
            print("J_CAISSE", capturedQueries(db, [&] {
                      J_CAISSE screen(s.session, gLastDay);
                      screen.show();
                      QApplication::processEvents();
                  }));
            print("F_CoutVehicules", capturedQueries(db, [&] {
                      F_CoutVehicules screen(s.session);
                      screen.show();
                      QApplication::processEvents();
                  }));
        }
    }
    {
        BenchUi ui;
        Session session(gFolder, ui);
        Startup(session).run();
        const QList<QByteArray> queries = capturedQueries(session.db(), [&] {
            MainPictures pictures;
            NoDisplay display;
            ScreenOpeners openers;
            openers.notice = [&session] { return duedates::noticeText(session.db()); };
            Form1 window(session, pictures, display, openers);
            window.show();
            QApplication::processEvents();
        });
        gStartupQueries = QDir(QFileInfo(gFolder).absolutePath()).filePath(QStringLiteral("startup-queries.sql"));
        QFile out(gStartupQueries);
        if (out.open(QIODevice::WriteOnly | QIODevice::Truncate))
            for (const QByteArray& q : queries)
                out.write(q + '\0');
        std::printf("the main window runs %lld statements\n", static_cast<long long>(queries.size()));
    }
    gSelf = QCoreApplication::applicationFilePath();
    if (gProgramDir.isEmpty())
        gProgramDir = QDir(QFileInfo(gSelf).absolutePath()).filePath(QStringLiteral("../Kavorel"));
    gProgramDir = QDir(gProgramDir).absolutePath();
    registerAll();
    if (!gServerConninfo.isEmpty()) {
        // The same year on the server (kavorel-migrate --to-server): a desk pointed at it.
        char* error = nullptr;
        PQconninfoOption* options = PQconninfoParse(gServerConninfo.toUtf8().constData(), &error);
        if (!options) {
            std::fprintf(stderr, "--server: %s\n", error ? error : "?");
            return 2;
        }
        for (PQconninfoOption* o = options; o->keyword; ++o) {
            if (!o->val)
                continue;
            const QByteArray key(o->keyword);
            const QString value = QString::fromUtf8(o->val);
            if (key == "host" || key == "hostaddr")
                gServer.host = value;
            else if (key == "port")
                gServer.port = value.toInt();
            else if (key == "dbname")
                gServer.database = value;
            else if (key == "user")
                gServer.user = value;
            else if (key == "password")
                gServer.password = value;
        }
        PQconninfoFree(options);
        static std::unique_ptr<Started> desk;
        try {
            desk = std::make_unique<Started>(serverDeskFolder());
        } catch (const ProgramEnd&) {
        }
        if (!desk || !desk->session.server || desk->session.exerciceOuvert != gYear) {
            std::fprintf(stderr, "--server: the desk on the server did not open the year %d\n", gYear);
            return 2;
        }
        gServerDesk = desk.get();
        registerServer();
    }
    int benchArgc = int(args.size());
    benchmark::Initialize(&benchArgc, args.data());
    TableReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
