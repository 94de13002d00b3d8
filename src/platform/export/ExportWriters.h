#pragma once
// The export writers: a table of texts, numbers and dates written as a CSV file or an .xlsx workbook
// (a minimal Office Open XML writer in a stored, uncompressed zip container). No widget: what a table
// holds is decided by whoever builds it (the screen kit reads it from a list as it is shown).
#include <QByteArray>
#include <QDate>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

namespace kv::exports {

/// One exported cell: a text, a number (with its plain text, "." decimals, no blanks) or a date.
struct ExportCell {
    enum Kind { Text, Number, Date };
    Kind kind = Text;
    QString text;      ///< Text: the text; Number: plain digits ("-1234.50"); Date: "dd/MM/yyyy"
    double number = 0; ///< Number
    int decimals = 0;  ///< Number: digits after the point
    QDate date;        ///< Date
};

/// The table to export: captions and rows, already in the on-screen column order.
struct ExportTable {
    QStringList headers;
    QList<QList<ExportCell>> rows;
};

enum class CsvStyle {
    French,       ///< ";" between fields, "," decimals
    International ///< "," between fields, "." decimals, dates "yyyy-mm-dd"
};
/// UTF-8 with a byte order mark, CRLF line ends, fields quoted when they hold the separator, a quote
/// or a line break.
QByteArray csvBytes(const ExportTable& table, CsvStyle style);
/// An .xlsx workbook of one sheet: captions in bold, numbers as numbers, dates as serial days with a
/// date style, texts as inline strings.
QByteArray xlsxBytes(const ExportTable& table, const QString& sheetName = QStringLiteral("Liste"));

/// CRC-32 (ISO 3309, the one zip uses).
quint32 crc32(const QByteArray& data);
/// A zip archive of the given files, stored without compression.
QByteArray zipStored(const QList<QPair<QString, QByteArray>>& files);

enum class ExportFormat { Xlsx, CsvFrench, CsvInternational };
/// Writes the table to `path` atomically; false with `error` filled on failure.
bool writeExport(const ExportTable& table, ExportFormat format, const QString& path, QString* error = nullptr);

} // namespace kv::exports
