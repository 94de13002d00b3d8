#include "Export.h"

#include "core/formats/Numbers.h"
#include "platform/db/Dates.h"
#include "platform/ui/Ui.h"

#include <QAbstractItemModel>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTableView>

#include <cmath>

namespace kv::kit {

namespace {

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

/// Asks where to save through the ui; the chosen path (empty when cancelled) and its format.
QString askFile(ui::Ui& ui, QWidget* window, ExportFormat& format)
{
    QString folder = lastFolder();
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        folder = QDir::homePath();
    // Without an extension: the kind chosen in the dialog's list gives it.
    const QString proposed = QDir(folder).filePath(proposedExportName(window, QDate::currentDate()));
    QString selected = kXlsxFilter;
    QString path = ui.chooseSaveFile(kExportDialogTitle, proposed,
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

} // namespace

bool parseAmount(const QString& text, ExportCell& cell)
{
    const std::optional<AmountReading> amount = readAmount(text, AmountForm::Shown);
    if (!amount)
        return false;
    cell.kind = ExportCell::Number;
    cell.number = amount->value;
    cell.text = amount->plain;
    cell.decimals = amount->decimals;
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

QString exportFilter(ExportFormat format)
{
    switch (format) {
    case ExportFormat::CsvFrench: return kCsvFilter;
    case ExportFormat::CsvInternational: return kCsvIntlFilter;
    case ExportFormat::Xlsx: break;
    }
    return kXlsxFilter;
}

void setExportUi(ui::Ui* u) { exportUi() = u; }

bool exportGrid(QTableView* grid)
{
    if (!grid || !grid->model())
        return false;
    ui::Ui* u = exportUi();
    if (!u) {
        qWarning("The export has no ui to ask where to save");
        return false;
    }
    ExportFormat format = ExportFormat::Xlsx;
    const QString path = askFile(*u, grid->window(), format);
    if (path.isEmpty())
        return false;
    QString error;
    if (exports::writeExport(tableOf(*grid), format, path, &error))
        return true;
    u->message(QStringLiteral("L'exportation vers le fichier\n%1\na échoué : %2").arg(QDir::toNativeSeparators(path), error),
               ui::Icon::Critical);
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
