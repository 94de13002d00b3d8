#include "f_jrnl2.h"

#include "JournalList.h"
#include "core/formats/FieldRules.h"
#include "core/kit/GridModel.h"
#include "core/kit/Guard.h"
#include "core/kit/OtherDesks.h"
#include "core/kit/ExerciseDate.h"
#include "core/kit/ScreenKit.h"
#include "core/reports/ReportRoutine.h"
#include "core/state/Session.h"
#include "platform/db/Dates.h"

#include <QDate>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

namespace kv {

using journals::Journal;
using kit::Command;

namespace {

constexpr int kSideWidth = 300;

QLineEdit* dateField(QWidget* parent, const QString& name, Session& s)
{
    auto* e = new QLineEdit(parent);
    e->setObjectName(name);
    e->setMaxLength(10);
    e->setPlaceholderText(QStringLiteral("jj/mm/aaaa"));
    e->setFixedWidth(e->fontMetrics().horizontalAdvance(QStringLiteral("88/88/88888")) + 16);
    new DateField(e, s.ui());
    return e;
}

/// A total narrower than the kit's: the journals show whole units.
QLineEdit* unitsTotal(QWidget* parent, const QString& name)
{
    QLineEdit* e = kit::totalField(parent, name);
    e->setMinimumWidth(QFontMetrics(e->font()).horizontalAdvance(QStringLiteral("-99 999 999 ")) + 12);
    e->setMaximumWidth(QFontMetrics(e->font()).horizontalAdvance(QStringLiteral("-9 999 999 999 ")) + 12);
    return e;
}

QLabel* caption(const QString& text, QWidget* parent)
{
    auto* l = new QLabel(text, parent);
    l->setStyleSheet(kit::headingStyle());
    return l;
}

} // namespace

f_jrnl2::f_jrnl2(Session& session, QWidget* parent) : QDialog(parent), s_(session)
{
    setObjectName(QStringLiteral("f_jrnl2"));
    setWindowTitle(QStringLiteral(" "));
    setModal(true);

    buildCommands();
    buildJournals();

    auto* results = new QVBoxLayout;
    results->addWidget(heading_);
    results->addWidget(journalTabs_, 1);

    buildDatePanel();

    auto* body = new QHBoxLayout;
    body->addLayout(results, 1);
    body->addWidget(side_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(kit::titleBand(QStringLiteral("Rapport d'activité"), this));
    layout->addWidget(bar_);
    layout->addLayout(body, 1);
    kit::sizeScreen(*this, QSize(1180, 640), {side_});

    // Opening: the default day of the exercise in the three dates, both tab strips on their first tab, the date panel in front.
    const QString today = kit::defaultDayText(s_);
    for (QLineEdit* e : {day_, from_, to_})
        e->setText(today);
    dateTabs_->setCurrentIndex(0);
    journalTabs_->setCurrentIndex(0);
    setDatePanel(true);
}

/// The command bar.
void f_jrnl2::buildCommands()
{
    bar_ = new kit::CommandBar(this);
    bar_->add(kit::Glyph::Open, QStringLiteral("Autre date"), QStringLiteral("autreDate"), QKeySequence(Qt::ALT | Qt::Key_D),
              this, &f_jrnl2::otherDate);
    kit::addRefreshCommand(bar_, this, &f_jrnl2::refresh);
    bar_->add(Command::Print, QStringLiteral("imprimer"), this, &f_jrnl2::print);
    bar_->addExport();
    bar_->addStretch();
    bar_->add(Command::Quit, QStringLiteral("quitter"), static_cast<QDialog*>(this), &QDialog::reject);
}

/// The four journals, each a tab with its totals.
void f_jrnl2::buildJournals()
{
    heading_ = new QLabel(this);
    heading_->setObjectName(QStringLiteral("entete"));
    heading_->setAlignment(Qt::AlignCenter);
    heading_->setStyleSheet(kit::headingStyle(QStringLiteral("font-size: 11pt;")));

    journalTabs_ = new QTabWidget(this);
    journalTabs_->setObjectName(QStringLiteral("journaux"));

    // "Dép. véhicules": a total under each heading, then the whole.
    auto* vehicleTotals = new QWidget(this);
    auto* vt = new QGridLayout(vehicleTotals);
    vt->setContentsMargins(0, 0, 0, 0);
    vt->setHorizontalSpacing(8);
    vt->setVerticalSpacing(2);
    vt->setColumnStretch(0, 1);
    vt->addWidget(caption(QStringLiteral("Totaux"), vehicleTotals), 1, 0, Qt::AlignRight);
    for (int h = 0; h < journals::kHeadings; ++h) {
        vt->addWidget(new QLabel(journals::kHeadingCaptions[h], vehicleTotals), 0, h + 1, Qt::AlignHCenter);
        headingTotals_[h] = unitsTotal(vehicleTotals, QStringLiteral("total_%1").arg(h));
        vt->addWidget(headingTotals_[h], 1, h + 1);
    }
    vt->addWidget(caption(QStringLiteral("Total"), vehicleTotals), 0, journals::kHeadings + 1, Qt::AlignHCenter);
    vehicleTotal_ = unitsTotal(vehicleTotals, QStringLiteral("totalVehicules"));
    vt->addWidget(vehicleTotal_, 1, journals::kHeadings + 1);

    // "Salaires": the advances of the period, then the grand total.
    auto* payTotals = new QWidget(this);
    auto* pt = new QHBoxLayout(payTotals);
    pt->setContentsMargins(0, 0, 0, 0);
    pt->addWidget(new QLabel(journals::kAdvancesLabel, payTotals));
    advances_ = unitsTotal(payTotals, QStringLiteral("avances"));
    pt->addWidget(advances_);
    pt->addStretch();
    pt->addWidget(caption(QStringLiteral("Total Général"), payTotals));
    payTotal_ = unitsTotal(payTotals, QStringLiteral("totalGeneral"));
    pt->addWidget(payTotal_);

    const auto simpleTotal = [this](const QString& name, QLineEdit*& field) {
        auto* w = new QWidget(this);
        auto* h = new QHBoxLayout(w);
        h->setContentsMargins(0, 0, 0, 0);
        h->addStretch();
        h->addWidget(caption(QStringLiteral("Total"), w));
        field = unitsTotal(w, name);
        h->addWidget(field);
        return w;
    };
    QWidget* otherTotals = simpleTotal(QStringLiteral("totalAutres"), otherTotal_);
    QWidget* receiptTotals = simpleTotal(QStringLiteral("totalRecettes"), receiptTotal_);

    journalTabs_->addTab(journalPage(Journal::Vehicles, vehicleTotals), journals::tabCaption(Journal::Vehicles));
    journalTabs_->addTab(journalPage(Journal::Pays, payTotals), journals::tabCaption(Journal::Pays));
    journalTabs_->addTab(journalPage(Journal::Others, otherTotals), journals::tabCaption(Journal::Others));
    journalTabs_->addTab(journalPage(Journal::Receipts, receiptTotals), journals::tabCaption(Journal::Receipts));
}

/// The date panel: one day or a period.
void f_jrnl2::buildDatePanel()
{
    side_ = new kit::SidePanel(kSideWidth, this);
    datePanel_ = new QWidget(side_);
    datePanel_->setObjectName(QStringLiteral("panneauDate"));
    dateTabs_ = new QTabWidget(datePanel_);
    dateTabs_->setObjectName(QStringLiteral("choixDate"));

    auto* dayPage = new QWidget(dateTabs_);
    day_ = dateField(dayPage, QStringLiteral("jour"), s_);
    auto* dayForm = new QFormLayout(dayPage);
    dayForm->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
    dayForm->addRow(QStringLiteral("Date"), day_);
    dateTabs_->addTab(dayPage, QStringLiteral("Un Jour"));

    auto* periodPage = new QWidget(dateTabs_);
    from_ = dateField(periodPage, QStringLiteral("du"), s_);
    to_ = dateField(periodPage, QStringLiteral("au"), s_);
    auto* periodForm = new QFormLayout(periodPage);
    periodForm->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
    periodForm->setVerticalSpacing(10);
    periodForm->addRow(QStringLiteral(" Du"), from_);
    periodForm->addRow(QStringLiteral(" Au"), to_);
    dateTabs_->addTab(periodPage, QStringLiteral("Une Période"));

    // Enter in the day runs its computation; in " Du" it goes to " Au", in " Au" it runs the period's.
    auto* dayChain = new FieldChain({day_}, this);
    dayChain->setArrowsMove(false);
    connect(dayChain, &FieldChain::enterOnLast, this, &f_jrnl2::computeDay);
    auto* periodChain = new FieldChain({from_, to_}, this);
    connect(periodChain, &FieldChain::enterOnLast, this, &f_jrnl2::computePeriod);
    connect(dateTabs_, &QTabWidget::currentChanged, this, [this](int tab) {
        QLineEdit* first = tab == 0 ? day_ : from_;
        first->setFocus();
        first->selectAll();
    });

    const kit::PanelButtons buttons = kit::panelButtons(datePanel_, QStringLiteral("calculer"), QStringLiteral("fermer"));
    compute_ = buttons.confirm;
    compute_->setText(QStringLiteral("Calculer"));
    compute_->setToolTip(QStringLiteral("Calculer"));
    close_ = buttons.cancel;
    close_->setText(QStringLiteral("Fermer"));
    close_->setToolTip(QStringLiteral("Fermer"));
    connect(compute_, &QToolButton::clicked, this, &f_jrnl2::compute);
    connect(close_, &QToolButton::clicked, this, &QDialog::reject);

    auto* dateLayout = new QVBoxLayout(datePanel_);
    dateLayout->setContentsMargins(4, 0, 4, 0);
    dateLayout->addWidget(kit::panelHeading(QStringLiteral("Date du rapport"), datePanel_));
    dateLayout->addSpacing(6);
    dateLayout->addWidget(dateTabs_);
    dateLayout->addStretch();
    dateLayout->addWidget(buttons.row);
    side_->addPanel(datePanel_); // Escape is the screen's: without a date there is nothing to go back to
}

QWidget* f_jrnl2::journalPage(Journal journal, QWidget* totals)
{
    auto* page = new QWidget(this);
    kit::GridModel* model = journals::newJournalList(journal, this);
    auto* grid = new QTableView(page);
    grid->setObjectName(QStringLiteral("journal%1").arg(int(journal) + 1));
    grid->setModel(model);
    kit::setupGrid(grid);
    kit::fitColumns(grid, journals::textColumn(journal));
    models_[int(journal)] = model;
    grids_[int(journal)] = grid;
    auto* v = new QVBoxLayout(page);
    v->setContentsMargins(4, 4, 4, 4);
    v->addWidget(grid, 1);
    totals->setParent(page);
    v->addWidget(totals);
    return page;
}

QToolButton* f_jrnl2::command(const QString& objectName) const { return bar_->command(objectName); }

void f_jrnl2::setDatePanel(bool open)
{
    side_->open(open ? datePanel_ : nullptr);
    journalTabs_->setEnabled(!open);
    command(QStringLiteral("autreDate"))->setVisible(!open);
    command(QStringLiteral("imprimer"))->setVisible(!open);
    if (open) {
        QLineEdit* first = dateTabs_->currentIndex() == 0 ? day_ : from_;
        first->setFocus();
        first->selectAll();
    } else {
        grid(Journal(journalTabs_->currentIndex()))->setFocus();
    }
}

// ---- computing ------------------------------------------------------------------------------------------

void f_jrnl2::compute()
{
    if (dateTabs_->currentIndex() == 0)
        computeDay();
    else
        computePeriod();
}

void f_jrnl2::computeDay()
{
    if (!checkDateField(*day_, s_.ui()))
        return;
    if (const auto selection = journals::day(day_->text()))
        run(*selection);
}

void f_jrnl2::computePeriod()
{
    if (!checkDateField(*from_, s_.ui()) || !checkDateField(*to_, s_.ui()))
        return;
    journals::DateFault fault = journals::DateFault::None;
    const auto selection = journals::period(from_->text(), to_->text(), &fault);
    if (!selection) {
        s_.ui().refuse(journals::faultMessage(fault));
        to_->setFocus();
        to_->selectAll();
        return;
    }
    run(*selection);
}

void f_jrnl2::run(const journals::Selection& selection)
{
    journals::Report report;
    // The averages are written and the journals read as one command: a refusal leaves the date panel.
    if (!kit::guarded(s_.ui(), [&] { report = journals::compute(s_.db(), selection); }))
        return;
    showJournals(std::move(report));
}

void f_jrnl2::showJournals(journals::Report report)
{
    // The lists let go of the report they show before it is replaced.
    for (int j = 0; j < journals::kJournals; ++j)
        journals::showJournal(*models_[j], journals::Journal(j), nullptr);
    report_ = std::move(report);
    computed_ = true;
    for (int j = 0; j < journals::kJournals; ++j) {
        journals::showJournal(*models_[j], journals::Journal(j), &report_);
        grids_[j]->scrollToTop();
    }
    heading_->setText(report_.selection.heading);
    for (int h = 0; h < journals::kHeadings; ++h)
        headingTotals_[h]->setText(journals::vehicleTotalText(report_.headingTotals[h]));
    vehicleTotal_->setText(journals::vehicleTotalText(report_.vehicleTotal));
    advances_->setText(journals::advancesText(report_.advances));
    payTotal_->setText(journals::payTotalText(report_.payTotal));
    otherTotal_->setText(journals::otherTotalText(report_.otherTotal));
    receiptTotal_->setText(journals::receiptTotalText(report_.receiptTotal));
    setDatePanel(false);
}

void f_jrnl2::refresh()
{
    // Only on demand: computing writes the vehicles' averages, which the other desks would hear.
    if (!computed_ || side_->isOpen())
        return;
    const journals::Selection selection = report_.selection;
    run(selection);
}

void f_jrnl2::otherDate()
{
    from_->clear();
    to_->clear();
    setDatePanel(true);
}

// ---- printing -------------------------------------------------------------------------------------------

void f_jrnl2::print()
{
    if (!computed_ || side_->isOpen())
        return;
    const Journal journal = Journal(journalTabs_->currentIndex());
    if (journals::lineCount(report_, journal) == 0)
        return;
    ReportRequest request;
    request.templateName = journals::templateName(journal);
    request.texts = journals::printTexts(report_, journal);
    request.buffer = journals::keys(report_, journal);
    request.params = {{QStringLiteral("du"), db::toStoredDate(report_.selection.from)},
                      {QStringLiteral("au"), db::toStoredDate(report_.selection.to)}};
    kit::guarded(s_.ui(), [&] { printReport(s_, request); }); // shows its own failures
}

} // namespace kv
