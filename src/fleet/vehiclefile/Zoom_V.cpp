#include "Zoom_V.h"

#include "core/formats/Dates.h"
#include "core/formats/FieldRules.h"
#include "core/kit/GridModel.h"
#include "core/kit/Guard.h"
#include "core/kit/RowConflict.h"
#include "core/kit/ExerciseDate.h"
#include "core/kit/ScreenKit.h"
#include "core/reports/ReportRoutine.h"
#include "core/schema/Schema.h"
#include "core/state/Session.h"
#include "platform/db/Error.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDate>
#include <QFileInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

namespace kv {

using namespace vehiclefile;
using kit::Command;
using kit::Glyph;

namespace {

const QString kIntrouvable = QStringLiteral("Enregistrement introuvable");


QString objectPrefix(List list)
{
    static const char* names[] = {"Depenses", "Recettes", "Assurances", "Controles", "Vignettes", "Affectations"};
    return QString::fromLatin1(names[int(list)]);
}

/// Width of the entry panels, laid out beside the header and the tabs.
constexpr int kSideWidth = 400;

/// An amount field shows a stored amount whole, even when its grouping blanks make it longer than
/// what may be typed: cutting it would change the amount when the line is saved again.
void showAmount(QLineEdit* field, const QString& text, int typedLength)
{
    field->setMaxLength(qMax(typedLength, int(text.size())));
    field->setText(text);
}

/// The grid columns of a list: its cells come as read (readLines), the position of the expenses and
/// receipts is the list's own.
QList<kit::GridColumn> gridColumns(List list)
{
    QList<kit::GridColumn> columns;
    const bool numbered = list == List::Depenses || list == List::Recettes;
    const auto asRead = [](const QVariant& v) { return v.toString(); };
    const QList<Column> shown = columnsOf(list);
    for (int c = 0; c < shown.size(); ++c) {
        kit::GridColumn g{shown[c].title, shown[c].amount ? kit::CellKind::Amount : kit::CellKind::Text, shown[c].align};
        if (numbered && c == 0)
            g.kind = kit::CellKind::Position;
        else
            g.format = asRead;
        columns.append(g);
    }
    return columns;
}

} // namespace

Zoom_V::Zoom_V(Session& session, QWidget* parent) : QDialog(parent), s_(session)
{
    setObjectName(QStringLiteral("Zoom_V"));
    setWindowTitle(QStringLiteral(" "));
    setModal(true);
    vehicle_ = s_.vehicule_courant;

    std::optional<Header> header;
    if (!kit::guarded(s_.ui(), [&] { header = readHeader(s_.db(), vehicle_); }))
        return; // the engine said why; the screen closes as it opens
    if (!header) {
        s_.ui().message(kIntrouvable);
        return;
    }
    found_ = true;
    header_ = *header;
    // Every frame of the file (header, oil change, lists, panels) has its heading drawn the same way.
    setStyleSheet(kit::panelBoxStyle());

    // Top: the band and the close command.
    auto* top = new QHBoxLayout;
    top->addWidget(kit::titleBand(QStringLiteral("Véhicule  ") + header_.matricule.trimmed(), this), 1);
    auto* bar = new kit::CommandBar(this);
    bar->addExport();
    close_ = bar->add(Command::Close, QStringLiteral("fermer"), this, &Zoom_V::closeFile);
    bar->setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Fixed);
    top->addWidget(bar);

    tabs_ = new QTabWidget(this);
    tabs_->setObjectName(QStringLiteral("onglets"));
    auto* depenses = new QWidget;
    (new QVBoxLayout(depenses))->addWidget(buildListBox(List::Depenses, QString()));
    auto* recettes = new QWidget;
    (new QVBoxLayout(recettes))->addWidget(buildListBox(List::Recettes, QString()));
    // Insurance across the tab, inspections and stickers side by side below it.
    auto* suivi = new QWidget;
    {
        auto* l = new QVBoxLayout(suivi);
        l->addWidget(buildListBox(List::Assurances, QStringLiteral("Assurance")), 1);
        auto* below = new QHBoxLayout;
        below->addWidget(buildListBox(List::Controles, QStringLiteral("Contrôle techn.")), 1);
        below->addWidget(buildListBox(List::Vignettes, QStringLiteral("Vignette")), 1);
        l->addLayout(below, 1);
    }
    auto* chauffeurs = new QWidget;
    (new QVBoxLayout(chauffeurs))->addWidget(buildListBox(List::Affectations, QString()));
    tabs_->addTab(depenses, QStringLiteral("Dépenses"));
    tabs_->addTab(recettes, QStringLiteral("Recettes"));
    tabs_->addTab(suivi, QStringLiteral("Assur. / Contrôles"));
    tabs_->addTab(chauffeurs, QStringLiteral("Chauffeurs"));

