#include "ExportWriters.h"

#include <QLocale>
#include <QRegularExpression>
#include <QSaveFile>
#include <QtEndian>

#include <array>

namespace kv::exports {

namespace {

QString xmlEscaped(const QString& s)
{
    QString out;
    out.reserve(s.size());
    for (const QChar c : s) {
        const ushort u = c.unicode();
        if (u == '&') out += QLatin1String("&amp;");
        else if (u == '<') out += QLatin1String("&lt;");
        else if (u == '>') out += QLatin1String("&gt;");
        else if (u == '"') out += QLatin1String("&quot;");
        else if (u < 0x20 && u != '\t' && u != '\n' && u != '\r') continue; // not allowed in XML 1.0
        else if (u == 0xFFFE || u == 0xFFFF) continue;
        else out += c;
    }
    return out;
}

QString columnName(int column)
{
    QString name;
    for (int c = column + 1; c > 0; c = (c - 1) / 26)
        name.prepend(QChar(u'A' + (c - 1) % 26));
    return name;
}

QString sheetNameOf(const QString& wanted)
{
    QString s = wanted;
    static const QRegularExpression bad(QStringLiteral("[\\[\\]:*?/\\\\]"));
    s.replace(bad, QStringLiteral(" "));
    s = s.trimmed().left(31);
    return s.isEmpty() ? QStringLiteral("Liste") : s;
}

const char* kContentTypes =
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)" "\n"
    R"(<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">)"
    R"(<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>)"
    R"(<Default Extension="xml" ContentType="application/xml"/>)"
    R"(<Override PartName="/xl/workbook.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml"/>)"
    R"(<Override PartName="/xl/worksheets/sheet1.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml"/>)"
    R"(<Override PartName="/xl/styles.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml"/>)"
    R"(</Types>)";

const char* kRootRels =
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)" "\n"
    R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
    R"(<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="xl/workbook.xml"/>)"
    R"(</Relationships>)";

const char* kWorkbookRels =
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)" "\n"
    R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
    R"(<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="worksheets/sheet1.xml"/>)"
    R"(<Relationship Id="rId2" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles" Target="styles.xml"/>)"
    R"(</Relationships>)";

// Cell styles: 0 general, 1 number with two decimals and thousands, 2 date dd/mm/yyyy, 3 bold caption.
const char* kStyles =
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)" "\n"
    R"(<styleSheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">)"
    R"(<numFmts count="1"><numFmt numFmtId="164" formatCode="dd/mm/yyyy"/></numFmts>)"
    R"(<fonts count="2"><font><sz val="11"/><name val="Calibri"/></font><font><b/><sz val="11"/><name val="Calibri"/></font></fonts>)"
    R"(<fills count="2"><fill><patternFill patternType="none"/></fill><fill><patternFill patternType="gray125"/></fill></fills>)"
    R"(<borders count="1"><border><left/><right/><top/><bottom/><diagonal/></border></borders>)"
    R"(<cellStyleXfs count="1"><xf numFmtId="0" fontId="0" fillId="0" borderId="0"/></cellStyleXfs>)"
    R"(<cellXfs count="4">)"
    R"(<xf numFmtId="0" fontId="0" fillId="0" borderId="0" xfId="0"/>)"
    R"(<xf numFmtId="4" fontId="0" fillId="0" borderId="0" xfId="0" applyNumberFormat="1"/>)"
    R"(<xf numFmtId="164" fontId="0" fillId="0" borderId="0" xfId="0" applyNumberFormat="1"/>)"
    R"(<xf numFmtId="0" fontId="1" fillId="0" borderId="0" xfId="0" applyFont="1"/>)"
    R"(</cellXfs>)"
    R"(<cellStyles count="1"><cellStyle name="Normal" xfId="0" builtinId="0"/></cellStyles>)"
    R"(</styleSheet>)";

