// The kit's grid model: values formatted by their column's kind only when shown, lines read a page at a
// time, blank rows, and the view that measures each cell once.
#include "core/kit/Colours.h"
#include "core/kit/Export.h"
#include "core/kit/GridModel.h"
#include "core/kit/ScreenKit.h"
#include "harness/TestFolder.h"
#include "platform/db/Error.h"
#include "platform/ui/ErrorLog.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QColor>
#include <QFont>
#include <QHeaderView>
#include <QTableView>
#include <QTest>

using namespace kv;
using kit::CellKind;
using kit::GridColumn;
using kit::GridModel;

namespace {

constexpr auto kReport = QAbstractItemModelTester::FailureReportingMode::QtTest;

QList<GridColumn> columns()
{
    return {{QStringLiteral("N°"), CellKind::Position},
            {QStringLiteral("Date"), CellKind::Date},
            {QStringLiteral("Objet"), CellKind::Text, {}, true},
            {QStringLiteral("Montant"), CellKind::Amount},
            {QStringLiteral("Km"), CellKind::Whole}};
}

QVariantList line(const char* date, const char* object, QVariant amount, QVariant km)
{
    return {QVariant(), QString::fromLatin1(date), QString::fromUtf8(object), amount, km};
}

/// A page reader over lines numbered 1..count, counting what it is asked for.
struct Pages {
    QList<QList<qint64>> asked;
    int failures = 0; ///< refusals still to give
    QList<QVariantList> operator()(const QList<qint64>& keys)
    {
        asked << keys;
        if (failures > 0) {
            --failures;
            throw db::Error(QStringLiteral("disque illisible"));
        }
        QList<QVariantList> rows;
        for (qint64 k : keys)
            rows << (k == 7 ? QVariantList() : line("2021-01-02", "ligne", double(k) * 10, k));
        return rows;
    }
};

} // namespace

class GridTest : public QObject {
    Q_OBJECT
private slots:
    void everyWayOfFillingIsASoundModel()
    {
        GridModel model(columns());
        QAbstractItemModelTester tester(&model, kReport);
        model.setRows({line("2021-03-05", "Plein", 1234.5, 120), line("2021-03-06", "Filtre", 0.5, QVariant())});
        QCOMPARE(model.rowCount(), 2);
        model.setMinimumRows(10);
        QCOMPARE(model.rowCount(), 10);
        model.setLines({{"1", "a"}, {"2", "b"}, {"3", "c"}});
        QCOMPARE(model.cell(2, 1), QStringLiteral("c"));
        model.setLines(12, [](int i) { return QStringList{QString::number(i + 1)}; });
        QCOMPARE(model.rowCount(), 12);
        auto pages = std::make_shared<Pages>();
        QList<qint64> keys;
        for (qint64 k = 1; k <= 300; ++k)
            keys << k;
        model.setPagedRows(keys, [pages](const QList<qint64>& k) { return (*pages)(k); });
        QCOMPARE(model.rowCount(), 300);
        QCOMPARE(model.cell(299, 4), QStringLiteral("300"));
        model.setRows({});
        QCOMPARE(model.rowCount(), 10);
        QCOMPARE(model.lineCount(), 0);
    }

