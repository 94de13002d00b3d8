#include "TestFolder.h"

#include <QDir>
#include <QFile>
#include <QTest>

namespace kv::test {

namespace {

/// A folder the test cannot prepare leaves nothing sound to test: the running test fails, naming the
/// path and the reason (outside a test, a warning says it).
void cannot(const QString& what, const QString& path, const QString& reason)
{
    const QString text = QStringLiteral("test folder: cannot %1 %2: %3").arg(what, path, reason);
    if (QTest::currentTestFunction())
        QTest::qFail(qPrintable(text), __FILE__, __LINE__);
    else
        qWarning("%s", qPrintable(text));
}

} // namespace

TestFolder::TestFolder(bool withSystemFiles)
{
    if (!dir_.isValid()) {
        cannot(QStringLiteral("create"), dir_.path(), dir_.errorString());
        return;
    }
    if (!withSystemFiles)
        return;
    copyFromProgram(QStringLiteral("ZEB_00.mdb"));
    copyFromProgram(QStringLiteral("system.mdw"));
    const QDir program(QStringLiteral(KAVOREL_PROGRAM_DIR));
    for (const QString& rpt : program.entryList({QStringLiteral("*.RPT")}, QDir::Files))
        copyFromProgram(rpt);
}

void TestFolder::copyFromProgram(const QString& name) const
{
    const QString source = QDir(QStringLiteral(KAVOREL_PROGRAM_DIR)).filePath(name);
    const QString target = file(name);
    if (QFile::exists(target) && !QFile::remove(target))
        return cannot(QStringLiteral("replace"), target, QStringLiteral("the file already there cannot be removed"));
    QFile in(source);
    if (!in.exists())
        return cannot(QStringLiteral("copy"), source, QStringLiteral("no such file in the built program folder"));
    if (!in.copy(target))
        return cannot(QStringLiteral("copy"), source + QStringLiteral(" to ") + target, in.errorString());
    if (!QFile(target).setPermissions(QFile::ReadOwner | QFile::WriteOwner))
        cannot(QStringLiteral("make writable"), target, QStringLiteral("permissions refused"));
}

void TestFolder::write(const QString& name, const QByteArray& data) const
{
    QFile f(file(name));
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return cannot(QStringLiteral("open for writing"), f.fileName(), f.errorString());
    if (f.write(data) != data.size() || !f.flush())
        cannot(QStringLiteral("write"), f.fileName(), f.errorString());
}

QByteArray TestFolder::read(const QString& name) const
{
    QFile f(file(name));
    if (!f.open(QIODevice::ReadOnly)) {
        cannot(QStringLiteral("open for reading"), f.fileName(), f.errorString());
        return {};
    }
    return f.readAll();
}

bool TestFolder::exists(const QString& name) const { return QFile::exists(file(name)); }

} // namespace kv::test