    // The panels open beside the header and the tabs, inside the window.
    side_ = new kit::SidePanel(kSideWidth, this);
    buildPanels(side_);
    buildVoucher(side_);

    auto* left = new QVBoxLayout;
    left->addWidget(buildHeader());
    left->addWidget(tabs_, 1);
    auto* body = new QHBoxLayout;
    body->addLayout(left, 1);
    body->addWidget(side_);

    auto* root = new QVBoxLayout(this);
    root->setSpacing(8);
    root->addLayout(top);
    root->addLayout(body, 1);

    // Opening: the lists' choices, the drivers, the signer, then the six lists.
    depMode->setCurrentIndex(schema::mode::Especes);
    recMode->setCurrentIndex(schema::mode::Especes);
    depAffectation->setCurrentIndex(schema::heading::Gasoil);
    kit::guarded(s_.ui(), [&] { drivers_ = readDrivers(s_.db()); });
    for (const Driver& d : drivers_)
        affChauffeur->addItem(d.name, d.num);
    signer_ = signerRead_ = readSigner(s_.programFile(kSignerFile));
    for (List list : kLists)
        fill(list);
    tabs_->setCurrentIndex(0);
    oilModified_ = false;
    kit::sizeScreen(*this, QSize(1240, 700), {side_});
}

Zoom_V::~Zoom_V() = default;

void Zoom_V::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!found_)
        QTimer::singleShot(0, this, [this] { QDialog::reject(); });
    else
        ui::centreWindow(*this);
}

// ---- header and oil change ------------------------------------------------------------------------------

QWidget* Zoom_V::buildHeader()
{
    auto* w = new QWidget(this);
    auto* l = new QHBoxLayout(w);
    l->setContentsMargins(0, 0, 0, 0);

    auto* identity = new QGroupBox(w);
    auto* grid = new QGridLayout(identity);
    grid->setHorizontalSpacing(10);
    auto value = [&](const QString& label, const QString& text, int row, int col, bool strong = false) {
        auto* caption = new QLabel(label, identity);
        auto* v = new QLabel(text, identity);
        v->setObjectName(QStringLiteral("entete_%1_%2").arg(row).arg(col));
        v->setFrameShape(QFrame::StyledPanel);
        v->setFrameShadow(QFrame::Sunken);
        v->setMinimumWidth(v->fontMetrics().horizontalAdvance(QStringLiteral("8888888888888")) + 8);
        v->setTextInteractionFlags(Qt::TextSelectableByMouse);
        if (strong) {
            QFont f = v->font();
            f.setBold(true);
            f.setPointSizeF(f.pointSizeF() * 1.25);
            v->setFont(f);
        }
        grid->addWidget(caption, row, col * 2, Qt::AlignRight);
        grid->addWidget(v, row, col * 2 + 1);
        headerValues_.insert(label, v);
    };
    value(QStringLiteral("Matricule ->"), header_.matricule, 0, 0, true);
    value(QStringLiteral("Année"), header_.annee, 1, 0);
    value(QStringLiteral("Mise en circulation"), header_.circulation, 2, 0);
    value(QStringLiteral("N° Carte Grise"), header_.carteGrise, 3, 0);
    value(QStringLiteral("En date du"), header_.date, 4, 0);
    value(QStringLiteral("Type"), header_.type, 1, 1);
    value(QStringLiteral("Marque"), header_.marque, 2, 1);
    value(QStringLiteral("Modèle"), header_.modele, 3, 1);
    value(QStringLiteral("Carburant"), header_.carburant, 4, 1);
    grid->setColumnStretch(4, 1);
    l->addWidget(identity, 1);

    auto* oil = new QGroupBox(QStringLiteral("Dernière Vidange"), w);
    oil->setObjectName(QStringLiteral("vidange"));
    auto* form = new QFormLayout(oil);
    oilDate = kit::textField(oil, QStringLiteral("vidange_date"), 10);
    oilKm = kit::textField(oil, QStringLiteral("vidange_km"), 10);
    oilHuile = kit::textField(oil, QStringLiteral("vidange_huile"), 10);
    new DateField(oilDate, s_.ui());
    new DigitField(oilKm);
    new SelectOnFocus(oilKm);
    new SelectOnFocus(oilHuile);
    form->addRow(QStringLiteral("Date"), oilDate);
    form->addRow(QStringLiteral("Kilométrage"), oilKm);
    form->addRow(QStringLiteral("Huile"), oilHuile);
    // A stored value longer than what may be typed is shown whole: cut, it would be saved cut.
    for (auto [field, text] : {std::pair{oilDate, header_.dateVidange}, {oilKm, header_.kmVidange}, {oilHuile, header_.huile}}) {
        field->setMaxLength(qMax(10, int(text.size())));
        field->setText(text);
    }
    new FieldChain({oilDate, oilKm, oilHuile}, oil);
    for (QLineEdit* e : {oilDate, oilKm, oilHuile})
        connect(e, &QLineEdit::textEdited, this, [this] { oilModified_ = true; });
    l->addWidget(oil);
    return w;
}

