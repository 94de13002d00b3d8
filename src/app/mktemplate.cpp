// Build tool: writes the template exercise database ZEB_00.mdb and the engine security file system.mdw
// into the program folder given on the command line.
#include "core/schema/ExerciseSchema.h"
#include "core/startup/EnginePassword.h"
#include "platform/db/Workspace.h"

#include <QCoreApplication>
#include <QDir>
#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: kavorel_mktemplate PROGRAM_FOLDER\n");
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    try {
        kv::schema::createExerciseDatabase(folder.filePath(QStringLiteral("ZEB_00.mdb")));
        kv::db::createSecurityFile(folder.filePath(QStringLiteral("system.mdw")), kv::kEngineUser, kv::enginePassword());
    } catch (const kv::db::Error& e) {
        std::fprintf(stderr, "kavorel_mktemplate: %s\n", qPrintable(e.message()));
        return 1;
    }
    return 0;
}
