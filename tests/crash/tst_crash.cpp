// The crash test. A child process starts the program on a program folder and works as a user would:
// ledger bookings, pays, closings of the year (both options), imports of an archive and repairs of an
// exercise file. The parent kills it with SIGKILL at a random moment of a chosen phase (each phase in
// turn, the child's own start-up included), then starts the program afresh on the folder and checks:
//   - the start-up ends with the latest exercise open and no message;
//   - every exercise file of the state passes PRAGMA integrity_check, and no file of a later year exists
//     (a closing is either not done, or done with its state file);
//   - every booking and pay the child reported as committed is there with its amount;
//   - no work file, journal or copy temporary is left in the folder or in Archives;
//   - the archive offered for import is unchanged, and every file of Archives passes the check.
// The child reports committed work through a pipe, each line written after the commit it reports.
//
// Seeded and reproducible in its choices (KV_CRASH_SEED); the moments of the kills depend on the
// machine. Bounded: KV_CRASH_KILLS kills (600), stopping early after KV_CRASH_SECONDS (170).
#include "core/ledger/Ledger.h"
#include "core/startup/Startup.h"
#include "core/state/ExerciseStateFile.h"
#include "core/state/Session.h"
#include "exercise/archives/Archives.h"
#include "exercise/closing/Closing.h"
#include "exercise/repair/Repair.h"
#include "harness/ScriptedUi.h"
#include "harness/TestFolder.h"
#include "payroll/pay/Pay.h"
#include "people/registers/PersonStore.h"
#include "platform/db/Database.h"
#include "platform/db/FileOps.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QRegularExpression>

#include <array>
#include <cstdio>
#include <map>
#include <optional>
#include <random>
#include <set>

#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace kv;