void put16(QByteArray& b, quint16 v)
{
    char c[2];
    qToLittleEndian(v, c);
    b.append(c, 2);
}
void put32(QByteArray& b, quint32 v)
{
    char c[4];
    qToLittleEndian(v, c);
    b.append(c, 4);
}

/// A text a spreadsheet would take for a formula when it opens a CSV file.
bool startsLikeAFormula(const QString& text)
{
    return !text.isEmpty() && QStringLiteral("=+-@\t\r").contains(text.front());
}

} // namespace

QByteArray csvBytes(const ExportTable& table, CsvStyle style)
{
    const QChar sep = style == CsvStyle::French ? QLatin1Char(';') : QLatin1Char(',');
    auto field = [&](const QString& s) {
        if (s.contains(sep) || s.contains(QLatin1Char('"')) || s.contains(QLatin1Char('\n')) || s.contains(QLatin1Char('\r'))) {
            QString q = s;
            q.replace(QLatin1String("\""), QLatin1String("\"\""));
            return QLatin1Char('"') + q + QLatin1Char('"');
        }
        return s;
    };
    QString out;
    auto line = [&](const QStringList& fields) {
        QStringList quoted;
        for (const QString& f : fields)
            quoted << field(f);
        out += quoted.join(sep) + QLatin1String("\r\n");
    };
    line(table.headers);
    for (const auto& row : table.rows) {
        QStringList fields;
        for (const ExportCell& cell : row) {
            if (cell.kind == ExportCell::Number && style == CsvStyle::French)
                fields << QString(cell.text).replace(QLatin1Char('.'), QLatin1Char(','));
            else if (cell.kind == ExportCell::Date && style == CsvStyle::International)
                fields << cell.date.toString(Qt::ISODate); // day first would be read month first there

            else if (cell.kind != ExportCell::Number && startsLikeAFormula(cell.text))
                fields << QLatin1Char('\'') + cell.text; // a spreadsheet never runs a typed text as a formula
            else
                fields << cell.text;
        }
        line(fields);
    }
    return QByteArray("\xEF\xBB\xBF") + out.toUtf8();
}

QByteArray xlsxBytes(const ExportTable& table, const QString& sheetName)
{
    static const QDate epoch(1899, 12, 30);
    QString sheet;
    sheet += QLatin1String(R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)" "\n"
                           R"(<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><sheetData>)");
    auto text = [&](const QString& ref, const QString& s, int style) {
        sheet += QStringLiteral(R"(<c r="%1" t="inlineStr"%2><is><t xml:space="preserve">%3</t></is></c>)")
                     .arg(ref, style ? QStringLiteral(" s=\"%1\"").arg(style) : QString(), xmlEscaped(s));
    };
    sheet += QLatin1String(R"(<row r="1">)");
    for (int c = 0; c < table.headers.size(); ++c)
        text(columnName(c) + QLatin1Char('1'), table.headers[c], 3);
    sheet += QLatin1String("</row>");
    for (int r = 0; r < table.rows.size(); ++r) {
        const QString rowNumber = QString::number(r + 2);
        sheet += QStringLiteral(R"(<row r="%1">)").arg(rowNumber);
        const auto& row = table.rows[r];
        for (int c = 0; c < row.size(); ++c) {
            const ExportCell& cell = row[c];
            const QString ref = columnName(c) + rowNumber;
            switch (cell.kind) {
            case ExportCell::Number:
                sheet += QStringLiteral(R"(<c r="%1"%2><v>%3</v></c>)")
                             .arg(ref, cell.decimals > 0 ? QStringLiteral(" s=\"1\"") : QString(),
                                  QLocale::c().toString(cell.number, 'g', QLocale::FloatingPointShortest));
                break;
            case ExportCell::Date:
                sheet += QStringLiteral(R"(<c r="%1" s="2"><v>%2</v></c>)").arg(ref).arg(epoch.daysTo(cell.date));
                break;
            case ExportCell::Text:
                if (!cell.text.isEmpty())
                    text(ref, cell.text, 0);
                break;
            }
        }
        sheet += QLatin1String("</row>");
    }
    sheet += QLatin1String("</sheetData></worksheet>");

    const QString workbook =
        QLatin1String(R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)" "\n"
                      R"(<workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" )"
                      R"(xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships"><sheets>)")
        + QStringLiteral(R"(<sheet name="%1" sheetId="1" r:id="rId1"/>)").arg(xmlEscaped(sheetNameOf(sheetName)))
        + QLatin1String("</sheets></workbook>");

    return zipStored({{QStringLiteral("[Content_Types].xml"), QByteArray(kContentTypes)},
                      {QStringLiteral("_rels/.rels"), QByteArray(kRootRels)},
                      {QStringLiteral("xl/workbook.xml"), workbook.toUtf8()},
                      {QStringLiteral("xl/_rels/workbook.xml.rels"), QByteArray(kWorkbookRels)},
                      {QStringLiteral("xl/styles.xml"), QByteArray(kStyles)},
                      {QStringLiteral("xl/worksheets/sheet1.xml"), sheet.toUtf8()}});
}

