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
    void createFolders();
    void recoverInterruptedWork();
    void readExerciseState();
    void ensureExerciseDatabase();
    void checkExerciseDatabase();
    void ensureParameters();

private:
    Session& s_;
};

/// Reads Dir_Data.TXT: two quoted texts, one per line; an absent file gives two empty texts.
std::pair<QString, QString> readSignatureFile(const QString& path);
/// Rewrites Dir_Data.TXT with both texts between double quotes, one per line (atomic).
bool writeSignatureFile(const QString& path, const QString& first, const QString& second, QString* error);

} // namespace kv
