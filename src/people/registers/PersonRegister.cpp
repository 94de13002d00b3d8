#include "PersonRegister.h"

#include "core/formats/FieldRules.h"
#include "core/reports/ReportRoutine.h"
#include "core/schema/Schema.h"
#include "core/state/Session.h"
#include "people/accounts/Accounts.h"
#include "platform/db/Error.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardItemModel>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

namespace kv {

using namespace people;

namespace {

const QString kAttention = QStringLiteral("ATTENTION");

/// Every lower-case letter a to z typed becomes its capital.
int capitalsKey(const QString&, int key) { return key >= 'a' && key <= 'z' ? key - 32 : key; }
/// While the field is empty, a lower-case first letter a to z becomes its capital.
int firstCapitalKey(const QString& text, int key) { return text.isEmpty() && key >= 'a' && key <= 'z' ? key - 32 : key; }

enum class Rule { None, Capitals, FirstCapital };

void applyRule(QLineEdit* field, Rule rule)
{
    if (rule == Rule::Capitals)
        new FieldKeyFilter(field, capitalsKey);
    else if (rule == Rule::FirstCapital)
        new FieldKeyFilter(field, firstCapitalKey);
}

/// Grid widths are given in twips; the screen shows them at 15 twips a pixel.
int pixels(int twips) { return twips / 15; }

QToolButton* command(const QString& name, QWidget* parent)
{
    auto* b = new QToolButton(parent);
    b->setObjectName(name);
    b->setText(name);
    b->setToolTip(name);
    b->setToolButtonStyle(Qt::ToolButtonTextOnly);
    b->setMinimumWidth(78);
    b->setAutoRaise(false);
    return b;
}

} // namespace

PersonRegister::PersonRegister(Session& session, const PersonKind& kind, QWidget* parent)
    : QDialog(parent), session_(session), kind_(kind)
{
    setObjectName(kind.screen);
    setWindowTitle(QStringLiteral(" "));
    auto* layout = new QVBoxLayout(this);
    auto* heading = new QLabel(kind.panelTitle, this);
    heading->setObjectName(QStringLiteral("titre"));
    QFont f = heading->font();
    f.setPointSize(f.pointSize() + 5);
    f.setBold(true);
    heading->setFont(f);
    heading->setStyleSheet(QStringLiteral("color: #1f3b5c;"));
    layout->addWidget(heading);

    auto* body = new QHBoxLayout;
    layout->addLayout(body);
    buildList();
    body->addWidget(listPanel_, 1);
    auto* side = new QVBoxLayout;
    body->addLayout(side);
    buildEntry();
    buildFilter();
    side->addWidget(entryPanel_);
    side->addWidget(filterPanel_);
    side->addStretch();
    entryPanel_->hide();
    filterPanel_->hide();

    newPerson_ = false;
    fillList();
}

// ---- building --------------------------------------------------------------------------------------

void PersonRegister::buildList()
{
    listPanel_ = new QWidget(this);
    listPanel_->setObjectName(QStringLiteral("listPanel"));
    auto* v = new QVBoxLayout(listPanel_);
    v->setContentsMargins(0, 0, 0, 0);
    auto* bar = new QHBoxLayout;
    v->addLayout(bar);
    const auto add = [&](const QString& name, void (PersonRegister::*slot)()) {
        QToolButton* b = command(name, listPanel_);
        connect(b, &QToolButton::clicked, this, slot);
        bar->addWidget(b);
    };
    add(QStringLiteral("Nouveau"), &PersonRegister::nouveau);
    add(QStringLiteral("Modifier"), &PersonRegister::modifier);
    add(QStringLiteral("Supprimer"), &PersonRegister::supprimer);
    add(QStringLiteral("Filtre"), &PersonRegister::filtre);
    add(QStringLiteral("ZOOM"), &PersonRegister::zoom);
    add(QStringLiteral("Imprimer"), &PersonRegister::imprimer);
    bar->addStretch();
    QToolButton* quit = command(QStringLiteral("Quitter"), listPanel_);
    connect(quit, &QToolButton::clicked, this, &QDialog::reject);
    bar->addWidget(quit);

    model_ = new QStandardItemModel(0, kind_.columns.size(), this);
    int width = 0;
    for (int c = 0; c < kind_.columns.size(); ++c) {
        model_->setHeaderData(c, Qt::Horizontal, kind_.columns[c].caption);
        width += pixels(kind_.columns[c].twips);
    }
    grid_ = new QTableView(listPanel_);
    grid_->setObjectName(QStringLiteral("liste"));
    grid_->setModel(model_);
    grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->verticalHeader()->hide();
    grid_->verticalHeader()->setDefaultSectionSize(grid_->fontMetrics().height() + 6);
    grid_->horizontalHeader()->setHighlightSections(false);
    grid_->setAlternatingRowColors(true);
    grid_->setWordWrap(false);
    for (int c = 0; c < kind_.columns.size(); ++c)
        grid_->setColumnWidth(c, pixels(kind_.columns[c].twips));
    grid_->horizontalHeader()->setStretchLastSection(true);
    grid_->setMinimumSize(width + 24, 360);
    connect(grid_, &QTableView::doubleClicked, this, [this](const QModelIndex&) { zoom(); });
    v->addWidget(grid_);
}

QLineEdit* PersonRegister::addField(const QString& name, QWidget* parent)
{
    auto* e = new QLineEdit(parent);
    e->setObjectName(name);
    new SelectOnFocus(e);
    return e;
}

void PersonRegister::buildEntry()
{
    const bool agent = kind_.type == schema::person::Agent;
    const bool client = kind_.type == schema::person::Client;

    entryPanel_ = new QGroupBox(this);
    entryPanel_->setObjectName(QStringLiteral("entryPanel"));
    entryPanel_->setMinimumWidth(330);
    auto* v = new QVBoxLayout(entryPanel_);
    entryTitle_ = new QLabel(entryPanel_);
    entryTitle_->setObjectName(QStringLiteral("entryTitle"));
    entryTitle_->setAlignment(Qt::AlignCenter);
    QFont tf = entryTitle_->font();
    tf.setBold(true);
    tf.setPointSize(tf.pointSize() + 2);
    entryTitle_->setFont(tf);
    v->addWidget(entryTitle_);

    auto* form = new QFormLayout;
    v->addLayout(form);
    nom_ = addField(QStringLiteral("nom"), entryPanel_);
    applyRule(nom_, Rule::Capitals);
    form->addRow(QStringLiteral("Nom"), nom_);
    prenom_ = addField(QStringLiteral("prenom"), entryPanel_);
    applyRule(prenom_, agent ? Rule::None : Rule::FirstCapital);
    form->addRow(QStringLiteral("Prénom"), prenom_);
    fonction_ = addField(QStringLiteral("fonction"), entryPanel_);
    applyRule(fonction_, Rule::FirstCapital);
    if (kind_.hasFonction)
        form->addRow(QStringLiteral("Fonction"), fonction_);
    else
        fonction_->hide();
    tel_ = addField(QStringLiteral("tel"), entryPanel_);
    applyRule(tel_, client ? Rule::FirstCapital : Rule::None);
    form->addRow(QStringLiteral("Téléphone"), tel_);
    ville_ = addField(QStringLiteral("ville"), entryPanel_);
    applyRule(ville_, client ? Rule::None : Rule::FirstCapital);
    form->addRow(QStringLiteral("Localité"), ville_);

    auto* chain = new FieldChain(this);
    chain->add(nom_);
    chain->add(prenom_);
    if (kind_.hasFonction)
        chain->add(fonction_);
    chain->add(tel_);
    chain->add(ville_);

    salarie_ = new QCheckBox(QStringLiteral("Salarié"), entryPanel_);
    salarie_->setObjectName(QStringLiteral("salarie"));
    salaryBlock_ = new QGroupBox(entryPanel_);
    salaryBlock_->setObjectName(QStringLiteral("salaryBlock"));
    auto* sf = new QFormLayout(salaryBlock_);
    entree_ = addField(QStringLiteral("d_entree"), salaryBlock_);
    new DateField(entree_, session_.ui());
    sf->addRow(QStringLiteral("Entré le "), entree_);
    ss_ = addField(QStringLiteral("ss"), salaryBlock_);
    sf->addRow(QStringLiteral("N° CNAS"), ss_);
    taux_ = addField(QStringLiteral("taux_jour"), salaryBlock_);
    new DecimalField(taux_);
    sf->addRow(QStringLiteral("Taux Jour"), taux_);
    if (kind_.hasSalarie) {
        v->addWidget(salarie_);
        v->addWidget(salaryBlock_);
        if (agent) {
            // The agents' screen does not move from "Localité" into the salaried block.
            new FieldChain({entree_, ss_, taux_}, this);
        } else {
            chain->add(entree_);
            chain->add(ss_);
            chain->add(taux_);
        }
    } else {
        salarie_->hide();
        salaryBlock_->hide();
    }

    cniBlock_ = new QGroupBox(QStringLiteral("CNI"), entryPanel_);
    cniBlock_->setObjectName(QStringLiteral("cniBlock"));
    auto* cf = new QFormLayout(cniBlock_);
    numCni_ = addField(QStringLiteral("num_cni"), cniBlock_);
    applyRule(numCni_, Rule::Capitals);
    cf->addRow(QStringLiteral("N°"), numCni_);
    dateCni_ = addField(QStringLiteral("date_cni"), cniBlock_);
    new DateField(dateCni_, session_.ui());
    cf->addRow(QStringLiteral("Délivée le"), dateCni_);
    villeCni_ = addField(QStringLiteral("ville_cni"), cniBlock_);
    applyRule(villeCni_, Rule::FirstCapital);
    cf->addRow(QStringLiteral("A"), villeCni_);
    if (kind_.hasCni) {
        v->addWidget(cniBlock_);
        chain->add(numCni_);
        chain->add(dateCni_);
        chain->add(villeCni_);
    } else {
        cniBlock_->hide();
    }

    permis_ = new QCheckBox(QStringLiteral("Permis de Conduire"), entryPanel_);
    permis_->setObjectName(QStringLiteral("permis"));
    permisBlock_ = new QGroupBox(entryPanel_);
    permisBlock_->setObjectName(QStringLiteral("permisBlock"));
    auto* pf = new QFormLayout(permisBlock_);
    numPermis_ = addField(QStringLiteral("num_permis"), permisBlock_);
    applyRule(numPermis_, client ? Rule::Capitals : Rule::None);
    pf->addRow(QStringLiteral("Numéro"), numPermis_);
    datePermis_ = addField(QStringLiteral("date_permis"), permisBlock_);
    new DateField(datePermis_, session_.ui());
    pf->addRow(QStringLiteral("Délivré le"), datePermis_);
    villePermis_ = addField(QStringLiteral("ville_permis"), permisBlock_);
    applyRule(villePermis_, Rule::FirstCapital);
    pf->addRow(QStringLiteral("A"), villePermis_);
    if (kind_.hasPermis) {
        v->addWidget(permis_);
        v->addWidget(permisBlock_);
        if (client) // the clients' screen stops at the end of the identity-card block
            new FieldChain({numPermis_, datePermis_, villePermis_}, this);
        else {
            chain->add(numPermis_);
            chain->add(datePermis_);
            chain->add(villePermis_);
        }
    } else {
        permis_->hide();
        permisBlock_->hide();
    }

    auto* arch = new QGroupBox(QStringLiteral("Archivé"), entryPanel_);
    arch->setObjectName(QStringLiteral("archBox"));
    auto* ah = new QHBoxLayout(arch);
    archNon_ = new QRadioButton(QStringLiteral("NON"), arch);
    archNon_->setObjectName(QStringLiteral("archNon"));
    archOui_ = new QRadioButton(QStringLiteral("OUI"), arch);
    archOui_->setObjectName(QStringLiteral("archOui"));
    ah->addWidget(archNon_);
    ah->addWidget(archOui_);
    ah->addStretch();
    v->addWidget(arch);

    auto* buttons = new QHBoxLayout;
    v->addLayout(buttons);
    buttons->addStretch();
    auto* ok = new QPushButton(QStringLiteral("Valider"), entryPanel_);
    ok->setObjectName(QStringLiteral("valider"));
    ok->setAutoDefault(false);
    auto* cancel = new QPushButton(QStringLiteral("Annuler"), entryPanel_);
    cancel->setObjectName(QStringLiteral("annuler"));
    cancel->setAutoDefault(false);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    connect(ok, &QPushButton::clicked, this, &PersonRegister::validate);
    connect(cancel, &QPushButton::clicked, this, &PersonRegister::cancelEntry);

    connect(salarie_, &QCheckBox::toggled, this, &PersonRegister::updateBlocks);
    connect(permis_, &QCheckBox::toggled, this, &PersonRegister::updateBlocks);
}

void PersonRegister::buildFilter()
{
    filterPanel_ = new QGroupBox(QStringLiteral("Filtre"), this);
    filterPanel_->setObjectName(QStringLiteral("filterPanel"));
    auto* v = new QVBoxLayout(filterPanel_);
    const auto group = [&](const QString& caption, const QString& prefix, QRadioButton*& oui, QRadioButton*& non,
                           QRadioButton*& ens) {
        auto* g = new QGroupBox(caption, filterPanel_);
        auto* h = new QHBoxLayout(g);
        oui = new QRadioButton(QStringLiteral("OUI"), g);
        non = new QRadioButton(QStringLiteral("NON"), g);
        ens = new QRadioButton(QStringLiteral("Ensemble"), g);
        oui->setObjectName(prefix + QStringLiteral("Oui"));
        non->setObjectName(prefix + QStringLiteral("Non"));
        ens->setObjectName(prefix + QStringLiteral("Ensemble"));
        h->addWidget(oui);
        h->addWidget(non);
        h->addWidget(ens);
        v->addWidget(g);
        ens->setChecked(true);
    };
    group(QStringLiteral("Salariés"), QStringLiteral("salaries"), salOui_, salNon_, salEns_);
    group(QStringLiteral("Archivés"), QStringLiteral("archives"), arcOui_, arcNon_, arcEns_);
    auto* buttons = new QHBoxLayout;
    v->addLayout(buttons);
    buttons->addStretch();
    auto* apply = new QPushButton(QStringLiteral("Appliquer"), filterPanel_);
    apply->setObjectName(QStringLiteral("appliquer"));
    apply->setAutoDefault(false);
    auto* cancel = new QPushButton(QStringLiteral("Annuler"), filterPanel_);
    cancel->setObjectName(QStringLiteral("annulerFiltre"));
    cancel->setAutoDefault(false);
    buttons->addWidget(apply);
    buttons->addWidget(cancel);
    connect(apply, &QPushButton::clicked, this, &PersonRegister::applyFilter);
    connect(cancel, &QPushButton::clicked, this, &PersonRegister::backToList);
}

// ---- the list --------------------------------------------------------------------------------------

void PersonRegister::setRowCells(int row, const PersonRow& person, int position)
{
    for (int c = 0; c < kind_.columns.size(); ++c) {
        const ListColumn& col = kind_.columns[c];
        auto* item = new QStandardItem(col.value == ColumnValue::Position ? QString::number(position) : person.cells.value(c));
        if (col.value != ColumnValue::Position)
            item->setToolTip(item->text().trimmed());
        item->setTextAlignment(col.centred ? Qt::AlignCenter : Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
        model_->setItem(row, c, item);
    }
}

void PersonRegister::fillList()
{
    model_->removeRows(0, model_->rowCount());
    nums_.clear();
    const QList<PersonRow> rows = listPersons(session_.db(), kind_, filter_);
    if (rows.isEmpty()) {
        grid_->setEnabled(false);
        nouveau();
        return;
    }
    grid_->setEnabled(true);
    model_->setRowCount(rows.size());
    for (int i = 0; i < rows.size(); ++i) {
        setRowCells(i, rows[i], i + 1);
        nums_ << rows[i].num;
    }
    selectRow(0);
}

int PersonRegister::selectedRow() const
{
    const QModelIndex i = grid_->currentIndex();
    return i.isValid() ? i.row() : (nums_.isEmpty() ? -1 : 0);
}

void PersonRegister::selectRow(int row)
{
    if (row < 0 || row >= model_->rowCount())
        return;
    grid_->setCurrentIndex(model_->index(row, 0));
    grid_->selectRow(row);
}

void PersonRegister::showPanel(QGroupBox* panel)
{
    listPanel_->setEnabled(false);
    (panel == entryPanel_ ? filterPanel_ : entryPanel_)->hide();
    panel->show();
}

void PersonRegister::backToList()
{
    entryPanel_->hide();
    filterPanel_->hide();
    listPanel_->setEnabled(true);
    grid_->setFocus();
}

// ---- the entry -------------------------------------------------------------------------------------

void PersonRegister::updateBlocks()
{
    salaryBlock_->setVisible(kind_.hasSalarie && salarie_->isChecked());
    permisBlock_->setVisible(kind_.hasPermis && permis_->isChecked());
}

void PersonRegister::putEntry(const PersonEntry& e)
{
    nom_->setText(e.nom);
    prenom_->setText(e.prenom);
    fonction_->setText(e.fonction);
    tel_->setText(e.tel);
    ville_->setText(e.ville);
    salarie_->setChecked(e.salarie);
    entree_->setText(e.dEntree);
    ss_->setText(e.ss);
    taux_->setText(e.tauxJour);
    permis_->setChecked(e.permis);
    numPermis_->setText(e.numPermis);
    datePermis_->setText(e.datePermis);
    villePermis_->setText(e.villePermis);
    numCni_->setText(e.numCni);
    dateCni_->setText(e.dateCni);
    villeCni_->setText(e.villeCni);
    (e.archived ? archOui_ : archNon_)->setChecked(true);
    updateBlocks();
}

PersonEntry PersonRegister::entry() const
{
    PersonEntry e;
    e.nom = nom_->text();
    e.prenom = prenom_->text();
    e.fonction = fonction_->text();
    e.tel = tel_->text();
    e.ville = ville_->text();
    e.salarie = salarie_->isChecked();
    e.dEntree = entree_->text();
    e.ss = ss_->text();
    e.tauxJour = taux_->text();
    e.permis = permis_->isChecked();
    e.numPermis = numPermis_->text();
    e.datePermis = datePermis_->text();
    e.villePermis = villePermis_->text();
    e.numCni = numCni_->text();
    e.dateCni = dateCni_->text();
    e.villeCni = villeCni_->text();
    e.archived = archOui_->isChecked();
    return e;
}

void PersonRegister::nouveau()
{
    putEntry(PersonEntry{});
    newPerson_ = true;
    entryTitle_->setText(kind_.newTitle);
    showPanel(entryPanel_);
    nom_->setFocus();
}

void PersonRegister::modifier()
{
    const int row = selectedRow();
    if (row < 0)
        return;
    const std::optional<PersonEntry> e = readPerson(session_.db(), nums_[row]);
    if (!e)
        return;
    putEntry(*e);
    newPerson_ = false;
    entryTitle_->setText(QStringLiteral("MODIFICATION"));
    showPanel(entryPanel_);
    nom_->setFocus();
}

void PersonRegister::validate()
{
    const PersonEntry e = entry();
    if (missingRequired(kind_, e)) {
        session_.ui().message(QStringLiteral("Saisie incomplète"), ui::Icon::Critical, kAttention);
        return;
    }
    try {
        if (newPerson_) {
            if (duplicateExists(session_.db(), e.nom, e.prenom)) {
                session_.ui().message(QStringLiteral("Cet agent existe déjà"), ui::Icon::Critical, kAttention);
                return;
            }
            session_.reconnect();
            const qint64 num = addPerson(session_.db(), kind_, e);
            const std::optional<PersonRow> person = listRow(session_.db(), kind_, num);
            const int row = model_->rowCount();
            model_->setRowCount(row + 1);
            setRowCells(row, *person, row + 1);
            nums_ << num;
            selectRow(row);
        } else {
            const int row = selectedRow();
            if (row < 0)
                return;
            const qint64 num = nums_[row];
            const QString position = model_->item(row, 0)->text();
            if (updatePerson(session_.db(), kind_, num, e)) {
                if (const std::optional<PersonRow> person = listRow(session_.db(), kind_, num))
                    setRowCells(row, *person, position.toInt());
            }
            selectRow(row);
        }
    } catch (const db::Error& err) {
        session_.ui().message(err.message(), ui::Icon::Critical, kAttention);
        return;
    }
    newPerson_ = false;
    grid_->setEnabled(true);
    backToList();
}

void PersonRegister::cancelEntry()
{
    newPerson_ = false;
    backToList();
}

// ---- the other commands ------------------------------------------------------------------------------

void PersonRegister::supprimer()
{
    const int row = selectedRow();
    if (row < 0)
        return;
    const qint64 num = nums_[row];
    if (hasLedgerLines(session_.db(), num)) {
        session_.ui().message(QStringLiteral("Cet Agent ne peut être supprimé"), ui::Icon::Critical, kAttention);
        return;
    }
    if (!session_.ui().ask(QStringLiteral("Confirmer supression de ligne N° ") + QString::number(row + 1), ui::Icon::Question,
                           QStringLiteral("Confirmation")))
        return;
    try {
        deletePerson(session_.db(), num);
    } catch (const db::Error& err) {
        session_.ui().message(err.message(), ui::Icon::Critical, kAttention);
        return;
    }
    model_->removeRow(row);
    nums_.removeAt(row);
    if (nums_.isEmpty())
        fillList();
    else
        selectRow(0);
}

void PersonRegister::filtre()
{
    if (nums_.isEmpty())
        return;
    showPanel(filterPanel_);
}

void PersonRegister::applyFilter()
{
    const auto choice = [](QRadioButton* oui, QRadioButton* non) {
        return oui->isChecked() ? Choice::Oui : non->isChecked() ? Choice::Non : Choice::Ensemble;
    };
    const PersonFilter filter{choice(salOui_, salNon_), choice(arcOui_, arcNon_)};
    if (listPersons(session_.db(), kind_, filter).isEmpty()) {
        session_.ui().message(QStringLiteral("Aucun agent selon ces critères"), ui::Icon::Critical, kAttention);
        return;
    }
    filter_ = filter;
    fillList();
    backToList();
}

void PersonRegister::zoom()
{
    const int row = selectedRow();
    if (row < 0)
        return;
    session_.num_courant = nums_[row];
    openAccount(session_, kind_.type, this);
    session_.reconnect();
}

void PersonRegister::imprimer()
{
    if (nums_.isEmpty())
        return;
    QStringList keys;
    for (qint64 n : nums_)
        keys << QString::number(n);
    printReport(session_, {kind_.reportFile, {}, keys});
}

} // namespace kv