quint32 crc32(const QByteArray& data)
{
    static const std::array<quint32, 256> table = [] {
        std::array<quint32, 256> t{};
        for (quint32 i = 0; i < 256; ++i) {
            quint32 c = i;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    quint32 crc = 0xFFFFFFFFu;
    for (const char ch : data)
        crc = table[(crc ^ quint8(ch)) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

QByteArray zipStored(const QList<QPair<QString, QByteArray>>& files)
{
    // Every entry stored as is, dated 1 January 1980 (the zip epoch), names in UTF-8 (flag bit 11), made
    // on Unix with mode 0644 (an archive "made on MS-DOS" gets its names translated from an OEM code page
    // by some readers).
    constexpr quint16 kMadeBy = (3 << 8) | 20;
    constexpr quint32 kUnixFileMode = 0100644u << 16;
    constexpr quint16 kVersion = 20, kUtf8Names = 0x0800, kStored = 0, kTime = 0, kDate = (1 << 5) | 1;
    QByteArray out, central;
    for (const auto& [name, data] : files) {
        const QByteArray n = name.toUtf8();
        const quint32 crc = crc32(data), offset = quint32(out.size()), size = quint32(data.size());
        put32(out, 0x04034b50);
        put16(out, kVersion); put16(out, kUtf8Names); put16(out, kStored); put16(out, kTime); put16(out, kDate);
        put32(out, crc); put32(out, size); put32(out, size);
        put16(out, quint16(n.size())); put16(out, 0);
        out += n;
        out += data;

        put32(central, 0x02014b50);
        put16(central, kMadeBy); put16(central, kVersion); put16(central, kUtf8Names); put16(central, kStored);
        put16(central, kTime); put16(central, kDate);
        put32(central, crc); put32(central, size); put32(central, size);
        put16(central, quint16(n.size())); put16(central, 0); put16(central, 0); put16(central, 0); put16(central, 0);
        put32(central, kUnixFileMode); put32(central, offset);
        central += n;
    }
    const quint32 centralOffset = quint32(out.size());
    out += central;
    put32(out, 0x06054b50);
    put16(out, 0); put16(out, 0);
    put16(out, quint16(files.size())); put16(out, quint16(files.size()));
    put32(out, quint32(central.size())); put32(out, centralOffset);
    put16(out, 0);
    return out;
}

bool writeExport(const ExportTable& table, ExportFormat format, const QString& path, QString* error)
{
    const QByteArray bytes = format == ExportFormat::Xlsx ? xlsxBytes(table)
                             : csvBytes(table, format == ExportFormat::CsvFrench ? CsvStyle::French : CsvStyle::International);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        if (error)
            *error = file.errorString();
        file.cancelWriting();
        return false;
    }
    return true;
}

} // namespace kv::exports
