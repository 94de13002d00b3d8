#include "Vehicules.h"
#include "VehicleList.h"

#include "core/formats/Dates.h"
#include "core/formats/FieldRules.h"
#include "core/kit/Colours.h"
#include "core/reports/ReportRoutine.h"
#include "core/schema/Schema.h"
#include "core/state/Session.h"
#include "core/kit/ArchivePanel.h"
#include "core/kit/GridModel.h"
#include "core/kit/Guard.h"
#include "core/kit/RowConflict.h"
#include "core/kit/ScreenKit.h"
#include "fleet/references/Initials.h"
#include "fleet/vehiclefile/Zoom_V.h"

#include <QButtonGroup>
#include <QEvent>
#include <QKeyEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

namespace kv {

using kit::Command;
using kit::Glyph;

namespace {

const QString kNone = schema::NothingChosenText;
const QString kIntrouvable = QStringLiteral("Enregistrement introuvable");

using vehicles::ColModele;

/// Width of the entry and filter panels beside the list.
constexpr int kSideWidth = 380;

} // namespace

Vehicules::Vehicules(Session& session, QWidget* parent) : QDialog(parent), s_(session)
{
    setObjectName(QStringLiteral("Vehicules"));
    setWindowTitle(QStringLiteral(" "));
    setModal(true);

    buildCommands();
    buildList();
    buildEntry();
    buildPickList();
    buildFilterPanel();

    side_ = new kit::SidePanel(kSideWidth, this);
    side_->addPanel(entry_);
    side_->addPanel(filterPanel_);

    auto* body = new QHBoxLayout;
    body->addWidget(grid_, 1);
    body->addWidget(side_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(kit::titleBand(QStringLiteral("Véhicules"), this, QStringLiteral("banniere")));
    layout->addWidget(bar_);
    layout->addLayout(body, 1);

    kit::guarded(s_.ui(), [&] {
        for (int pick = Type; pick <= Carburant; ++pick)
            loadPicks(pick);
    });
    fillList();
    kit::sizeScreen(*this, QSize(1060, 600), {side_});
}

/// The command bar.
void Vehicules::buildCommands()
{
    bar_ = new kit::CommandBar(this);
    bar_->add(Command::New, QStringLiteral("nouveau"), this, &Vehicules::startNew);
    bar_->add(Command::Edit, QStringLiteral("modifier"), this, &Vehicules::startEdit);
    bar_->add(Command::Delete, QStringLiteral("supprimer"), this, &Vehicules::deleteCurrent);
    bar_->addGap();
    bar_->add(Command::Filter, QStringLiteral("filtre"), this, &Vehicules::openFilter);
    bar_->add(Command::Zoom, QStringLiteral("zoom"), this, &Vehicules::zoom);
    bar_->add(Command::Print, QStringLiteral("imprimer"), this, &Vehicules::print);
    bar_->addExport();
    bar_->addGap();
    // "Bas" and "Haut" only speak: arrows without words or tooltip.
    QToolButton* down = bar_->add(Glyph::Down, QString(), QStringLiteral("bas"), kit::look(Command::Down).key);
    QToolButton* up = bar_->add(Glyph::Up, QString(), QStringLiteral("haut"), kit::look(Command::Up).key);
    connect(down, &QToolButton::clicked, this, [this] { s_.ui().message(QStringLiteral("Bas")); });
    connect(up, &QToolButton::clicked, this, [this] { s_.ui().message(QStringLiteral("Haut")); });
    bar_->addStretch();
    bar_->add(Command::Quit, QStringLiteral("quitter"), this, &Vehicules::quit);
}

/// The list of the vehicles.
void Vehicules::buildList()
{
    model_ = new kit::GridModel(vehicles::listColumns(QString()), this);
    grid_ = new QTableView(this);
    grid_->setObjectName(QStringLiteral("grille"));
    grid_->setModel(model_);
    kit::setupGrid(grid_);
    kit::fitColumns(grid_, ColModele);
    connect(grid_, &QTableView::doubleClicked, this, [this] { zoom(); });
}

/// The entry frame of a new or changed vehicle: its fields on the rows of one form, then its commands.
void Vehicules::buildEntry()
{
    entry_ = new QFrame(this);
    entry_->setObjectName(QStringLiteral("cadreSaisie"));
    entry_->setFrameShape(QFrame::StyledPanel);
    entryHeading_ = kit::panelHeading(QString(), entry_, QStringLiteral("enteteSaisie"));

    auto* form = new QGridLayout;
    form->setHorizontalSpacing(10);
    form->setVerticalSpacing(6);
    form->setColumnStretch(1, 1);
    int row = 0;
    addNumberRows(form, row);
    addPickRows(form, row);
    addPaperRows(form, row);
    addArchiveRow(form, row);

    const kit::PanelButtons entryButtons = kit::panelButtons(entry_);
    confirm_ = entryButtons.confirm;
    cancel_ = entryButtons.cancel;
    connect(confirm_, &QToolButton::clicked, this, &Vehicules::confirmEntry);
    connect(cancel_, &QToolButton::clicked, this, &Vehicules::cancelEntry);

    auto* entryLayout = new QVBoxLayout(entry_);
    entryLayout->addWidget(entryHeading_);
    entryLayout->addLayout(form);
    entryLayout->addStretch();
    entryLayout->addWidget(entryButtons.row);

    chainEntry();
}

/// A row of the entry form: its label, then its field or its row of fields.
void Vehicules::addFormRow(QGridLayout* form, int& row, const QString& label, QWidget* field, Qt::Alignment align)
{
    form->addWidget(new QLabel(label, entry_), row, 0);
    form->addWidget(field, row++, 1, align);
}

void Vehicules::addFormRow(QGridLayout* form, int& row, const QString& label, QLayout* fields)
{
    form->addWidget(new QLabel(label, entry_), row, 0);
    form->addLayout(fields, row++, 1);
}

/// "Matricule" in its three parts (digits only, centred) and "Année".
void Vehicules::addNumberRows(QGridLayout* form, int& row)
{
    const int partLength[3] = {5, 3, 2};
    auto* matRow = new QHBoxLayout;
    matRow->setSpacing(4);
    for (int i = 0; i < 3; ++i) {
        mat_[i] = kit::textField(entry_, QStringLiteral("matricule%1").arg(i + 1), partLength[i], QString(partLength[i] + 1, u'8'));
        mat_[i]->setAlignment(Qt::AlignCenter);
        new DigitField(mat_[i]);
        new SelectOnFocus(mat_[i]);
        matRow->addWidget(mat_[i]);
    }
    matRow->addStretch();
    annee_ = kit::textField(entry_, QStringLiteral("annee"), 4, QStringLiteral("88888"));
    annee_->setAlignment(Qt::AlignCenter);
    new DigitField(annee_);
    new SelectOnFocus(annee_);
    addFormRow(form, row, QStringLiteral("Matricule"), matRow);
    addFormRow(form, row, QStringLiteral("Année"), annee_, Qt::AlignLeft);
}

/// The four reference fields (type, make, model, fuel): read-only, each with the button of its pick list.
void Vehicules::addPickRows(QGridLayout* form, int& row)
{
    const QString pickLabels[4] = {QStringLiteral("Type"), QStringLiteral("Marque"), QStringLiteral("Modèle"),
                                   QStringLiteral("Carburant")};
    const QString pickNames[4] = {QStringLiteral("type"), QStringLiteral("marque"), QStringLiteral("modele"),
                                  QStringLiteral("carburant")};
    for (int i = 0; i < 4; ++i) {
        auto* field = new QLineEdit(kNone, entry_);
        field->setObjectName(pickNames[i]);
        field->setReadOnly(true);
        field->setMinimumWidth(180);
        field->setCursor(Qt::PointingHandCursor);
        field->setFocusPolicy(Qt::NoFocus);
        field->installEventFilter(this);
        auto* button = new QToolButton(entry_);
        button->setObjectName(pickNames[i] + QStringLiteral("Liste"));
        button->setArrowType(Qt::DownArrow);
        button->setFocusPolicy(Qt::NoFocus);
        const int pick = i + 1;
        connect(button, &QToolButton::clicked, this, [this, pick] { showPick(pick); });
        pickField_[i] = field;
        pickButton_[i] = button;
        auto* pickRow = new QHBoxLayout;
        pickRow->setSpacing(2);
        pickRow->addWidget(field, 1);
        pickRow->addWidget(button);
        addFormRow(form, row, pickLabels[i], pickRow);
    }
}

/// The papers: "Mise en circulation", "N° Carte Grise" (in capitals) and "En date du".
void Vehicules::addPaperRows(QGridLayout* form, int& row)
{
    circulation_ = kit::textField(entry_, QStringLiteral("circulation"), 10, QStringLiteral("88/88/88888"));
    circulationRules_ = new DateField(circulation_, s_.ui());
    carteGrise_ = kit::textField(entry_, QStringLiteral("carteGrise"), 25, QString(20, u'W'));
    carteGrise_->setMinimumWidth(0);
    carteGrise_->setMaximumWidth(QWIDGETSIZE_MAX);
    new FieldKeyFilter(carteGrise_, [](const QString&, int key) { return (key >= 'a' && key <= 'z') ? key - 'a' + 'A' : key; });
    new SelectOnFocus(carteGrise_);
    dateCarte_ = kit::textField(entry_, QStringLiteral("dateCarte"), 10, QStringLiteral("88/88/88888"));
    dateCarteRules_ = new DateField(dateCarte_, s_.ui());
    addFormRow(form, row, QStringLiteral("Mise en circulation"), circulation_, Qt::AlignLeft);
    addFormRow(form, row, QStringLiteral("N° Carte Grise"), carteGrise_);
    addFormRow(form, row, QStringLiteral("En date du"), dateCarte_, Qt::AlignLeft);
}

/// "Archivage": OUI or NON (NON for a new vehicle).
void Vehicules::addArchiveRow(QGridLayout* form, int& row)
{
    archOui_ = new QRadioButton(QStringLiteral("OUI"), entry_);
    archOui_->setObjectName(QStringLiteral("archOui"));
    archNon_ = new QRadioButton(QStringLiteral("NON"), entry_);
    archNon_->setObjectName(QStringLiteral("archNon"));
    auto* archGroup = new QButtonGroup(entry_);
    archGroup->addButton(archOui_);
    archGroup->addButton(archNon_);
    archNon_->setChecked(true);
    auto* archRow = new QHBoxLayout;
    archRow->addWidget(archOui_);
    archRow->addWidget(archNon_);
    archRow->addStretch();
    addFormRow(form, row, QStringLiteral("Archivage"), archRow);
}

/// Enter and the arrows move through the typed fields; a field typed full moves on by itself.
void Vehicules::chainEntry()
{
    chain_ = new FieldChain({mat_[0], mat_[1], mat_[2], annee_, circulation_, carteGrise_, dateCarte_}, this);
    autoAdvance(mat_[0], 5);
    autoAdvance(mat_[1], 3);
    autoAdvance(annee_, 4);
    autoAdvance(circulation_, 10);
}

/// The pick list, shown over the entry frame below its field.
void Vehicules::buildPickList()
{
    pickPanel_ = new QFrame(entry_);
    pickPanel_->setObjectName(QStringLiteral("listeChoix"));
    pickPanel_->setFrameShape(QFrame::Box);
    pickPanel_->setAutoFillBackground(true);
    pickPanel_->setStyleSheet(QStringLiteral("#listeChoix { background: %1; border: 1px solid %2; }")
                                  .arg(kit::colours::kPickBackground, kit::colours::kPickBorder));
    pickList_ = new QListWidget(pickPanel_);
    pickList_->setObjectName(QStringLiteral("choix"));
    pickList_->setAlternatingRowColors(true);
    pickList_->installEventFilter(this); // Enter confirms the entry, as the check picture does
    connect(pickList_, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
        pickList_->setCurrentItem(item);
        confirmPick();
    });
    // The list's own commands: pictures with a tooltip; Enter, a double-click and Escape do the same.
    pickConfirm_ = kit::commandButton(pickPanel_, Glyph::Confirm, QString(), QStringLiteral("choixValider"), {},
                                      kit::look(Command::Confirm).text);
    pickCancel_ = kit::commandButton(pickPanel_, Glyph::Cancel, QString(), QStringLiteral("choixAnnuler"), {},
                                     kit::look(Command::Cancel).text);
    pickInitials_ = kit::commandButton(pickPanel_, Glyph::Open, QString(), QStringLiteral("choixTable"), {},
                                       QStringLiteral("Table de référence"));
    connect(pickConfirm_, &QToolButton::clicked, this, &Vehicules::confirmPick);
    connect(pickCancel_, &QToolButton::clicked, this, &Vehicules::cancelPick);
    connect(pickInitials_, &QToolButton::clicked, this, &Vehicules::editReferences);
    auto* pickButtons = new QHBoxLayout;
    pickButtons->addWidget(pickConfirm_);
    pickButtons->addWidget(pickCancel_);
    pickButtons->addStretch();
    pickButtons->addWidget(pickInitials_);
    auto* pickLayout = new QVBoxLayout(pickPanel_);
    pickLayout->setContentsMargins(4, 4, 4, 4);
    pickLayout->setSpacing(2);
    pickLayout->addWidget(pickList_);
    pickLayout->addLayout(pickButtons);
    pickPanel_->resize(230, 190);
    pickPanel_->hide();
}

/// The filter panel.
void Vehicules::buildFilterPanel()
{
    filterPanel_ = new kit::ArchivePanel(this);
    connect(filterPanel_, &kit::ArchivePanel::confirmed, this, &Vehicules::confirmFilter);
    connect(filterPanel_, &kit::ArchivePanel::cancelled, this, &Vehicules::cancelFilter);
}

// ---- the list ---------------------------------------------------------------------------------------------

QToolButton* Vehicules::command(const QString& objectName) const { return bar_->command(objectName); }

const QList<qint64>& Vehicules::nums() const { return model_->keys(); }

int Vehicules::currentRow() const { return model_->lineCount() == 0 ? -1 : grid_->currentIndex().row(); }

void Vehicules::setCurrentRow(int row) { grid_->selectRow(row); }

void Vehicules::loadPicks(int pick) { picks_[pick - 1] = references::load(s_.db(), pick); }

void Vehicules::fillList()
{
    QList<vehicles::ListRow> rows;
    if (!kit::guarded(s_.ui(), [&] { rows = vehicles::list(s_.db(), filter_); }))
        return; // the list stays as it was
    if (rows.isEmpty()) {
        model_->setRows({});
        grid_->setEnabled(false);
        startNew();
        return;
    }
    const auto name = [](const QString& denom) { return denom.isEmpty() ? QString() : u' ' + denom; };
    QList<QVariantList> values;
    QList<qint64> nums;
    values.reserve(rows.size());
    for (const vehicles::ListRow& v : rows) {
        values.append({QVariant(), name(v.genre), name(v.marque), name(v.modele), v.annee, v.matricule,
                       v.archived ? QStringLiteral("OUI") : QStringLiteral(" ")});
        nums << v.num;
    }
    model_->setRows(std::move(values), std::move(nums));
    grid_->setEnabled(true);
    grid_->selectRow(0);
    grid_->resizeColumnsToContents();
}

void Vehicules::setBrowsing(bool on)
{
    grid_->setEnabled(on && model_->lineCount() > 0);
    bar_->setCommandsEnabled(on);
    if (on)
        showSide(nullptr);
}

void Vehicules::showSide(QWidget* panel)
{
    // While browsing the list takes the whole width; the window was sized for the panel from the start.
    side_->open(panel);
}

bool Vehicules::isEntering() const { return side_->panel() == entry_; }

void Vehicules::clearEntry()
{
    loading_ = true;
    for (QLineEdit* e : mat_)
        e->clear();
    for (QLineEdit* e : {annee_, circulation_, carteGrise_, dateCarte_})
        e->clear();
    for (int pick = Type; pick <= Carburant; ++pick) {
        pickField_[pick - 1]->setText(kNone);
        picked_[pick - 1] = schema::NothingChosen;
    }
    archNon_->setChecked(true);
    loading_ = false;
}

void Vehicules::startNew()
{
    newEntry_ = true;
    clearEntry();
    entryHeading_->setText(QStringLiteral("Nouveau Véhicule"));
    circulationRules_->setShaping(true);
    dateCarteRules_->setShaping(true);
    setBrowsing(false);
    showSide(entry_);
    mat_[0]->setFocus();
}

void Vehicules::startEdit()
{
    const int row = currentRow();
    if (row < 0)
        return;
    std::optional<vehicles::Entry> v;
    if (!kit::guarded(s_.ui(), [&] { v = vehicles::read(s_.db(), model_->keyAt(row), &loaded_); }))
        return;
    if (!v) { // deleted since the list was filled
        s_.ui().message(kIntrouvable);
        return;
    }
    clearEntry();
    {
        loading_ = true;
        mat_[0]->setText(v->matricule.part1);
        mat_[1]->setText(v->matricule.part2);
        mat_[2]->setText(v->matricule.part3);
        annee_->setText(v->annee);
        if (!v->dateCirculation.isEmpty())
            circulation_->setText(v->dateCirculation);
        carteGrise_->setText(v->carteGrise);
        if (!v->dateCarte.isEmpty())
            dateCarte_->setText(v->dateCarte);
        (v->archived ? archOui_ : archNon_)->setChecked(true);
        setPick(Type, v->numGenre);
        setPick(Marque, v->numMarque);
        setPick(Modele, v->numModele);
        setPick(Carburant, v->numCarburant);
        loading_ = false;
    }
    newEntry_ = false;
    entryHeading_->setText(QStringLiteral("MODIFICATION"));
    circulationRules_->setShaping(false);
    dateCarteRules_->setShaping(false);
    setBrowsing(false);
    showSide(entry_);
    mat_[0]->setFocus();
}

void Vehicules::deleteCurrent()
{
    const int row = currentRow();
    if (row < 0)
        return;
    const qint64 num = model_->keyAt(row);
    // The lines of the vehicle stay in their tables: the question says how many.
    vehicles::Attached attached;
    if (!kit::guarded(s_.ui(), [&] { attached = vehicles::attached(s_.db(), num); }))
        return;
    QString question = QStringLiteral("Confirmer supression de ligne N° ") + QString::number(row + 1);
    if (!attached.isEmpty())
        question += u'\n' + vehicles::attachedNotice(attached).join(u'\n');
    if (!s_.ui().askDefaultNo(question, ui::Icon::Question, QStringLiteral("Confirmation")))
        return;
    if (kit::guarded(s_.ui(), [&] { vehicles::remove(s_.db(), num); }, [&] { fillList(); }))
        fillList();
}

void Vehicules::zoom()
{
    const int row = currentRow();
    if (row < 0 || !grid_->isEnabled())
        return;
    s_.vehicule_courant = model_->keyAt(row);
    {
        Zoom_V file(s_, this);
        s_.ui().showModal(file);
    }
    kit::guarded(s_.ui(), [&] { s_.reconnect(); });
}

void Vehicules::print()
{
    if (nums().isEmpty())
        return;
    QStringList keys;
    keys.reserve(nums().size());
    for (qint64 n : nums())
        keys << QString::number(n);
    const QString selection = kit::archiveFilterText(filter_);
    ReportRequest request;
    request.templateName = QStringLiteral("Liste_V.RPT");
    request.texts.insert(QStringLiteral("ch4"), selection);
    request.buffer = keys;
    kit::guarded(s_.ui(), [&] { printReport(s_, request); });
}

void Vehicules::quit() { accept(); }

// ---- the entry frame ----------------------------------------------------------------------------------------

void Vehicules::autoAdvance(QLineEdit* field, int length)
{
    connect(field, &QLineEdit::textChanged, this, [this, field, length](const QString& text) {
        if (!loading_ && newEntry_ && isEntering() && text.size() == length && field->hasFocus())
            chain_->focusNext(field);
    });
}

void Vehicules::confirmEntry()
{
    if (!isEntering() || openPick_)
        return;
    for (QLineEdit* e : {mat_[0], mat_[1], mat_[2], annee_})
        if (e->text().trimmed().isEmpty()) {
            s_.ui().refuse(QStringLiteral("Matricule et année indispensables"));
            return;
        }
    // A date still being typed when the frame is confirmed gets the check it would get on leaving its
    // field: an invalid one is emptied and takes the focus, and nothing is written (an unreadable date
    // would otherwise wipe the one stored).
    for (QLineEdit* e : {circulation_, dateCarte_})
        if (!e->text().trimmed().isEmpty() && dateCheck(e->text(), s_.ui()) != 0) {
            e->clear();
            e->setFocus();
            return;
        }
    vehicles::Entry v;
    v.matricule = {mat_[0]->text(), mat_[1]->text(), mat_[2]->text()};
    v.annee = annee_->text();
    v.numGenre = picked_[Type - 1];
    v.numMarque = picked_[Marque - 1];
    v.numModele = picked_[Modele - 1];
    v.numCarburant = picked_[Carburant - 1];
    v.dateCirculation = circulation_->text();
    v.carteGrise = carteGrise_->text();
    v.dateCarte = dateCarte_->text();
    v.archived = archOui_->isChecked();
    bool found = true;
    const qint64 num = newEntry_ || currentRow() < 0 ? 0 : model_->keyAt(currentRow());
    // Two vehicles with one registration number is most often a number typed twice: asked first.
    qint64 same = 0;
    if (!kit::guarded(s_.ui(), [&] { same = vehicles::sameMatricule(s_.db(), v.matricule, num); }))
        return;
    if (same != 0
        && !s_.ui().askDefaultNo(QStringLiteral("Le matricule ") + vehicles::composeMatricule(v.matricule).simplified()
                                    + QStringLiteral(" est déjà celui d'un autre véhicule.\nEnregistrer quand même ?"),
                                ui::Icon::Exclamation, QStringLiteral("Confirmation"))) {
        mat_[0]->setFocus();
        return;
    }
    const bool written = kit::guarded(s_.ui(), [&] {
        if (newEntry_) {
            s_.reconnect();
            vehicles::add(s_.db(), v);
        } else if (num != 0) {
            found = vehicles::update(s_.db(), num, v, loaded_);
        }
    }, [&] {
        // Another desk changed the vehicle meanwhile: nothing written; the list shows it as it now is.
        setBrowsing(true);
        fillList();
    });
    if (!written)
        return; // the engine said why; the frame stays open with what was typed
    if (!found) // deleted since the frame was opened
        s_.ui().message(kIntrouvable);
    setBrowsing(true);
    fillList();
}

void Vehicules::cancelEntry()
{
    if (openPick_)
        return;
    setBrowsing(true);
}

// ---- the pick fields ----------------------------------------------------------------------------------------

void Vehicules::setPick(int pick, qint64 num)
{
    const auto& e = picks_[pick - 1];
    const int at = e.nums.indexOf(num);
    pickField_[pick - 1]->setText(at >= 0 ? e.names[at] : kNone);
    picked_[pick - 1] = at >= 0 ? num : schema::NothingChosen;
}

void Vehicules::keyPressEvent(QKeyEvent* event)
{
    // Escape closes the open list or panel first, the screen last.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        if (openPick_) {
            cancelPick();
            return;
        }
        if (isEntering()) {
            cancelEntry();
            return;
        }
        if (side_->panel() == filterPanel_) {
            cancelFilter();
            return;
        }
    }
    QDialog::keyPressEvent(event);
}

