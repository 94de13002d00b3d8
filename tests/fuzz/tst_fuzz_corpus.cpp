// The regression cases of the fuzz targets: every file kept in tests/fuzz/corpus/<target>/ goes through
// the same entry function as under libFuzzer, in the normal build. A case that crashed, hung or read
// out of bounds once must pass here for good (the sanitizer build runs these too).
#include "FuzzTargets.h"

#include <QDir>
#include <QTest>

class FuzzCorpusTest : public QObject {
    Q_OBJECT

private slots:
    void corpus_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("path");
        const QDir corpus(QStringLiteral(KV_FUZZ_CORPUS));
        for (const QString& target : kv::fuzz::targets()) {
            const QDir dir(corpus.filePath(target));
            const QStringList files = dir.entryList(QDir::Files, QDir::Name);
            QVERIFY2(!files.isEmpty(), qPrintable(QStringLiteral("no case kept for ") + target));
            for (const QString& file : files)
                QTest::newRow(qPrintable(target + u'/' + file)) << target << dir.filePath(file);
        }
    }
    void corpus()
    {
        QFETCH(QString, target);
        QFETCH(QString, path);
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        QVERIFY(kv::fuzz::run(target, reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size())));
    }
};

QTEST_MAIN(FuzzCorpusTest)
#include "tst_fuzz_corpus.moc"
