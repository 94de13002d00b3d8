#pragma once
#include <QString>
#include <stdexcept>

namespace kv::db {

/// The user's text of an engine failure: what happened, in French, from the engine's result code, and
/// the engine's own text as detail ("…\nDétail : disk is full").
QString frenchEngineMessage(int code, const QString& detail);

/// A failure of the database engine, carrying its message (frenchEngineMessage for the engine's own).
class Error : public std::runtime_error {
public:
    explicit Error(const QString& message, int code = 0)
        : std::runtime_error(message.toStdString()), message_(message), code_(code) {}
    QString message() const { return message_; }
    int code() const { return code_; }

private:
    QString message_;
    int code_;
};

} // namespace kv::db