namespace {

enum Phase { Booking, Pays, Closing, Import, Repair, StartUp, PhaseCount };
const char* const kPhaseNames[PhaseCount] = {"écritures", "paies", "clôture", "importation", "réparation", "démarrage"};
const QString kArchiveName = QStringLiteral("20210305.ZEB");

// ---- the child --------------------------------------------------------------------------------------------

int reportFd = -1;

void report(const QByteArray& line)
{
    const QByteArray l = line + '\n';
    ssize_t written = ::write(reportFd, l.constData(), l.size());
    (void)written;
}

QString dateIn(int year, std::mt19937& rng)
{
    return QStringLiteral("%1/%2/%3").arg(int(rng() % 28) + 1, 2, 10, QChar(u'0')).arg(int(rng() % 12) + 1, 2, 10, QChar(u'0')).arg(year);
}

void book(Session& s, std::mt19937& rng)
{
    for (int i = 0; i < 12; ++i) {
        const bool expense = rng() % 2;
        ledger::Line line;
        line.date = dateIn(s.exerciceOuvert, rng);
        line.montant = double(rng() % 1000000) / 100;
        line.mode = int(rng() % 2);
        line.ref = QStringLiteral("écriture %1").arg(rng() % 100000);
        line.contrepartie = 0;
        line.numVehicule = 1;
        if (expense) {
            line.typeDep = int(rng() % 6);
            line.km = double(rng() % 200000);
        }
        const ledger::Book b = expense ? ledger::Book::Depenses : ledger::Book::Recettes;
        const qint64 num = ledger::add(s.db(), b, line);
        report(QStringLiteral("B %1 %2 %3 %4").arg(s.exerciceOuvert).arg(ledger::table(b)).arg(num).arg(line.montant, 0, 'f', 2).toUtf8());
    }
}

void pays(Session& s, std::mt19937& rng)
{
    for (int i = 0; i < 6; ++i) {
        const int month = int(rng() % 12) + 1;
        const QList<payroll::MonthLine> lines = payroll::buildMonth(s.db(), month, 26);
        for (const payroll::MonthLine& l : lines) {
            payroll::PaySave save;
            save.entries.tauxJour = 800 + double(rng() % 1000);
            save.entries.nbreJours = 20 + double(rng() % 6);
            save.entries.cnasDue = true;
            save.entries.irgDue = true;
            save.figures = payroll::computePay(save.entries, 9);
            const QString key = QStringLiteral("%1 %2 %3 %4").arg(s.exerciceOuvert).arg(l.agent.num).arg(month).arg(save.figures.netValue, 0, 'f', 2);
            report("s " + key.toUtf8()); // about to be written: either value may be found after a kill
            if (payroll::savePay(s.db(), l.agent.num, month, save) == payroll::SaveResult::Written)
                report("S " + key.toUtf8());
        }
    }
}

[[noreturn]] void runChild(const QString& dir, int fd, Phase first, quint32 seed)
{
    reportFd = fd;
    std::mt19937 rng(seed);
    test::ScriptedUi ui; // every question answered Yes
    Session s(dir, ui);
    report(QByteArray("P ") + QByteArray::number(int(StartUp)));
    QElapsedTimer startTimer;
    startTimer.start();
    try {
        Startup(s).run();
    } catch (const ProgramEnd&) {
        report("X start-up ended the program");
        ::_exit(3);
    }
    report(QByteArray("E ") + QByteArray::number(int(StartUp)) + ' ' + QByteArray::number(startTimer.nsecsElapsed() / 1000));
    const int firstWork = first == StartUp ? Booking : first;
    for (int step = 0; step < 10; ++step) {
        const Phase phase = Phase((firstWork + step) % StartUp);
        report(QByteArray("P ") + QByteArray::number(int(phase)));
        QElapsedTimer timer;
        timer.start();
        try {
            switch (phase) {
            case Booking: book(s, rng); break;
            case Pays: pays(s, rng); break;
            case Closing: {
                const auto option = rng() % 2 ? exercise::ClosingOption::Keep : exercise::ClosingOption::Reset;
                if (exercise::closeExercise(s, option) == exercise::Outcome::Done)
                    report("C " + QByteArray::number(s.exerciceOuvert));
                break;
            }
            case Import:
                if (exercise::importArchive(s, QDir(dir).filePath(QStringLiteral("Archives")), kArchiveName) == exercise::ImportResult::Done)
                    report("I " + QByteArray::number(s.exerciceOuvert));
                break;
            case Repair: {
                const int year = s.premierExercice + int(rng() % (s.nbClotures + 1));
                exercise::repairExerciseFile(s, QStringLiteral("ZEB_%1.MDB").arg(year));
                break;
            }
            default: break;
            }
        } catch (const ProgramEnd&) {
            report("X program end in " + QByteArray(kPhaseNames[phase]));
            ::_exit(3);
        } catch (const std::exception& e) {
            report("X " + QByteArray(e.what()));
            ::_exit(3);
        } catch (const db::Error& e) {
            report("X " + e.message().toUtf8());
            ::_exit(3);
        }
        // Questions and the reports of success are the work's own; anything else is a failure. A report
        // of success may go on with where a replaced or damaged file was kept.
        static const QStringList success = {QStringLiteral("Importation terminée avec succés"),
                                            QStringLiteral("Base de données réparée avec succès")};
        for (const test::ShownMessage& m : ui.messages)
            if (!m.question && !success.contains(m.text.section(u'\n', 0, 0)))
                report("X message: " + m.text.toUtf8().replace('\n', ' '));
        ui.messages.clear();
        report(QByteArray("E ") + QByteArray::number(int(phase)) + ' ' + QByteArray::number(timer.nsecsElapsed() / 1000));
    }
    ::_exit(0);
}

// ---- the parent -------------------------------------------------------------------------------------------

QByteArray digest(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256) : QByteArray();
}

struct Expected {
    std::map<std::pair<QString, qint64>, QString> bookings;                    ///< (table, num) -> amount
    std::map<std::pair<qint64, int>, QString> pays;                            ///< (agent, month) -> net
    std::map<std::pair<qint64, int>, QString> pending;                         ///< a pay being written
};

class CrashTest {
public:
    int run();

private:
    test::TestFolder folder_;
    std::map<int, Expected> years_;
    int openYear_ = 2021;
    QByteArray archiveDigest_;
    std::array<int, PhaseCount> kills_{};
    std::array<qint64, PhaseCount> estimateUs_{};
    int filesChecked_ = 0, bookingsChecked_ = 0, paysChecked_ = 0, closingsRolledBack_ = 0, closingsFinished_ = 0,
        importsUncertain_ = 0;
    QStringList failures_;

    void prepare();
    void fail(const QString& what) { failures_ << what; }
    std::optional<Phase> killOnce(Phase target, std::mt19937& rng);
    void take(const QByteArray& line, std::optional<Phase>& last);
    void check(std::optional<Phase> killedIn, int kill);
    bool integrity(const QString& path);
};

