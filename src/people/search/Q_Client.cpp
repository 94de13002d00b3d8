#include "Q_Client.h"

#include "core/formats/FieldRules.h"
#include "core/kit/Guard.h"
#include "core/kit/ScreenKit.h"
#include "core/state/Session.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QStackedWidget>
#include <QStandardItemModel>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

namespace kv {

namespace {

const QStringList kCaptions = {QStringLiteral("N°"), QStringLiteral("Nom"), QStringLiteral("Prénom"), QStringLiteral("Tél"),
                               QStringLiteral("Ville")};
constexpr bool kCentred[] = {true, false, false, true, false};
constexpr int kNomColumn = 1;

} // namespace

Q_Client::Q_Client(Session& session, QWidget* parent) : SearchDialog(session, parent), s_(session)
{
    setObjectName(QStringLiteral("Q_Client"));
    setWindowTitle(QStringLiteral("Recherche client"));
    setModal(true);

    // The two panels take turns in the same place: the window keeps its size.
    panels_ = new QStackedWidget(this);

    // --- criteria panel ---
    criteria_ = new QGroupBox(QStringLiteral("Recherche  Rapide"), panels_);
    criteria_->setObjectName(QStringLiteral("criteres"));
    nomBox_ = new QCheckBox(QStringLiteral("Nom"), criteria_);
    nomBox_->setObjectName(QStringLiteral("chk_nom"));
    nom_ = new QLineEdit(criteria_);
    nom_->setObjectName(QStringLiteral("nom"));
    prenomBox_ = new QCheckBox(QStringLiteral("Prénom"), criteria_);
    prenomBox_->setObjectName(QStringLiteral("chk_prenom"));
    prenom_ = new QLineEdit(criteria_);
    prenom_->setObjectName(QStringLiteral("prenom"));
    for (auto [box, field] : {std::pair{nomBox_, nom_}, std::pair{prenomBox_, prenom_}}) {
        field->setVisible(false);
        connect(box, &QCheckBox::toggled, this, [field = field](bool on) {
            field->setVisible(on);
            if (on)
                field->setFocus(Qt::OtherFocusReason);
        });
    }
    // Enter or Down moves to the other criterion when it is shown, Up back; Enter in the last searches.
    auto* chain = new FieldChain({nom_, prenom_}, this);
    connect(chain, &FieldChain::enterOnLast, this, &Q_Client::search);

    auto* grid = new QGridLayout;
    grid->setColumnMinimumWidth(0, 90);
    grid->setHorizontalSpacing(12);
    grid->setVerticalSpacing(10);
    grid->addWidget(nomBox_, 0, 0);
    grid->addWidget(nom_, 0, 1);
    grid->addWidget(prenomBox_, 1, 0);
    grid->addWidget(prenom_, 1, 1);
    grid->setColumnStretch(1, 1);
    // Keep the rows' height while a field is hidden.
    grid->setRowMinimumHeight(0, nom_->sizeHint().height());
    grid->setRowMinimumHeight(1, prenom_->sizeHint().height());
    auto* criteriaButtons = new QHBoxLayout;
    criteriaButtons->addStretch();
    search_ = kit::commandButton(criteria_, kit::Command::Search, QStringLiteral("rechercher"));
    cancel_ = kit::commandButton(criteria_, kit::Command::Cancel, QStringLiteral("annuler"));
    criteriaButtons->addWidget(search_);
    criteriaButtons->addWidget(cancel_);
    connect(search_, &QToolButton::clicked, this, &Q_Client::search);
    connect(cancel_, &QToolButton::clicked, this, &QDialog::reject);
    auto* criteriaLayout = new QVBoxLayout(criteria_);
    criteriaLayout->setSpacing(14);
    criteriaLayout->addLayout(grid);
    criteriaLayout->addStretch();
    criteriaLayout->addLayout(criteriaButtons);

    // --- result panel ---
    results_ = new QGroupBox(QStringLiteral("Recherche  Rapide (Clients)"), panels_);
    results_->setObjectName(QStringLiteral("resultats"));
    model_ = new QStandardItemModel(0, kCaptions.size(), this);
    model_->setHorizontalHeaderLabels(kCaptions);
    list_ = new QTableView(results_);
    list_->setObjectName(QStringLiteral("liste"));
    list_->setModel(model_);
    kit::setupGrid(list_);
    kit::fitColumns(list_, kNomColumn);
    kit::onChoose(list_, [this](int) { choose(); });

    choose_ = kit::commandButton(results_, kit::Command::Confirm, QStringLiteral("choisir"), QStringLiteral("Choisir"));
    back_ = kit::commandButton(results_, kit::Glyph::Up, QStringLiteral("Retour"), QStringLiteral("retour"),
                               QKeySequence(Qt::ALT | Qt::Key_Left));
    connect(choose_, &QToolButton::clicked, this, &Q_Client::choose);
    connect(back_, &QToolButton::clicked, this, &Q_Client::back);
    auto* resultButtons = new QHBoxLayout;
    resultButtons->addStretch();
    resultButtons->addWidget(choose_);
    resultButtons->addWidget(back_);
    auto* resultLayout = new QVBoxLayout(results_);
    resultLayout->setSpacing(6);
    resultLayout->addWidget(list_, 1);
    resultLayout->addLayout(resultButtons);

    panels_->addWidget(criteria_);
    panels_->addWidget(results_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(kit::titleBand(QStringLiteral("Recherche client"), this));
    layout->addWidget(panels_, 1);
    kit::sizeScreen(*this, QSize(680, 400));
    showResults(false);
}

void Q_Client::showResults(bool on)
{
    panels_->setCurrentWidget(on ? static_cast<QWidget*>(results_) : criteria_);
    if (on)
        list_->setFocus(Qt::OtherFocusReason);
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
    model_->removeRows(0, model_->rowCount());
    numbers_.clear();
    model_->setRowCount(found.size());
    for (int r = 0; r < found.size(); ++r) {
        const people::ClientFound& c = found[r];
        const QStringList texts = {QString::number(r + 1), c.nom, c.prenom, c.tel, c.ville};
        for (int col = 0; col < texts.size(); ++col) {
            auto* item = new QStandardItem(texts[col]);
            if (kCentred[col])
                item->setTextAlignment(Qt::AlignCenter);
            model_->setItem(r, col, item);
        }
        numbers_ << c.num;
    }
    list_->selectRow(0);
    showResults(true);
}

void Q_Client::back() { showResults(false); }

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
    if (numbers_.isEmpty() || row < 0 || row >= numbers_.size())
        return;
    chooseRow(numbers_[row], model_->item(row, 1)->text(), model_->item(row, 2)->text());
}

} // namespace kv