bool Vehicules::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == pickList_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            confirmPick();
            return true;
        }
    }
    if (event->type() == QEvent::MouseButtonPress)
        for (int i = 0; i < 4; ++i)
            if (watched == pickField_[i] && pickButton_[i]->isEnabled()) {
                showPick(i + 1);
                return true;
            }
    return QDialog::eventFilter(watched, event);
}

void Vehicules::showPick(int pick)
{
    if (!isEntering() || openPick_ || picks_[pick - 1].isEmpty())
        return;
    openPick_ = pick;
    const auto& e = picks_[pick - 1];
    pickList_->clear();
    pickList_->addItems(e.names);
    const int at = e.nums.indexOf(picked_[pick - 1]);
    pickList_->setCurrentRow(at >= 0 ? at : 0);
    for (QToolButton* b : pickButton_)
        b->setEnabled(false);
    confirm_->setEnabled(false);
    cancel_->setEnabled(false);
    QLineEdit* field = pickField_[pick - 1];
    pickPanel_->move(field->mapTo(entry_, QPoint(0, field->height())));
    pickPanel_->show();
    pickPanel_->raise();
    pickList_->setFocus();
}

void Vehicules::confirmPick()
{
    if (!openPick_)
        return;
    const int row = pickList_->currentRow();
    const auto& e = picks_[openPick_ - 1];
    if (row >= 0 && row < e.size()) {
        pickField_[openPick_ - 1]->setText(e.names[row]);
        picked_[openPick_ - 1] = e.nums[row];
    }
    cancelPick();
}