void CrashTest::prepare()
{
    test::ScriptedUi ui;
    folder_.write(QStringLiteral(".INI"), QByteArray("\xe5\x07\x00\x00", 4)); // first exercise 2021, no closing
    Session s(folder_.path(), ui);
    Startup(s).run();
    people::PersonEntry agent;
    agent.nom = QStringLiteral("Haddad");
    agent.prenom = QStringLiteral("Nadia");
    agent.salarie = true;
    agent.tauxJour = QStringLiteral("1200");
    people::addPerson(s.db(), people::PersonKind::agents(), agent);
    agent.nom = QStringLiteral("Benali");
    agent.prenom = QStringLiteral("Karim");
    people::addPerson(s.db(), people::PersonKind::agents(), agent);
    s.fermer_exercice();
    // The archive offered for import: the year as it stood, plus a line of its own.
    const QString archive = folder_.file(QStringLiteral("Archives/") + kArchiveName);
    QFile::copy(s.exercisePath(2021), archive);
    {
        db::Database db;
        db.open(archive);
        db.execute(QStringLiteral("INSERT INTO Recettes (num, date, montant, Mode, ref) VALUES (1, '2021-03-05', 1, 0, 'archive')"));
    }
    archiveDigest_ = digest(archive);
    estimateUs_.fill(40000);
}

void CrashTest::take(const QByteArray& line, std::optional<Phase>& last)
{
    const QList<QByteArray> f = line.split(' ');
    const char kind = line.isEmpty() ? 0 : line[0];
    if (kind == 'P' && f.size() >= 2) {
        last = Phase(f[1].toInt());
    } else if (kind == 'E' && f.size() >= 3) {
        const Phase p = Phase(f[1].toInt());
        estimateUs_[p] = (estimateUs_[p] * 3 + f[2].toLongLong()) / 4;
    } else if (kind == 'B' && f.size() >= 5) {
        years_[f[1].toInt()].bookings[{QString::fromUtf8(f[2]), f[3].toLongLong()}] = QString::fromUtf8(f[4]);
    } else if ((kind == 's' || kind == 'S') && f.size() >= 5) {
        Expected& y = years_[f[1].toInt()];
        const std::pair<qint64, int> key{f[2].toLongLong(), f[3].toInt()};
        if (kind == 's') {
            y.pending[key] = QString::fromUtf8(f[4]);
        } else {
            y.pays[key] = QString::fromUtf8(f[4]);
            y.pending.erase(key);
        }
    } else if (kind == 'C' && f.size() >= 2) {
        openYear_ = f[1].toInt();
    } else if (kind == 'I' && f.size() >= 2) {
        years_.erase(f[1].toInt()); // the year's file is the archive now
    } else if (kind == 'X') {
        fail(QString::fromUtf8(line));
    }
}

std::optional<Phase> CrashTest::killOnce(Phase target, std::mt19937& rng)
{
    int fds[2];
    if (::pipe(fds) != 0)
        return std::nullopt;
    const quint32 childSeed = rng();
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(fds[0]);
        runChild(folder_.path(), fds[1], target, childSeed);
    }
    ::close(fds[1]);
    std::optional<Phase> last;
    QByteArray pending;
    bool killed = false;
    const qint64 delayUs = std::uniform_int_distribution<qint64>(0, std::max<qint64>(estimateUs_[target], 1000))(rng);
    QElapsedTimer sinceTarget;
    for (;;) {
        int timeoutMs = 2000;
        if (sinceTarget.isValid())
            timeoutMs = int(std::max<qint64>(0, (delayUs - sinceTarget.nsecsElapsed() / 1000) / 1000));
        pollfd p{fds[0], POLLIN, 0};
        const int ready = ::poll(&p, 1, killed ? 2000 : timeoutMs);
        if (ready > 0) {
            char buf[4096];
            const ssize_t n = ::read(fds[0], buf, sizeof buf);
            if (n <= 0)
                break; // the child is gone
            pending.append(buf, int(n));
            int nl;
            while ((nl = pending.indexOf('\n')) >= 0) {
                const QByteArray line = pending.left(nl);
                pending.remove(0, nl + 1);
                take(line, last);
                if (!sinceTarget.isValid() && last == target)
                    sinceTarget.start();
            }
        }
        if (!killed && sinceTarget.isValid() && sinceTarget.nsecsElapsed() / 1000 >= delayUs) {
            ::kill(pid, SIGKILL);
            killed = true;
        }
    }
    ::close(fds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (!(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL))
        return std::nullopt; // the child finished before the moment came: no kill to count
    return last;
}

