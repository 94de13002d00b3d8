// Fitting the desktop: the data folder of an installed program, and the user guide and its window.
#include "core/about/Guide.h"
#include "core/startup/DataFolder.h"
#include "core/state/Session.h"
#include "harness/ScreenFit.h"
#include "harness/ScriptedUi.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QToolButton>

#include <unistd.h>

using namespace kv;

namespace {

void write(const QString& path, const QByteArray& bytes, const QDateTime& time = {})
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
    f.flush(); // before the time is set: a later flush would stamp the file again
    if (time.isValid())
        QVERIFY(f.setFileTime(time, QFileDevice::FileModificationTime));
}

QByteArray read(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<absent>");
}

QString pageText(const QString& page)
{
    QFile f(QStringLiteral(":/guide/") + page);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

} // namespace

class DesktopTest : public QObject {
    Q_OBJECT

private slots:
    void programFolderHoldsTheDataOnlyWhenWritableAndNotASystemPlace()
    {
        QTemporaryDir writable;
        QVERIFY(datafolder::programDirHoldsData(writable.path()));
        QCOMPARE(datafolder::prepare(writable.path()).dataDir, writable.path());
        QVERIFY(datafolder::prepare(writable.path()).copied.isEmpty());
        QVERIFY(!datafolder::programDirHoldsData(writable.filePath(QStringLiteral("absent"))));
        // A package's folders, even for root who may write there.
        QVERIFY(!datafolder::programDirHoldsData(QStringLiteral("/usr/lib")));
        QVERIFY(!datafolder::programDirHoldsData(QStringLiteral("/usr/bin")));
        if (::geteuid() != 0) {
            QTemporaryDir locked;
            QFile::setPermissions(locked.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
            QVERIFY(!datafolder::programDirHoldsData(locked.path()));
            QFile::setPermissions(locked.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        }
    }

    void userDataFolderFollowsXdgDataHome()
    {
        QTemporaryDir home;
        const QByteArray before = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", home.path().toUtf8());
        QCOMPARE(datafolder::userDataDir(), home.filePath(QStringLiteral("Kavorel")));
        // An installed (system) program folder sends the data there, made ready.
        const datafolder::Choice c = datafolder::prepare(QStringLiteral("/usr/lib"));
        QCOMPARE(c.dataDir, home.filePath(QStringLiteral("Kavorel")));
        QVERIFY(c.error.isEmpty());
        QVERIFY(QFileInfo(c.dataDir).isDir());
        if (before.isNull())
            qunsetenv("XDG_DATA_HOME");
        else
            qputenv("XDG_DATA_HOME", before);
    }

    // The shipped files reach the data folder; an upgrade refreshes the templates and the template
    // database; the firm's own edits and its security file stay.
    void shippedFilesReachTheDataFolder()
    {
        QTemporaryDir program, data;
        const QDateTime installed = QDateTime::currentDateTime().addDays(-10);
        write(program.filePath(QStringLiteral("Liste_V.RPT")), "liste v1", installed);
        write(program.filePath(QStringLiteral("FPaye.RPT")), "paye v1", installed);
        write(program.filePath(QStringLiteral("ZEB_00.mdb")), "modele v1", installed);
        write(program.filePath(QStringLiteral("system.mdw")), "securite livree", installed);
        write(program.filePath(QStringLiteral("kavorel")), "programme", installed);

        datafolder::Choice c = datafolder::prepareIn(program.path(), data.path());
        QVERIFY2(c.error.isEmpty(), qPrintable(c.error));
        QCOMPARE(QSet<QString>(c.copied.begin(), c.copied.end()),
                 (QSet<QString>{"Liste_V.RPT", "FPaye.RPT", "ZEB_00.mdb", "system.mdw"}));
        QVERIFY(!QFile::exists(data.filePath(QStringLiteral("kavorel"))));
        QCOMPARE(read(data.filePath(QStringLiteral("FPaye.RPT"))), QByteArray("paye v1"));

        // A second start: nothing to do.
        QVERIFY(datafolder::prepareIn(program.path(), data.path()).copied.isEmpty());

        // The firm edits a template and changes its passwords; then an upgrade ships new files.
        write(data.filePath(QStringLiteral("Liste_V.RPT")), "liste de la firme", installed.addDays(5));
        write(data.filePath(QStringLiteral("system.mdw")), "securite de la firme", installed.addDays(5));
        const QDateTime upgraded = installed.addDays(2);
        write(program.filePath(QStringLiteral("FPaye.RPT")), "paye v2", upgraded);
        write(program.filePath(QStringLiteral("ZEB_00.mdb")), "modele v2", upgraded);
        write(program.filePath(QStringLiteral("Liste_V.RPT")), "liste v2", upgraded);
        write(program.filePath(QStringLiteral("system.mdw")), "securite v2", installed.addDays(8));
        c = datafolder::prepareIn(program.path(), data.path());
        QVERIFY(c.error.isEmpty());
        struct Case {
            const char* name;
            QByteArray expected;
        };
        for (const Case& k : {Case{"FPaye.RPT", "paye v2"}, Case{"ZEB_00.mdb", "modele v2"},
                              Case{"Liste_V.RPT", "liste de la firme"}, Case{"system.mdw", "securite de la firme"}})
            QCOMPARE(read(data.filePath(QString::fromLatin1(k.name))), k.expected);
        QCOMPARE(QSet<QString>(c.copied.begin(), c.copied.end()), (QSet<QString>{"FPaye.RPT", "ZEB_00.mdb"}));
        // No temporary file of a copy is left behind.
        QCOMPARE(QDir(data.path()).entryList(QDir::Files | QDir::Hidden).size(), 4);
    }

    void dataFolderThatCannotBeMadeSaysSo()
    {
        QTemporaryDir program, parent;
        write(program.filePath(QStringLiteral("ZEB_00.mdb")), "modele");
        const QString blocked = parent.filePath(QStringLiteral("fichier"));
        write(blocked, "un fichier, pas un dossier");
        const datafolder::Choice c = datafolder::prepareIn(program.path(), blocked + QStringLiteral("/Kavorel"));
        QVERIFY(!c.error.isEmpty());
        QVERIFY(c.error.contains(QStringLiteral("Kavorel")));
        QCOMPARE(read(blocked), QByteArray("un fichier, pas un dossier"));
    }

    // Every page of the guide is reached from its contents, and every link leads to a page and an
    // anchor that exist.
    void guidePagesAndLinks()
    {
        QStringList pages;
        for (QDirIterator it(QStringLiteral(":/guide"), {QStringLiteral("*.html")}); it.hasNext();)
            pages << QFileInfo(it.next()).fileName();
        QVERIFY(pages.contains(QStringLiteral("index.html")));
        QVERIFY(pages.size() >= 7);
        const QRegularExpression link(QStringLiteral("href=\"([^\"#]*)(?:#([^\"]*))?\""));
        QSet<QString> reached{QStringLiteral("index.html")};
        for (const QString& page : pages) {
            const QString text = pageText(page);
            QVERIFY2(!text.isEmpty(), qPrintable(page));
            QVERIFY2(text.contains(QStringLiteral("<title>")), qPrintable(page));
            for (auto m = link.globalMatch(text); m.hasNext();) {
                const auto match = m.next();
                const QString target = match.captured(1).isEmpty() ? page : match.captured(1);
                if (target.contains(u':'))
                    continue; // another site
                QVERIFY2(QFile::exists(QStringLiteral(":/guide/") + target), qPrintable(page + " -> " + target));
                if (page == QStringLiteral("index.html"))
                    reached << target;
                const QString anchor = match.captured(2);
                if (!anchor.isEmpty()) {
                    const QString targetText = pageText(target);
                    QVERIFY2(targetText.contains(QStringLiteral("id=\"%1\"").arg(anchor)) ||
                                 targetText.contains(QStringLiteral("name=\"%1\"").arg(anchor)),
                             qPrintable(page + " -> " + target + "#" + anchor));
                }
            }
        }
        for (const QString& page : pages)
            QVERIFY2(reached.contains(page), qPrintable(page + " is not in the contents"));
    }

    void guideWindowBrowsesAndFits()
    {
        test::ScriptedUi ui;
        QTemporaryDir folder;
        Session session(folder.path(), ui);
        for (QScreen* screen : test::testScreens()) {
            Guide guide(session);
            QCOMPARE(guide.browser()->source(), QUrl(Guide::home()));
            QVERIFY(guide.browser()->toPlainText().contains(QStringLiteral("Kavorel")));
            auto* back = guide.findChild<QToolButton*>(QStringLiteral("precedent"));
            auto* forward = guide.findChild<QToolButton*>(QStringLiteral("suivant"));
            auto* contents = guide.findChild<QToolButton*>(QStringLiteral("sommaire"));
            QVERIFY(back && forward && contents);
            QVERIFY(!back->isEnabled());

            guide.showPage(QStringLiteral("caisse.html"));
            QVERIFY(guide.browser()->toPlainText().contains(QStringLiteral("caisse"), Qt::CaseInsensitive));
            QVERIFY(back->isEnabled());
            back->click();
            QCOMPARE(guide.browser()->source(), QUrl(Guide::home()));
            QVERIFY(forward->isEnabled());
            forward->click();
            QCOMPARE(guide.browser()->source().fileName(), QStringLiteral("caisse.html"));
            contents->click();
            QCOMPARE(guide.browser()->source(), QUrl(Guide::home()));

            test::showOn(guide, screen);
            QVERIFY2(test::outsideScreen(guide).isEmpty(), qPrintable(test::outsideScreen(guide).join(u',')));
            test::saveShot(guide, QStringLiteral("guide-%1").arg(screen->size().height()));
            guide.showPage(QStringLiteral("paie.html"));
            test::saveShot(guide, QStringLiteral("guide-paie-%1").arg(screen->size().height()));
        }
    }
};

KV_SCREEN_TEST_MAIN(DesktopTest)
#include "tst_desktop.moc"