QLabel* Zoom_V::headerValue(const QString& label) const { return headerValues_.value(label); }

// ---- lists --------------------------------------------------------------------------------------------

QWidget* Zoom_V::buildListBox(List list, const QString& title)
{
    ListPart& p = parts_[int(list)];
    p.kind = list;
    const QString prefix = objectPrefix(list);
    QWidget* box = title.isEmpty() ? new QWidget(this) : new QGroupBox(title, this);
    auto* l = new QVBoxLayout(box);
    if (title.isEmpty())
        l->setContentsMargins(0, 0, 0, 0);

    p.model = new kit::GridModel(gridColumns(list), this);
    p.model->setMinimumRows(1); // an empty list shows one blank row that stands for no line
    p.view = new QTableView(box);
    p.view->setObjectName(prefix + QStringLiteral("_liste"));
    p.view->setModel(p.model);
    kit::cacheCellSizes(p.view);
    kit::setupGrid(p.view);
    // The free text takes the spare width: the object, the agency, the observation.
    const int stretch = list == List::Depenses || list == List::Recettes ? 2
        : list == List::Affectations                                   ? 3
        : list == List::Controles                                      ? 1
                                                                       : 0;
    kit::fitColumns(p.view, stretch);
    connect(p.view, &QTableView::doubleClicked, this, [this, list](const QModelIndex& index) {
        if (index.isValid() && parts_[int(list)].model->lineCount() > 0) {
            selectRow(list, index.row());
            changeLine(list);
        }
    });
    l->addWidget(p.view, 1);

    // The commands of a list alone on its tab have their accelerators; the three follow-up lists share
    // a tab, and keep theirs to the mouse and Tab.
    const bool alone = list == List::Depenses || list == List::Recettes || list == List::Affectations;
    auto* bar = new kit::CommandBar(box);
    auto add = [&](Command c, const QString& name) {
        const kit::CommandLook look = kit::look(c);
        return bar->add(look.glyph, look.text, prefix + name, alone ? look.key : QKeySequence());
    };
    p.add = add(Command::New, QStringLiteral("_nouveau"));
    p.change = add(Command::Edit, QStringLiteral("_modifier"));
    p.remove = add(Command::Delete, QStringLiteral("_supprimer"));
    connect(p.add, &QToolButton::clicked, this, [this, list] { newLine(list); });
    connect(p.change, &QToolButton::clicked, this, [this, list] { changeLine(list); });
    connect(p.remove, &QToolButton::clicked, this, [this, list] { deleteLine(list); });
    if (list == List::Depenses) {
        bar->addGap();
        bonAchat = bar->add(Glyph::Print, QStringLiteral("Bon d'achat"), QStringLiteral("bon_achat"), QKeySequence(Qt::ALT | Qt::Key_B));
        connect(bonAchat, &QToolButton::clicked, this, &Zoom_V::openVoucher);
    }
    bar->addStretch();
    l->insertWidget(0, bar);
    return box;
}