    void cellsShowTheirColumnsKind_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("align");
        QTest::newRow("position") << 0 << QVariant(99) << "2" << int(Qt::AlignHCenter);
        QTest::newRow("date") << 1 << QVariant("2021-03-05") << "05/03/2021" << int(Qt::AlignHCenter);
        QTest::newRow("date null") << 1 << QVariant() << "" << int(Qt::AlignHCenter);
        QTest::newRow("date unreadable") << 1 << QVariant("demain") << "" << int(Qt::AlignHCenter);
        QTest::newRow("text") << 2 << QVariant("Plein") << "Plein" << int(Qt::AlignLeft);
        QTest::newRow("amount") << 3 << QVariant(1234567.891) << "1 234 567.89 " << int(Qt::AlignRight);
        QTest::newRow("amount below one") << 3 << QVariant(0.5) << "0.50 " << int(Qt::AlignRight);
        QTest::newRow("amount negative") << 3 << QVariant(-500) << "-500.00 " << int(Qt::AlignRight);
        QTest::newRow("amount null") << 3 << QVariant() << "" << int(Qt::AlignRight);
        QTest::newRow("whole") << 4 << QVariant(120500) << "120500" << int(Qt::AlignHCenter);
        QTest::newRow("whole null") << 4 << QVariant() << "" << int(Qt::AlignHCenter);
    }
    void cellsShowTheirColumnsKind()
    {
        QFETCH(int, column);
        QFETCH(QVariant, value);
        QFETCH(QString, shown);
        QFETCH(int, align);
        GridModel model(columns());
        QVariantList values(5);
        values[column] = value;
        model.setRows({QVariantList(5), values});
        QCOMPARE(model.cell(1, column), shown);
        QCOMPARE(model.data(model.index(1, column)).toString(), shown);
        QCOMPARE(model.value(1, column), value);
        const auto a = model.data(model.index(1, column), Qt::TextAlignmentRole).value<Qt::Alignment>();
        QCOMPARE(int(a & Qt::AlignHorizontal_Mask), align);
        QVERIFY(a & Qt::AlignVCenter);
        QCOMPARE(model.data(model.index(1, column), Qt::FontRole).isValid(), column == 3);
        QCOMPARE(model.headerData(column, Qt::Horizontal).toString(), columns()[column].caption);
    }

    void aColumnsOwnFormatAndTheTotals()
    {
        QList<GridColumn> cols = columns();
        cols[3].format = [](const QVariant& v) { return QStringLiteral("<%1>").arg(v.toDouble()); };
        GridModel model(cols);
        model.setRows({line("2021-01-01", "a", 1.25, 1), line("2021-01-02", "b", 2.5, 2), line("2021-01-03", "c", QVariant(), 3)});
        QCOMPARE(model.cell(0, 3), QStringLiteral("<1.25>"));
        QCOMPARE(model.cell(2, 3), QStringLiteral("<0>"));
        QCOMPARE(model.total(3), 3.75);
        QCOMPARE(model.total(4), 6.0);
        // Tooltips only where the column asks, and only on lines.
        model.setMinimumRows(5);
        QCOMPARE(model.data(model.index(1, 2), Qt::ToolTipRole).toString(), QStringLiteral("b"));
        QVERIFY(!model.data(model.index(1, 1), Qt::ToolTipRole).isValid());
        QVERIFY(!model.data(model.index(4, 2), Qt::ToolTipRole).isValid());
        // Blank rows show nothing and cannot be selected.
        QCOMPARE(model.cell(4, 0), QString());
        QVERIFY(model.flags(model.index(2, 0)).testFlag(Qt::ItemIsSelectable));
        QVERIFY(!model.flags(model.index(3, 0)).testFlag(Qt::ItemIsSelectable));
    }

    void pagedLinesAreReadOnlyAsTheyAreShown()
    {
        GridModel model(columns());
        auto pages = std::make_shared<Pages>();
        QList<qint64> keys;
        for (qint64 k = 1000; k > 0; --k) // the list's order, not the keys' order
            keys << k;
        model.setPagedRows(keys, [pages](const QList<qint64>& k) { return (*pages)(k); });
        QCOMPARE(model.lineCount(), 1000);
        QCOMPARE(pages->asked.size(), 0);
        QCOMPARE(model.keyAt(0), 1000);
        QCOMPARE(model.keyAt(999), 1);
        QCOMPARE(model.keyAt(1000), 0);

        // Row 500 is in the fourth page: only that page is read, once.
        QCOMPARE(model.cell(500, 4), QStringLiteral("500"));
        QCOMPARE(model.cell(500, 0), QStringLiteral("501"));
        QCOMPARE(model.cell(400, 3), QStringLiteral("6 000.00 "));
        QCOMPARE(model.value(511, 4).toLongLong(), 489);
        QCOMPARE(pages->asked.size(), 1);
        QCOMPARE(pages->asked[0], keys.mid(3 * GridModel::kPageRows, GridModel::kPageRows));
        // The last page is short; a line the reader no longer finds shows blank.
        QCOMPARE(model.cell(993, 4), QString());
        QCOMPARE(model.cell(993, 0), QStringLiteral("994"));
        QCOMPARE(pages->asked.size(), 2);
        QCOMPARE(pages->asked[1].size(), 1000 % GridModel::kPageRows);
    }

    void aRefusedPageShowsBlankLogsAndIsReadAgain()
    {
        test::TestFolder folder;
        ui::errorLog().setPath(folder.file(ui::kErrorLogName));
        GridModel model(columns());
        auto pages = std::make_shared<Pages>();
        pages->failures = 1;
        model.setPagedRows({1, 2, 3}, [pages](const QList<qint64>& k) { return (*pages)(k); });
        QCOMPARE(model.data(model.index(1, 2)).toString(), QString());
        QVERIFY(QString::fromUtf8(folder.read(ui::kErrorLogName)).contains(QStringLiteral("disque illisible")));
        QCOMPARE(model.data(model.index(1, 2)).toString(), QStringLiteral("ligne"));
        QCOMPARE(pages->asked.size(), 2);
        ui::errorLog().setPath(QString());
    }

    // A row carries a flag after its columns' values; the looks and tooltips of its cells read it.
    void cellsStandOutByTheValuesOfTheirRow_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<bool>("flagged");
        QTest::addColumn<QString>("colour");
        QTest::addColumn<bool>("bold");
        QTest::addColumn<bool>("italic");
        QTest::addColumn<QString>("tip");
        QTest::newRow("text flagged") << 2 << true << kit::colours::kOverdue << true << false << "voir le dossier";
        QTest::newRow("text plain") << 2 << false << QString() << false << false << "voir le dossier";
        QTest::newRow("amount flagged") << 3 << true << kit::colours::kOverdue << false << true << "";
        QTest::newRow("amount plain") << 3 << false << QString() << false << false << "";
        QTest::newRow("date, no look") << 1 << true << QString() << false << false << "";
    }
    void cellsStandOutByTheValuesOfTheirRow()
    {
        QFETCH(int, column);
        QFETCH(bool, flagged);
        QFETCH(QString, colour);
        QFETCH(bool, bold);
        QFETCH(bool, italic);
        QFETCH(QString, tip);
        QList<GridColumn> cols = columns();
        cols[2].look = [](const QVariantList& row) {
            return row.value(5).toBool() ? kit::CellLook{kit::colours::kOverdue, true, false} : kit::CellLook{};
        };
        cols[2].tip = [](const QVariantList& row) { return row.value(6).toString(); };
        cols[3].look = [](const QVariantList& row) {
            return row.value(5).toBool() ? kit::CellLook{kit::colours::kOverdue, false, true} : kit::CellLook{};
        };
        GridModel model(cols);
        QAbstractItemModelTester tester(&model, kReport);
        QVariantList values = line("2021-01-02", "Assurance", 10.0, 1);
        values << flagged << QStringLiteral("voir le dossier");
        model.setRows({values});
        model.setMinimumRows(3);
        const QModelIndex index = model.index(0, column);
        QCOMPARE(index.data().toString(), model.format(column, values[column]));
        const QVariant fg = index.data(Qt::ForegroundRole);
        QCOMPARE(fg.isValid() ? fg.value<QColor>() : QColor(), colour.isEmpty() ? QColor() : QColor(colour));
        const QVariant font = index.data(Qt::FontRole);
        QCOMPARE(font.isValid() && font.value<QFont>().bold(), bold || column == 3);
        QCOMPARE(font.isValid() && font.value<QFont>().italic(), italic);
        if (column == 3) // the amounts keep their font, whatever stands out
            QCOMPARE(font.value<QFont>().family(), kit::amountFont().family());
        else if (bold || italic) // only what stands out is set: the view's font gives the rest
            QCOMPARE(font.value<QFont>().resolveMask(), uint(QFont::WeightResolved | QFont::StyleResolved) & font.value<QFont>().resolveMask());
        QCOMPARE(index.data(Qt::ToolTipRole).toString(), tip);
        // Blank rows stand out in nothing.
        for (int role : {int(Qt::ForegroundRole), int(Qt::ToolTipRole)})
            QVERIFY(!model.index(2, column).data(role).isValid());
    }

    // A list of texts made elsewhere (a report's lines) gives its exact values to an export: the
    // amount shown in whole units is written as it is.
    void anExactColumnExportsTheValueBehindItsText()
    {
        QList<GridColumn> cols = {{QStringLiteral("Objet"), CellKind::Text},
                                  {QStringLiteral("Montant"), CellKind::Amount, {}, false, {}, {}, {}, {}, true},
                                  {QStringLiteral("Arrondi"), CellKind::Amount}};
        GridModel model(cols);
        QAbstractItemModelTester tester(&model, kReport);
        const QList<double> amounts = {1500.4, 250.6};
        model.setLines(2, [&](int i) { return QStringList{QStringLiteral(" ligne"), QString::number(qRound(amounts[i])), QString::number(qRound(amounts[i]))}; },
                       [&](int i, int c) { return c == 1 ? QVariant(amounts[i]) : QVariant(); });
        QCOMPARE(model.cell(0, 1), QStringLiteral("1500"));
        QCOMPARE(model.value(0, 1), QVariant(1500.4));
        QCOMPARE(model.data(model.index(1, 1), Qt::UserRole), QVariant(250.6));
        QVERIFY(!model.data(model.index(1, 2), Qt::UserRole).isValid());
        const kit::ExportTable table = kit::tableOf(model);
        QCOMPARE(table.rows.size(), 2);
        QCOMPARE(table.rows[0][1].number, 1500.4);
        QCOMPARE(table.rows[1][1].number, 250.6);
        QCOMPARE(table.rows[1][2].number, 251.0); // not exact: what it shows
        QCOMPARE(table.rows[1][0].text, QStringLiteral("ligne"));
    }

    void refusedLinesOfAFunctionShowBlankLogsAndAreAskedAgain()
    {
        test::TestFolder folder;
        ui::errorLog().setPath(folder.file(ui::kErrorLogName));
        GridModel model(columns());
        int refusals = 2;
        int asked = 0;
        model.setLines(
            3,
            [&](int i) {
                ++asked;
                if (refusals > 0 && i == 1) {
                    --refusals;
                    throw db::Error(QStringLiteral("base verrouillée"));
                }
                return QStringList{QString::number(i + 1), QStringLiteral("01/01/2021"), QStringLiteral("ligne")};
            },
            [&](int, int) -> QVariant {
                if (refusals > 0)
                    throw db::Error(QStringLiteral("valeur illisible"));
                return 1.5;
            });
        QCOMPARE(model.data(model.index(1, 2)).toString(), QString());
        QVERIFY(!model.value(1, 3).isValid());
        const QString log = QString::fromUtf8(folder.read(ui::kErrorLogName));
        QVERIFY(log.contains(QStringLiteral("base verrouillée")) && log.contains(QStringLiteral("valeur illisible")));
        QCOMPARE(model.data(model.index(1, 2)).toString(), QString());
        QCOMPARE(model.data(model.index(1, 2)).toString(), QStringLiteral("ligne"));
        QCOMPARE(model.value(1, 3), QVariant(1.5));
        // Once shown, a line is kept: asking again for its cells formats nothing.
        const int before = asked;
        for (int c = 0; c < 5; ++c)
            model.data(model.index(1, c));
        QCOMPARE(asked, before);
        ui::errorLog().setPath(QString());
    }

    // An export asks for every line of a year once: the formatted lines kept stay bounded, and a line
    // formatted again shows the same.
    void theLinesKeptAreBoundedAndShowTheSame()
    {
        QList<GridColumn> cols = columns();
        int formatted = 0;
        cols[2].format = [&formatted](const QVariant& v) {
            ++formatted;
            return v.toString();
        };
        GridModel model(cols);
        const int count = GridModel::kKeptLines + 10;
        QList<QVariantList> rows;
        for (int i = 0; i < count; ++i)
            rows << line("2021-01-02", qPrintable(QStringLiteral("ligne %1").arg(i)), 1.0, i);
        model.setRows(rows);
        for (int i = 0; i < count; ++i)
            QCOMPARE(model.cell(i, 2), QStringLiteral("ligne %1").arg(i));
        QCOMPARE(formatted, count);
        QCOMPARE(model.cell(0, 2), QStringLiteral("ligne 0")); // no longer kept: formatted again
        QCOMPARE(formatted, count + 1);
        QCOMPARE(model.cell(count - 1, 0), QString::number(count)); // kept
        QCOMPARE(model.cell(0, 1), QStringLiteral("02/01/2021"));
        QCOMPARE(formatted, count + 1);
    }

    void aViewMeasuresEachCellOnceUntilTheModelChanges()
    {
        GridModel model(columns());
        QTableView view;
        view.setModel(&model);
        kit::cacheCellSizes(&view);
        kit::setupGrid(&view);
        kit::fitColumns(&view, 2);
        int reads = 0;
        const auto fill = [&](const char* object) {
            QList<QVariantList> rows;
            for (int i = 0; i < 50; ++i)
                rows << line("2021-01-02", object, 12.5, i);
            QList<qint64> keys;
            for (int i = 1; i <= 50; ++i)
                keys << i;
            model.setPagedRows(keys, [&reads, rows](const QList<qint64>& k) {
                ++reads;
                return rows.mid(0, k.size());
            });
        };
        fill("court");
        view.resize(600, 300);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        // (QTableView keeps its override protected; the base's is public.)
        const auto hint = [&view](int c) { return static_cast<QAbstractItemView&>(view).sizeHintForColumn(c); };
        const int narrow = hint(3);
        QCOMPARE(reads, 1);
        // The widths follow the new lines, not the sizes kept of the old ones.
        model.setRows({line("2021-01-02", "x", 1234567890.5, 1)});
        QVERIFY(hint(3) > narrow);
        QVERIFY(view.horizontalHeader()->sectionSize(3) >= hint(3));
    }

    // ---- lines changed in place, the keys beside them -------------------------------------------------

    void linesChangeInPlaceWithTheirKeys_data()
    {
        QTest::addColumn<int>("minimumRows");
        QTest::newRow("no blank rows") << 0;
        QTest::newRow("blank rows below") << 5;
        QTest::newRow("as many blank rows as lines") << 3;
    }
    void linesChangeInPlaceWithTheirKeys()
    {
        QFETCH(int, minimumRows);
        // (The model tester follows a removed row's neighbour by its first column: a text that moves with it.)
        const QList<GridColumn> cols = {{QStringLiteral("Objet"), CellKind::Text, {}, true},
                                        {QStringLiteral("N°"), CellKind::Position},
                                        {QStringLiteral("Date"), CellKind::Date},
                                        {QStringLiteral("Montant"), CellKind::Amount}};
        const auto row = [](const char* object, const char* date, double amount) {
            return QVariantList{QString::fromLatin1(object), QVariant(), QString::fromLatin1(date), amount};
        };
        GridModel model(cols);
        QAbstractItemModelTester tester(&model, kReport);
        model.setMinimumRows(minimumRows);
        model.setRows({row("a", "2021-03-01", 1.0), row("b", "2021-03-02", 2.0), row("c", "2021-03-03", 3.0)}, {30, 10, 20});
        QCOMPARE(model.keys(), (QList<qint64>{30, 10, 20}));
        QTableView view;
        view.setModel(&model);
        kit::setupGrid(&view);
        view.selectRow(2);

        // A line changed: the view keeps its selection, the totals and the text follow.
        model.setRow(1, row("B", "2021-03-09", 20.0));
        QCOMPARE(model.cell(1, 0), QStringLiteral("B"));
        QCOMPARE(model.cell(1, 2), QStringLiteral("09/03/2021"));
        QCOMPARE(model.total(3), 24.0);
        model.setValue(2, 0, QStringLiteral("C"));
        QCOMPARE(model.cell(2, 0), QStringLiteral("C"));
        QCOMPARE(model.cell(2, 3), QStringLiteral("3.00 "));
        QCOMPARE(model.data(model.index(2, 0), Qt::ToolTipRole).toString(), QStringLiteral("C"));
        QCOMPARE(view.selectionModel()->selectedRows().value(0).row(), 2);

        // A line added last takes its key and the next position.
        model.appendRow(row("d", "2021-03-04", 4.0), 40);
        QCOMPARE(model.lineCount(), 4);
        QCOMPARE(model.rowCount(), std::max(4, minimumRows));
        QCOMPARE(model.keys(), (QList<qint64>{30, 10, 20, 40}));
        QCOMPARE(model.cell(3, 1), QStringLiteral("4"));
        QCOMPARE(model.cell(3, 0), QStringLiteral("d"));
        QVERIFY(model.flags(model.index(3, 0)).testFlag(Qt::ItemIsSelectable));

        // A line removed: the lines below move up with their keys, and their positions follow.
        QCOMPARE(model.cell(2, 1), QStringLiteral("3")); // shown once before the removal
        model.removeLine(1);
        QCOMPARE(model.lineCount(), 3);
        QCOMPARE(model.rowCount(), std::max(3, minimumRows));
        QCOMPARE(model.keys(), (QList<qint64>{30, 20, 40}));
        QCOMPARE(model.keyAt(1), 20);
        QCOMPARE(model.cell(1, 0), QStringLiteral("C"));
        QCOMPARE(model.cell(1, 1), QStringLiteral("2"));
        QCOMPARE(model.data(model.index(1, 1)).toString(), QStringLiteral("2"));
        QCOMPARE(model.cell(2, 0), QStringLiteral("d"));
        QCOMPARE(model.cell(3, 0), QString());
        QCOMPARE(model.total(3), 8.0);
        QVERIFY(!model.flags(model.index(3, 0)).testFlag(Qt::ItemIsSelectable));

        // Out of range, nothing changes.
        model.removeLine(3);
        model.setRow(-1, {});
        model.setValue(3, 0, QStringLiteral("x"));
        QCOMPARE(model.keys(), (QList<qint64>{30, 20, 40}));
        QCOMPARE(model.cell(3, 0), QString());

        // Down to no line, then a first one again.
        for (int i = 0; i < 3; ++i)
            model.removeLine(0);
        QCOMPARE(model.lineCount(), 0);
        QVERIFY(model.keys().isEmpty());
        model.appendRow({}, 50);
        QCOMPARE(model.keys(), QList<qint64>{50});
        QCOMPARE(model.cell(0, 1), QStringLiteral("1"));
        QCOMPARE(model.cell(0, 0), QString());
    }

    void linesGivenAsTextsOrPagesAreNotChangedInPlace()
    {
        GridModel model(columns());
        model.setLines({{"1", "a"}});
        model.appendRow(line("2021-03-04", "d", 4.0, 4), 4);
        model.setRow(0, line("2021-03-04", "d", 4.0, 4));
        QCOMPARE(model.lineCount(), 1);
        QCOMPARE(model.cell(0, 1), QStringLiteral("a"));
        auto pages = std::make_shared<Pages>();
        model.setPagedRows({1, 2}, [pages](const QList<qint64>& k) { return (*pages)(k); });
        model.removeLine(0);
        QCOMPARE(model.keys(), (QList<qint64>{1, 2}));
        QCOMPARE(model.lineCount(), 2);
    }

    void aColumnsOwnFontOverTheKinds()
    {
        QList<GridColumn> cols = columns();
        QFont fixed = kit::fixedFont();
        cols[2].font = fixed;
        GridModel model(cols);
        model.setRows({line("2021-03-01", "00012   5 31", 1.0, 1)});
        QCOMPARE(model.data(model.index(0, 2), Qt::FontRole).value<QFont>(), fixed);
        QCOMPARE(model.data(model.index(0, 3), Qt::FontRole).value<QFont>(), kit::amountFont());
        QVERIFY(!model.data(model.index(0, 1), Qt::FontRole).isValid());
    }
};

QTEST_MAIN(GridTest)
#include "tst_grid.moc"
