#include "ErrorLog.h"

#include <QDateTime>
#include <QFile>
#include <QTextStream>

namespace kv::ui {

void ErrorLog::write(const QString& line) const noexcept
{
    if (path_.isEmpty())
        return;
    try {
        QFile file(path_);
        // Past 1 MB the log starts again, keeping the previous one beside it.
        if (file.size() > 1024 * 1024) {
            QFile::remove(path_ + QStringLiteral(".1"));
            QFile::rename(path_, path_ + QStringLiteral(".1"));
        }
        if (!file.open(QIODevice::Append | QIODevice::Text))
            return;
        QTextStream out(&file);
        out << QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) << ' ' << line << '\n';
    } catch (...) {
    }
}

ErrorLog& errorLog()
{
    static ErrorLog log;
    return log;
}

} // namespace kv::ui
