#include "Q_Vehicule.h"

#include "core/state/Session.h"
#include "fleet/register/VehicleList.h"
#include "core/kit/GridModel.h"
#include "core/kit/Guard.h"
#include "core/kit/ScreenKit.h"
#include "fleet/references/ReferenceTable.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QRadioButton>
#include <QScrollBar>
#include <QStackedWidget>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

#include <array>

namespace kv {

using kit::Command;

namespace {

using vehicles::ColMarque;
using vehicles::ColRow;
using vehicles::ColType;

const QString kNothingFound = QStringLiteral("Aucun véhicule selon ces critères");

/// The commands of this dialog are pictures with their words, without tooltips.
QToolButton* command(kit::CommandBar* bar, Command c, const QString& name, const QString& text = {})
{
    QToolButton* b = bar->add(c, name, text);
    b->setToolTip(QString());
    return b;
}

} // namespace

Q_Vehicule::Q_Vehicule(Session& session, QWidget* parent) : SearchDialog(session, parent), s_(session)
{
    setObjectName(QStringLiteral("Q_Vehicule"));
    setWindowTitle(QStringLiteral(" "));
    setModal(true);

    panels_ = new QStackedWidget(this);

    // ---- result panel -------------------------------------------------------------------------------------
    results_ = new QWidget(panels_);
    results_->setObjectName(QStringLiteral("resultats"));
    auto* resultHeading = kit::titleBand(QStringLiteral("Recherche Rapide (Véhicules)"), results_, QStringLiteral("titreResultats"));

    // The commands as on every screen: the list's commands first, "Fermer" at the right end.
    auto* resultBar = new kit::CommandBar(results_);
    openCriteria_ = command(resultBar, Command::Filter, QStringLiteral("criteres"), QStringLiteral("Critères"));
    choose_ = command(resultBar, Command::Confirm, QStringLiteral("choisir"), QStringLiteral("Choisir"));
    resultBar->addStretch();
    close_ = command(resultBar, Command::Close, QStringLiteral("fermer"));
    connect(close_, &QToolButton::clicked, this, &QDialog::reject);
    connect(openCriteria_, &QToolButton::clicked, this, &Q_Vehicule::openCriteria);
    connect(choose_, &QToolButton::clicked, this, &Q_Vehicule::choose);

    // The grid of every list: its captions in its header. It always keeps at least one row; with no
    // vehicle that row stays blank and nothing can be chosen.
    model_ = new kit::GridModel(vehicles::listColumns(QStringLiteral("N°")), this);
    model_->setMinimumRows(1);
    grid_ = new QTableView(results_);
    grid_->setObjectName(QStringLiteral("liste"));
    grid_->setModel(model_);
    kit::setupGrid(grid_);
    kit::fitColumns(grid_, ColMarque);
    kit::onChoose(grid_, [this](int) { choose(); });

    auto* resultLayout = new QVBoxLayout(results_);
    resultLayout->setContentsMargins(0, 0, 0, 0);
    resultLayout->setSpacing(6);
    resultLayout->addWidget(resultHeading);
    resultLayout->addWidget(resultBar);
    resultLayout->addWidget(grid_, 1);

    // ---- criteria panel -----------------------------------------------------------------------------------
    criteria_ = new QWidget(panels_);
    criteria_->setObjectName(QStringLiteral("criteresPanneau"));
    auto* criteriaHeading = kit::titleBand(QStringLiteral("Recherche  Rapide"), criteria_, QStringLiteral("titreCriteres"));

    auto* frame = new QFrame(criteria_);
    frame->setObjectName(QStringLiteral("cadreCriteres"));
    frame->setFrameShape(QFrame::StyledPanel);
    actuels_ = new QRadioButton(QStringLiteral("Actuels"), frame);
    actuels_->setObjectName(QStringLiteral("actuels"));
    archives_ = new QRadioButton(QStringLiteral("Archivés"), frame);
    archives_->setObjectName(QStringLiteral("archives"));
    ensemble_ = new QRadioButton(QStringLiteral("Ensemble"), frame);
    ensemble_->setObjectName(QStringLiteral("ensemble"));
    auto* options = new QButtonGroup(this);
    auto* optionRow = new QHBoxLayout;
    optionRow->setSpacing(24);
    optionRow->addStretch();
    for (QRadioButton* r : {actuels_, archives_, ensemble_}) {
        options->addButton(r);
        optionRow->addWidget(r);
    }
    optionRow->addStretch();
    ensemble_->setChecked(true);

    auto* separator = new QFrame(frame);
    separator->setFrameShape(QFrame::HLine);
    separator->setFrameShadow(QFrame::Sunken);

    const QString boxTexts[3] = {QStringLiteral("Type"), QStringLiteral("Marque"), QStringLiteral("Modèle")};
    const char* boxNames[3] = {"chk_type", "chk_marque", "chk_modele"};
    const char* listNames[3] = {"type", "marque", "modele"};
    const int kinds[3] = {references::Genres, references::Marques, references::Modeles};
    auto* boxGrid = new QGridLayout;
    boxGrid->setHorizontalSpacing(16);
    boxGrid->setVerticalSpacing(12);
    boxGrid->setColumnMinimumWidth(0, 90);
    boxGrid->setColumnMinimumWidth(1, 280);
    for (int i = 0; i < 3; ++i) {
        boxes_[i] = new QCheckBox(boxTexts[i], frame);
        boxes_[i]->setObjectName(QString::fromLatin1(boxNames[i]));
        lists_[i] = new QComboBox(frame);
        lists_[i]->setObjectName(QString::fromLatin1(listNames[i]));
        lists_[i]->setAccessibleName(boxTexts[i]); // its box is its label
        lists_[i]->setMinimumWidth(280);
        lists_[i]->setMaxVisibleItems(16);
        // Each list holds its table's names in `ordre` order, the numbers kept alongside; the first
        // entry is selected when there is one.
        references::Entries entries;
        kit::guarded(s_.ui(), [&] { entries = references::load(s_.db(), kinds[i]); });
        for (int e = 0; e < entries.size(); ++e)
            lists_[i]->addItem(entries.names[e], entries.nums[e]);
        lists_[i]->setCurrentIndex(entries.isEmpty() ? -1 : 0);
        lists_[i]->setVisible(false);
        connect(boxes_[i], &QCheckBox::toggled, lists_[i], &QWidget::setVisible);
        boxGrid->addWidget(boxes_[i], i, 0);
        boxGrid->addWidget(lists_[i], i, 1);
        // Keep the rows' height while a list is hidden.
        boxGrid->setRowMinimumHeight(i, lists_[i]->sizeHint().height());
    }
    auto* boxRow = new QHBoxLayout;
    boxRow->addStretch();
    boxRow->addLayout(boxGrid);
    boxRow->addStretch();

    auto* frameLayout = new QVBoxLayout(frame);
    frameLayout->setContentsMargins(20, 16, 20, 16);
    frameLayout->setSpacing(14);
    frameLayout->addLayout(optionRow);
    frameLayout->addWidget(separator);
    frameLayout->addLayout(boxRow);

    auto* criteriaBar = new kit::CommandBar(criteria_);
    criteriaBar->addStretch();
    search_ = command(criteriaBar, Command::Search, QStringLiteral("rechercher"));
    cancel_ = command(criteriaBar, Command::Cancel, QStringLiteral("annuler"));
    connect(search_, &QToolButton::clicked, this, &Q_Vehicule::search);
    connect(cancel_, &QToolButton::clicked, this, &Q_Vehicule::cancelCriteria);
    // Return that no field takes searches while the criteria are shown (the list takes it for itself).
    kit::setDefaultCommand(*this, search_);
    kit::layCriteria(criteria_, criteriaHeading, frame, criteriaBar);

    panels_->addWidget(results_);
    panels_->addWidget(criteria_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(panels_);

    // All the vehicles, archived ones included, in register order.
    QList<vehicles::VehicleFound> all;
    kit::guarded(s_.ui(), [&] { all = vehicles::searchVehicles(s_.db(), {}); });
    fill(all);
    showResults(true);
    kit::sizeScreen(*this, QSize(900, 560));
}

vehicles::SearchCriteria Q_Vehicule::criteria() const
{
    vehicles::SearchCriteria c;
    c.archive = actuels_->isChecked()    ? vehicles::ArchiveChoice::Actuels
        : archives_->isChecked()         ? vehicles::ArchiveChoice::Archives
                                         : vehicles::ArchiveChoice::Ensemble;
    vehicles::RefCriterion* refs[3] = {&c.genre, &c.marque, &c.modele};
    for (int i = 0; i < 3; ++i) {
        if (!boxes_[i]->isChecked())
            continue;
        const QVariant num = lists_[i]->currentData();
        *refs[i] = vehicles::RefCriterion::on(num.isValid() ? std::optional<qint64>(num.toLongLong()) : std::nullopt);
    }
    return c;
}

void Q_Vehicule::fill(const QList<vehicles::VehicleFound>& found)
{
    QList<QVariantList> rows;
    QList<qint64> numbers;
    rows.reserve(found.size());
    for (const vehicles::VehicleFound& v : found) {
        rows.append({QVariant(), v.type, v.marque, v.modele, v.annee, v.matricule,
                     v.archived ? QStringLiteral("OUI") : QStringLiteral(" ")});
        numbers << v.num;
    }
    model_->setRows(std::move(rows), std::move(numbers));
    grid_->clearSelection();
    if (model_->lineCount() > 0) {
        grid_->setCurrentIndex(model_->index(0, ColRow));
        grid_->selectRow(0);
    }
    grid_->scrollToTop();
}

void Q_Vehicule::showResults(bool on)
{
    panels_->setCurrentWidget(on ? results_ : criteria_);
    if (on)
        grid_->setFocus(Qt::OtherFocusReason);
    else
        search_->setFocus(Qt::OtherFocusReason);
}

void Q_Vehicule::openCriteria() { showResults(false); }

void Q_Vehicule::cancelCriteria() { showResults(true); }

void Q_Vehicule::search()
{
    QList<vehicles::VehicleFound> found;
    if (!kit::guarded(s_.ui(), [&] { found = vehicles::searchVehicles(s_.db(), criteria()); }))
        return;
    if (found.isEmpty()) {
        // A plain box: the OK button, no picture.
        s_.ui().message(kNothingFound, ui::Icon::NoIcon);
        return;
    }
    fill(found);
    showResults(true);
}

int Q_Vehicule::currentRow() const
{
    const QModelIndexList rows = grid_->selectionModel()->selectedRows();
    if (!rows.isEmpty())
        return rows.first().row();
    return grid_->currentIndex().isValid() ? grid_->currentIndex().row() : -1;
}

const QList<qint64>& Q_Vehicule::vehicleNumbers() const { return model_->keys(); }

void Q_Vehicule::choose()
{
    const int row = currentRow();
    if (row < 0 || row >= model_->lineCount())
        return;
    chooseRow(model_->keyAt(row), model_->cell(row, ColType), model_->cell(row, ColMarque));
}

} // namespace kv
