#include "Identif.h"

#include "Params.h"
#include "core/formats/FieldRules.h"
#include "core/formats/Names.h"
#include "core/formats/Numbers.h"
#include "core/kit/GridModel.h"
#include "core/kit/Guard.h"
#include "core/kit/ScreenKit.h"
#include "core/state/Session.h"

#include <QFormLayout>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

namespace kv {

using kit::Command;

namespace {

const QString kClosedMark = QStringLiteral("####");
const QString kOpenMark = QStringLiteral("   ");

QString monthName(int month) { return dayMonthNames().frenchMonths[month - 1].trimmed(); }

/// Amounts of a closed month: "# ### ###.00" when above 0.
QString monthAmount(double v) { return v > 0 ? formatNumber(v, u"# ### ###.00") : QString(); }
/// Row totals of a closed month, the totals row and the grand total: "### ### ###.00" when not 0.
QString totalAmount(double v) { return v != 0 ? formatNumber(v, u"### ### ###.00") : QString(); }

QLineEdit* amountCell(QWidget* parent, const QString& name, bool editable)
{
    auto* e = editable ? new QLineEdit(parent) : kit::totalField(parent, name);
    e->setObjectName(name);
    e->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    e->setFont(kit::amountFont());
    e->setMinimumWidth(e->fontMetrics().horizontalAdvance(QStringLiteral("000 000 000.00")) + 14);
    if (editable) {
        new DecimalField(e);
        new SelectOnFocus(e);
    }
    return e;
}

} // namespace

Identif::Identif(Session& session, QWidget* parent)
    : QDialog(parent), session_(session),
      mode_(session.dialogValue == Charges ? Charges : session.dialogValue == Suppression ? Suppression : Identification)
{
    setObjectName(QStringLiteral("Identif"));
    setWindowTitle(QStringLiteral(" "));
    // The Permn row is there for every use; an exercise whose table is empty gets it now.
    kit::guarded(session_.ui(), [&] { payroll::ensurePermn(session_.db()); });
    switch (mode_) {
    case Identification: buildIdentification(); break;
    case Charges: buildCharges(); break;
    case Suppression: buildSuppression(); break;
    }
}

// ---- identification ---------------------------------------------------------------------------------------

void Identif::buildIdentification()
{
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(kit::titleBand(QStringLiteral("Identification"), this));
    bar_ = new kit::CommandBar(this);
    bar_->add(Command::Confirm, QStringLiteral("valider"), this, &Identif::saveIdentification);
    bar_->addGap();
    bar_->add(kit::Glyph::Open, QStringLiteral("Paramétrage des Salaires"), QStringLiteral("parametrage"),
              QKeySequence(Qt::ALT | Qt::Key_P), this, &Identif::openParameters);
    bar_->addStretch();
    bar_->add(Command::Quit, QStringLiteral("quitter"), this, &QDialog::reject);
    layout->addWidget(bar_);

    auto* body = new QWidget(this);
    auto* form = new QFormLayout(body);
    form->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
    form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    auto* chain = new FieldChain(this);
    for (size_t i = 0; i < texts_.size(); ++i) {
        auto* e = new QLineEdit(body);
        e->setObjectName(payroll::kIdentificationFields[i].toLower());
        new SelectOnFocus(e);
        form->addRow(payroll::kIdentificationCaptions[i].trimmed(), e);
        chain->add(e);
        texts_[i] = e;
    }
    connect(chain, &FieldChain::enterOnLast, this, &Identif::saveIdentification);
    layout->addWidget(body, 1);

    loaded_ = {};
    kit::guarded(session_.ui(), [&] { loaded_ = payroll::readIdentification(session_.db()); });
    for (size_t i = 0; i < texts_.size(); ++i)
        texts_[i]->setText(loaded_[i]);
    kit::sizeScreen(*this, QSize(560, 380));
}

void Identif::saveIdentification()
{
    payroll::Identification typed;
    for (size_t i = 0; i < texts_.size(); ++i)
        typed[i] = texts_[i]->text();
    if (typed != loaded_
        && !kit::guarded(session_.ui(), [&] { payroll::writeIdentification(session_.db(), typed); }))
        return; // the engine said why; the screen stays open with what was typed
    accept();
}

void Identif::openParameters()
{
    Params params(session_, this);
    session_.ui().showModal(params);
}

// ---- employer charges ---------------------------------------------------------------------------------------

void Identif::buildCharges()
{
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(kit::titleBand(QStringLiteral(" Versements CNAS"), this));
    bar_ = new kit::CommandBar(this);
    bar_->add(kit::Glyph::Down, QStringLiteral("Recalculer"), QStringLiteral("recalculer"), QKeySequence(Qt::ALT | Qt::Key_R),
              this, &Identif::recompute);
    bar_->add(Command::Confirm, QStringLiteral("valider"), this, &Identif::saveCharges);
    bar_->addStretch();
    bar_->add(Command::Quit, QStringLiteral("quitter"), this, &QDialog::reject);
    layout->addWidget(bar_);

    auto* table = new QWidget(this);
    table->setObjectName(QStringLiteral("versements"));
    auto* g = new QGridLayout(table);
    g->setHorizontalSpacing(6);
    g->setVerticalSpacing(3);
    const auto heading = [table](const QString& text) {
        auto* l = new QLabel(text, table);
        l->setAlignment(Qt::AlignCenter);
        QFont f = l->font();
        f.setBold(true);
        l->setFont(f);
        return l;
    };
    g->addWidget(heading(QStringLiteral("Mois")), 0, 0);
    g->addWidget(heading(QStringLiteral("Salaires Bruts")), 0, 1);
    g->addWidget(heading(QStringLiteral("Part Patronale")), 0, 2);
    g->addWidget(heading(QStringLiteral("Part Ouvrière")), 0, 3);
    g->addWidget(heading(QStringLiteral("Total")), 0, 4);
    tauxPP_ = heading(QString());
    tauxPP_->setObjectName(QStringLiteral("taux_pp"));
    tauxCnas_ = heading(QString());
    tauxCnas_->setObjectName(QStringLiteral("taux_cnas"));
    g->addWidget(tauxPP_, 1, 2);
    g->addWidget(tauxCnas_, 1, 3);

    auto* chain = new FieldChain(this);
    chain->setWrap(FieldChain::Wrap::Enter);
    for (int m = 1; m <= 12; ++m) {
        const int row = m + 1;
        auto* name = new QLabel(QString::number(m).rightJustified(2, u'0') + QStringLiteral("  ") + monthName(m), table);
        g->addWidget(name, row, 0);
        brut_[m - 1] = amountCell(table, QStringLiteral("brut%1").arg(m), false);
        patronale_[m - 1] = amountCell(table, QStringLiteral("pptr%1").arg(m), true);
        ouvriere_[m - 1] = amountCell(table, QStringLiteral("vf%1").arg(m), true);
        rowTotal_[m - 1] = amountCell(table, QStringLiteral("total%1").arg(m), false);
        g->addWidget(brut_[m - 1], row, 1);
        g->addWidget(patronale_[m - 1], row, 2);
        g->addWidget(ouvriere_[m - 1], row, 3);
        g->addWidget(rowTotal_[m - 1], row, 4);
    }
    // Enter goes down a column, and after December to January of the other column.
    for (QLineEdit* e : patronale_)
        chain->add(e);
    for (QLineEdit* e : ouvriere_)
        chain->add(e);
    auto* line = new QFrame(table);
    line->setFrameShape(QFrame::HLine);
    g->addWidget(line, 14, 0, 1, 5);
    g->addWidget(heading(QStringLiteral("Total")), 15, 0);
    totalBrut_ = amountCell(table, QStringLiteral("total_brut"), false);
    totalPatronale_ = amountCell(table, QStringLiteral("total_pptr"), false);
    totalOuvriere_ = amountCell(table, QStringLiteral("total_vf"), false);
    grandTotal_ = amountCell(table, QStringLiteral("total_general"), false);
    g->addWidget(totalBrut_, 15, 1);
    g->addWidget(totalPatronale_, 15, 2);
    g->addWidget(totalOuvriere_, 15, 3);
    g->addWidget(grandTotal_, 15, 4);
    g->setColumnStretch(5, 1);
    layout->addWidget(table);
    layout->addStretch(1);

    showCharges();
    kit::sizeScreen(*this, QSize(760, 560));
}

void Identif::showCharges()
{
    payroll::PayrollParameters p;
    charges_ = {};
    kit::guarded(session_.ui(), [&] {
        p = payroll::readParameters(session_.db());
        charges_ = payroll::readCharges(session_.db());
    });
    tauxPP_->setText(QString::number(p.tauxPP, 'g', 15) + QStringLiteral(" %"));
    tauxCnas_->setText(QString::number(p.tauxCnas, 'g', 15) + QStringLiteral(" %"));
    for (int i = 0; i < 12; ++i) {
        const payroll::MonthCharges& c = charges_[i];
        // An open month shows nothing and cannot be typed into.
        patronale_[i]->setEnabled(c.closed);
        ouvriere_[i]->setEnabled(c.closed);
        brut_[i]->setText(c.closed ? monthAmount(c.brut) : QString());
        patronale_[i]->setText(c.closed ? monthAmount(c.patronale) : QString());
        ouvriere_[i]->setText(c.closed ? monthAmount(c.ouvriere) : QString());
    }
    const payroll::ChargesTotals t = payroll::chargesTotals(charges_);
    for (int i = 0; i < 12; ++i)
        rowTotal_[i]->setText(charges_[i].closed ? totalAmount(t.rowTotal[i]) : QString());
    totalBrut_->setText(totalAmount(t.brut));
    totalPatronale_->setText(totalAmount(t.patronale));
    totalOuvriere_->setText(totalAmount(t.ouvriere));
    grandTotal_->setText(totalAmount(t.total));
}

bool Identif::recompute()
{
    for (int i = 0; i < 12; ++i) {
        if (!charges_[i].closed)
            continue;
        if (!checkAmountField(*patronale_[i], session_.ui()) || !checkAmountField(*ouvriere_[i], session_.ui()))
            return false;
    }
    for (int i = 0; i < 12; ++i) {
        payroll::MonthCharges& c = charges_[i];
        if (!c.closed)
            continue;
        c.patronale = readNumber(patronale_[i]->text());
        c.ouvriere = readNumber(ouvriere_[i]->text());
    }
    const payroll::ChargesTotals t = payroll::chargesTotals(charges_);
    for (int i = 0; i < 12; ++i) {
        if (!charges_[i].closed)
            continue;
        patronale_[i]->setText(monthAmount(charges_[i].patronale));
        ouvriere_[i]->setText(monthAmount(charges_[i].ouvriere));
        rowTotal_[i]->setText(totalAmount(t.rowTotal[i]));
    }
    totalBrut_->setText(totalAmount(t.brut));
    totalPatronale_->setText(totalAmount(t.patronale));
    totalOuvriere_->setText(totalAmount(t.ouvriere));
    grandTotal_->setText(totalAmount(t.total));
    return true;
}

void Identif::saveCharges()
{
    if (!recompute())
        return;
    if (!kit::guarded(session_.ui(), [&] { payroll::writeCharges(session_.db(), charges_); }))
        return; // the engine said why; the screen stays open with what was typed
    accept();
}

// ---- deletion of a month's pays -----------------------------------------------------------------------------

void Identif::buildSuppression()
{
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(kit::titleBand(QStringLiteral("Supprimer une paye"), this));
    bar_ = new kit::CommandBar(this);
    delete_ = bar_->add(Command::Delete, QStringLiteral("supprimer"), this, &Identif::deleteMonth);
    bar_->addExport();
    bar_->addStretch();
    bar_->add(Command::Close, QStringLiteral("fermer"), this, &QDialog::reject);
    layout->addWidget(bar_);

    months_ = new kit::GridModel({{QStringLiteral("N°"), kit::CellKind::Position},
                                  {QStringLiteral("Mois")},
                                  {QStringLiteral("Clôturé"), kit::CellKind::Text, Qt::AlignHCenter}},
                                 this);
    grid_ = new QTableView(this);
    grid_->setObjectName(QStringLiteral("mois"));
    grid_->setModel(months_);
    kit::setupGrid(grid_);
    layout->addWidget(grid_, 1);
    fillMonths();
    kit::fitColumns(grid_, 1);
    connect(grid_->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this] { updateDeleteCommand(); });
    selectMonth(1);
    kit::sizeScreen(*this, QSize(420, 470));
}

