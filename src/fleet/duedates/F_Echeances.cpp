#include "F_Echeances.h"

#include "core/formats/FieldRules.h"
#include "core/formats/Numbers.h"
#include "core/kit/Guard.h"
#include "core/kit/ScreenKit.h"
#include "core/reports/ReportRoutine.h"
#include "core/state/Session.h"
#include "fleet/vehiclefile/Zoom_V.h"
#include "platform/db/Database.h"
#include "platform/db/Dates.h"

#include <QColor>
#include <QFont>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QFontMetrics>
#include <QStyle>
#include <QSet>
#include <cmath>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

namespace kv {

using kit::Command;
using kit::Glyph;

namespace duedates {

kit::GridModel* DueList::create(QObject* parent)
{
    using kit::CellKind;
    // Every cell of an overdue line is red (the flag follows the columns' values), its urgency bold.
    const auto overdue = [](bool bold) {
        return [bold](const QVariantList& row) {
            return row.value(ColumnCount).toBool() ? kit::CellLook{kit::colours::kOverdue, bold} : kit::CellLook{};
        };
    };
    QList<kit::GridColumn> columns = {{QStringLiteral("Échéance"), CellKind::Text, Qt::AlignHCenter},
                                      {QStringLiteral("Urgence"), CellKind::Text},
                                      {QStringLiteral("Objet"), CellKind::Text},
                                      {QStringLiteral("Matricule"), CellKind::Text, Qt::AlignHCenter},
                                      {QStringLiteral("Véhicule"), CellKind::Text},
                                      {QStringLiteral("Détail"), CellKind::Text, {}, true}};
    for (int c = 0; c < ColumnCount; ++c)
        columns[c].look = overdue(c == ColUrgence);
    return new kit::GridModel(std::move(columns), parent);
}

void DueList::show(kit::GridModel& list, const QList<Item>& items)
{
    QList<QVariantList> rows;
    rows.reserve(items.size());
    for (const Item& i : items)
        rows.append({i.due.isNull() ? QString() : i.due.toString(db::kShownDateFormat), urgencyText(i), kindText(i.kind), i.matricule,
                     i.vehicleName, i.detail, i.overdue});
    list.setRows(std::move(rows));
}

} // namespace duedates

namespace {

constexpr int kSideWidth = 320;

QString plural(int n, const QString& word) { return QString::number(n) + u' ' + word + (n > 1 ? QStringLiteral("s") : QString()); }

/// Sizes `column` to the widest of its texts in the whole list, measuring each different text once (a
/// fleet's list holds a few kinds and models over a thousand lines); the other columns fit the first lines.
void fitToDistinctTexts(QTableView* grid, int column, const kit::GridModel& model)
{
    QHeaderView* header = grid->horizontalHeader();
    QSet<QString> texts;
    for (int r = 0; r < model.lineCount(); ++r)
        texts.insert(model.cell(r, column));
    const int margin = 2 * (grid->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, grid) + 1) + (grid->showGrid() ? 1 : 0);
    int width = header->sectionSizeHint(column);
    // A text's advance has a fraction of a pixel: rounded down, the cell would cut its last letter.
    const QFontMetricsF metrics(grid->font());
    for (const QString& t : texts)
        width = std::max(width, int(std::ceil(metrics.horizontalAdvance(t))) + margin);
    header->setSectionResizeMode(column, QHeaderView::Interactive);
    header->resizeSection(column, width);
}

} // namespace

