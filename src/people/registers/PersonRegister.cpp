#include "PersonRegister.h"

#include "core/formats/Dates.h"
#include "core/formats/FieldRules.h"
#include "core/kit/GridModel.h"
#include "core/kit/Guard.h"
#include "core/kit/RowConflict.h"
#include "core/kit/ScreenKit.h"
#include "core/reports/ReportRoutine.h"
#include "core/schema/Schema.h"
#include "core/state/Session.h"
#include "people/accounts/Accounts.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QScrollArea>
#include <QTableView>
#include <QVBoxLayout>

namespace kv {

using namespace people;
using kit::Command;

namespace {

const QString kIntrouvable = QStringLiteral("Enregistrement introuvable");

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

QFormLayout* compactForm(QWidget* parent)
{
    auto* form = new QFormLayout(parent);
    form->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
    form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    form->setVerticalSpacing(5);
    return form;
}

/// Width of the entry and filter panels beside the list.
constexpr int kSideWidth = 370;

} // namespace

PersonRegister::PersonRegister(Session& session, const PersonKind& kind, QWidget* parent)
    : QDialog(parent), session_(session), kind_(kind)
{
    setObjectName(kind.screen);
    setWindowTitle(QStringLiteral(" "));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(kit::titleBand(kind.panelTitle, this));

    bar_ = new kit::CommandBar(this);
    bar_->add(Command::New, QStringLiteral("Nouveau"), this, &PersonRegister::nouveau);
    bar_->add(Command::Edit, QStringLiteral("Modifier"), this, &PersonRegister::modifier);
    bar_->add(Command::Delete, QStringLiteral("Supprimer"), this, &PersonRegister::supprimer);
    bar_->addGap();
    bar_->add(Command::Filter, QStringLiteral("Filtre"), this, &PersonRegister::filtre);
    bar_->add(Command::Zoom, QStringLiteral("ZOOM"), this, &PersonRegister::zoom);
    bar_->add(Command::Print, QStringLiteral("Imprimer"), this, &PersonRegister::imprimer);
    bar_->addExport();
    bar_->addStretch();
    bar_->add(Command::Quit, QStringLiteral("Quitter"), this, &QDialog::reject);
    layout->addWidget(bar_);

    auto* body = new QHBoxLayout;
    layout->addLayout(body, 1);
    buildList();
    body->addWidget(listPanel_, 1);
    side_ = new kit::SidePanel(kSideWidth, this);
    buildEntry();
    buildFilter();
    body->addWidget(side_);

    kit::sizeScreen(*this, QSize(1240, 680), {side_});
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
    // "N°" is the line's place when the list was read: it stays with the line when another is removed.
    QList<kit::GridColumn> columns;
    for (const ListColumn& col : kind_.columns) {
        const bool position = col.value == ColumnValue::Position;
        columns.append({col.caption, position ? kit::CellKind::Whole : kit::CellKind::Text,
                        col.centred ? Qt::AlignHCenter : Qt::AlignLeft, !position});
    }
    model_ = new kit::GridModel(columns, this);
    grid_ = new QTableView(listPanel_);
    grid_->setObjectName(QStringLiteral("liste"));
    grid_->setModel(model_);
    kit::setupGrid(grid_);
    // The surname takes the spare width; first name, telephone, town and flags fit their content.
    kit::fitColumns(grid_, 1);
    connect(grid_, &QTableView::doubleClicked, this, [this](const QModelIndex&) { zoom(); });
    v->addWidget(grid_);
}

QLineEdit* PersonRegister::addField(const QString& name, QWidget* parent)
{
    QLineEdit* e = kit::textField(parent, name);
    new SelectOnFocus(e);
    return e;
}

void PersonRegister::buildEntry()
{
    // The entry scrolls inside the panel if a small screen cannot show all its blocks at once.
    auto* scroll = new QScrollArea(side_);
    scroll->setObjectName(QStringLiteral("entryPanel"));
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    entryPanel_ = scroll;
    auto* page = new QWidget(scroll);
    scroll->setWidget(page);
    auto* v = new QVBoxLayout(page);
    v->setContentsMargins(4, 0, 4, 0);
    v->setSpacing(6);
    entryTitle_ = kit::panelHeading(QString(), page, QStringLiteral("entryTitle"));
    v->addWidget(entryTitle_);

    FieldChain* chain = buildIdentity(page, v);
    buildSalaryBlock(page, v, chain);
    buildCniBlock(page, v, chain);
    buildPermisBlock(page, v, chain);

    // Date fields are as wide as a date; the others take the panel's width.
    const int dateWidth = entree_->fontMetrics().horizontalAdvance(QStringLiteral("00/00/00000")) + 16;
    for (QLineEdit* d : {entree_, dateCni_, datePermis_})
        d->setMaximumWidth(dateWidth);
    taux_->setMaximumWidth(dateWidth + 20);

    auto* arch = new QGroupBox(QStringLiteral("Archivé"), page);
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
    v->addStretch();

    const kit::PanelButtons buttons = kit::panelButtons(page);
    v->addWidget(buttons.row);
    connect(buttons.confirm, &QToolButton::clicked, this, &PersonRegister::validate);
    connect(buttons.cancel, &QToolButton::clicked, this, &PersonRegister::cancelEntry);

    connect(salarie_, &QCheckBox::toggled, this, &PersonRegister::updateBlocks);
    connect(permis_, &QCheckBox::toggled, this, &PersonRegister::updateBlocks);
    side_->addPanel(entryPanel_, [this] { cancelEntry(); });
}

/// The identity: name, first name, function, telephone, town. Returns the entry's field chain.
FieldChain* PersonRegister::buildIdentity(QWidget* page, QVBoxLayout* v)
{
    const bool agent = kind_.type == schema::person::Agent;
    const bool client = kind_.type == schema::person::Client;

    auto* main = new QWidget(page);
    auto* form = compactForm(main);
    form->setContentsMargins(0, 0, 0, 0);
    v->addWidget(main);
    nom_ = addField(QStringLiteral("nom"), main);
    applyRule(nom_, Rule::Capitals);
    form->addRow(QStringLiteral("Nom"), nom_);
    prenom_ = addField(QStringLiteral("prenom"), main);
    applyRule(prenom_, agent ? Rule::None : Rule::FirstCapital);
    form->addRow(QStringLiteral("Prénom"), prenom_);
    fonction_ = addField(QStringLiteral("fonction"), main);
    applyRule(fonction_, Rule::FirstCapital);
    if (kind_.hasFonction)
        form->addRow(QStringLiteral("Fonction"), fonction_);
    else
        fonction_->hide();
    tel_ = addField(QStringLiteral("tel"), main);
    applyRule(tel_, client ? Rule::FirstCapital : Rule::None);
    form->addRow(QStringLiteral("Téléphone"), tel_);
    ville_ = addField(QStringLiteral("ville"), main);
    applyRule(ville_, client ? Rule::None : Rule::FirstCapital);
    form->addRow(QStringLiteral("Localité"), ville_);

    auto* chain = new FieldChain(this);
    chain->add(nom_);
    chain->add(prenom_);
    if (kind_.hasFonction)
        chain->add(fonction_);
    chain->add(tel_);
    chain->add(ville_);
    return chain;
}

/// The salaried block: entry date, CNAS number, daily rate.
void PersonRegister::buildSalaryBlock(QWidget* page, QVBoxLayout* v, FieldChain* chain)
{
    const bool agent = kind_.type == schema::person::Agent;

    salarie_ = new QCheckBox(QStringLiteral("Salarié"), page);
    salarie_->setObjectName(QStringLiteral("salarie"));
    salaryBlock_ = new QGroupBox(page);
    salaryBlock_->setObjectName(QStringLiteral("salaryBlock"));
    auto* sf = compactForm(salaryBlock_);
    entree_ = addField(QStringLiteral("d_entree"), salaryBlock_);
    new DateField(entree_, session_.ui());
    sf->addRow(QStringLiteral("Entré le "), entree_);
    ss_ = addField(QStringLiteral("ss"), salaryBlock_);
    sf->addRow(QStringLiteral("N° CNAS"), ss_);
    taux_ = addField(QStringLiteral("taux_jour"), salaryBlock_);
    new DecimalField(taux_);
    taux_->setAlignment(Qt::AlignRight);
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
}

/// The identity card block.
void PersonRegister::buildCniBlock(QWidget* page, QVBoxLayout* v, FieldChain* chain)
{
    cniBlock_ = new QGroupBox(QStringLiteral("CNI"), page);
    cniBlock_->setObjectName(QStringLiteral("cniBlock"));
    auto* cf = compactForm(cniBlock_);
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
}

/// The driving licence block.
void PersonRegister::buildPermisBlock(QWidget* page, QVBoxLayout* v, FieldChain* chain)
{
    const bool client = kind_.type == schema::person::Client;

    permis_ = new QCheckBox(QStringLiteral("Permis de Conduire"), page);
    permis_->setObjectName(QStringLiteral("permis"));
    permisBlock_ = new QGroupBox(page);
    permisBlock_->setObjectName(QStringLiteral("permisBlock"));
    auto* pf = compactForm(permisBlock_);
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
}

void PersonRegister::buildFilter()
{
    filterPanel_ = new QWidget(side_);
    filterPanel_->setObjectName(QStringLiteral("filterPanel"));
    auto* v = new QVBoxLayout(filterPanel_);
    v->setContentsMargins(4, 0, 4, 0);
    v->addWidget(kit::panelHeading(QStringLiteral("Filtre"), filterPanel_));
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
        h->addStretch();
        v->addWidget(g);
        ens->setChecked(true);
    };
    group(QStringLiteral("Salariés"), QStringLiteral("salaries"), salOui_, salNon_, salEns_);
    group(QStringLiteral("Archivés"), QStringLiteral("archives"), arcOui_, arcNon_, arcEns_);
    v->addStretch();
    const kit::PanelButtons buttons = kit::panelButtons(filterPanel_, QStringLiteral("appliquer"), QStringLiteral("annulerFiltre"));
    v->addWidget(buttons.row);
    connect(buttons.confirm, &QToolButton::clicked, this, &PersonRegister::applyFilter);
    connect(buttons.cancel, &QToolButton::clicked, this, &PersonRegister::backToList);
    side_->addPanel(filterPanel_, [this] { backToList(); });
}

