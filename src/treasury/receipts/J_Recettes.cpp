#include "J_Recettes.h"

#include "ReceiptList.h"
#include "core/formats/FieldRules.h"
#include "core/kit/Colours.h"
#include "core/kit/GridModel.h"
#include "core/kit/Guard.h"
#include "core/kit/RowConflict.h"
#include "core/kit/ScreenKit.h"
#include "core/reports/ReportRoutine.h"
#include "core/state/Session.h"
#include "platform/db/Database.h"

#include <QFormLayout>
#include <QFrame>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

namespace kv {

using kit::Command;
using receipts::ReceiptList;

namespace {

constexpr int kSideWidth = 330;

QLineEdit* dateField(QWidget* parent, const QString& name)
{
    auto* e = new QLineEdit(parent);
    e->setObjectName(name);
    e->setMaxLength(10);
    e->setPlaceholderText(QStringLiteral("jj/mm/aaaa"));
    e->setFixedWidth(e->fontMetrics().horizontalAdvance(QStringLiteral("88/88/88888")) + 16);
    return e;
}

} // namespace

J_Recettes::J_Recettes(Session& session, QWidget* parent) : QDialog(parent), s_(session)
{
    setObjectName(QStringLiteral("J_Recettes"));
    setWindowTitle(QStringLiteral(" "));
    setModal(true);

    // ---- commands -------------------------------------------------------------------------------------
    bar_ = new kit::CommandBar(this);
    bar_->add(Command::New, QStringLiteral("nouveau"), this, &J_Recettes::startNew);
    bar_->add(Command::Edit, QStringLiteral("modifier"), this, &J_Recettes::startChange);
    bar_->add(Command::Delete, QStringLiteral("supprimer"), this, &J_Recettes::deleteSelected);
    bar_->addGap();
    bar_->add(Command::Filter, QStringLiteral("filtre"), this, &J_Recettes::openFilter);
    bar_->add(Command::Print, QStringLiteral("imprimer"), this, &J_Recettes::print);
    bar_->addExport();
    bar_->addStretch();
    bar_->add(Command::Quit, QStringLiteral("quitter"), static_cast<QDialog*>(this), &QDialog::reject);

    // ---- the list ---------------------------------------------------------------------------------------
    model_ = ReceiptList::create(this);
    grid_ = new QTableView(this);
    grid_->setObjectName(QStringLiteral("liste"));
    grid_->setModel(model_);
    kit::setupGrid(grid_);
    kit::fitColumns(grid_, ReceiptList::ColObservation);
    connect(grid_, &QTableView::doubleClicked, this, [this](const QModelIndex& index) {
        if (!index.isValid())
            return;
        selectRow(index.row());
        startChange();
    });

    periodLabel_ = new QLabel(this);
    periodLabel_->setObjectName(QStringLiteral("periode"));
    periodLabel_->setStyleSheet(kit::headingStyle());
    total_ = kit::totalField(this, QStringLiteral("total"));
    total_->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    auto* totalRow = new QHBoxLayout;
    totalRow->addWidget(periodLabel_);
    totalRow->addStretch();
    totalRow->addWidget(new QLabel(QStringLiteral("Total"), this));
    totalRow->addWidget(total_);

    auto* listPanel = new QVBoxLayout;
    listPanel->addWidget(grid_, 1);
    listPanel->addLayout(totalRow);

    // ---- the filter panel: a period ---------------------------------------------------------------------
    side_ = new kit::SidePanel(kSideWidth, this);
    // Framed, as the panels of the other registers are.
    auto* filterFrame = new QFrame(side_);
    filterFrame->setFrameShape(QFrame::StyledPanel);
    filterPanel_ = filterFrame;
    filterPanel_->setObjectName(QStringLiteral("panneauFiltre"));
    from_ = dateField(filterPanel_, QStringLiteral("du"));
    to_ = dateField(filterPanel_, QStringLiteral("au"));
    new DateField(from_, s_.ui());
    new DateField(to_, s_.ui());
    auto* chain = new FieldChain({from_, to_}, this);
    connect(chain, &FieldChain::enterOnLast, this, &J_Recettes::applyFilter);
    auto* form = new QFormLayout;
    form->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
    form->setHorizontalSpacing(12);
    form->setVerticalSpacing(10);
    form->addRow(QStringLiteral("Du"), from_);
    form->addRow(QStringLiteral("Au"), to_);
    auto* hint = new QLabel(QStringLiteral("Une date laissée vide ne limite pas la période ; "
                                           "les deux vides montrent toutes les recettes."),
                            filterPanel_);
    hint->setWordWrap(true);
    hint->setStyleSheet(QStringLiteral("QLabel { color: %1; }").arg(kit::colours::kSecondaryText));
    const kit::PanelButtons buttons =
        kit::panelButtons(filterPanel_, QStringLiteral("filtreValider"), QStringLiteral("filtreAnnuler"));
    filterConfirm_ = buttons.confirm;
    filterCancel_ = buttons.cancel;
    connect(filterConfirm_, &QToolButton::clicked, this, &J_Recettes::applyFilter);
    connect(filterCancel_, &QToolButton::clicked, this, &J_Recettes::cancelFilter);
    auto* filterLayout = new QVBoxLayout(filterPanel_);
    filterLayout->setContentsMargins(8, 6, 8, 8);
    filterLayout->addWidget(kit::panelHeading(QStringLiteral("Période"), filterPanel_));
    filterLayout->addSpacing(6);
    filterLayout->addLayout(form);
    filterLayout->addSpacing(6);
    filterLayout->addWidget(hint);
    filterLayout->addStretch();
    filterLayout->addWidget(buttons.row);
    side_->addPanel(filterPanel_, [this] { cancelFilter(); });

    auto* body = new QHBoxLayout;
    body->addLayout(listPanel, 1);
    body->addWidget(side_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(kit::titleBand(QStringLiteral("Recettes diverses"), this));
    layout->addWidget(bar_);
    layout->addLayout(body, 1);
    kit::sizeScreen(*this, QSize(980, 580), {side_});

    fill();
}

// ---- the list -------------------------------------------------------------------------------------------

QList<qint64> J_Recettes::nums() const
{
    QList<qint64> n;
    for (const receipts::Receipt& r : lines_)
        n << r.num;
    return n;
}

int J_Recettes::selectedRow() const
{
    const int count = model_->rowCount();
    if (count == 0)
        return -1;
    const QModelIndexList rows = grid_->selectionModel()->selectedRows();
    const int row = !rows.isEmpty() ? rows.first().row() : grid_->currentIndex().isValid() ? grid_->currentIndex().row() : 0;
    return std::clamp(row, 0, count - 1);
}

void J_Recettes::selectRow(int row)
{
    if (row < 0 || row >= model_->rowCount())
        return;
    grid_->selectRow(row);
    grid_->setCurrentIndex(model_->index(row, 0));
}

QToolButton* J_Recettes::command(const QString& objectName) const { return bar_->command(objectName); }

void J_Recettes::fill()
{
    QList<receipts::Receipt> lines;
    if (!kit::guarded(s_.ui(), [&] { lines = receipts::read(s_.db(), period_); }))
        return; // the list stays as it was
    const bool none = lines.isEmpty();
    showLines(std::move(lines));
    // An empty ledger opens on the entry of a new receipt; an empty period only shows its empty list.
    if (none && !period_.isSet())
        startNew();
}

void J_Recettes::showLines(QList<receipts::Receipt> lines)
{
    const double sum = receipts::total(lines);
    lines_ = std::move(lines);
    ReceiptList::show(*model_, lines_);
    total_->setText(receipts::totalText(sum));
    const QString period = receipts::periodText(period_);
    periodLabel_->setText(period.isEmpty() ? QString() : QStringLiteral("Période ") + period);
    grid_->setEnabled(model_->rowCount() > 0);
    grid_->scrollToTop();
    if (model_->rowCount() > 0)
        selectRow(0);
}

void J_Recettes::setBrowsing(bool on)
{
    bar_->setEnabled(on);
    grid_->setEnabled(on && model_->rowCount() > 0);
    if (on) {
        side_->close();
        grid_->setFocus();
    }
}

// ---- the commands ---------------------------------------------------------------------------------------

void J_Recettes::startNew()
{
    fund::Options options;
    options.parent = this;
    // A refused or cancelled booking wrote nothing: the list stays as it is.
    if (fund::enterNew(s_, receipts::codes(), options).written())
        fill();
}

void J_Recettes::startChange()
{
    const int row = selectedRow();
    if (row < 0)
        return;
    const qint64 num = lines_[row].num;
    // The line is searched among the miscellaneous receipts: a number that now belongs to another
    // kind of receipt (the line deleted, its number taken again) is not this line.
    bool listed = false;
    if (!kit::guarded(s_.ui(), [&] { listed = receipts::isListed(s_.db(), num); }))
        return;
    fund::Outcome outcome{fund::Status::Missing, 0};
    if (!listed) {
        s_.ui().refuse(QStringLiteral("Mouvement altéré"), ui::Icon::Information);
    } else {
        fund::Options options;
        options.parent = this;
        outcome = fund::enterChange(s_, receipts::codes(), num, options);
    }
    if (outcome.status == fund::Status::Written || outcome.status == fund::Status::Missing)
        fill();
}

void J_Recettes::deleteSelected()
{
    const int row = selectedRow();
    if (row < 0)
        return;
    if (!s_.ui().askDefaultNo(QStringLiteral("Confirmer suppression de la ligne N° ") + QString::number(row + 1), ui::Icon::Question,
                     QStringLiteral("Confirmation")))
        return;
    const qint64 num = lines_[row].num;
    bool deleted = false;
    if (!kit::guarded(s_.ui(), [&] { deleted = receipts::remove(s_.db(), num, lines_[row].montant); }, [&] { fill(); }))
        return;
    if (!deleted)
        s_.ui().refuse(QStringLiteral("Mouvement altéré"), ui::Icon::Information);
    fill();
}

void J_Recettes::openFilter()
{
    from_->setText(period_.from);
    to_->setText(period_.to);
    setBrowsing(false);
    side_->open(filterPanel_);
    from_->setFocus();
    from_->selectAll();
}

void J_Recettes::applyFilter()
{
    const receipts::Period period{from_->text().trimmed(), to_->text().trimmed()};
    if (!period.from.isEmpty() && !checkDateField(*from_, s_.ui()))
        return;
    if (!period.to.isEmpty() && !checkDateField(*to_, s_.ui()))
        return;
    if (receipts::isInverted(period)) {
        s_.ui().refuse(QStringLiteral("Dates inversées"));
        to_->setFocus();
        to_->selectAll();
        return;
    }
    QList<receipts::Receipt> lines;
    if (!kit::guarded(s_.ui(), [&] { lines = receipts::read(s_.db(), period); }))
        return;
    if (lines.isEmpty()) {
        // The panel stays open and the list as it was.
        s_.ui().refuse(QStringLiteral("Aucune recette selon ces critères"));
        from_->setFocus();
        return;
    }
    period_ = period;
    setBrowsing(true);
    showLines(std::move(lines));
}

void J_Recettes::cancelFilter() { setBrowsing(true); }

void J_Recettes::print()
{
    const QList<receipts::Receipt>& lines = lines_;
    if (lines.isEmpty())
        return;
    ReportRequest request;
    request.templateName = QStringLiteral("Liste_RC.RPT");
    QStringList keys;
    keys.reserve(lines.size());
    for (const receipts::Receipt& r : lines)
        keys << QString::number(r.num);
    request.buffer = keys;
    request.texts = {{QStringLiteral("ch4"), receipts::periodText(period_)},
                     {QStringLiteral("ch5"), receipts::printedAmount(receipts::total(lines))}};
    kit::guarded(s_.ui(), [&] { printReport(s_, request); }); // shows its own failures
}

} // namespace kv
