#pragma once
#include <QString>
#include <stdexcept>

namespace kv::db {

/// A failure of the database engine, carrying the engine's own message.
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
