#pragma once
// Export of a list as it is shown: the visible columns in their on-screen order, with their captions,
// to a CSV file or an .xlsx workbook. Every grid set up by kit::setupGrid offers it ("Exporter…" in
// its context menu, Ctrl+E).
//
// Cells become numbers ("1 234.50", "-12.00", "3 000", or a numeric edit/user value of the model),
// dates ("dd/mm/yyyy" or a QDate value) or texts. The .xlsx is written by a minimal Office Open XML
// writer in a stored (uncompressed) zip container.
#include <QByteArray>
#include <QDate>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <functional>

class QAbstractItemModel;
class QTableView;
class QWidget;

namespace kv::ui {
class Ui;
}

namespace kv::kit {

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

/// What a cell becomes: the model's numeric or date value (user role, then edit role) when it has one
/// and the shown text is a figure (holds a digit, or is empty), otherwise its shown text read as a number
/// or a date when it is one, otherwise text.
ExportCell exportCell(const QAbstractItemModel& model, int row, int column);
/// The shown text read as an amount: digits with blanks or non-breaking spaces between thousands and
/// "." decimals, an optional leading "-". Codes with a leading zero ("0550…") and long digit strings stay text.
bool parseAmount(const QString& text, ExportCell& cell);

/// The visible columns of a grid in header visual order (hidden columns and hidden rows skipped).
ExportTable tableOf(const QTableView& grid);
/// Every column and row of a model in model order.
ExportTable tableOf(const QAbstractItemModel& model);

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

/// The dynamic property that marks a screen's title band (kit::titleBand sets it).
inline constexpr char kTitleBandProperty[] = "kvTitleBand";
/// The file name an export proposes, without extension: the screen's title (its title band, else its
/// window title less the program's name; "Liste" when it has none) and the day, "dd-mm-yyyy", with
/// what a file name cannot hold replaced by blanks. "Etat des locations 11-12-2026".
QString proposedExportName(const QWidget* window, const QDate& day);

/// The question "where to save": returns the chosen path (empty when cancelled) and the format chosen.
/// The save dialog proposes proposedExportName in the folder of the last export (the documents folder
/// at first).
using ExportFileAsker = std::function<QString(QWidget* parent, ExportFormat& format)>;
/// Replaces the save dialog (tests); an empty function restores the dialog.
void setExportFileAsker(ExportFileAsker asker);
/// The ui that shows export failures; set once by the program.
void setExportUi(ui::Ui* ui);

/// Asks for the file and exports the grid; a failure is shown through the export ui. True when written.
bool exportGrid(QTableView* grid);
/// The list a window's "Exporter" command exports: among its shown grids that offer the export, the one
/// that has the focus, else the first. Null when the window shows none.
QTableView* exportableGrid(QWidget* window);
/// Adds "Exporter…" (Ctrl+E on the grid) to the grid's context menu. Done by setupGrid.
void installExport(QTableView* grid);

} // namespace kv::kit