void Zoom_V::fill(List list)
{
    ListPart& p = parts_[int(list)];
    QList<qint64> nums;
    if (!kit::guarded(s_.ui(), [&] { nums = readNums(s_.db(), list, vehicle_); }))
        return; // the list stays as it was
    // The lines are read a page at a time as the list shows them.
    p.model->setPagedRows(std::move(nums), [this, list](const QList<qint64>& keys) { return readLines(s_.db(), list, keys); });
    const bool any = p.model->lineCount() > 0;
    p.change->setVisible(any);
    p.remove->setVisible(any);
    if (any)
        selectRow(list, 0);
    else
        p.view->clearSelection();
}

void Zoom_V::selectRow(List list, int row)
{
    const ListPart& p = parts_[int(list)];
    p.view->setCurrentIndex(p.model->index(row, 0));
    p.view->selectRow(row);
}

int Zoom_V::currentRow(List list) const
{
    const ListPart& p = parts_[int(list)];
    return p.model->lineCount() > 0 ? qMax(0, p.view->currentIndex().row()) : -1;
}

void Zoom_V::newLine(List list)
{
    ListPart& p = parts_[int(list)];
    clearPanel(list);
    p.editing = 0;
    openPanel(p, false);
}

void Zoom_V::changeLine(List list)
{
    ListPart& p = parts_[int(list)];
    const int row = currentRow(list);
    if (row < 0)
        return;
    db::Row line;
    if (!kit::guarded(s_.ui(), [&] { line = findLine(s_.db(), list, p.model->keyAt(row)); }))
        return;
    if (line.size() == 0) {
        s_.ui().message(kIntrouvable);
        return;
    }
    fillPanel(list, line);
    p.editing = p.model->keyAt(row);
    p.loaded = line;
    openPanel(p, true);
}

void Zoom_V::deleteLine(List list)
{
    const int row = currentRow(list);
    if (row < 0)
        return;
    if (!s_.ui().askDefaultNo(QStringLiteral("Supprimer la ligne N° ") + QString::number(row + 1), ui::Icon::Question,
                     QStringLiteral("Confirmation")))
        return;
    if (kit::guarded(s_.ui(), [&] { vehiclefile::deleteLine(s_.db(), list, parts_[int(list)].model->keyAt(row)); }, [&] { fill(list); }))
        fill(list);
}

void Zoom_V::openPanel(ListPart& p, bool change)
{
    closeVoucher();
    p.panel->setTitle(change ? QStringLiteral("Modifier") : p.heading);
    side_->open(p.panel);
    tabs_->setEnabled(false);
    p.firstField->setFocus(Qt::OtherFocusReason);
}

void Zoom_V::closePanel(ListPart& p)
{
    side_->close();
    p.editing = 0;
    p.loaded = db::Row();
    tabs_->setEnabled(true);
    p.view->setFocus(Qt::OtherFocusReason);
}

void Zoom_V::cancel(List list) { closePanel(parts_[int(list)]); }

template <typename Entry> void Zoom_V::write(ListPart& p, const Entry& entry)
{
    const QString error = check(entry);
    if (!error.isEmpty()) {
        s_.ui().refuse(error);
        return;
    }
    // An amount that is not a well-formed number would be stored as another figure.
    QLineEdit* amount = p.kind == List::Depenses ? depMontant
        : p.kind == List::Recettes               ? recMontant
        : p.kind == List::Vignettes              ? vigMontant
                                                 : nullptr;
    if (amount && !checkAmountField(*amount, s_.ui()))
        return;
    const bool created = p.editing == 0;
    qint64 num = 0;
    if (!kit::guarded(s_.ui(), [&] { num = save(s_, vehicle_, p.editing, entry, p.loaded); }, [&] {
            // Another desk changed the line meanwhile: nothing written; the list shows it as it now is.
            closePanel(p);
            fill(p.kind);
        }))
        return; // the engine said why; the panel stays open with what was typed
    if (num == 0)
        s_.ui().message(kIntrouvable); // the line was deleted since it was opened
    closePanel(p);
    // A new line re-established the connection: every list is read again, as its record set would be.
    if (created)
        for (List list : kLists)
            if (list != p.kind)
                fill(list);
    fill(p.kind);
}

