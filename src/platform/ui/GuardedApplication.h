#pragma once
// The application object with the last-resort guard at the event loop: an exception that a screen let
// out of an event handler is shown, written to the error log, and the program keeps running. Qt itself
// would end the program ("Qt has caught an exception thrown from an event handler").
#include "Ui.h"

#include <QApplication>
#include <exception>
#include <functional>

namespace kv::ui {

class GuardedApplication : public QApplication {
public:
    /// Handles an exception that is not an error to show (the program's own end request); returns true
    /// when it handled it.
    using Handler = std::function<bool(std::exception_ptr)>;

    GuardedApplication(int& argc, char** argv) : QApplication(argc, argv) {}
    void setUi(Ui* ui) { ui_ = ui; }
    void setHandler(Handler handler) { handler_ = std::move(handler); }

    bool notify(QObject* receiver, QEvent* event) override;

    /// What the guard does with an exception caught at the event loop (public for the tests).
    void handle(std::exception_ptr error) noexcept;

private:
    Ui* ui_ = nullptr;
    Handler handler_;
    bool showing_ = false;
};

} // namespace kv::ui