F_Echeances::F_Echeances(Session& session, QWidget* parent)
    : QDialog(parent), s_(session), today_(QDate::currentDate())
{
    setObjectName(QStringLiteral("F_Echeances"));
    setWindowTitle(QStringLiteral(" "));
    setModal(true);

    bar_ = new kit::CommandBar(this);
    bar_->add(Command::Zoom, QStringLiteral("zoom"), this, &F_Echeances::zoom);
    bar_->add(Command::Print, QStringLiteral("imprimer"), this, &F_Echeances::print);
    bar_->addExport();
    bar_->addGap();
    bar_->add(Glyph::Edit, QStringLiteral("Vidange"), QStringLiteral("vidange"), QKeySequence(Qt::ALT | Qt::Key_V), this,
              &F_Echeances::openIntervals);
    bar_->addGap();
    auto* horizonLabel = new QLabel(QStringLiteral("Dans les"), bar_);
    horizon_ = new QSpinBox(bar_);
    horizon_->setObjectName(QStringLiteral("delai"));
    horizon_->setRange(0, 999);
    horizon_->setValue(duedates::kDefaultHorizon);
    horizon_->setAlignment(Qt::AlignRight);
    auto* daysLabel = new QLabel(QStringLiteral("jours"), bar_);
    bar_->addWidget(horizonLabel);
    bar_->addWidget(horizon_);
    bar_->addWidget(daysLabel);
    bar_->addStretch();
    bar_->add(Command::Close, QStringLiteral("fermer"), this, &F_Echeances::quit);

    model_ = duedates::DueList::create(this);
    grid_ = new QTableView(this);
    grid_->setObjectName(QStringLiteral("grille"));
    grid_->setModel(model_);
    kit::setupGrid(grid_);
    kit::fitColumns(grid_, duedates::DueList::ColDetail);
    // The columns fit the first lines (the most urgent, the ones in view and as many again), not every
    // line of a fleet's list: measuring the texts of a thousand lines per column was most of the time
    // the screen took to open. (0, "the lines in view", measures every line while the screen is hidden.)
    // The kind and the vehicle, not in the list's order, fit their different texts (refill).
    grid_->horizontalHeader()->setResizeContentsPrecision(50);
    connect(grid_, &QTableView::doubleClicked, this, [this] { zoom(); });

    count_ = new QLabel(this);
    count_->setObjectName(QStringLiteral("compte"));

    // ---- the oil-change intervals ------------------------------------------------------------------------
    intervalsPanel_ = new QWidget(this);
    intervalsPanel_->setObjectName(QStringLiteral("cadreVidange"));
    days_ = new QLineEdit(intervalsPanel_);
    days_->setObjectName(QStringLiteral("vidangeJours"));
    days_->setMaxLength(4);
    km_ = new QLineEdit(intervalsPanel_);
    km_->setObjectName(QStringLiteral("vidangeKm"));
    km_->setMaxLength(7);
    for (QLineEdit* e : {days_, km_}) {
        e->setAlignment(Qt::AlignRight);
        e->setFixedWidth(e->fontMetrics().horizontalAdvance(QStringLiteral("88888888")) + 16);
        new DigitField(e);
        new SelectOnFocus(e);
    }
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Tous les (jours)"), days_);
    form->addRow(QStringLiteral("Tous les (km)"), km_);
    auto* note = new QLabel(QStringLiteral("Depuis la dernière vidange du véhicule.\nVide ou 0 : critère non suivi."),
                            intervalsPanel_);
    note->setWordWrap(true);
    const kit::PanelButtons buttons = kit::panelButtons(intervalsPanel_);
    confirm_ = buttons.confirm;
    cancel_ = buttons.cancel;
    connect(confirm_, &QToolButton::clicked, this, &F_Echeances::confirmIntervals);
    connect(cancel_, &QToolButton::clicked, this, &F_Echeances::cancelIntervals);
    auto* panelLayout = new QVBoxLayout(intervalsPanel_);
    panelLayout->addWidget(kit::panelHeading(QStringLiteral("Intervalles de vidange"), intervalsPanel_));
    panelLayout->addLayout(form);
    panelLayout->addWidget(note);
    panelLayout->addStretch();
    panelLayout->addWidget(buttons.row);
    auto* chain = new FieldChain({days_, km_}, this);
    connect(chain, &FieldChain::enterOnLast, this, &F_Echeances::confirmIntervals);

    side_ = new kit::SidePanel(kSideWidth, this);
    side_->addPanel(intervalsPanel_, [this] { cancelIntervals(); });

    auto* body = new QHBoxLayout;
    auto* listColumn = new QVBoxLayout;
    listColumn->addWidget(grid_, 1);
    listColumn->addWidget(count_);
    body->addLayout(listColumn, 1);
    body->addWidget(side_);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(kit::titleBand(QStringLiteral("Échéances"), this));
    layout->addWidget(bar_);
    layout->addLayout(body, 1);

    refill();
    connect(horizon_, &QSpinBox::valueChanged, this, &F_Echeances::refill);
    // As wide as the smallest screen allows: the longest detail ("…, kilométrage actuel inconnu") is read
    // whole beside a long urgency and a long vehicle name.
    kit::sizeScreen(*this, QSize(1240, 600), {side_});
}

void F_Echeances::setToday(const QDate& today)
{
    today_ = today;
    refill();
}

QToolButton* F_Echeances::command(const QString& objectName) const { return bar_->command(objectName); }

int F_Echeances::currentRow() const
{
    const QModelIndex i = grid_->currentIndex();
    return i.isValid() ? i.row() : -1;
}

void F_Echeances::setCurrentRow(int row) { grid_->selectRow(row); }

