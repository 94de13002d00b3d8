#pragma once
// The program's error log: one line per engine error, unexpected failure, start-up and exit, with its
// date and time, appended to a file of the program folder, for support. Until a file is set (tests),
// writing does nothing.
#include <QString>

namespace kv::ui {

class ErrorLog {
public:
    /// Sets the log file; an empty path stops logging.
    void setPath(const QString& path) { path_ = path; }
    QString path() const { return path_; }
    /// Appends one line; a failure to write is ignored (the log must never end the program).
    void write(const QString& line) const noexcept;

private:
    QString path_;
};

/// The program's one log.
ErrorLog& errorLog();

/// Name of the log file in the program folder.
inline const QString kErrorLogName = QStringLiteral("kavorel.log");

} // namespace kv::ui
