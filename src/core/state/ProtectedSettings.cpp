#include "ProtectedSettings.h"

#include "platform/db/FileOps.h"
#include "platform/os/Files.h"

#include <QFile>
#include <QtEndian>

namespace kv {

namespace {
CfgRecord readRecord(const QByteArray& data, int n)
{
    CfgRecord r{};
    const qsizetype offset = qsizetype(n - 1) * ProtectedSettings::kRecordSize;
    for (int i = 0; i < 42; ++i) {
        const qsizetype at = offset + 2 * i;
        if (at + 2 <= data.size())
            r[i] = qFromLittleEndian<qint16>(data.constData() + at);
    }
    return r;
}
} // namespace

void ProtectedSettings::load(const QString& path)
{
    path_ = path;
    QByteArray data;
    QFile f(path);
    if (!f.exists()) {
        if (f.open(QIODevice::WriteOnly))
            f.close();
    } else if (f.open(QIODevice::ReadOnly)) {
        data = f.readAll();
    }
    for (int n = 1; n <= 4; ++n)
        records_[n - 1] = readRecord(data, n);
    code_.clear();
    for (int i = 1; i <= 3; ++i)
        if (records_[3][i] != 0)
            code_ += QChar(char16_t(records_[3][i] / 7));
    for (int k = 1; k <= 16; ++k)
        identity_[k - 1] = decodeText(readRecord(data, 36 + k)).left(kIdentityWidths[k - 1]).leftJustified(kIdentityWidths[k - 1], u' ');
}

CfgRecord ProtectedSettings::encodePassword(const QString& password, int factor)
{
    CfgRecord r{};
    const QString p = password.left(kMaxPasswordLength);
    r[0] = static_cast<qint16>(p.size());
    for (int k = 0; k < p.size(); ++k)
        r[k + 1] = static_cast<qint16>(p[k].unicode() * factor);
    return r;
}

QString ProtectedSettings::decodePassword(const CfgRecord& record, int factor)
{
    QString p;
    const int n = std::clamp<int>(record[0], 0, kMaxPasswordLength);
    for (int k = 1; k <= n; ++k)
        p += QChar(char16_t(std::max(0, record[k] / factor)));
    return p;
}

CfgRecord ProtectedSettings::encodeText(const QString& text)
{
    CfgRecord r{};
    const QString t = text.left(41);
    for (int k = 0; k < t.size(); ++k)
        r[k] = static_cast<qint16>(t[k].unicode() * 7);
    r[41] = static_cast<qint16>(t.size() * 7);
    return r;
}

QString ProtectedSettings::decodeText(const CfgRecord& record)
{
    QString t;
    const int n = std::clamp<int>(record[41] / 7, 0, 41);
    for (int k = 0; k < n; ++k)
        t += QChar(char16_t(std::max(0, record[k] / 7)));
    return t;
}

QString ProtectedSettings::password(int level) const
{
    if (level < 1 || level > 2)
        return {};
    return decodePassword(records_[level - 1], 7);
}

QString ProtectedSettings::overridePassword() const { return decodePassword(records_[2], 2); }

namespace {
/// Reads the whole file, writes the given records into it (1-based; the file grows with zeros to hold
/// them) and puts it in place atomically.
bool writeRecords(const QString& path, const QMap<int, CfgRecord>& records, QString* error)
{
    QByteArray data;
    {
        QFile in(path);
        if (in.exists() && in.open(QIODevice::ReadOnly))
            data = in.readAll();
    }
    for (auto it = records.constBegin(); it != records.constEnd(); ++it) {
        const qsizetype end = qsizetype(it.key()) * ProtectedSettings::kRecordSize;
        if (data.size() < end)
            data.append(QByteArray(end - data.size(), '\0'));
        for (int i = 0; i < 42; ++i)
            qToLittleEndian<qint16>(it.value()[i], data.data() + (it.key() - 1) * ProtectedSettings::kRecordSize + 2 * i);
    }
    if (os::hasSpecialAttributes(path))
        os::clearAttributes(path);
    return db::writeFileAtomic(path, data, error);
}
} // namespace

bool ProtectedSettings::saveIdentity(const QMap<int, QString>& fields, QString* error)
{
    QMap<int, CfgRecord> records;
    QMap<int, QString> kept;
    for (auto it = fields.constBegin(); it != fields.constEnd(); ++it) {
        const int k = it.key();
        if (k < 1 || k > 16)
            continue;
        QString text = it.value().left(kIdentityWidths[k - 1]);
        while (text.endsWith(u' '))
            text.chop(1);
        records.insert(36 + k, encodeText(text));
        kept.insert(k, text.leftJustified(kIdentityWidths[k - 1], u' '));
    }
    if (!writeRecords(path_, records, error))
        return false;
    for (auto it = kept.constBegin(); it != kept.constEnd(); ++it)
        identity_[it.key() - 1] = it.value();
    return true;
}

bool ProtectedSettings::savePassword(int level, const QString& password, QString* error)
{
    if (level < 1 || level > 2)
        return false;
    const CfgRecord record = encodePassword(password, 7);
    if (!writeRecords(path_, {{level, record}}, error))
        return false;
    records_[level - 1] = record;
    return true;
}

} // namespace kv