// ---- the list --------------------------------------------------------------------------------------

QVariantList PersonRegister::rowValues(const PersonRow& person, int position) const
{
    QVariantList values;
    values.reserve(kind_.columns.size());
    for (int c = 0; c < kind_.columns.size(); ++c)
        values.append(kind_.columns[c].value == ColumnValue::Position ? QVariant(position) : QVariant(person.cells.value(c)));
    return values;
}

const QList<qint64>& PersonRegister::rowNumbers() const { return model_->keys(); }

void PersonRegister::fillList()
{
    model_->setRows({});
    QList<PersonRow> rows;
    if (!kit::guarded(session_.ui(), [&] { rows = listPersons(session_.db(), kind_, filter_); })) {
        grid_->setEnabled(false);
        return;
    }
    if (rows.isEmpty()) {
        grid_->setEnabled(false);
        nouveau();
        return;
    }
    grid_->setEnabled(true);
    QList<QVariantList> values;
    QList<qint64> nums;
    values.reserve(rows.size());
    for (int i = 0; i < rows.size(); ++i) {
        values.append(rowValues(rows[i], i + 1));
        nums << rows[i].num;
    }
    model_->setRows(std::move(values), std::move(nums));
    selectRow(0);
}

int PersonRegister::selectedRow() const
{
    const QModelIndex i = grid_->currentIndex();
    return i.isValid() ? i.row() : (model_->lineCount() == 0 ? -1 : 0);
}