void Zoom_V::confirm(List list)
{
    ListPart& p = parts_[int(list)];
    if (p.panel->isHidden())
        return;
    switch (list) {
    case List::Depenses:
        if (!kit::confirmExerciseDate(*depDate, s_))
            return;
        if (depObjet->text().trimmed().isEmpty())
            depObjet->setText(QStringLiteral("/"));
        return write(p, ExpenseEntry{depMontant->text(), depDate->text(), depObjet->text(), depKm->text(), depMode->currentIndex(),
                                     depAffectation->currentIndex()});
    case List::Recettes:
        if (!kit::confirmExerciseDate(*recDate, s_))
            return;
        if (recObjet->text().trimmed().isEmpty())
            recObjet->setText(QStringLiteral("/"));
        return write(p, ReceiptEntry{recMontant->text(), recDate->text(), recObjet->text(), recMode->currentIndex()});
    case List::Assurances:
        return write(p, InsuranceEntry{assAgence->text(), assDu->text(), assAu->text()});
    case List::Controles:
        return write(p, ControlEntry{ctlVisite->text(), ctlSuivante->text()});
    case List::Vignettes:
        return write(p, StickerEntry{vigDate->text(), vigMontant->text()});
    case List::Affectations:
        if (!checkDateOrder(*affDu, *affAu, s_.ui()))
            return;
        return write(p, AssignmentEntry{affDu->text(), affAu->text(), affObs->text(),
                                        affChauffeur->count() > 0 ? affChauffeur->currentData().toLongLong()
                                                                  : qint64(schema::NothingChosen)});
    }
}

// ---- entry panels ---------------------------------------------------------------------------------------

QGroupBox* Zoom_V::makePanel(List list, const QString& heading)
{
    ListPart& p = parts_[int(list)];
    const QString prefix = objectPrefix(list);
    p.heading = heading;
    p.panel = new QGroupBox(heading);
    p.panel->setObjectName(prefix + QStringLiteral("_panneau"));
    const kit::PanelButtons buttons =
        kit::panelButtons(p.panel, prefix + QStringLiteral("_valider"), prefix + QStringLiteral("_annuler"));
    p.confirm = buttons.confirm;
    p.cancel = buttons.cancel;
    connect(p.confirm, &QToolButton::clicked, this, [this, list] { confirm(list); });
    connect(p.cancel, &QToolButton::clicked, this, [this, list] { cancel(list); });
    return p.panel;
}