void Vehicules::cancelPick()
{
    openPick_ = 0;
    pickPanel_->hide();
    for (QToolButton* b : pickButton_)
        b->setEnabled(true);
    confirm_->setEnabled(true);
    cancel_->setEnabled(true);
}

void Vehicules::editReferences()
{
    if (!openPick_)
        return;
    const int pick = openPick_;
    s_.dialogValue = pick;
    {
        Initials screen(s_, this);
        s_.ui().showModal(screen);
    }
    kit::guarded(s_.ui(), [&] {
        s_.reconnect();
        loadPicks(pick);
    });
    // The field keeps what it shows; the open list shows the table as it now stands.
    const auto& e = picks_[pick - 1];
    pickList_->clear();
    pickList_->addItems(e.names);
    if (e.isEmpty()) {
        cancelPick();
        return;
    }
    const int at = e.nums.indexOf(picked_[pick - 1]);
    pickList_->setCurrentRow(at >= 0 ? at : 0);
}

// ---- the filter panel ---------------------------------------------------------------------------------------

QRadioButton* Vehicules::filterOption(vehicles::Filter f) const { return filterPanel_->option(f); }

void Vehicules::openFilter()
{
    if (isEntering())
        return;
    setBrowsing(false);
    filterPanel_->setChosen(filter_);
    showSide(filterPanel_);
}

void Vehicules::confirmFilter()
{
    const vehicles::Filter f = filterPanel_->chosen();
    bool empty = true;
    if (!kit::guarded(s_.ui(), [&] { empty = vehicles::list(s_.db(), f).isEmpty(); }))
        return;
    if (empty) {
        s_.ui().refuse(QStringLiteral("Aucun véhicule selon ces critères"));
        return;
    }
    filter_ = f;
    setBrowsing(true);
    fillList();
}

void Vehicules::cancelFilter() { setBrowsing(true); }

} // namespace kv
