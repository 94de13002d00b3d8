#include "Workspace.h"

#include "FileOps.h"
#include "RowWriter.h"

#include <QCryptographicHash>
#include <QFile>
#include <QRandomGenerator>

namespace kv::db {

namespace {
QByteArray passwordHash(const QByteArray& salt, const QString& password)
{
    return QCryptographicHash::hash(salt + password.toUtf8(), QCryptographicHash::Sha256);
}
} // namespace

Workspace::Workspace(const EngineSettings& engine, const QString& name, const QString& user, const QString& password)
    : engine_(engine), name_(name), user_(user)
{
    if (!QFile::exists(engine.securityFile))
        throw Error(QStringLiteral("Fichier de sécurité introuvable : ") + engine.securityFile);
    Database security;
    security.open(engine.securityFile, Database::Mode::ReadOnly);
    const Row account = security.queryOne(QStringLiteral("SELECT salt, hash FROM users WHERE name = ? COLLATE NOCASE"), {user});
    if (account.size() == 0)
        throw Error(QStringLiteral("Compte inconnu : ") + user);
    if (passwordHash(account.value(0).toByteArray(), password) != account.value(1).toByteArray())
        throw Error(QStringLiteral("Mot de passe du compte incorrect : ") + user);
}

Workspace::~Workspace() = default;

std::unique_ptr<Database> Workspace::openDatabase(const QString& path) const
{
    if (!open_)
        throw Error(QStringLiteral("Espace de travail fermé"));
    auto db = std::make_unique<Database>();
    db->open(path, Database::Mode::ReadWrite);
    return db;
}

void createSecurityFile(const QString& path, const QString& user, const QString& password)
{
    const QString temp = path + QStringLiteral(".new");
    QFile::remove(temp);
    {
        Database db;
        db.open(temp, Database::Mode::Create);
        db.executeScript(QStringLiteral("CREATE TABLE users (name TEXT PRIMARY KEY, salt BLOB NOT NULL, hash BLOB NOT NULL)"));
        QByteArray salt(16, '\0');
        for (char& c : salt)
            c = static_cast<char>(QRandomGenerator::global()->bounded(256));
        insertRow(db, QStringLiteral("users"),
                  {{QStringLiteral("name"), user}, {QStringLiteral("salt"), salt}, {QStringLiteral("hash"), passwordHash(salt, password)}});
    }
    QString error;
    if (!replaceFile(temp, path, &error))
        throw Error(error);
}

} // namespace kv::db
