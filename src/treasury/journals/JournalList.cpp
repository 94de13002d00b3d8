#include "JournalList.h"

#include "core/kit/GridModel.h"

namespace kv::journals {

kit::GridModel* newJournalList(Journal journal, QObject* parent)
{
    const QStringList titles = captions(journal);
    const QList<int> right = rightColumns(journal);
    const QList<int> centred = centredColumns(journal);
    QList<kit::GridColumn> columns;
    for (int c = 0; c < titles.size(); ++c) {
        kit::GridColumn column{titles[c]};
        if (right.contains(c)) {
            column.kind = kit::CellKind::Amount;
            column.exact = true;
        } else if (centred.contains(c)) {
            column.align = Qt::AlignHCenter;
        }
        column.tooltip = c == textColumn(journal);
        columns << column;
    }
    return new kit::GridModel(std::move(columns), parent);
}

void showJournal(kit::GridModel& list, Journal journal, const Report* report)
{
    if (!report) {
        list.setLines({});
        return;
    }
    list.setLines(
        lineCount(*report, journal), [report, journal](int i) { return rowCells(*report, journal, i); },
        [report, journal](int i, int column) { return rowValue(*report, journal, i, column); });
}

} // namespace kv::journals
