#include "Q_Client.h"

#include "core/formats/FieldRules.h"
#include "core/kit/GridModel.h"
#include "core/kit/Guard.h"
#include "core/kit/ScreenKit.h"
#include "core/state/Session.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QStackedWidget>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

namespace kv {

namespace {

enum Column { ColRow, ColNom, ColPrenom, ColTel, ColVille };

QList<kit::GridColumn> columns()
{
    return {{QStringLiteral("N°"), kit::CellKind::Position},
            {QStringLiteral("Nom")},
            {QStringLiteral("Prénom")},
            {QStringLiteral("Tél"), kit::CellKind::Text, Qt::AlignHCenter},
            {QStringLiteral("Ville")}};
}

} // namespace

Q_Client::Q_Client(Session& session, QWidget* parent) : SearchDialog(session, parent), s_(session)
{
    setObjectName(QStringLiteral("Q_Client"));
    setWindowTitle(QStringLiteral("Recherche client"));
    setModal(true);

    // The two panels take turns in the same place: the window keeps its size. Each has its title band
    // and its command bar, as the vehicle search's panels.
    panels_ = new QStackedWidget(this);

    // --- criteria panel ---
    criteria_ = new QWidget(panels_);
    criteria_->setObjectName(QStringLiteral("criteres"));
    criteriaHeading_ = kit::titleBand(QStringLiteral("Recherche  Rapide"), criteria_, QStringLiteral("titreCriteres"));
    auto* frame = new QFrame(criteria_);
    frame->setObjectName(QStringLiteral("cadreCriteres"));
    frame->setFrameShape(QFrame::StyledPanel);
    nomBox_ = new QCheckBox(QStringLiteral("Nom"), frame);
    nomBox_->setObjectName(QStringLiteral("chk_nom"));
    nom_ = new QLineEdit(frame);
    nom_->setObjectName(QStringLiteral("nom"));
    nom_->setAccessibleName(nomBox_->text());
    prenomBox_ = new QCheckBox(QStringLiteral("Prénom"), frame);
    prenomBox_->setObjectName(QStringLiteral("chk_prenom"));
    prenom_ = new QLineEdit(frame);
    prenom_->setObjectName(QStringLiteral("prenom"));
    prenom_->setAccessibleName(prenomBox_->text());
    for (auto [box, field] : {std::pair{nomBox_, nom_}, std::pair{prenomBox_, prenom_}}) {
        field->setVisible(false);
        field->setMinimumWidth(280);
        connect(box, &QCheckBox::toggled, this, [field = field](bool on) {
            field->setVisible(on);
            if (on)
                field->setFocus(Qt::OtherFocusReason);
        });
    }
    // Enter or Down moves to the other criterion when it is shown, Up back; Enter in the last searches.
    auto* chain = new FieldChain({nom_, prenom_}, this);
    connect(chain, &FieldChain::enterOnLast, this, &Q_Client::search);

    auto* grid = new QGridLayout(frame);
    grid->setContentsMargins(20, 16, 20, 16);
    grid->setColumnMinimumWidth(0, 90);
    grid->setHorizontalSpacing(16);
    grid->setVerticalSpacing(12);
    grid->addWidget(nomBox_, 0, 0);
    grid->addWidget(nom_, 0, 1);
    grid->addWidget(prenomBox_, 1, 0);
    grid->addWidget(prenom_, 1, 1);
    grid->setColumnStretch(1, 1);
    // Keep the rows' height while a field is hidden.
    grid->setRowMinimumHeight(0, nom_->sizeHint().height());
    grid->setRowMinimumHeight(1, prenom_->sizeHint().height());

    auto* criteriaBar = new kit::CommandBar(criteria_);
    criteriaBar->addStretch();
    search_ = criteriaBar->add(kit::Command::Search, QStringLiteral("rechercher"), this, &Q_Client::search);
    cancel_ = criteriaBar->add(kit::Command::Cancel, QStringLiteral("annuler"), static_cast<QDialog*>(this), &QDialog::reject);
    // Return that no field takes searches while the criteria are shown (the list takes it for itself).
    kit::setDefaultCommand(*this, search_);
    kit::layCriteria(criteria_, criteriaHeading_, frame, criteriaBar);

    // --- result panel ---
    results_ = new QWidget(panels_);
    results_->setObjectName(QStringLiteral("resultats"));
    resultHeading_ = kit::titleBand(QStringLiteral("Recherche  Rapide (Clients)"), results_, QStringLiteral("titreResultats"));
    model_ = new kit::GridModel(columns(), this);
    list_ = new QTableView(results_);
    list_->setObjectName(QStringLiteral("liste"));
    list_->setModel(model_);
    kit::setupGrid(list_);
    kit::fitColumns(list_, ColNom);
    kit::onChoose(list_, [this](int) { choose(); });

    // The list's commands first, "Fermer" at the right end.
    auto* resultBar = new kit::CommandBar(results_);
    choose_ = resultBar->add(kit::Command::Confirm, QStringLiteral("choisir"), this, &Q_Client::choose, QStringLiteral("Choisir"));
    back_ = resultBar->add(kit::Glyph::Up, QStringLiteral("Retour"), QStringLiteral("retour"), QKeySequence(Qt::ALT | Qt::Key_Left),
                           this, &Q_Client::back);
    resultBar->addStretch();
    close_ = resultBar->add(kit::Command::Close, QStringLiteral("fermer"), static_cast<QDialog*>(this), &QDialog::reject);
    auto* resultLayout = new QVBoxLayout(results_);
    resultLayout->setContentsMargins(0, 0, 0, 0);
    resultLayout->setSpacing(6);
    resultLayout->addWidget(resultHeading_);
    resultLayout->addWidget(resultBar);
    resultLayout->addWidget(list_, 1);

    panels_->addWidget(criteria_);
    panels_->addWidget(results_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(panels_, 1);
    kit::sizeScreen(*this, QSize(680, 400));
    showResults(false);
}

void Q_Client::showResults(bool on)
{
    panels_->setCurrentWidget(on ? static_cast<QWidget*>(results_) : criteria_);
    if (on)
        list_->setFocus(Qt::OtherFocusReason);
    else if (nomBox_->isChecked() && !nom_->isHidden())
        nom_->setFocus(Qt::OtherFocusReason);
    else
        nomBox_->setFocus(Qt::OtherFocusReason);
}

void Q_Client::search()
{
    people::ClientCriteria criteria;
    if (nomBox_->isChecked())
        criteria.nom = nom_->text();
    if (prenomBox_->isChecked())
        criteria.prenom = prenom_->text();
    QList<people::ClientFound> found;
    if (!kit::guarded(s_.ui(), [&] { found = people::searchClients(s_.db(), criteria); }))
        return;
    if (found.isEmpty()) {
        s_.ui().message(QStringLiteral("Aucun client selon ces critères"));
        return;
    }
    QList<QVariantList> rows;
    QList<qint64> numbers;
    rows.reserve(found.size());
    for (const people::ClientFound& c : found) {
        rows.append({QVariant(), c.nom, c.prenom, c.tel, c.ville});
        numbers << c.num;
    }
    model_->setRows(std::move(rows), std::move(numbers));
    list_->selectRow(0);
    showResults(true);
}

void Q_Client::back() { showResults(false); }

const QList<qint64>& Q_Client::clientNumbers() const { return model_->keys(); }

int Q_Client::selectedRow() const
{
    const QModelIndexList rows = list_->selectionModel()->selectedRows();
    if (!rows.isEmpty())
        return rows.first().row();
    return list_->currentIndex().isValid() ? list_->currentIndex().row() : -1;
}

void Q_Client::choose()
{
    const int row = selectedRow();
    if (row < 0 || row >= model_->lineCount())
        return;
    chooseRow(model_->keyAt(row), model_->cell(row, ColNom), model_->cell(row, ColPrenom));
}

} // namespace kv
