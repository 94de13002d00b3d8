// The crash test. A child process starts the program on a program folder (holding its lock, as the
// program does) and works as a user would: ledger bookings, pays, closings of the year (both options)
// and their undo, archives, imports of an archive, repairs of an exercise file, and the exit with its
// copy into Archives. The parent kills it with SIGKILL at a random moment of a chosen phase (each phase
// in turn, the child's own start-up included, and the real executable starting on the folder), then
// starts the program afresh on the folder (the lock left behind: a start after an unclean exit) and
// checks:
//   - the start-up ends with the latest exercise open and no message;
//   - every exercise file of the state passes PRAGMA integrity_check, and no file of a later year exists
//     (a closing or its undo is either not done, or done with its state file);
//   - every booking the child reported as committed is there, whole (every field) and once; every pay
//     with its net; after an import the year holds the archive's rows, after a closing with the data
//     kept the new year holds the old year's, after a reset none of them;
//   - no work file, journal or copy temporary is left in the folder or in Archives;
//   - the archive offered for import is unchanged, every file of Archives passes the check, and an exit
//     copy reported complete is the year byte for byte.
// The child reports committed work through a pipe, each line written after the commit it reports.
//
// Seeded and reproducible in its choices (KV_CRASH_SEED); the moments of the kills depend on the
// machine. Bounded: KV_CRASH_KILLS kills (600), stopping early after KV_CRASH_SECONDS (170).
#include "core/ledger/Ledger.h"
#include "core/startup/ExitSequence.h"
#include "core/startup/InstanceLock.h"
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

#include <algorithm>
#include <array>
#include <limits>
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

enum Phase { Booking, Pays, Closing, Import, Repair, Undo, Archive, ExitCopy, StartUp, Program, PhaseCount };
/// The phases a child's work cycles through (the exit copy ends its work, the program is the real one).
constexpr int kWorkPhases = ExitCopy;
const char* const kPhaseNames[PhaseCount] = {"écritures", "paies",  "clôture",   "importation", "réparation",
                                             "annulation", "archivage", "copie de sortie", "démarrage", "programme"};
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

/// Every field of a row, as one digest: what the parent compares, not only the amount.
QByteArray rowDigest(const db::Database& db, const QString& table, qint64 num)
{
    const db::Row row = db.queryOne(QStringLiteral("SELECT * FROM %1 WHERE num = ?").arg(db::Database::identifier(table)), {num});
    if (row.size() == 0)
        return QByteArray();
    QCryptographicHash h(QCryptographicHash::Sha1);
    for (int i = 0; i < row.size(); ++i) {
        const QVariant v = row.value(i);
        h.addData(row.names().value(i).toUtf8() + '=' + (v.isNull() ? QByteArray("<null>") : v.toString().toUtf8()) + '\x1f');
    }
    return h.result().toHex().left(16);
}