bool CrashTest::integrity(const QString& path)
{
    ++filesChecked_;
    QString error;
    if (db::checkDatabaseFile(path, &error))
        return true;
    fail(QStringLiteral("%1 : %2").arg(QFileInfo(path).fileName(), error));
    return false;
}

void CrashTest::check(std::optional<Phase> killedIn, int kill)
{
    const int failuresBefore = failures_.size();
    test::ScriptedUi ui;
    Session s(folder_.path(), ui);
    const bool closedLeftover = QFileInfo::exists(folder_.file(exercise::kClosingMarkerFile));
    try {
        Startup(s).run();
    } catch (const ProgramEnd&) {
        fail(QStringLiteral("le démarrage a mis fin au programme"));
    }
    for (const test::ShownMessage& m : ui.messages)
        fail(QStringLiteral("message au démarrage : ") + m.text);
    s.fermer_exercice();

    // The state and the year files: either the closing did not happen, or it is complete.
    const ExerciseState state = readExerciseState(s.exerciseStatePath());
    const int latest = state.firstYear + state.closings;
    if (latest == openYear_ + 1 && killedIn == Closing) {
        openYear_ = latest; // completed just before the kill, not yet reported
        ++closingsFinished_;
    } else if (latest != openYear_) {
        fail(QStringLiteral("exercice %1 dans le fichier d'état, %2 attendu").arg(latest).arg(openYear_));
    } else if (closedLeftover) {
        ++closingsRolledBack_;
    }
    static const QRegularExpression yearFile(QStringLiteral("^ZEB_(\\d+)\\.MDB$"), QRegularExpression::CaseInsensitiveOption);
    for (const QString& name : QDir(folder_.path()).entryList(QDir::Files)) {
        const auto m = yearFile.match(name);
        if (m.hasMatch() && m.captured(1).toInt() > latest)
            fail(QStringLiteral("%1 existe alors que le fichier d'état s'arrête à %2").arg(name).arg(latest));
    }
    for (int year = state.firstYear; year <= latest; ++year) {
        const QString path = s.exercisePath(year);
        if (!QFileInfo::exists(path)) {
            fail(QStringLiteral("ZEB_%1.MDB absent").arg(year));
            continue;
        }
        if (!integrity(path))
            continue;
        auto it = years_.find(year);
        if (it == years_.end())
            continue;
        Expected& e = it->second;
        db::Database db;
        db.open(path, db::Database::Mode::ReadOnly);
        int missing = 0, total = 0;
        QStringList lost;
        for (const auto& [key, amount] : e.bookings) {
            ++total;
            const QVariant v = db.scalar(QStringLiteral("SELECT montant FROM %1 WHERE num = ?").arg(db::Database::identifier(key.first)), {key.second});
            if (v.isNull() || QString::number(v.toDouble(), 'f', 2) != amount) {
                ++missing;
                lost << QStringLiteral("%1 n° %2").arg(key.first).arg(key.second);
            }
        }
        for (const auto& [key, net] : e.pays) {
            ++total;
            const QVariant v = db.scalar(QStringLiteral("SELECT Net FROM Salaires WHERE num_agent = ? AND MM = ? ORDER BY num LIMIT 1"),
                                         {key.first, key.second});
            const QString found = v.isNull() ? QString() : QString::number(v.toDouble(), 'f', 2);
            auto p = e.pending.find(key);
            if (found != net && (p == e.pending.end() || found != p->second)) {
                ++missing;
                lost << QStringLiteral("paie %1/%2 : %3 au lieu de %4").arg(key.first).arg(key.second).arg(found, net);
            }
        }
        if (missing > 0 && missing == total && killedIn == Import && year == openYear_) {
            // The import was complete when the child died: the year is the archive now.
            ++importsUncertain_;
            years_.erase(it);
            continue;
        }
        if (missing > 0)
            fail(QStringLiteral("ZEB_%1.MDB : %2 écriture(s) validée(s) perdue(s) : %3").arg(year).arg(missing).arg(lost.mid(0, 5).join(", ")));
        bookingsChecked_ += int(e.bookings.size());
        paysChecked_ += int(e.pays.size());
        // A pay whose writing was cut short holds one value or the other; from now on it is what was found.
        for (auto& [key, net] : e.pending) {
            const QVariant v = db.scalar(QStringLiteral("SELECT Net FROM Salaires WHERE num_agent = ? AND MM = ? ORDER BY num LIMIT 1"),
                                         {key.first, key.second});
            e.pays[key] = v.isNull() ? net : QString::number(v.toDouble(), 'f', 2);
        }
        e.pending.clear();
    }

    // Nothing but the program's own files: no work file, journal or temporary left.
    static const QRegularExpression allowed(
        QStringLiteral("^(ZEB_00\\.mdb|system\\.mdw|ZEB_\\d+\\.MDB|\\.INI|ZEB\\.CFG|VOSK\\.INI|[^.]+\\.RPT|Archives|photos)$"),
        QRegularExpression::CaseInsensitiveOption);
    for (const QString& name : QDir(folder_.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot))
        if (!allowed.match(name).hasMatch())
            fail(QStringLiteral("fichier resté dans le dossier du programme : ") + name);
    static const QRegularExpression allowedArchive(QStringLiteral("^(20210305\\.ZEB|ZEB_\\d+_avant_importation_\\d{8}_\\d{6}\\.mdb)$"));
    const QDir archives(folder_.file(QStringLiteral("Archives")));
    for (const QString& name : archives.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)) {
        if (!allowedArchive.match(name).hasMatch())
            fail(QStringLiteral("fichier resté dans Archives : ") + name);
        else
            integrity(archives.filePath(name));
    }
    if (digest(archives.filePath(kArchiveName)) != archiveDigest_)
        fail(QStringLiteral("l'archive %1 a changé").arg(kArchiveName));

    if (failures_.size() > failuresBefore)
        std::printf("  coupure %d (%s) : %s\n", kill, killedIn ? kPhaseNames[*killedIn] : "?",
                    qPrintable(failures_.mid(failuresBefore).join(QStringLiteral(" | "))));
}

