#pragma once
// The list of one journal of the activity report, on the kit's grid model: the lines of a report, each
// formatted when the list asks for it (journals::rowCells); amounts and numbers right-aligned in the
// amount font, dates, numbers and modes centred, the free text with its tooltip; an export writes the
// exact amounts behind the whole units shown (journals::rowValue).
#include "Journals.h"
#include "core/kit/GridModel.h"

namespace kv::journals {

/// A list of the journal's columns, without lines.
kit::GridModel* newJournalList(Journal journal, QObject* parent = nullptr);
/// Shows the journal's lines of `report`, which must outlive the list or be replaced first; none
/// empties the list.
void showJournal(kit::GridModel& list, Journal journal, const Report* report);

} // namespace kv::journals
