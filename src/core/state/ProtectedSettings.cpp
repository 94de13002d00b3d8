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

bool ProtectedSettings::savePassword(int level, const QString& password, QString* error)
{
    if (level < 1 || level > 2)
        return false;
    const CfgRecord record = encodePassword(password, 7);
    QByteArray data;
    {
        QFile in(path_);
        if (in.exists() && in.open(QIODevice::ReadOnly))
            data = in.readAll();
    }
    const qsizetype end = qsizetype(level) * kRecordSize;
    if (data.size() < end)
        data.append(QByteArray(end - data.size(), '\0'));
    for (int i = 0; i < 42; ++i)
        qToLittleEndian<qint16>(record[i], data.data() + (level - 1) * kRecordSize + 2 * i);
    if (os::hasSpecialAttributes(path_))
        os::clearAttributes(path_);
    if (!db::writeFileAtomic(path_, data, error))
        return false;
    records_[level - 1] = record;
    return true;
}

} // namespace kv
