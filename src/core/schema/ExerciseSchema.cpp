#include "ExerciseSchema.h"

#include "platform/db/FileOps.h"

#include <QFile>
#include <functional>

namespace kv::schema {

void createExerciseDatabase(const QString& path)
{
    const QString temp = path + QStringLiteral(".build");
    QFile::remove(temp);
    {
        db::Database db;
        db.open(temp, db::Database::Mode::Create);
        db::Transaction t(db);
        db.executeScript(schemaScript());
        t.commit();
        db.setUserVersion(kSchemaVersion);
    }
    QString error;
    if (!db::replaceFile(temp, path, &error)) {
        QFile::remove(temp);
        throw db::Error(error);
    }
}

namespace {
// Each step takes a database of version N-1 to version N (index 0 -> version 1).
// Version 1 is the first schema of this program: a file without a version but with the tables is taken
// as version 1 (it holds nothing to change).
const std::vector<std::function<void(db::Database&)>>& steps()
{
    static const std::vector<std::function<void(db::Database&)>> all = {
        [](db::Database&) {},
    };
    return all;
}
} // namespace

void upgradeExerciseDatabase(db::Database& db)
{
    int version = db.userVersion();
    if (version >= kSchemaVersion)
        return;
    for (; version < kSchemaVersion; ++version) {
        db::Transaction t(db);
        steps()[version](db);
        db.setUserVersion(version + 1);
        t.commit();
    }
}

} // namespace kv::schema
