#include "TestFolder.h"

#include <QDir>
#include <QFile>

namespace kv::test {

TestFolder::TestFolder(bool withSystemFiles)
{
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
    const QString target = file(name);
    QFile::remove(target);
    QFile::copy(QDir(QStringLiteral(KAVOREL_PROGRAM_DIR)).filePath(name), target);
    QFile(target).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
}

void TestFolder::write(const QString& name, const QByteArray& data) const
{
    QFile f(file(name));
    f.open(QIODevice::WriteOnly | QIODevice::Truncate);
    f.write(data);
}

QByteArray TestFolder::read(const QString& name) const
{
    QFile f(file(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool TestFolder::exists(const QString& name) const { return QFile::exists(file(name)); }

} // namespace kv::test