void Zoom_V::buildPanels(QWidget* area)
{
    auto* side = static_cast<kit::SidePanel*>(area);
    // Every panel: a form of its fields in entry order, confirm and cancel; Enter and the arrows walk
    // the fields, Enter in the last one confirms.
    auto finish = [&](List list, QList<QPair<QString, QWidget*>> fields) {
        ListPart& p = parts_[int(list)];
        auto* l = new QVBoxLayout(p.panel);
        auto* form = new QFormLayout;
        auto* chain = new FieldChain(p.panel);
        for (const auto& [label, field] : fields) {
            form->addRow(label, field);
            chain->add(field);
            if (auto* e = qobject_cast<QLineEdit*>(field); e && !e->findChild<DateField*>())
                new SelectOnFocus(e);
        }
        connect(chain, &FieldChain::enterOnLast, this, [this, list] { confirm(list); });
        p.firstField = fields.first().second;
        l->addLayout(form);
        l->addStretch();
        l->addWidget(p.confirm->parentWidget());
        side->addPanel(p.panel, [this, list] { cancel(list); });
    };
    auto amount = [&](QWidget* parent, const QString& name) {
        QLineEdit* e = kit::textField(parent, name, 10);
        new DecimalField(e);
        e->setAlignment(Qt::AlignRight);
        e->setMaximumWidth(130);
        return e;
    };
    auto date = [&](QWidget* parent, const QString& name) {
        QLineEdit* e = kit::textField(parent, name, 10);
        new DateField(e, s_.ui());
        e->setMaximumWidth(110);
        return e;
    };

    QGroupBox* box = makePanel(List::Depenses, QStringLiteral("Nouvelle dépense"));
    depMontant = amount(box, QStringLiteral("Depenses_montant"));
    depDate = date(box, QStringLiteral("Depenses_date"));
    depObjet = kit::textField(box, QStringLiteral("Depenses_objet"), 20);
    depKm = kit::textField(box, QStringLiteral("Depenses_km"), 15);
    new DigitField(depKm);
    depKm->setMaximumWidth(150);
    depMode = new QComboBox(box);
    depMode->setObjectName(QStringLiteral("Depenses_mode"));
    depMode->addItems(schema::mode::captions);
    depAffectation = new QComboBox(box);
    depAffectation->setObjectName(QStringLiteral("Depenses_affectation"));
    depAffectation->addItems(schema::heading::captions);
    finish(List::Depenses, {{QStringLiteral("Montant"), depMontant}, {QStringLiteral("Date"), depDate},
                            {QStringLiteral("Objet"), depObjet}, {QStringLiteral("Kilométrage"), depKm}});
    auto* depForm = static_cast<QFormLayout*>(box->layout()->itemAt(0)->layout());
    depForm->addRow(QStringLiteral("Mode"), depMode);
    depForm->addRow(QStringLiteral("Affectation"), depAffectation);

    box = makePanel(List::Recettes, QStringLiteral("Nouvelle Recettes"));
    recMontant = amount(box, QStringLiteral("Recettes_montant"));
    recDate = date(box, QStringLiteral("Recettes_date"));
    recObjet = kit::textField(box, QStringLiteral("Recettes_objet"), 20);
    recMode = new QComboBox(box);
    recMode->setObjectName(QStringLiteral("Recettes_mode"));
    recMode->addItems(schema::mode::captions);
    finish(List::Recettes, {{QStringLiteral("Montant"), recMontant}, {QStringLiteral("Date"), recDate},
                            {QStringLiteral("Objet"), recObjet}});
    static_cast<QFormLayout*>(box->layout()->itemAt(0)->layout())->addRow(QStringLiteral("Mode"), recMode);

    box = makePanel(List::Assurances, QStringLiteral("Assurance"));
    assAgence = kit::textField(box, QStringLiteral("Assurances_agence"), 15);
    assDu = date(box, QStringLiteral("Assurances_du"));
    assAu = date(box, QStringLiteral("Assurances_au"));
    finish(List::Assurances, {{QStringLiteral("Agence"), assAgence}, {QStringLiteral("Du"), assDu}, {QStringLiteral("Au"), assAu}});

    box = makePanel(List::Controles, QStringLiteral("Controles Technique"));
    ctlVisite = date(box, QStringLiteral("Controles_visite"));
    ctlSuivante = date(box, QStringLiteral("Controles_suivante"));
    finish(List::Controles, {{QStringLiteral("Visite"), ctlVisite}, {QStringLiteral("Suivante"), ctlSuivante}});

    box = makePanel(List::Vignettes, QStringLiteral("Vignettes"));
    vigDate = date(box, QStringLiteral("Vignettes_date"));
    vigMontant = amount(box, QStringLiteral("Vignettes_montant"));
    finish(List::Vignettes, {{QStringLiteral("Date"), vigDate}, {QStringLiteral("Montant"), vigMontant}});

    box = makePanel(List::Affectations, QStringLiteral("Chauffeurs"));
    affChauffeur = new QComboBox(box);
    affChauffeur->setObjectName(QStringLiteral("Affectations_chauffeur"));
    affChauffeur->setMinimumWidth(180);
    affDu = date(box, QStringLiteral("Affectations_du"));
    affAu = date(box, QStringLiteral("Affectations_au"));
    affObs = kit::textField(box, QStringLiteral("Affectations_obs"), 30);
    finish(List::Affectations, {{QStringLiteral("Nom et Prénom"), affChauffeur}, {QStringLiteral("Du"), affDu},
                                {QStringLiteral("Au"), affAu}, {QStringLiteral("Observation"), affObs}});
}

