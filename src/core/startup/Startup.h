#pragma once
// The start-up sequence: runs before the main window is usable, and again in full after an import.
// Ends either with the latest exercise open, or by throwing ProgramEnd after its message.
#include "core/state/Session.h"

namespace kv {

class Startup {
public:
    explicit Startup(Session& session) : s_(session) {}

    /// Runs every step in order. Throws ProgramEnd when the program must end.
    void run();

    // The steps, in the order run() takes them.
    void setTextFormats();
    void rememberScreenSize();
    void readSignatureTexts();
    void checkSystemFiles();
    void writeEngineSettings();
    void fillNames();
    void openEngine();
    void readProtectedSettings();
    void chooseEngine();
    void createFolders();
    void recoverInterruptedWork();
    void readExerciseState();
    void ensureExerciseDatabase();
    void checkExerciseDatabase();
    void ensureParameters();

private:
    Session& s_;
    /// Checks the open year's file; `full` reads every page. False when unsound or not one of the
    /// program's years; `why` then holds the reason, and `newer` tells a year of a newer version.
    bool exerciseFileSound(bool full, QString* why, bool* newer);
};

/// The first and the last year an exercise can have: the first-exercise dialog takes years above 1993,
/// and a year is written with four digits.
inline constexpr int kFirstPossibleYear = 1994;
inline constexpr int kLastPossibleYear = 9999;
/// True when a state file's record can name the exercises of a folder: no first year yet (0, 0), or a
/// first year and a number of closings that keep every year between the two bounds above.
bool isPossibleExerciseState(int firstYear, int closings);
/// True when an installation code can name the state file: letters and digits only (empty allowed).
bool isSafeInstallationCode(const QString& code);

/// The question that offers the repair of a damaged year.
QString repairOfferText(int year);

/// Reads Dir_Data.TXT: two quoted texts, one per line; an absent file gives two empty texts.
std::pair<QString, QString> readSignatureFile(const QString& path);
/// Rewrites Dir_Data.TXT with both texts between double quotes, one per line (atomic).
bool writeSignatureFile(const QString& path, const QString& first, const QString& second, QString* error);

} // namespace kv
