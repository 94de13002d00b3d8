#pragma once
// Program-wide state shared by all screens: the open exercise and its connection, the firm identity,
// the signature texts, the report template name, the shared dialog value and exchange slots.
// Created once by the application and handed to every screen; each test builds its own.
#include "Echange.h"
#include "ProtectedSettings.h"
#include "platform/db/Database.h"
#include "platform/db/ServerSettings.h"
#include "platform/db/Workspace.h"
#include "platform/ui/Ui.h"

#include <QDate>
#include <QSize>
#include <functional>
#include <memory>
#include <optional>

namespace kv {

/// Thrown when the program must end (after its message was shown). main() catches it.
struct ProgramEnd {
    int code = 0;
};

/// The three display choices of the main window.
enum class DisplayChoice { Origine, Petite, Grande };

class Session {
public:
    Session(QString programDir, ui::Ui& ui);
    ~Session();

    ui::Ui& ui() const { return ui_; }
    QString programDir() const { return programDir_; }
    /// Path of a file or folder of the program folder, its name matched in any letter case.
    QString programFile(const QString& name) const;

    // ---- exercise --------------------------------------------------------------------------------
    int exerciceOuvert = 0;    ///< the open exercise year
    int premierExercice = 0;   ///< the first exercise year
    int nbClotures = 0;        ///< number of closings since the first exercise
    bool dernierExercice = true; ///< the open exercise is the latest one
    bool firstStart = false;     ///< this start chose the first exercise (a fresh installation)
    int latestYear() const { return premierExercice + nbClotures; }
    /// The date an entry starts with: today when today is in the open exercise, else the last date used
    /// in it (noteDayUsed), else the exercise's last day.
    QDate defaultDay() const;
    /// Remembers a date confirmed in an entry, for defaultDay (dates of another year are not kept).
    void noteDayUsed(const QDate& day);

    /// The exercise database path for a year: "ZEB_" + year + ".MDB" in the program folder.
    QString exercisePath(int year) const;
    /// The exercise state file: installation code + ".INI".
    QString exerciseStatePath() const;
    /// Opens the database of the open exercise year and checks its standing tables; on failure shows
    /// "La base de données semble endommagée" and ends the program (throws ProgramEnd).
    void ouvrir_exercice();
    /// Closes the open exercise database; errors while closing are ignored.
    void fermer_exercice() noexcept;
    /// Closes and reopens the same exercise, so that rows written elsewhere are seen.
    void reconnect()
    {
        fermer_exercice();
        ouvrir_exercice();
    }
    bool isOpen() const { return db_ != nullptr; }
    /// The open exercise database. Throws db::Error when none is open.
    db::Database& db() const;
    /// Rewrites record 1 of the exercise state file with the first year and the number of closings.
    bool writeExerciseState();
    /// The last run on this folder did not end cleanly (its lock was left behind, or the start-up had
    /// work of it to put right): the start-up reads every page of the year before it opens it.
    bool uncleanExit = false;
    /// Repairs an exercise file of the program folder, by name (the repair screen's operation, set by
    /// the application): offered by the start-up and the exit when the year is found damaged. True
    /// when repaired. Unset: no repair is offered.
    std::function<bool(const QString& fileName)> repairYear;

    /// True when a file (attributes 0) or a folder (attributes 16) of that path exists, any letter case.
    static bool fichier_existe(const QString& path, int attributes = 0);
    /// Writes the firm identity into the report texts ch1, ch2, ch3 and ch30.
    void ecrire_identite();

    // ---- engine ----------------------------------------------------------------------------------
    /// The firm's PostgreSQL server when this desk works on one (the "Connexion" choice): each exercise
    /// year is then the schema db::exerciseSchema(year) of its database. Unset: the year's file.
    std::optional<db::ServerSettings> server;
    std::unique_ptr<db::Workspace> workspace;
    /// Takes the data folder's single-instance lock when it is not held yet (set by the application):
    /// the local year files are written by one program at a time; a desk on a server does not lock the
    /// folder. False when another program holds it (the user was told). Unset: nothing to take.
    std::function<bool()> lockFolder;

    // ---- settings and identity -------------------------------------------------------------------
    ProtectedSettings settings;
    /// Identity field 1..16 (fixed width).
    QString identite(int field) const { return settings.identity(field); }
    /// The two pay signature texts, and the values read at start-up.
    QString signature1, signature2, signatureRead1, signatureRead2;
    /// The three lines of the main window header.
    QStringList headerLines() const;

    // ---- display -----------------------------------------------------------------------------------
    QSize originalScreenSize;
    DisplayChoice displayChoice = DisplayChoice::Origine;
    bool displayChanged = false;

    // ---- shared values -----------------------------------------------------------------------------
    QString reportTemplate;    ///< name of the report template being printed
    int dialogValue = 0;       ///< the shared dialog value
    Echange echange;
    QString saisie;            ///< "OK" or "NON" left by a search dialog
    qint64 num_courant = 0;    ///< the person whose account is to be opened
    qint64 vehicule_courant = 0; ///< the vehicle whose file is to be opened

private:
    QString programDir_;
    QDate lastDayUsed_;
    ui::Ui& ui_;
    std::unique_ptr<db::Database> db_;
};

} // namespace kv
