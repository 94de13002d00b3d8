// kavorel-bench: what the screens do on a stress year, each beside the same work done bare through the
// sqlite3 C API on the same file in the same run.
//
//   kavorel-bench --folder=PROGRAM_FOLDER [google benchmark options]
//
// The folder holds the year made by `kavorel-demo --stress`. Each benchmark is a pair, "<operation>/Kavorel"
// and "<operation>/Bare"; the table at the end puts them side by side. The peak resident memory of an
// operation is the process's VmHWM after it ran, the high-water mark having been brought down to the
// resident size just before (writing 5 to /proc/self/clear_refs): what the operation added on top of
// what the process already held shows as the peak, what it held before is counted too.
#include "core/about/MainPictures.h"
#include "core/formats/Names.h"
#include "core/schema/Schema.h"
#include "core/startup/Startup.h"
#include "core/state/Session.h"
#include "app/Form1.h"
#include "exercise/closing/Closing.h"
#include "fleet/duedates/DueDates.h"
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
#include <sqlite3.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>

#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <malloc.h>
#include <unistd.h>
#include <filesystem>
#include <algorithm>
#include <map>
#include <vector>

using namespace kv;

namespace {

// ---- the stress year ---------------------------------------------------------------------------------------

QString gFolder;
int gYear = 0;
qint64 gVehicle = 0; ///< the vehicle with the most lines
qint64 gClient = 0;  ///< the client with the most lines
QDate gDay;          ///< a day late in the year: its opening balance spans the whole year

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

Started& started()
{
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
    qint64 run(const char* sql, std::initializer_list<QByteArray> params = {}, double* sum = nullptr)
    {
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db, sql, -1, &st, nullptr) != SQLITE_OK) {
            std::fprintf(stderr, "bare: %s\n", sqlite3_errmsg(db));
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

QByteArray iso(const QDate& d) { return d.toString(Qt::ISODate).toUtf8(); }

// ---- cash book of a day ------------------------------------------------------------------------------------

void CashBook_Kavorel(benchmark::State& state)
{
    const db::Database& db = started().session.db();
    measured(state, [&](benchmark::State&) {
        const cashbook::CashDay day = cashbook::readCashDay(db, gDay, gYear);
        benchmark::DoNotOptimize(cashbook::summaryCells(day));
        benchmark::DoNotOptimize(cashbook::vehicleCells(day));
        benchmark::DoNotOptimize(cashbook::salaryCells(day));
        benchmark::DoNotOptimize(cashbook::otherCells(day));
        benchmark::DoNotOptimize(cashbook::receiptCells(day));
    });
}

void CashBook_Bare(benchmark::State& state)
{
    Bare bare(exerciseFile());
    const QByteArray day = iso(gDay);
    measured(state, [&](benchmark::State&) {
        // The day's four lists with their names (the day chooses the index), and the balance of every earlier day.
        bare.run("SELECT d.num, v.matricule, m.denom, d.ref, d.Montant FROM Depenses d LEFT JOIN Vehicules v ON v.num = d.num_vehicule "
                 "LEFT JOIN Modeles m ON m.num = v.num_Modele WHERE d.date = ? AND +d.contrepartie = 0 AND +d.Type_Dep < 6",
                 {day});
        bare.run("SELECT d.num, a.nom, a.Prenom, a.Fonction, d.Montant FROM Depenses d LEFT JOIN Agents a ON a.num = d.Num_Agent "
                 "WHERE d.date = ? AND +d.contrepartie = 1 AND +d.Type_Dep = 10",
                 {day});
        bare.run("SELECT s.num, a.nom, a.Prenom, a.Fonction, s.Net, s.MM FROM Salaires s LEFT JOIN Agents a ON a.num = s.num_agent "
                 "WHERE s.date = ?",
                 {day});
        bare.run("SELECT d.num, a.nom, a.Prenom, d.Montant, d.mode, d.ref FROM Depenses d LEFT JOIN Agents a ON a.num = d.Num_Agent "
                 "WHERE d.date = ? AND NOT (+d.contrepartie = 0 AND +d.Type_Dep < 6) AND NOT (+d.contrepartie = 1 AND +d.Type_Dep = 10)",
                 {day});
        bare.run("SELECT r.num, a.nom, a.Prenom, r.Montant, r.mode, r.ref FROM Recettes r LEFT JOIN Agents a ON a.num = r.Num_Agent "
                 "WHERE r.date = ?",
                 {day});
        // The same figure to the cent: each line rounded to the cent, as the cash book counts it.
        bare.run("SELECT (SELECT sum(CAST(round(round(Montant, 2) * 100) AS INTEGER)) FROM Recettes WHERE date < ?1) "
                 "- (SELECT sum(CAST(round(round(Montant, 2) * 100) AS INTEGER)) FROM Depenses WHERE date < ?1) "
                 "- (SELECT sum(CAST(round(round(Net, 2) * 100) AS INTEGER)) FROM Salaires WHERE date < ?1)",
                 {day});
    });
}

void CashBookScreen_Kavorel(benchmark::State& state)
{
    Session& s = started().session;
    measured(state, [&](benchmark::State&) {
        J_CAISSE screen(s, gDay);
        screen.show();
        QApplication::processEvents();
    });
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

void Journals_Bare(benchmark::State& state)
{
    Bare bare(exerciseFile());
    const QByteArray from = iso(QDate(gYear, 1, 1)), to = iso(QDate(gYear, 12, 31));
    measured(state, [&](benchmark::State&) {
        // The vehicles' averages, then every line of the four journals.
        bareAverages(bare);
        bare.run("SELECT d.num, d.date, d.num_vehicule, v.matricule, d.ref, d.Type_Dep, d.Montant FROM Depenses d "
                 "LEFT JOIN Vehicules v ON v.num = d.num_vehicule WHERE d.contrepartie = 0 AND d.Type_Dep < 6 "
                 "AND d.date >= ? AND d.date <= ? ORDER BY d.num_vehicule, d.date, d.num",
                 {from, to});
        bare.run("SELECT total(Montant) FROM Depenses WHERE contrepartie = 1 AND Type_Dep = 10 AND date >= ? AND date <= ?", {from, to});
        bare.run("SELECT s.num, s.date, s.MM, s.Taux_Jour, s.nbre_jours, s.BRUT, s.avances, s.Remb_prets, s.Autres_Retenues, s.Net, "
                 "a.nom, a.Prenom, a.Fonction FROM Salaires s LEFT JOIN Agents a ON a.num = s.num_agent "
                 "WHERE s.date >= ? AND s.date <= ? ORDER BY s.date, s.num",
                 {from, to});
        bare.run("SELECT x.num, x.date, x.Montant, x.mode, x.ref, a.nom, a.Prenom FROM Depenses x LEFT JOIN Agents a ON a.num = x.Num_Agent "
                 "WHERE NOT (x.contrepartie = 0 AND x.Type_Dep < 6) AND NOT (x.contrepartie = 1 AND x.Type_Dep = 10) "
                 "AND x.date >= ? AND x.date <= ? ORDER BY x.date, x.num",
                 {from, to});
        bare.run("SELECT x.num, x.date, x.Montant, x.mode, x.ref, a.nom, a.Prenom FROM Recettes x LEFT JOIN Agents a ON a.num = x.Num_Agent "
                 "WHERE x.date >= ? AND x.date <= ? ORDER BY x.date, x.num",
                 {from, to});
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

void VehicleFile_Bare(benchmark::State& state)
{
    Bare bare(exerciseFile());
    const QByteArray v = QByteArray::number(gVehicle);
    measured(state, [&](benchmark::State&) {
        bare.run("SELECT v.*, g.denom, m.denom, o.denom, c.denom FROM Vehicules v LEFT JOIN Genres g ON g.num = v.num_Genre "
                 "LEFT JOIN Marques m ON m.num = v.num_marque LEFT JOIN Modeles o ON o.num = v.num_Modele "
                 "LEFT JOIN Carburants c ON c.num = v.num_carburant WHERE v.num = ?",
                 {v});
        bare.run("SELECT num, date, Montant, mode, ref, Type_Dep, Km FROM Depenses WHERE num_vehicule = ? ORDER BY date, num", {v});
        bare.run("SELECT num, date, Montant, mode, ref FROM Recettes WHERE num_vehicule = ? ORDER BY date, num", {v});
        bare.run("SELECT * FROM Assurances WHERE num_vehicule = ?", {v});
        bare.run("SELECT * FROM Controles WHERE num_vehicule = ?", {v});
        bare.run("SELECT * FROM Vignettes WHERE num_vehicule = ?", {v});
        bare.run("SELECT f.*, a.nom, a.Prenom FROM Affectations f LEFT JOIN Agents a ON a.num = f.num_Chauffeur WHERE f.num_vehicule = ?", {v});
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

void PersonAccount_Bare(benchmark::State& state)
{
    Bare bare(exerciseFile());
    const QByteArray p = QByteArray::number(gClient);
    measured(state, [&](benchmark::State&) {
        bare.run("SELECT * FROM Agents WHERE num = ?", {p});
        bare.run("SELECT num, date, Montant, ref, mode FROM Depenses WHERE Num_Agent = ? AND contrepartie = 1 ORDER BY date, num", {p});
        bare.run("SELECT num, date, Montant, ref, mode FROM Recettes WHERE Num_Agent = ? AND contrepartie = 1 ORDER BY date, num", {p});
        bare.run("SELECT l.*, m.denom, o.denom, v.matricule FROM Locations l LEFT JOIN Vehicules v ON v.num = l.num_vehicule "
                 "LEFT JOIN Marques m ON m.num = v.num_marque LEFT JOIN Modeles o ON o.num = v.num_Modele WHERE l.Num_Client = ? "
                 "ORDER BY l.du",
                 {p});
    });
}

// ---- start-up ----------------------------------------------------------------------------------------------

void Startup_Kavorel(benchmark::State& state)
{
    measured(state, [&](benchmark::State&) {
        BenchUi ui;
        Session session(gFolder, ui);
        Startup(session).run();
        MainPictures pictures;
        NoDisplay display;
        ScreenOpeners openers;
        openers.notice = [&session] { return duedates::noticeText(session.db()); };
        Form1 window(session, pictures, display, openers);
        window.show();
        QApplication::processEvents();
    });
}

void Startup_Bare(benchmark::State& state)
{
    measured(state, [&](benchmark::State&) {
        Bare bare(exerciseFile());
        bare.run("SELECT count(*) FROM sqlite_master");
    });
}

/// Opening the file bare and checking every page of it, as the program's start does.
void StartupChecked_Bare(benchmark::State& state)
{
    measured(state, [&](benchmark::State&) {
        Bare bare(exerciseFile());
        // The schema names the program's text order; any order lets the engine read it.
        sqlite3_create_collation(bare.db, "FR_NOCASE", SQLITE_UTF8, nullptr,
                                 [](void*, int n1, const void* a, int n2, const void* b) {
                                     const int c = std::memcmp(a, b, size_t(std::min(n1, n2)));
                                     return c != 0 ? c : n1 - n2;
                                 });
        bare.run("PRAGMA quick_check");
    });
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

void Closing_Bare(benchmark::State& state)
{
    const QString target = QDir(QFileInfo(gFolder).absolutePath()).filePath(QStringLiteral("bare-copy.MDB"));
    measured(state, [&](benchmark::State&) {
        std::filesystem::copy_file(exerciseFile().toStdString(), target.toStdString(),
                                   std::filesystem::copy_options::overwrite_existing);
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

struct Figure {
    double seconds = 0;
    double peak = 0;
};

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
            figures_[name] = {r.GetAdjustedRealTime() / 1e3, peak == r.counters.end() ? 0 : double(peak->second)};
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
            {"Cash book of a day (lists, opening balance, summary)", "CashBook_Kavorel", "CashBook_Bare"},
            {"Cash book screen J_CAISSE shown", "CashBookScreen_Kavorel", "CashBook_Bare"},
            {"Activity report of the year (4 journals, totals, first screenful)", "Journals_Kavorel", "JournalsSame_Bare"},
            {"Activity report screen f_jrnl2, year computed", "JournalsScreen_Kavorel", "JournalsSame_Bare"},
            {"Activity report of the year, against reading every line bare", "Journals_Kavorel", "Journals_Bare"},
            {"Vehicle file Zoom_V shown (busiest vehicle)", "VehicleFile_Kavorel", "VehicleFile_Bare"},
            {"Client account Zoom_Cli shown (busiest client)", "PersonAccount_Kavorel", "PersonAccount_Bare"},
            {"Start-up to the main window shown", "Startup_Kavorel", "Startup_Bare"},
            {"Start-up, against opening and checking the file bare", "Startup_Kavorel", "StartupChecked_Bare"},
            {"Year closing, reset", "ClosingReset_Kavorel", "Closing_Bare"},
            {"Year closing, keep", "ClosingKeep_Kavorel", "Closing_Bare"},
            {"Year closing, keep, against the copy flushed to disk", "ClosingKeep_Kavorel", "ClosingFlushed_Bare"},
        };
        std::printf("\n| Operation | Kavorel | Baseline | Ratio | Peak RSS Kavorel | Peak RSS baseline |\n");
        std::printf("|---|---:|---:|---:|---:|---:|\n");
        for (const Row& row : rows) {
            const auto k = figures_.find(row.kavorel);
            const auto b = figures_.find(row.bare);
            if (k == figures_.end() || b == figures_.end())
                continue;
            std::printf("| %s | %.1f ms | %.1f ms | %.2f | %.0f MB | %.0f MB |\n", row.label, k->second.seconds * 1e3,
                        b->second.seconds * 1e3, b->second.seconds > 0 ? k->second.seconds / b->second.seconds : 0.0,
                        k->second.peak, b->second.peak);
        }
        std::fflush(stdout);
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
    add("CashBook_Kavorel", CashBook_Kavorel);
    add("CashBook_Bare", CashBook_Bare);
    add("CashBookScreen_Kavorel", CashBookScreen_Kavorel);
    add("Journals_Kavorel", Journals_Kavorel, 5);
    add("Journals_Bare", Journals_Bare, 5);
    add("JournalsSame_Bare", JournalsSame_Bare, 5);
    add("JournalsScreen_Kavorel", JournalsScreen_Kavorel, 3);
    add("VehicleFile_Kavorel", VehicleFile_Kavorel);
    add("VehicleFile_Bare", VehicleFile_Bare);
    add("PersonAccount_Kavorel", PersonAccount_Kavorel);
    add("PersonAccount_Bare", PersonAccount_Bare);
    add("Startup_Kavorel", Startup_Kavorel, 5);
    add("Startup_Bare", Startup_Bare);
    add("StartupChecked_Bare", StartupChecked_Bare, 5);
    add("ClosingReset_Kavorel", ClosingReset_Kavorel, 2);
    add("ClosingKeep_Kavorel", ClosingKeep_Kavorel, 2);
    add("Closing_Bare", Closing_Bare, 3);
    add("ClosingFlushed_Bare", ClosingFlushed_Bare, 3);
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Our own option first; the rest goes to Google Benchmark.
    std::vector<char*> args;
    for (int i = 0; i < argc; ++i) {
        const QByteArray a(argv[i]);
        if (a.startsWith("--folder="))
            gFolder = QString::fromLocal8Bit(a.mid(9));
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
        gDay = QDate::fromString(db.scalar(QStringLiteral("SELECT max(date) FROM Depenses")).toString(), Qt::ISODate);
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
        std::printf("exercise %d: %lld ledger lines; vehicle %lld with %lld lines, client %lld with %lld lines, day %s\n", gYear,
                    db.scalar(QStringLiteral("SELECT (SELECT count(*) FROM Depenses) + (SELECT count(*) FROM Recettes)")).toLongLong(),
                    static_cast<long long>(gVehicle), static_cast<long long>(vehicleLines), static_cast<long long>(gClient),
                    static_cast<long long>(clientLines), qPrintable(gDay.toString(Qt::ISODate)));
    }
    registerAll();
    int benchArgc = int(args.size());
    benchmark::Initialize(&benchArgc, args.data());
    TableReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
