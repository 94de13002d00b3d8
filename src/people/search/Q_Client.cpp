#include "Q_Client.h"

#include "core/formats/FieldRules.h"
#include "core/state/Session.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardItemModel>
#include <QStyle>
#include <QTableView>
#include <QVBoxLayout>

namespace kv {

namespace {

/// Column widths in twips, as the form sets them; shown a third wider (15 twips to a pixel) for
/// today's larger fonts, so that a telephone number fits its column.
constexpr int kTwips[] = {600, 2020, 2020, 1280, 1440};
constexpr int shownWidth(int column) { return kTwips[column] * 4 / 45; }
const QStringList kCaptions = {QStringLiteral("N°"), QStringLiteral("Nom"), QStringLiteral("Prénom"), QStringLiteral("Tél"),
                               QStringLiteral("Ville")};
constexpr bool kCentred[] = {true, false, false, true, false};

QPushButton* command(QWidget* parent, QStyle::StandardPixmap icon, const QString& text, const char* name)
{
    auto* b = new QPushButton(parent->style()->standardIcon(icon), text, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setToolTip(text);
    b->setAutoDefault(false);
    b->setMinimumWidth(110);
    return b;
}

} // namespace

Q_Client::Q_Client(Session& session, QWidget* parent) : SearchDialog(session, parent), s_(session)
{
    setObjectName(QStringLiteral("Q_Client"));
    setWindowTitle(QStringLiteral("Recherche client"));
    setModal(true);

    // --- criteria panel ---
    criteria_ = new QGroupBox(QStringLiteral("Recherche  Rapide"), this);
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
        field->setMinimumWidth(260);
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

    search_ = command(criteria_, QStyle::SP_FileDialogContentsView, QStringLiteral("Rechercher"), "rechercher");
    cancel_ = command(criteria_, QStyle::SP_DialogCancelButton, QStringLiteral("Annuler"), "annuler");
    connect(search_, &QPushButton::clicked, this, &Q_Client::search);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);

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
    criteriaButtons->addWidget(search_);
    criteriaButtons->addWidget(cancel_);
    auto* criteriaLayout = new QVBoxLayout(criteria_);
    criteriaLayout->setContentsMargins(14, 18, 14, 12);
    criteriaLayout->setSpacing(14);
    criteriaLayout->addLayout(grid);
    criteriaLayout->addStretch();
    criteriaLayout->addLayout(criteriaButtons);

    // --- result panel ---
    results_ = new QGroupBox(QStringLiteral("Recherche  Rapide (Clients)"), this);
    results_->setObjectName(QStringLiteral("resultats"));
    model_ = new QStandardItemModel(0, kCaptions.size(), this);
    list_ = new QTableView(results_);
    list_->setObjectName(QStringLiteral("liste"));
    list_->setModel(model_);
    list_->horizontalHeader()->setVisible(false);
    list_->verticalHeader()->setVisible(false);
    list_->verticalHeader()->setDefaultSectionSize(list_->fontMetrics().height() + 8);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->setAlternatingRowColors(true);
    list_->setWordWrap(false);
    list_->horizontalHeader()->setStretchLastSection(true);
    int total = 0;
    auto* captions = new QHBoxLayout;
    captions->setSpacing(0);
    captions->setContentsMargins(1, 0, 0, 0);
    for (int c = 0; c < kCaptions.size(); ++c) {
        list_->setColumnWidth(c, shownWidth(c));
        total += shownWidth(c);
        auto* caption = new QLabel(kCaptions[c], results_);
        caption->setFixedWidth(shownWidth(c));
        caption->setAlignment(kCentred[c] ? Qt::AlignCenter : Qt::AlignLeft | Qt::AlignVCenter);
        caption->setStyleSheet(QStringLiteral("QLabel { font-weight: bold; padding: 2px 0px; }"));
        captions->addWidget(caption);
    }
    captions->addStretch();
    list_->setMinimumSize(total + list_->style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 4, 260);
    connect(list_, &QTableView::doubleClicked, this, [this](const QModelIndex& index) {
        list_->selectRow(index.row());
        choose();
    });

    choose_ = command(results_, QStyle::SP_DialogApplyButton, QStringLiteral("Choisir"), "choisir");
    back_ = command(results_, QStyle::SP_ArrowBack, QStringLiteral("Retour"), "retour");
    connect(choose_, &QPushButton::clicked, this, &Q_Client::choose);
    connect(back_, &QPushButton::clicked, this, &Q_Client::back);
    auto* resultButtons = new QHBoxLayout;
    resultButtons->addStretch();
    resultButtons->addWidget(choose_);
    resultButtons->addWidget(back_);
    auto* resultLayout = new QVBoxLayout(results_);
    resultLayout->setContentsMargins(14, 18, 14, 12);
    resultLayout->setSpacing(6);
    resultLayout->addLayout(captions);
    resultLayout->addWidget(list_);
    resultLayout->addSpacing(6);
    resultLayout->addLayout(resultButtons);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(14, 14, 14, 14);
    layout->addWidget(criteria_);
    layout->addWidget(results_);
    showResults(false);
}

void Q_Client::showResults(bool on)
{
    criteria_->setVisible(!on);
    results_->setVisible(on);
    if (on)
        list_->setFocus(Qt::OtherFocusReason);
    if (isVisible())
        adjustSize();
}

void Q_Client::search()
{
    people::ClientCriteria criteria;
    if (nomBox_->isChecked())
        criteria.nom = nom_->text();
    if (prenomBox_->isChecked())
        criteria.prenom = prenom_->text();
    const QList<people::ClientFound> found = people::searchClients(s_.db(), criteria);
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
