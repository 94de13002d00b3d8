#pragma once
// Where a firm's data live. The program folder holds the program, its report templates, the template
// exercise database and the security file. When the user may write there (a copy unpacked in a home
// folder, a build), it is also the data folder, as it always was: exercise files, ZEB.CFG, the state
// file, archives, pictures, the log. When it is read-only, or a system location (/usr, /opt: an
// installed package, whose files an upgrade replaces), the data go to the user's data folder,
// ~/.local/share/Kavorel (XDG_DATA_HOME when set), which no upgrade or uninstall touches.
#include <QString>
#include <QStringList>

namespace kv::datafolder {

/// True when `programDir` can hold the data: writable by this user and not under /usr or /opt.
bool programDirHoldsData(const QString& programDir);
/// The user's data folder for Kavorel (not created).
QString userDataDir();

struct Choice {
    QString dataDir;      ///< the folder the program runs in (its "program folder" for every data file)
    QStringList copied;   ///< shipped files brought in or refreshed, by name
    QString error;        ///< why the data folder could not be made ready (empty on success)
    /// When the program folder holds a firm's years but cannot be the data folder: where they were
    /// found and why they are not used (empty otherwise).
    QString notice;
    /// True with a notice when the data folder holds no year of its own: the program must not start
    /// there (it would ask for a first year beside the firm's real ones).
    bool refuse = false;
};

/// The exercise files of a folder ("ZEB_" + year + ".MDB", the template left out), by name.
QStringList exerciseFilesIn(const QString& dir);

/// Chooses the data folder for `programDir` and, when it is not the program folder, makes it ready:
/// creates it and brings in the program's shipped files it needs beside the data. Report templates
/// (*.RPT) and the template database ZEB_00.mdb are copied when missing and refreshed when the installed
/// one is newer (a template the firm edited after installing is kept); the security file system.mdw is
/// copied only when missing (it holds the firm's passwords). Every copy is atomic.
Choice prepare(const QString& programDir);
/// The same with the data folder given: brings the shipped files of `programDir` into `dataDir`
/// (nothing when they are one folder).
Choice prepareIn(const QString& programDir, const QString& dataDir);

} // namespace kv::datafolder