void F_Echeances::refill()
{
    QList<duedates::Item> items;
    if (!kit::guarded(s_.ui(), [&] { items = duedates::dueItems(s_.db(), today_, horizon_->value()); }))
        items.clear();
    items_ = items;
    duedates::DueList::show(*model_, items_);
    kit::fitColumns(grid_, duedates::DueList::ColDetail);
    fitToDistinctTexts(grid_, duedates::DueList::ColObjet, *model_);
    fitToDistinctTexts(grid_, duedates::DueList::ColVehicule, *model_);
    const int overdue = int(std::count_if(items.begin(), items.end(), [](const duedates::Item& i) { return i.overdue; }));
    if (items.isEmpty())
        count_->setText(QStringLiteral("Aucune échéance dans les %1 jours").arg(horizon_->value()));
    else
        count_->setText(plural(int(items.size()), QStringLiteral("échéance")) + QStringLiteral(", dont ")
                        + plural(overdue, QStringLiteral("dépassée")));
    if (!items.isEmpty())
        setCurrentRow(0);
    const bool any = !items.isEmpty();
    command(QStringLiteral("zoom"))->setEnabled(any);
    command(QStringLiteral("imprimer"))->setEnabled(any);
}

void F_Echeances::zoom()
{
    const int row = currentRow();
    if (row < 0 || !grid_->isEnabled()) // not while the intervals are entered
        return;
    const qint64 vehicle = items_[row].vehicle;
    s_.vehicule_courant = vehicle;
    {
        Zoom_V file(s_, this);
        s_.ui().showModal(file);
    }
    // The vehicle file may have added an insurance, an inspection or a sticker, or the oil change.
    if (kit::guarded(s_.ui(), [&] { s_.reconnect(); }))
        refill();
    for (int r = 0; r < model_->rowCount(); ++r)
        if (items_[r].vehicle == vehicle) {
            setCurrentRow(r);
            break;
        }
}

void F_Echeances::print()
{
    const QList<duedates::Item>& items = items_;
    if (items.isEmpty())
        return;
    // The lines go to the print buffer as the screen shows them: the template joins the vehicle of each
    // key and prints the texts.
    QList<db::Fields> rows;
    for (int r = 0; r < items.size(); ++r)
        rows.append({{QStringLiteral("num"), items[r].key()},
                     {QStringLiteral("objet"), model_->cell(r, duedates::DueList::ColObjet)},
                     {QStringLiteral("qualite"), model_->cell(r, duedates::DueList::ColDate)},
                     {QStringLiteral("tel"), model_->cell(r, duedates::DueList::ColUrgence)},
                     {QStringLiteral("ville"), model_->cell(r, duedates::DueList::ColDetail)},
                     {QStringLiteral("depense"), items[r].overdue ? 1 : 0}});
    const bool written = kit::guarded(s_.ui(), [&] { fillPrintBuffer(s_.db(), rows); });
    if (!written)
        return;
    ReportRequest request;
    request.templateName = QStringLiteral("Echeances.RPT");
    request.texts.insert(QStringLiteral("ch4"), QStringLiteral("Au %1, dans les %2 jours").arg(
                                                    today_.toString(db::kShownDateFormat)).arg(horizon_->value()));
    request.texts.insert(QStringLiteral("ch5"), count_->text());
    kit::guarded(s_.ui(), [&] { printReport(s_, request); });
}

void F_Echeances::openIntervals()
{
    duedates::OilIntervals oil;
    if (!kit::guarded(s_.ui(), [&] { oil = duedates::readIntervals(s_.db()); }))
        return;
    days_->setText(oil.days > 0 ? QString::number(oil.days) : QString());
    km_->setText(oil.km > 0 ? QString::number(qint64(oil.km)) : QString());
    bar_->setCommandsEnabled(false);
    horizon_->setEnabled(false);
    grid_->setEnabled(false);
    side_->open(intervalsPanel_);
    days_->setFocus();
}

void F_Echeances::confirmIntervals()
{
    if (!side_->isOpen())
        return;
    const duedates::OilIntervals oil{int(readNumber(days_->text())), readNumber(km_->text())};
    if (!kit::guarded(s_.ui(), [&] { duedates::writeIntervals(s_.db(), oil); }))
        return;
    cancelIntervals();
    refill();
}

void F_Echeances::cancelIntervals()
{
    side_->close();
    bar_->setCommandsEnabled(true);
    horizon_->setEnabled(true);
    grid_->setEnabled(true);
    const bool any = model_->rowCount() > 0;
    command(QStringLiteral("zoom"))->setEnabled(any);
    command(QStringLiteral("imprimer"))->setEnabled(any);
    grid_->setFocus();
}

} // namespace kv
