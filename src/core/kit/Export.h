#pragma once
// Export of a list as it is shown: the visible columns in their on-screen order, with their captions,
// to a CSV file or an .xlsx workbook (the writers: platform/export). Every grid set up by
// kit::setupGrid offers it ("Exporter…" in its context menu, Ctrl+E).
//
// Cells become numbers ("1 234.50", "-12.00", "3 000", or a numeric edit/user value of the model),
// dates ("dd/mm/yyyy" or a QDate value) or texts.
#include "platform/export/ExportWriters.h"

#include <QDate>
#include <QString>

class QAbstractItemModel;
class QTableView;
class QWidget;

namespace kv::ui {
class Ui;
}

namespace kv::kit {

using exports::ExportCell;
using exports::ExportFormat;
using exports::ExportTable;

/// What a cell becomes: the model's numeric or date value (user role, then edit role) when it has one
/// and the shown text is a figure (holds a digit, or is empty), otherwise its shown text read as a number
/// or a date when it is one, otherwise text.
ExportCell exportCell(const QAbstractItemModel& model, int row, int column);
/// The shown text read as an amount (readAmount, AmountForm::Shown): digits with blanks or non-breaking
/// spaces between thousands and "." decimals, an optional leading "-". Codes with a leading zero ("0550…")
/// and long digit strings stay text.
bool parseAmount(const QString& text, ExportCell& cell);

/// The visible columns of a grid in header visual order (hidden columns and hidden rows skipped).
ExportTable tableOf(const QTableView& grid);
/// Every column and row of a model in model order.
ExportTable tableOf(const QAbstractItemModel& model);

/// The dynamic property that marks a screen's title band (kit::titleBand sets it).
inline constexpr char kTitleBandProperty[] = "kvTitleBand";
/// The file name an export proposes, without extension: the screen's title (its title band, else its
/// window title less the program's name; "Liste" when it has none) and the day, "dd-mm-yyyy", with
/// what a file name cannot hold replaced by blanks. "Etat des locations 11-12-2026".
QString proposedExportName(const QWidget* window, const QDate& day);

/// The title of the export's save dialog, and the filter of each format in its list.
inline const QString kExportDialogTitle = QStringLiteral("Exporter la liste");
QString exportFilter(ExportFormat format);

/// The ui that asks where to save (ui::Ui::chooseSaveFile) and shows export failures; set once by the
/// program. Without one, nothing is exported.
void setExportUi(ui::Ui* ui);

/// Asks for the file through the export ui and exports the grid: the save dialog proposes
/// proposedExportName in the folder of the last export (the documents folder at first), with the
/// formats' filters, .xlsx selected. The filter chosen gives the format, unless the name's own extension
/// names the other kind; a name without extension gets the format's. A failure is shown through the
/// export ui. True when written.
bool exportGrid(QTableView* grid);
/// The list a window's "Exporter" command exports: among its shown grids that offer the export, the one
/// that has the focus, else the first. Null when the window shows none.
QTableView* exportableGrid(QWidget* window);
/// Adds "Exporter…" (Ctrl+E on the grid) to the grid's context menu. Done by setupGrid.
void installExport(QTableView* grid);

} // namespace kv::kit
