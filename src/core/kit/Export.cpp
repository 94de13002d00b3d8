#include "Export.h"

#include "platform/db/Dates.h"
#include "platform/ui/Ui.h"

#include <QAbstractItemModel>
#include <QAction>
#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTableView>
#include <QtEndian>

#include <array>
#include <cmath>

namespace kv::kit {

namespace {

ExportFileAsker& asker()
{
    static ExportFileAsker a;
    return a;
}

ui::Ui*& exportUi()
{
    static ui::Ui* u = nullptr;
    return u;
}

const QString kXlsxFilter = QStringLiteral("Classeur Excel (*.xlsx)");
const QString kCsvFilter = QStringLiteral("CSV (*.csv)");
const QString kCsvIntlFilter = QStringLiteral("CSV séparateur « , », décimales « . » et dates AAAA-MM-JJ (*.csv)");

/// The folder of the last export, where the next one is proposed.
QString& lastFolder()
{
    static QString folder;
    return folder;
}

QString dialogAsk(QWidget* parent, ExportFormat& format)
{
    QString folder = lastFolder();
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        folder = QDir::homePath();
    // Without an extension: the kind chosen in the dialog's list gives it.
    const QString proposed = QDir(folder).filePath(proposedExportName(parent, QDate::currentDate()));
    QString selected = kXlsxFilter;
    QString path = QFileDialog::getSaveFileName(parent, QStringLiteral("Exporter la liste"), proposed,
                                                kXlsxFilter + QStringLiteral(";;") + kCsvFilter + QStringLiteral(";;") + kCsvIntlFilter,
                                                &selected);
    if (path.isEmpty())
        return path;
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (selected == kCsvIntlFilter)
        format = ExportFormat::CsvInternational;
    else if (selected == kCsvFilter)
        format = ExportFormat::CsvFrench;
    else
        format = ExportFormat::Xlsx;
    // The name's own extension wins over the filter when it names the other kind.
    if (suffix == QLatin1String("xlsx"))
        format = ExportFormat::Xlsx;
    else if (suffix == QLatin1String("csv") && format == ExportFormat::Xlsx)
        format = ExportFormat::CsvFrench;
    else if (suffix.isEmpty())
        path += format == ExportFormat::Xlsx ? QStringLiteral(".xlsx") : QStringLiteral(".csv");
    lastFolder() = QFileInfo(path).absolutePath();
    return path;
}

bool isNumericType(const QVariant& v)
{
    switch (v.typeId()) {
    case QMetaType::Int: case QMetaType::UInt: case QMetaType::LongLong: case QMetaType::ULongLong:
    case QMetaType::Double: case QMetaType::Float: case QMetaType::Short: case QMetaType::UShort:
    case QMetaType::Long: case QMetaType::ULong:
        return true;
    default:
        return false;
    }
}

/// A number at its decimal value: the 15 significant digits a figure is shown from (1200.5 stays
/// 1200.5; a sum that came out as 0.30000000000000004 is 0.3), in its shortest plain form.
QString plainNumber(double d, double* decimalValue)
{
    *decimalValue = QString::number(d, 'g', 15).toDouble() + 0.0;   // no negative zero
    return QLocale::c().toString(*decimalValue, 'f', QLocale::FloatingPointShortest);
}

bool fromRaw(const QVariant& v, ExportCell& cell)
{
    if (!v.isValid() || v.isNull())
        return false;
    if (isNumericType(v)) {
        const double d = v.toDouble();
        if (!std::isfinite(d))
            return false;
        cell.kind = ExportCell::Number;
        cell.text = plainNumber(d, &cell.number);
        const qsizetype dot = cell.text.indexOf(QLatin1Char('.'));
        cell.decimals = dot < 0 ? 0 : int(cell.text.size() - dot - 1);
        return true;
    }
    if (v.typeId() == QMetaType::QDate || v.typeId() == QMetaType::QDateTime) {
        const QDate d = v.toDate();
        if (!d.isValid())
            return false;
        cell.kind = ExportCell::Date;
        cell.date = d;
        cell.text = d.toString(db::kShownDateFormat);
        return true;
    }
    return false;
}

bool parseDate(const QString& text, ExportCell& cell)
{
    static const QRegularExpression re(QStringLiteral("^(\\d{2})/(\\d{2})/(\\d{4})$"));
    const auto m = re.match(text.trimmed());
    if (!m.hasMatch())
        return false;
    const QDate d(m.captured(3).toInt(), m.captured(2).toInt(), m.captured(1).toInt());
    if (!d.isValid() || d.year() < 1900)
        return false;
    cell.kind = ExportCell::Date;
    cell.date = d;
    cell.text = text.trimmed();
    return true;
}

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

} // namespace

bool parseAmount(const QString& text, ExportCell& cell)
{
    QString t = text.trimmed();
    static const QRegularExpression grouped(
        QStringLiteral("^-?\\d{1,3}([ \\x{00A0}\\x{202F}]\\d{3})+(\\.\\d+)?$"));
    static const QRegularExpression plain(QStringLiteral("^-?\\d+(\\.\\d+)?$"));
    if (!grouped.match(t).hasMatch() && !plain.match(t).hasMatch())
        return false;
    t.remove(QLatin1Char(' ')).remove(QChar(0x00A0)).remove(QChar(0x202F));
    const bool negative = t.startsWith(QLatin1Char('-'));
    const QString digits = negative ? t.mid(1) : t;
    const qsizetype dot = digits.indexOf(QLatin1Char('.'));
    const QString whole = dot < 0 ? digits : digits.left(dot);
    if (whole.size() > 1 && whole.startsWith(QLatin1Char('0')))
        return false; // a code or a telephone number
    if (digits.size() - (dot < 0 ? 0 : 1) > 15)
        return false; // beyond what a spreadsheet number holds exactly
    bool ok = false;
    const double d = QLocale::c().toDouble(t, &ok);
    if (!ok)
        return false;
    cell.kind = ExportCell::Number;
    cell.number = d;
    cell.text = t;
    cell.decimals = dot < 0 ? 0 : int(digits.size() - dot - 1);
    return true;
}

ExportCell exportCell(const QAbstractItemModel& model, int row, int column)
{
    const QModelIndex index = model.index(row, column);
    ExportCell cell;
    const QString shown = index.data(Qt::DisplayRole).toString();
    // A raw value stands for the shown text only when that text is a figure (or nothing): a code shown
    // by its label ("Espèces") stays the label.
    static const QRegularExpression digit(QStringLiteral("\\d"));
    const bool figure = shown.trimmed().isEmpty() || shown.contains(digit);
    if (figure && (fromRaw(index.data(Qt::UserRole), cell) || fromRaw(index.data(Qt::EditRole), cell)))
        return cell;
    if (parseDate(shown, cell) || parseAmount(shown, cell))
        return cell;
    cell = ExportCell{};
    cell.text = shown.trimmed();   // the blank some lists put in front of a text is the list's, not the text's
    return cell;
}

ExportTable tableOf(const QTableView& grid)
{
    ExportTable table;
    const QAbstractItemModel* model = grid.model();
    if (!model)
        return table;
    const QHeaderView* header = grid.horizontalHeader();
    QList<int> columns;
    for (int v = 0; v < header->count(); ++v) {
        const int logical = header->logicalIndex(v);
        if (logical < 0 || header->isSectionHidden(logical) || grid.isColumnHidden(logical))
            continue;
        columns << logical;
        table.headers << model->headerData(logical, Qt::Horizontal, Qt::DisplayRole).toString().trimmed();
    }
    for (int r = 0; r < model->rowCount(); ++r) {
        if (grid.isRowHidden(r))
            continue;
        QList<ExportCell> row;
        for (int c : columns)
            row << exportCell(*model, r, c);
        table.rows << row;
    }
    return table;
}

ExportTable tableOf(const QAbstractItemModel& model)
{
    ExportTable table;
    for (int c = 0; c < model.columnCount(); ++c)
        table.headers << model.headerData(c, Qt::Horizontal, Qt::DisplayRole).toString().trimmed();
    for (int r = 0; r < model.rowCount(); ++r) {
        QList<ExportCell> row;
        for (int c = 0; c < model.columnCount(); ++c)
            row << exportCell(model, r, c);
        table.rows << row;
    }
    return table;
}

namespace {
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

QString proposedExportName(const QWidget* window, const QDate& day)
{
    QString title;
    if (window) {
        // The screen's title band, else its window title without the program's name.
        for (const QLabel* band : window->findChildren<QLabel*>()) {
            if (band->property(kTitleBandProperty).toBool() && !band->text().trimmed().isEmpty()) {
                title = band->text();
                break;
            }
        }
        if (title.trimmed().isEmpty()) {
            title = window->windowTitle();
            for (const QString& dash : {QStringLiteral(" — "), QStringLiteral(" - ")}) {
                const qsizetype at = title.lastIndexOf(dash);
                if (at > 0 && title.mid(at + dash.size()).trimmed() == QApplication::applicationName())
                    title.truncate(at);
            }
        }
    }
    // What no file system takes in a name, nor a line break, nor a point that would read as an
    // extension; runs of blanks become one.
    static const QRegularExpression forbidden(QStringLiteral("[\\\\/:*?\"<>|.\\x00-\\x1f]"));
    title.replace(forbidden, QStringLiteral(" "));
    title = title.simplified();
    if (title.isEmpty())
        title = QStringLiteral("Liste");
    return title + u' ' + day.toString(QStringLiteral("dd-MM-yyyy"));
}

void setExportFileAsker(ExportFileAsker a) { asker() = std::move(a); }

void setExportUi(ui::Ui* u) { exportUi() = u; }

bool exportGrid(QTableView* grid)
{
    if (!grid || !grid->model())
        return false;
    ExportFormat format = ExportFormat::Xlsx;
    const QString path = asker() ? asker()(grid->window(), format) : dialogAsk(grid->window(), format);
    if (path.isEmpty())
        return false;
    QString error;
    if (writeExport(tableOf(*grid), format, path, &error))
        return true;
    const QString text = QStringLiteral("L'exportation vers le fichier\n%1\na échoué : %2")
                             .arg(QDir::toNativeSeparators(path), error);
    if (ui::Ui* u = exportUi())
        u->message(text, ui::Icon::Critical);
    else
        qWarning("%s", qPrintable(text));
    return false;
}

QTableView* exportableGrid(QWidget* window)
{
    if (!window)
        return nullptr;
    QTableView* first = nullptr;
    // The window's own focus: the list the user was in, even while another window is active.
    const QWidget* focus = window->focusWidget();
    for (QTableView* grid : window->findChildren<QTableView*>()) {
        if (!grid->isVisibleTo(window) || !grid->findChild<QAction*>(QStringLiteral("exporter"), Qt::FindDirectChildrenOnly))
            continue;
        if (focus && (focus == grid || grid->isAncestorOf(focus)))
            return grid;
        if (!first)
            first = grid;
    }
    return first;
}

void installExport(QTableView* grid)
{
    if (grid->findChild<QAction*>(QStringLiteral("exporter"), Qt::FindDirectChildrenOnly))
        return;
    auto* action = new QAction(QStringLiteral("Exporter…"), grid);
    action->setObjectName(QStringLiteral("exporter"));
    action->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_E));
    action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    QObject::connect(action, &QAction::triggered, grid, [grid] { exportGrid(grid); });
    grid->addAction(action);
    grid->setContextMenuPolicy(Qt::ActionsContextMenu);
}

} // namespace kv::kit