int CrashTest::run()
{
    const quint32 seed = qEnvironmentVariableIsSet("KV_CRASH_SEED") ? quint32(qEnvironmentVariableIntValue("KV_CRASH_SEED")) : 20240611u;
    const int kills = qEnvironmentVariableIsSet("KV_CRASH_KILLS") ? qEnvironmentVariableIntValue("KV_CRASH_KILLS") : 600;
    const int seconds = qEnvironmentVariableIsSet("KV_CRASH_SECONDS") ? qEnvironmentVariableIntValue("KV_CRASH_SECONDS") : 170;
    std::printf("Test de coupure : graine %u, %d coupures au plus, %d s au plus, dossier %s\n", seed, kills, seconds,
                qPrintable(folder_.path()));
    prepare();
    std::mt19937 rng(seed);
    QElapsedTimer clock;
    clock.start();
    int done = 0, finishedFirst = 0;
    for (int i = 0; i < kills && clock.elapsed() < seconds * 1000LL; ++i) {
        const Phase target = Phase(i % PhaseCount);
        const std::optional<Phase> killedIn = killOnce(target, rng);
        if (!killedIn) {
            ++finishedFirst;
            // The child finished its work untouched: the next estimate leaves it less time.
        } else {
            ++kills_[*killedIn];
            ++done;
        }
        check(killedIn, i + 1);
        if (failures_.size() > 20)
            break;
    }
    std::printf("Coupures : %d en %.1f s (%d enfants arrivés au bout de leur travail avant la coupure)\n", done,
                clock.elapsed() / 1000.0, finishedFirst);
    for (int p = 0; p < PhaseCount; ++p)
        std::printf("  pendant %-12s : %d\n", kPhaseNames[p], kills_[p]);
    std::printf("Fichiers vérifiés (integrity_check) : %d ; écritures vérifiées : %d ; paies vérifiées : %d\n", filesChecked_,
                bookingsChecked_, paysChecked_);
    std::printf("Clôtures achevées au démarrage suivant : %d ; clôtures défaites : %d ; importations trouvées faites : %d\n",
                closingsFinished_, closingsRolledBack_, importsUncertain_);
    bool everyPhase = true;
    for (int p = 0; p < PhaseCount; ++p)
        everyPhase = everyPhase && kills_[p] > 0;
    if (!everyPhase)
        fail(QStringLiteral("une phase n'a jamais été coupée"));
    if (!failures_.isEmpty()) {
        std::printf("ÉCHEC : %lld défaut(s)\n", static_cast<long long>(failures_.size()));
        for (const QString& f : failures_)
            std::printf("  %s\n", qPrintable(f));
        return 1;
    }
    std::printf("Rien de perdu, rien d'endommagé.\n");
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    return CrashTest().run();
}
