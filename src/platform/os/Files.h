#pragma once
// File and folder names of the program folder are matched without regard to letter case: a name is
// looked up in its folder before it is created, so "ARCHIVES" and "Archives" are one folder.
#include <QString>

namespace kv::os {

/// The path of the entry of `folder` whose name equals `name` in any letter case; when there is none,
/// `folder` + separator + `name` as written. `name` may hold several components ("Archives/ZEB_2021.mdb").
QString resolve(const QString& folder, const QString& name);
/// True when a file (or, with `folder` true, a folder) of that name exists, in any letter case.
bool exists(const QString& folder, const QString& name, bool wantFolder = false);
/// Creates the folder `name` in `parent` unless it exists in any letter case; returns its path.
QString ensureFolder(const QString& parent, const QString& name);
/// Clears the attributes of a file: makes it writable by its owner again.
bool clearAttributes(const QString& path);
/// True when the file has an attribute beyond "archive": read-only (or hidden, on this platform a
/// name starting with a dot).
bool hasSpecialAttributes(const QString& path);

} // namespace kv::os
