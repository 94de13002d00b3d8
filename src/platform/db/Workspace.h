#pragma once
// The engine's workspace: the engine is given a settings path, a default user and password and a
// separate security file of users; a workspace is created for a user with a password, and every
// database of the program is opened in it. The security file is a small database of users with salted
// password hashes; a workspace is refused when the file is missing or the user or password is unknown.
#include "Database.h"

#include <memory>

namespace kv::db {

struct EngineSettings {
    QString settingsPath;   ///< the engine's settings file
    QString defaultUser;
    QString defaultPassword;
    QString securityFile;
};

class Workspace {
public:
    /// Creates the named workspace for `user`; throws Error when the security file refuses it.
    Workspace(const EngineSettings& engine, const QString& name, const QString& user, const QString& password);
    ~Workspace();

    QString name() const { return name_; }
    QString user() const { return user_; }
    bool isOpen() const { return open_; }

    /// Opens a database file shared and read-write in this workspace.
    std::unique_ptr<Database> openDatabase(const QString& path) const;
    void close() { open_ = false; }

private:
    EngineSettings engine_;
    QString name_, user_;
    bool open_ = true;
};

/// Writes a new security file holding one user and its password (replacing any file of that name).
void createSecurityFile(const QString& path, const QString& user, const QString& password);

} // namespace kv::db