void Zoom_V::clearPanel(List list)
{
    switch (list) {
    case List::Depenses:
        depMontant->setMaxLength(10);
        depMontant->clear();
        depObjet->clear();
        depKm->clear();
        depDate->setText(kit::defaultDayText(s_));
        depMode->setCurrentIndex(schema::mode::Especes);
        depAffectation->setCurrentIndex(schema::heading::Gasoil);
        break;
    case List::Recettes:
        recMontant->setMaxLength(10);
        recMontant->clear();
        recObjet->clear();
        recDate->setText(kit::defaultDayText(s_));
        recMode->setCurrentIndex(schema::mode::Especes);
        break;
    case List::Assurances:
        assAgence->clear();
        assDu->clear();
        assAu->clear();
        break;
    case List::Controles:
        ctlVisite->clear();
        ctlSuivante->clear();
        break;
    case List::Vignettes:
        vigDate->clear();
        vigMontant->setMaxLength(10);
        vigMontant->clear();
        break;
    case List::Affectations:
        affDu->clear();
        affAu->clear();
        affObs->clear();
        if (affChauffeur->count() > 0)
            affChauffeur->setCurrentIndex(0);
        break;
    }
}

void Zoom_V::fillPanel(List list, const db::Row& line)
{
    switch (list) {
    case List::Depenses: {
        const ExpenseEntry e = expenseFrom(line);
        showAmount(depMontant, e.montant, 10);
        depDate->setText(e.date);
        depObjet->setText(e.objet);
        depKm->setText(e.km);
        if (e.mode >= 0 && e.mode < depMode->count())
            depMode->setCurrentIndex(e.mode);
        if (e.typeDep >= 0 && e.typeDep < depAffectation->count())
            depAffectation->setCurrentIndex(e.typeDep);
        break;
    }
    case List::Recettes: {
        const ReceiptEntry e = receiptFrom(line);
        showAmount(recMontant, e.montant, 10);
        recDate->setText(e.date);
        recObjet->setText(e.objet);
        if (e.mode >= 0 && e.mode < recMode->count())
            recMode->setCurrentIndex(e.mode);
        break;
    }
    case List::Assurances: {
        const InsuranceEntry e = insuranceFrom(line);
        assAgence->setText(e.agence);
        assDu->setText(e.du);
        assAu->setText(e.au);
        break;
    }
    case List::Controles: {
        const ControlEntry e = controlFrom(line);
        ctlVisite->setText(e.visite);
        ctlSuivante->setText(e.suivante);
        break;
    }
    case List::Vignettes: {
        const StickerEntry e = stickerFrom(line);
        vigDate->setText(e.date);
        showAmount(vigMontant, e.montant, 10);
        break;
    }
    case List::Affectations: {
        const AssignmentEntry e = assignmentFrom(line);
        affDu->setText(e.du);
        affAu->setText(e.au);
        affObs->setText(e.obs);
        setDriver(e.chauffeur);
        break;
    }
    }
}

void Zoom_V::setDriver(qint64 num)
{
    const int at = affChauffeur->findData(num);
    if (at >= 0)
        affChauffeur->setCurrentIndex(at);
}

// ---- closing ---------------------------------------------------------------------------------------------

void Zoom_V::closeFile()
{
    if (oilModified_) {
        // A date that is not a real day is refused, not dropped silently.
        if (!oilDate->text().trimmed().isEmpty() && !isValidDate(oilDate->text())
            && !checkDateField(*oilDate, s_.ui()))
            return;
        bool found = true;
        if (!kit::guarded(s_.ui(), [&] {
                found = saveOilChange(s_.db(), vehicle_, OilChange{oilDate->text(), oilKm->text(), oilHuile->text()});
            }))
            return; // the engine said why; the file stays open with what was typed
        if (!found) // deleted since the file was opened
            s_.ui().message(kIntrouvable);
        oilModified_ = false;
    }
    if (!(signer_ == signerRead_)) {
        QString error;
        if (!writeSigner(s_.programFile(kSignerFile), signer_, &error))
            s_.ui().message(kSignerFile + QStringLiteral(" : ") + error, ui::Icon::Critical, kit::kEngineErrorTitle);
        else
            signerRead_ = signer_;
    }
    accept();
}

void Zoom_V::reject()
{
    // Escape and the window's close button leave without saving; an oil change or a signer typed is
    // not dropped silently: the user is asked first, and "Oui" closes as "Fermer" does (closeFile
    // closes the file itself once it has saved).
    const bool modified = oilModified_ || !(signer_ == signerRead_);
    if (kit::mayLeave(s_.ui(), modified, [this] {
            closeFile();
            return false;
        }))
        QDialog::reject();
}

} // namespace kv