void Identif::fillMonths()
{
    closed_ = {};
    kit::guarded(session_.ui(), [&] { closed_ = payroll::closedMonths(session_.db()); });
    QList<QVariantList> rows;
    for (int m = 1; m <= 12; ++m)
        rows.append({QVariant(), monthName(m), closed_[m - 1] ? kClosedMark : kOpenMark});
    months_->setRows(std::move(rows));
}

void Identif::selectMonth(int month)
{
    if (!grid_ || month < 1 || month > 12)
        return;
    grid_->setCurrentIndex(months_->index(month - 1, 0));
    grid_->selectRow(month - 1);
    updateDeleteCommand();
}

int Identif::selectedMonth() const
{
    if (!grid_)
        return 0;
    const QModelIndex i = grid_->currentIndex();
    return i.isValid() ? i.row() + 1 : 0;
}

void Identif::updateDeleteCommand()
{
    const int m = selectedMonth();
    // Only a closed month's pays can be deleted.
    delete_->setVisible(m >= 1 && closed_[m - 1]);
}

void Identif::deleteMonth()
{
    const int m = selectedMonth();
    if (m < 1 || !closed_[m - 1])
        return;
    const QString question = QStringLiteral("Confirmer suppression paye\n") + monthName(m) + QStringLiteral("  ")
                           + QString::number(session_.exerciceOuvert);
    if (!session_.ui().askDefaultNo(question, ui::Icon::Question, ui::kRefusalTitle))
        return;
    // The pays, the month's flag and its charges go together or not at all.
    if (!kit::guarded(session_.ui(), [&] { payroll::deleteMonthPays(session_.db(), m); }))
        return;
    closed_[m - 1] = false;
    months_->setValue(m - 1, 2, kOpenMark);
    updateDeleteCommand();
    session_.ui().message(QStringLiteral("Suppression effectuée avec succès"));
}

} // namespace kv