void book(Session& s, std::mt19937& rng, quint32 seed)
{
    static int serial = 0;
    for (int i = 0; i < 12; ++i) {
        const bool expense = rng() % 2;
        ledger::Line line;
        line.date = dateIn(s.exerciceOuvert, rng);
        line.montant = double(rng() % 1000000) / 100;
        line.mode = int(rng() % 2);
        line.ref = QStringLiteral("e%1-%2").arg(seed).arg(++serial); // one of a kind: a duplicate shows
        line.contrepartie = 0;
        line.numVehicule = 1;
        if (expense) {
            line.typeDep = int(rng() % 6);
            line.km = double(rng() % 200000);
        }
        const ledger::Book b = expense ? ledger::Book::Depenses : ledger::Book::Recettes;
        const qint64 num = ledger::add(s.db(), b, line);
        report(QStringLiteral("B %1 %2 %3 %4 %5")
                   .arg(s.exerciceOuvert)
                   .arg(ledger::table(b))
                   .arg(num)
                   .arg(QString::fromLatin1(rowDigest(s.db(), ledger::table(b), num)), line.ref)
                   .toUtf8());
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

/// The program's file operations, each announced to the parent first ("K") with a moment to cut there:
/// the kills land between any two steps of a closing, an undo, an import, an archive or a repair.
struct CutPoints : exercise::FileOps {
    static void cut()
    {
        report("K");
        ::usleep(3000);
    }
    bool copy(const QString& a, const QString& b, QString* e) override { return cut(), FileOps::copy(a, b, e); }
    bool replace(const QString& a, const QString& b, QString* e) override { return cut(), FileOps::replace(a, b, e); }
    bool remove(const QString& a, QString* e) override { return cut(), FileOps::remove(a, e); }
    bool recover(const QString& a, const QString& b, db::Salvage* v, QString* e) override
    {
        return cut(), FileOps::recover(a, b, v, e);
    }
    bool copyEmptying(const QString& a, const QString& b, const QStringList& t, QString* e) override
    {
        return cut(), FileOps::copyEmptying(a, b, t, e);
    }
    bool writeState(const QString& a, const ExerciseState& st, QString* e) override { return cut(), FileOps::writeState(a, st, e); }
};

[[noreturn]] void runChild(const QString& dir, int fd, Phase first, quint32 seed)
{
    reportFd = fd;
    std::mt19937 rng(seed);
    test::ScriptedUi ui;
    ui.yesToEverything = true; // a run cut anywhere cannot know its questions: every one answered Yes
    Session s(dir, ui);
    // The folder's lock, as the program holds it: a kill leaves it behind for the next start to find.
    InstanceLock lock(dir);
    if (lock.tryLock() != InstanceLock::Result::Taken) {
        report("X the folder's lock could not be taken");
        ::_exit(3);
    }
    s.uncleanExit = lock.tookOverStaleLock();
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
    CutPoints cuts;
    const int firstWork = first == StartUp || first == ExitCopy ? Booking : first;
    const int steps = first == ExitCopy ? 2 : 10;
    for (int step = 0; step <= steps; ++step) {
        // The work of the phases in turn, then the exit.
        const Phase phase = step == steps ? ExitCopy : Phase((firstWork + step) % kWorkPhases);
        report(QByteArray("P ") + QByteArray::number(int(phase)));
        QElapsedTimer timer;
        timer.start();
        try {
            switch (phase) {
            case Booking: book(s, rng, seed); break;
            case Pays: pays(s, rng); break;
            case Closing: {
                const auto option = rng() % 2 ? exercise::ClosingOption::Keep : exercise::ClosingOption::Reset;
                report(option == exercise::ClosingOption::Keep ? "c K" : "c R");
                if (exercise::closeExercise(s, option, cuts) == exercise::Outcome::Done)
                    report("C " + QByteArray::number(s.exerciceOuvert));
                break;
            }
            case Import:
                if (exercise::importArchive(s, QDir(dir).filePath(QStringLiteral("Archives")), kArchiveName, cuts) == exercise::ImportResult::Done)
                    report("I " + QByteArray::number(s.exerciceOuvert));
                break;
            case Repair: {
                const int year = s.premierExercice + int(rng() % (s.nbClotures + 1));
                exercise::repairExerciseFile(s, QStringLiteral("ZEB_%1.MDB").arg(year), cuts);
                break;
            }
            case Undo:
                if (s.nbClotures > 0 && exercise::undoLastClosing(s, cuts) == exercise::Outcome::Done)
                    report("U " + QByteArray::number(s.exerciceOuvert));
                break;
            case Archive: {
                const QString date = QStringLiteral("%1/06/%2").arg(int(rng() % 28) + 1, 2, 10, QChar(u'0')).arg(s.exerciceOuvert);
                exercise::archiveExercise(s, QDir(dir).filePath(QStringLiteral("Archives")), date, cuts);
                break;
            }
            case ExitCopy:
                ExitSequence().run(s);
                report("Q " + QByteArray::number(s.exerciceOuvert));
                break;
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
        static const QStringList success = {QStringLiteral("Importation terminée avec succés"), QStringLiteral("Archivage terminé"),
                                            QStringLiteral("Base de données réparée avec succès")};
        for (const test::ShownMessage& m : ui.messages)
            if (!m.question && !success.contains(m.text.section(u'\n', 0, 0)))
                report("X message: " + m.text.toUtf8().replace('\n', ' '));
        ui.messages.clear();
        report(QByteArray("E ") + QByteArray::number(int(phase)) + ' ' + QByteArray::number(timer.nsecsElapsed() / 1000));
    }
    ::_exit(0); // as abruptly as a kill: the lock stays behind
}

// ---- the parent -------------------------------------------------------------------------------------------

QByteArray digest(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256) : QByteArray();
}

struct Booked {
    QByteArray digest; ///< of every field (rowDigest)
    QString ref;       ///< one of a kind
};

struct Expected {
    std::map<std::pair<QString, qint64>, Booked> bookings;                     ///< (table, num) -> the row
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
    Expected archiveRows_;          ///< the rows of the archive offered for import
    char closingOption_ = 0;        ///< 'K' or 'R': the closing under way
    int exitCopied_ = 0;            ///< a year whose exit copy was reported complete
    QString program_;               ///< the real executable, copied into the folder
    int undosFinished_ = 0, exitCopiesChecked_ = 0;
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
    std::optional<Phase> killProgram(std::mt19937& rng);
    void closed(int newYear);
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
        archiveRows_.bookings[{QStringLiteral("Recettes"), 1}] = {rowDigest(db, QStringLiteral("Recettes"), 1), QStringLiteral("archive")};
    }
    archiveDigest_ = digest(archive);
    // The real program, started from the folder as its program folder.
    program_ = folder_.file(QStringLiteral("kavorel"));
    if (!QFile::copy(QStringLiteral(KAVOREL_PROGRAM_DIR "/kavorel"), program_))
        fail(QStringLiteral("le programme ne peut pas être copié dans le dossier"));
    estimateUs_.fill(40000);
    estimateUs_[Program] = 1500000; // from its start to its window, and a little idle in it
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
    } else if (kind == 'B' && f.size() >= 6) {
        years_[f[1].toInt()].bookings[{QString::fromUtf8(f[2]), f[3].toLongLong()}] = {f[4], QString::fromUtf8(f[5])};
    } else if ((kind == 's' || kind == 'S') && f.size() >= 5) {
        Expected& y = years_[f[1].toInt()];
        const std::pair<qint64, int> key{f[2].toLongLong(), f[3].toInt()};
        if (kind == 's') {
            y.pending[key] = QString::fromUtf8(f[4]);
        } else {
            y.pays[key] = QString::fromUtf8(f[4]);
            y.pending.erase(key);
        }
    } else if (kind == 'c' && f.size() >= 2) {
        closingOption_ = f[1].at(0);
    } else if (kind == 'C' && f.size() >= 2) {
        closed(f[1].toInt());
    } else if (kind == 'U' && f.size() >= 2) {
        years_.erase(openYear_);
        openYear_ = f[1].toInt();
    } else if (kind == 'Q' && f.size() >= 2) {
        exitCopied_ = f[1].toInt();
    } else if (kind == 'I' && f.size() >= 2) {
        years_[f[1].toInt()] = archiveRows_; // the year's file is the archive now
    } else if (kind == 'X') {
        fail(QString::fromUtf8(line));
    }
}

void CrashTest::closed(int newYear)
{
    // Kept: the new year holds every row of the old one, pays aside. Reset: none of them.
    Expected next;
    if (closingOption_ == 'K')
        next.bookings = years_[openYear_].bookings;
    years_[newYear] = next;
    openYear_ = newYear;
    closingOption_ = 0;
}

std::optional<Phase> CrashTest::killProgram(std::mt19937& rng)
{
    const qint64 delayMs = std::uniform_int_distribution<qint64>(0, std::max<qint64>(estimateUs_[Program] / 1000, 50))(rng);
    QElapsedTimer timer;
    timer.start();
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, 1);
        ::dup2(null, 2);
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        const QByteArray path = QFile::encodeName(program_);
        ::execl(path.constData(), path.constData(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    int status = 0;
    while (timer.elapsed() < delayMs && ::waitpid(pid, &status, WNOHANG) == 0)
        ::usleep(2000);
    ::kill(pid, SIGKILL);
    ::waitpid(pid, &status, 0);
    if (WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL)
        return Program;
    fail(QStringLiteral("le programme s'est arrêté de lui-même (code %1)").arg(WIFEXITED(status) ? WEXITSTATUS(status) : -1));
    return std::nullopt;
}

std::optional<Phase> CrashTest::killOnce(Phase target, std::mt19937& rng)
{
    if (target == Program)
        return killProgram(rng);
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
    qint64 delayUs = std::uniform_int_distribution<qint64>(0, std::max<qint64>(estimateUs_[target], 1000))(rng);
    // Half the time in the phases that replace files, the kill comes at a chosen step instead.
    const bool stepped = target == Closing || target == Undo || target == Import || target == Archive || target == Repair;
    const int cutAt = stepped && rng() % 2 ? int(rng() % 6) + 1 : 0;
    int cutsSeen = 0;
    if (cutAt > 0)
        delayUs = std::numeric_limits<qint64>::max() / 2;
    QElapsedTimer sinceTarget;
    for (;;) {
        int timeoutMs = 2000;
        if (sinceTarget.isValid())
            timeoutMs = int(std::clamp<qint64>((delayUs - sinceTarget.nsecsElapsed() / 1000) / 1000, 0, 2000));
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
                if (!killed && cutAt > 0 && line == "K" && last == target && ++cutsSeen == cutAt) {
                    ::kill(pid, SIGKILL);
                    killed = true;
                }
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
    if (exitCopied_ != 0) {
        // The exit copy reported complete is the year as the child left it.
        const QString year = folder_.file(QStringLiteral("ZEB_%1.MDB").arg(exitCopied_));
        const QString copy = folder_.file(QStringLiteral("Archives/ZEB_%1.mdb").arg(exitCopied_));
        if (digest(copy) != digest(year))
            fail(QStringLiteral("la copie de sortie de %1 n'est pas l'exercice").arg(exitCopied_));
        ++exitCopiesChecked_;
        exitCopied_ = 0;
    }
    test::ScriptedUi ui;
    ui.yesToEverything = true; // a start after a kill anywhere cannot know its questions
    Session s(folder_.path(), ui);
    const bool closedLeftover = QFileInfo::exists(folder_.file(exercise::kClosingMarkerFile));
    InstanceLock lock(folder_.path());
    if (lock.tryLock() != InstanceLock::Result::Taken)
        fail(QStringLiteral("le verrou du dossier reste pris"));
    // A kill leaves the lock behind: this start reads the year through.
    if (killedIn && killedIn != Program && !lock.tookOverStaleLock())
        fail(QStringLiteral("le verrou d'un programme tué n'a pas été trouvé"));
    s.uncleanExit = lock.tookOverStaleLock();
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
        closed(latest); // completed just before the kill, not yet reported
        ++closingsFinished_;
    } else if (latest == openYear_ - 1 && killedIn == Undo) {
        years_.erase(openYear_); // undone just before the kill, not yet reported
        openYear_ = latest;
        ++undosFinished_;
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
        for (const auto& [key, booked] : e.bookings) {
            ++total;
            if (rowDigest(db, key.first, key.second) != booked.digest) {
                ++missing;
                lost << QStringLiteral("%1 n° %2").arg(key.first).arg(key.second);
            } else if (const int n = db.scalar(QStringLiteral("SELECT count(*) FROM %1 WHERE ref = ?").arg(db::Database::identifier(key.first)),
                                               {booked.ref}).toInt();
                       n != 1) {
                fail(QStringLiteral("ZEB_%1.MDB : %2 « %3 » %4 fois").arg(year).arg(key.first, booked.ref).arg(n));
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
        auto isTheArchive = [&] {
            for (const auto& [key, booked] : archiveRows_.bookings)
                if (rowDigest(db, key.first, key.second) != booked.digest)
                    return false;
            return db.scalar(QStringLiteral("SELECT (SELECT count(*) FROM Depenses) + (SELECT count(*) FROM Recettes)")).toInt()
                   == int(archiveRows_.bookings.size());
        };
        if (missing > 0 && killedIn == Import && year == openYear_ && isTheArchive()) {
            // The import was complete when the child died: the year is the archive now.
            ++importsUncertain_;
            it->second = archiveRows_;
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
    lock.unlock();
    static const QRegularExpression allowed(
        QStringLiteral("^(ZEB_00\\.mdb|system\\.mdw|ZEB_\\d+\\.MDB|\\.INI|ZEB\\.CFG|VOSK\\.INI|[^.]+\\.RPT|Archives|photos|"
                       "kavorel|kavorel\\.log(\\.1)?|Cadre_V\\.BMP)$"),
        QRegularExpression::CaseInsensitiveOption);
    for (const QString& name : QDir(folder_.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot))
        if (!allowed.match(name).hasMatch())
            fail(QStringLiteral("fichier resté dans le dossier du programme : ") + name);
    static const QRegularExpression allowedArchive(
        QStringLiteral("^(\\d{8}\\.ZEB|ZEB_\\d+\\.mdb|ZEB_\\d+_avant_importation_\\d{8}_\\d{6}\\.mdb)$"));
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
    std::printf("Annulations de clôture trouvées faites : %d ; copies de sortie comparées : %d\n", undosFinished_, exitCopiesChecked_);
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
