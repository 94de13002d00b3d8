#include "J_CAISSE.h"

#include "CashListModel.h"
#include "Q_Date.h"
#include "core/kit/GridModel.h"
#include "core/kit/Guard.h"
#include "core/kit/OtherDesks.h"
#include "core/kit/ScreenKit.h"
#include "core/state/Session.h"
#include "platform/ui/Ui.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QTabWidget>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

namespace kv {

using namespace cashbook;

namespace {
const QStringList kTabCaptions = {QStringLiteral("Récapitulatif Général"), QStringLiteral("Dép. Véhicules"),
                                  QStringLiteral("Salaires"), QStringLiteral("Autres Dépenses"), QStringLiteral("Recettes")};
const QStringList kGridNames = {QStringLiteral("recapitulatif"), QStringLiteral("vehicules"), QStringLiteral("salaires"),
                                QStringLiteral("autresDepenses"), QStringLiteral("recettes")};
/// The lines whose cells a list's columns fit: a screenful and some.
constexpr int kFitRows = 40;
} // namespace

J_CAISSE::J_CAISSE(Session& session, const QDate& day, QWidget* parent) : QDialog(parent), s_(session)
{
    setObjectName(QStringLiteral("J_CAISSE"));
    setWindowTitle(QStringLiteral(" "));
    setModal(true);

    title_ = kit::titleBand(title(day), this);

    bar_ = new kit::CommandBar(this);
    bar_->add(kit::Glyph::Search, QStringLiteral("Autre date"), QStringLiteral("autreDate"), QKeySequence(Qt::ALT | Qt::Key_D),
              this, &J_CAISSE::otherDate);
    kit::addRefreshCommand(bar_, this, &J_CAISSE::refresh);
    bar_->add(kit::Command::Print, QStringLiteral("imprimer"), this, &J_CAISSE::print);
    bar_->addExport();
    bar_->addStretch();
    bar_->add(kit::Command::Quit, QStringLiteral("quitter"), static_cast<QDialog*>(this), &QDialog::reject);

    tabs_ = new QTabWidget(this);
    tabs_->setObjectName(QStringLiteral("onglets"));
    tabs_->addTab(buildList(TabSummary, {QString(), QStringLiteral("Recettes"), QStringLiteral("Dépenses"), QStringLiteral("Solde")},
                            {ColReceipts, ColExpenses, ColBalance}, {}, ColCaption),
                  kTabCaptions[TabSummary]);
    models_[TabSummary]->setBoldRows({RowDayTotals, RowClosing});
    tabs_->addTab(buildList(TabVehicles, {QStringLiteral("N°"), QStringLiteral("Véhicule"), QStringLiteral("Objet"), QStringLiteral("Montant")},
                            {3}, {0}, 2),
                  kTabCaptions[TabVehicles]);
    tabs_->addTab(buildList(TabSalaries,
                            {QStringLiteral("N°"), QStringLiteral("Nom"), QStringLiteral("Prénom"), QStringLiteral("Fonction"),
                             QStringLiteral("Montant"), QStringLiteral("Objet")},
                            {4}, {0}, 5),
                  kTabCaptions[TabSalaries]);
    tabs_->addTab(buildList(TabOthers,
                            {QStringLiteral("N°"), QStringLiteral("Bénéficiaire"), QStringLiteral("Montant"), QStringLiteral("Mode"),
                             QStringLiteral("Objet")},
                            {2}, {0, 3}, 4),
                  kTabCaptions[TabOthers]);
    tabs_->addTab(buildList(TabReceipts,
                            {QStringLiteral("N°"), QStringLiteral("Partie versante"), QStringLiteral("Montant"), QStringLiteral("Mode"),
                             QStringLiteral("Objet")},
                            {2}, {0, 3}, 4),
                  kTabCaptions[TabReceipts]);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(title_);
    layout->addWidget(bar_);
    layout->addWidget(tabs_, 1);
    kit::sizeScreen(*this, QSize(1000, 600));

    loaded_ = showDay(day);

    // What the other desks book shows when the window comes back to the front and, on a server, as
    // soon as they commit it.
    otherDesks_ = new kit::OtherDesks(this, s_,
                                      {QStringLiteral("Depenses"), QStringLiteral("Recettes"), QStringLiteral("Salaires"),
                                       QStringLiteral("Agents"), QStringLiteral("Vehicules"), QStringLiteral("Permn")},
                                      [this] {
                                          if (loaded_)
                                              refresh();
                                      });
}

bool J_CAISSE::hearsOtherDesks() const { return otherDesks_->hearsOtherDesks(); }

bool J_CAISSE::refresh()
{
    if (!day_.day.isValid())
        return false;
    std::array<int, TabCount> places{};
    for (int t = 0; t < TabCount; ++t)
        places[size_t(t)] = grids_[size_t(t)]->verticalScrollBar()->value();
    if (!showDay(day_.day))
        return false;
    for (int t = 0; t < TabCount; ++t)
        grids_[size_t(t)]->verticalScrollBar()->setValue(places[size_t(t)]);
    return true;
}

QWidget* J_CAISSE::buildList(Tab tab, const QStringList& captions, const QSet<int>& amounts, const QSet<int>& centred, int stretch)
{
    auto* page = new QWidget(this);
    auto* model = new CashListModel(captions, amounts, centred, page);
    auto* grid = new QTableView(page);
    grid->setObjectName(kGridNames[tab]);
    grid->setModel(model);
    kit::cacheCellSizes(grid);
    kit::setupGrid(grid);
    kit::fitColumns(grid, stretch);
    // The columns fit the lines a list shows first, not a busy day's thousands: a hidden list measures
    // as many rows as a shown one.
    grid->horizontalHeader()->setResizeContentsPrecision(kFitRows);
    models_[tab] = model;
    grids_[tab] = grid;

    auto* pageLayout = new QVBoxLayout(page);
    pageLayout->setContentsMargins(6, 6, 6, 6);
    pageLayout->addWidget(grid, 1);
    if (tab != TabSummary) {
        auto* total = kit::totalField(page, QStringLiteral("total_") + kGridNames[tab]);
        total->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
        auto* row = new QHBoxLayout;
        row->addStretch();
        row->addWidget(new QLabel(QStringLiteral("Total"), page));
        row->addWidget(total);
        pageLayout->addLayout(row);
        totals_[tab] = total;
    }
    return page;
}

QToolButton* J_CAISSE::command(const QString& objectName) const { return bar_->command(objectName); }

bool J_CAISSE::showDay(const QDate& day)
{
    CashDay read;
    if (!kit::guarded(s_.ui(), [&] { read = readCashDay(s_.db(), day, s_.exerciceOuvert); }))
        return false;
    day_ = std::move(read);
    title_->setText(title(day_.day));
    ui::retitle(*this);
    models_[TabSummary]->setLines(summaryCells(day_));
    // Each list makes the cells of a line when it shows it.
    const auto show = [this](Tab tab, const auto& lines, auto row) {
        models_[tab]->setLines(int(lines.size()), [lines, row](int i) { return row(lines[i], i); });
    };
    show(TabVehicles, day_.vehicles, vehicleRow);
    show(TabSalaries, day_.salaries, salaryRow);
    show(TabOthers, day_.others, moneyRow);
    show(TabReceipts, day_.receipts, moneyRow);
    const Sums t = day_.totals();
    totals_[TabVehicles]->setText(listTotal(t.vehicles).trimmed());
    totals_[TabSalaries]->setText(listTotal(t.salaries).trimmed());
    totals_[TabOthers]->setText(listTotal(t.others).trimmed());
    totals_[TabReceipts]->setText(listTotal(t.receipts).trimmed());
    for (QTableView* grid : grids_)
        grid->scrollToTop();
    return true;
}

void J_CAISSE::otherDate()
{
    const QDate chosen = chooseDate(s_, day_.day.isValid() ? day_.day : QDate::currentDate(), this);
    if (!chosen.isValid())
        return; // nothing changes
    if (showDay(chosen))
        loaded_ = true;
}

void J_CAISSE::print()
{
    if (!loaded_)
        return;
    const auto tab = static_cast<Tab>(tabs_->currentIndex());
    if (!printable(day_, tab))
        return;
    kit::guarded(s_.ui(), [&] { printTab(s_, day_, tab); }); // the routine shows its own failures
}

void showCashBook(Session& session, const QDate& day)
{
    J_CAISSE screen(session, day);
    if (screen.loaded())
        session.ui().showModal(screen);
}

} // namespace kv
