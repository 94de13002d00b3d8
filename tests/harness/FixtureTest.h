#pragma once
// The base of a test class over a temporary program folder: the fixture (folder, scripted ui, session)
// made afresh for each test function, with the accessors every test uses. A test class makes the
// fixture in its init() (newFixture(), or openExercise() for the program as a user finds it) and drops
// it in its cleanup() (dropFixture()), where the scripted ui checks that its script was followed.
#include "harness/CoreFixture.h"
#include "harness/PdfText.h"

#include <QObject>

namespace kv::test {

class FixtureTest : public QObject {
protected:
    std::unique_ptr<CoreFixture> f_;

    TestFolder& folder() { return *f_->folder; }
    ScriptedUi& ui() { return f_->ui; }
    Session& s() { return *f_->session; }
    db::Database& db() { return s().db(); }

    /// A new folder and session, nothing started.
    void newFixture() { f_ = std::make_unique<CoreFixture>(); }
    /// A new fixture with the exercise of `year` open, as a user finds the program after start-up,
    /// and the ui's record of that start-up cleared.
    void openExercise(qint16 year = 2021)
    {
        newFixture();
        f_->openExercise(year);
        ui().clear();
    }
    /// Drops the fixture: the scripted ui fails the test if its script was not followed exactly.
    void dropFixture() { f_.reset(); }

    /// Runs the whole start-up; false when it ended the program.
    bool start()
    {
        f_->makeServerYearsOfState();
        try {
            Startup(s()).run();
            return true;
        } catch (const ProgramEnd&) {
            return false;
        }
    }
};

} // namespace kv::test