void PersonRegister::selectRow(int row)
{
    if (row < 0 || row >= model_->rowCount())
        return;
    grid_->setCurrentIndex(model_->index(row, 0));
    grid_->selectRow(row);
}

void PersonRegister::removeListRow(int row)
{
    model_->removeLine(row);
    if (model_->lineCount() == 0)
        fillList();
    else
        selectRow(0);
}

void PersonRegister::showPanel(QWidget* panel)
{
    listPanel_->setEnabled(false);
    bar_->setEnabled(false);
    side_->open(panel);
}

void PersonRegister::backToList()
{
    side_->close();
    listPanel_->setEnabled(true);
    bar_->setEnabled(true);
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
    std::optional<db::Row> read;
    if (!kit::guarded(session_.ui(), [&] { read = readPersonRow(session_.db(), model_->keyAt(row)); }))
        return;
    const std::optional<PersonEntry> e = read ? std::optional<PersonEntry>(entryOf(*read)) : std::nullopt;
    loaded_ = read ? *read : db::Row();
    if (!e) {
        // Deleted elsewhere since the list was read.
        session_.ui().message(kIntrouvable);
        removeListRow(row);
        return;
    }
    putEntry(*e);
    newPerson_ = false;
    entryTitle_->setText(QStringLiteral("MODIFICATION"));
    showPanel(entryPanel_);
    nom_->setFocus();
}

bool PersonRegister::checkFormats()
{
    // A date is written only when complete: a complete one must be a day of the calendar.
    QList<QLineEdit*> dates;
    if (kind_.hasSalarie)
        dates << entree_;
    if (kind_.hasCni)
        dates << dateCni_;
    if (kind_.hasPermis)
        dates << datePermis_;
    for (QLineEdit* d : dates) {
        const QString text = d->text().trimmed();
        if (text.size() == 10 && !isValidDate(text)) {
            if (d == entree_)
                salaryBlock_->setVisible(true);
            else if (d == datePermis_)
                permisBlock_->setVisible(true);
            return checkDateField(*d, session_.ui());
        }
    }
    return !kind_.hasSalarie || taux_->text().trimmed().isEmpty() || checkAmountField(*taux_, session_.ui());
}

