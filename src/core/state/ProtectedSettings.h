#pragma once
// The protected settings file ZEB.CFG: fixed 84-byte records of 42 little-endian 16-bit integers,
// numbered from 1. Characters are stored scrambled as their code times a factor.
//   record 1, 2: password of level 1 / 2 (integer 1 = length, then code x 7)
//   record 3:    override password (code x 2), accepted at every level
//   record 4:    installation code (integers 2..4, code x 7, 0 = no character)
//   records 37 to 52: the firm identity, 16 text records (integer 42 = length x 7, integers 1..n = code x 7)
#include <QMap>
#include <QString>
#include <array>

namespace kv {

using CfgRecord = std::array<qint16, 42>;

class ProtectedSettings {
public:
    static constexpr int kRecordSize = 84;
    static constexpr int kMaxPasswordLength = 41;
    /// Widths of the sixteen identity fields.
    static constexpr std::array<int, 16> kIdentityWidths = {40, 40, 20, 20, 30, 38, 38, 38, 40, 40, 20, 20, 30, 38, 38, 38};

    /// Reads the file; a missing file is created empty, and a short or unreadable one reads as zeros.
    void load(const QString& path);

    const CfgRecord& record(int n) const { return records_[n - 1]; } ///< records 1 to 4
    /// Password of level 1 or 2, decoded (upper case as stored); empty when the level has none.
    QString password(int level) const;
    /// True when the level is protected: integer 1 of its record above 0. A length that no record can
    /// hold (above 41) marks a damaged record, read as no password, like a missing file.
    bool isProtected(int level) const
    {
        return level >= 1 && level <= 2 && records_[level - 1][0] > 0 && records_[level - 1][0] <= kMaxPasswordLength;
    }
    /// The override password, empty when none is stored.
    QString overridePassword() const;
    QString installationCode() const { return code_; }
    /// Identity field 1..16, fixed width (cut or padded with blanks).
    QString identity(int field) const { return identity_[field - 1]; }

    /// Writes the password of level 1 or 2 into the file (atomically) and into the in-memory table.
    /// False with a message when the file cannot be written (the file is then unchanged).
    bool savePassword(int level, const QString& password, QString* error);

    /// Writes identity fields (1..16, each cut to its width, trailing blanks dropped) into their records
    /// of the file (atomically; the other records stay as they are) and into memory. False with a message
    /// when the file cannot be written (the file and memory are then unchanged).
    bool saveIdentity(const QMap<int, QString>& fields, QString* error);

    QString path() const { return path_; }

    /// Builds a password record: length, then each character code x factor.
    static CfgRecord encodePassword(const QString& password, int factor);
    static QString decodePassword(const CfgRecord& record, int factor);
    /// Builds an identity text record.
    static CfgRecord encodeText(const QString& text);
    static QString decodeText(const CfgRecord& record);

private:
    QString path_;
    std::array<CfgRecord, 4> records_{};
    QString code_;
    std::array<QString, 16> identity_;
};

} // namespace kv