void PersonRegister::validate()
{
    const PersonEntry e = entry();
    if (missingRequired(kind_, e)) {
        session_.ui().refuse(QStringLiteral("Saisie incomplète"));
        return;
    }
    if (!checkFormats())
        return;
    const int row = newPerson_ ? -1 : selectedRow();
    if (!newPerson_ && row < 0)
        return;
    enum class Outcome { Saved, Duplicate, Gone, Changed } outcome = Outcome::Saved;
    qint64 num = newPerson_ ? 0 : model_->keyAt(row);
    std::optional<PersonRow> shown;
    // On an engine error its message is shown, the write was undone and the panel stays open.
    const bool ok = kit::guarded(session_.ui(), [&] {
        if (newPerson_) {
            if (duplicateExists(session_.db(), e.nom, e.prenom)) {
                outcome = Outcome::Duplicate;
                return;
            }
            session_.reconnect();
            num = addPerson(session_.db(), kind_, e);
        } else {
            try {
                if (!updatePerson(session_.db(), kind_, num, e, loaded_)) {
                    outcome = Outcome::Gone;
                    return;
                }
            } catch (const db::Conflict&) {
                // Another desk changed the person meanwhile: nothing written, the list shows its change.
                outcome = Outcome::Changed;
            }
        }
        shown = listRow(session_.db(), kind_, num);
    });
    if (!ok)
        return;
    if (outcome == Outcome::Duplicate) {
        session_.ui().refuse(QStringLiteral("Cet agent existe déjà"));
        return;
    }
    newPerson_ = false;
    grid_->setEnabled(true);
    backToList();
    if (outcome == Outcome::Changed)
        session_.ui().refuse(db::kRowChanged);
    if (outcome == Outcome::Gone) {
        // Deleted elsewhere while it was being changed: nothing is re-created.
        session_.ui().message(kIntrouvable);
        removeListRow(row);
        return;
    }
    if (row < 0) {
        const int last = model_->lineCount();
        model_->appendRow(shown ? rowValues(*shown, last + 1) : QVariantList(), num);
        selectRow(last);
    } else {
        if (shown)
            model_->setRow(row, rowValues(*shown, model_->value(row, 0).toInt()));
        selectRow(row);
    }
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
    const qint64 num = model_->keyAt(row);
    bool lines = false;
    AttachedHistory history;
    if (!kit::guarded(session_.ui(), [&] {
            lines = hasLedgerLines(session_.db(), num);
            if (!lines)
                history = attachedHistory(session_.db(), num);
        }))
        return;
    if (lines) {
        session_.ui().refuse(QStringLiteral("Cet Agent ne peut être supprimé"));
        return;
    }
    QString question = QStringLiteral("Confirmer supression de ligne N° ") + QString::number(row + 1);
    // The rows that name the person stay: the question says so.
    for (const QString& line : historyLines(kind_, history))
        question += u'\n' + line;
    if (!session_.ui().askDefaultNo(question, ui::Icon::Question, QStringLiteral("Confirmation")))
        return;
    // Deleted by another desk first: said ("Enregistrement introuvable"), and gone from the list too.
    bool gone = false;
    if (!kit::guarded(session_.ui(), [&] { deletePerson(session_.db(), num); }, [&] { gone = true; }) && !gone)
        return;
    removeListRow(row);
}

void PersonRegister::filtre()
{
    if (model_->lineCount() == 0)
        return;
    showPanel(filterPanel_);
}

void PersonRegister::applyFilter()
{
    const auto choice = [](QRadioButton* oui, QRadioButton* non) {
        return oui->isChecked() ? Choice::Oui : non->isChecked() ? Choice::Non : Choice::Ensemble;
    };
    const PersonFilter filter{choice(salOui_, salNon_), choice(arcOui_, arcNon_)};
    bool nobody = false;
    if (!kit::guarded(session_.ui(), [&] { nobody = listPersons(session_.db(), kind_, filter).isEmpty(); }))
        return;
    if (nobody) {
        session_.ui().refuse(QStringLiteral("Aucun agent selon ces critères"));
        return;
    }
    filter_ = filter;
    backToList();
    fillList();
}

void PersonRegister::zoom()
{
    const int row = selectedRow();
    if (row < 0)
        return;
    session_.num_courant = model_->keyAt(row);
    openAccount(session_, kind_.type, this);
    kit::guarded(session_.ui(), [&] { session_.reconnect(); });
}

void PersonRegister::imprimer()
{
    if (model_->lineCount() == 0)
        return;
    QStringList keys;
    for (qint64 n : model_->keys())
        keys << QString::number(n);
    ReportRequest request;
    request.templateName = kind_.reportFile;
    request.buffer = keys;
    printReport(session_, request); // shows its own failures, engine errors included

}

} // namespace kv
