#include "F_Location.h"

#include "core/formats/Dates.h"
#include "core/formats/FieldRules.h"
#include "core/formats/Numbers.h"
#include "core/kit/Colours.h"
#include "core/kit/ArchivePanel.h"
#include "core/kit/GridModel.h"
#include "core/kit/Guard.h"
#include "core/kit/RowConflict.h"
#include "core/kit/ScreenKit.h"
#include "core/reports/ReportRoutine.h"
#include "core/schema/Schema.h"
#include "core/state/Session.h"
#include "fleet/search/Q_Vehicule.h"
#include "people/accounts/Accounts.h"
#include "people/search/Q_Client.h"

#include <QCheckBox>
#include <QEvent>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

namespace kv {

using kit::Command;

namespace {

const QString kIntrouvable = QStringLiteral("Enregistrement introuvable");
const QString kInversees = QStringLiteral("Dates inversées");
const QString kNone = schema::NothingChosenText;

/// The columns of the list: names and the observation left-aligned, with their text as tooltip (a long
/// one is cut by its column); the rest centred; the registration number in the fixed-width font.
QList<kit::GridColumn> columns()
{
    using kit::CellKind;
    const auto centred = [](const QString& caption) { return kit::GridColumn{caption, CellKind::Text, Qt::AlignHCenter}; };
    const auto named = [](const QString& caption) { return kit::GridColumn{caption, CellKind::Text, Qt::AlignLeft, true}; };
    return {{QStringLiteral("N°"), CellKind::Position},
            named(QStringLiteral("Modèle")),
            {QStringLiteral("Matricule"), CellKind::Text, Qt::AlignHCenter, false, {}, kit::fixedFont()},
            named(QStringLiteral("Nom")),
            named(QStringLiteral("Prénom")),
            centred(QStringLiteral("Du")),
            centred(QStringLiteral("Au")),
            centred(QStringLiteral("Nb")),
            centred(QStringLiteral("Règl")),
            centred(QStringLiteral("Arch")),
            named(QStringLiteral("Observation"))};
}

/// The group headings and the columns they stand over (first, last).
struct Group {
    const char* text;
    int first, last;
};
constexpr Group kGroups[] = {{"Véhicule", F_Location::ColModele, F_Location::ColMatricule},
                             {"Client", F_Location::ColNom, F_Location::ColPrenom},
                             {"Durée", F_Location::ColDu, F_Location::ColNb}};

/// Width of the entry and filter panels beside the list.
constexpr int kSideWidth = 360;

/// While the field is empty, a lower-case first letter a to z becomes its capital.
int firstCapitalKey(const QString& text, int key) { return text.isEmpty() && key >= 'a' && key <= 'z' ? key - 32 : key; }

/// A stored amount as an amount field shows it again: nothing for 0 or less.
QString typedAmount(double value) { return value > 0 ? QString::number(value, 'g', 15) : QString(); }

/// A name cell: a blank then the name; empty when there is none.
QString nameCell(const QString& name) { return name.isEmpty() ? QString() : u' ' + name; }

} // namespace

F_Location::F_Location(Session& session, QWidget* parent) : QDialog(parent), s_(session)
{
    setObjectName(QStringLiteral("F_Location"));
    setWindowTitle(QStringLiteral(" "));
    setModal(true);

    // ---- commands ---------------------------------------------------------------------------------------
    bar_ = new kit::CommandBar(this);
    bar_->add(Command::New, QStringLiteral("nouveau"), this, &F_Location::startNew);
    bar_->add(Command::Edit, QStringLiteral("modifier"), this, &F_Location::startEdit);
    bar_->add(Command::Delete, QStringLiteral("supprimer"), this, &F_Location::deleteCurrent);
    bar_->addGap();
    bar_->add(Command::Filter, QStringLiteral("filtre"), this, &F_Location::openFilter, QStringLiteral("Filte"));
    bar_->add(Command::Zoom, QStringLiteral("zoom"), this, &F_Location::zoom);
    bar_->add(Command::Print, QStringLiteral("imprimer"), this, &F_Location::print);
    bar_->addExport();
    bar_->addStretch();
    bar_->add(Command::Quit, QStringLiteral("quitter"), static_cast<QDialog*>(this), &QDialog::accept);

    // ---- the list under its group headings ------------------------------------------------------------
    model_ = new kit::GridModel(columns(), this);
    grid_ = new QTableView(this);
    grid_->setObjectName(QStringLiteral("grille"));
    grid_->setModel(model_);
    kit::setupGrid(grid_);
    kit::fitColumns(grid_, ColObs);
    connect(grid_, &QTableView::doubleClicked, this, [this](const QModelIndex& index) {
        if (index.isValid()) {
            setCurrentRow(index.row());
            zoom();
        }
    });

    groups_ = new QWidget(this);
    groups_->setObjectName(QStringLiteral("groupes"));
    for (const Group& g : kGroups) {
        auto* label = new QLabel(QString::fromUtf8(g.text), groups_);
        label->setAlignment(Qt::AlignCenter);
        label->setStyleSheet(QStringLiteral("QLabel { font-weight: bold; color: white; background: %1; "
                                            "border-right: 1px solid white; }").arg(kit::colours::kCaptionBand));
        groupLabels_ << label;
    }
    groups_->setFixedHeight(groupLabels_.first()->sizeHint().height() + 6);
    groups_->installEventFilter(this);
    QHeaderView* header = grid_->horizontalHeader();
    connect(header, &QHeaderView::sectionResized, this, &F_Location::placeGroupHeadings);
    connect(header, &QHeaderView::geometriesChanged, this, &F_Location::placeGroupHeadings);
    connect(header, &QHeaderView::sectionMoved, this, &F_Location::placeGroupHeadings);

    auto* listSide = new QVBoxLayout;
    listSide->setSpacing(0);
    listSide->addWidget(groups_);
    listSide->addWidget(grid_, 1);

    // ---- the side panel ---------------------------------------------------------------------------------
    side_ = new kit::SidePanel(kSideWidth, this);
    side_->addPanel(buildEntry(), [this] { cancelEntry(); });
    side_->addPanel(buildFilter(), [this] { cancelFilter(); });

    auto* body = new QHBoxLayout;
    body->addLayout(listSide, 1);
    body->addWidget(side_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(kit::titleBand(QStringLiteral("Etat des locations"), this, QStringLiteral("banniere")));
    layout->addWidget(bar_);
    layout->addLayout(body, 1);

    fillList();
    kit::sizeScreen(*this, QSize(1280, 680), {side_});
}

F_Location::~F_Location()
{
    // The children outlive this part of the screen while QWidget deletes them: nothing they signal or
    // filter may reach it any more.
    grid_->horizontalHeader()->disconnect(this);
    for (QObject* watched : std::initializer_list<QObject*>{groups_, vehicle_, client_, du_, au_, pu_})
        watched->removeEventFilter(this);
}

QWidget* F_Location::buildEntry()
{
    entry_ = new QFrame(this);
    entry_->setObjectName(QStringLiteral("cadreSaisie"));
    static_cast<QFrame*>(entry_)->setFrameShape(QFrame::StyledPanel);
    entryHeading_ = kit::panelHeading(QString(), entry_, QStringLiteral("enteteSaisie"));

    const int dateWidth = fontMetrics().horizontalAdvance(QStringLiteral("88/88/88888")) + 16;
    const int amountWidth = fontMetrics().horizontalAdvance(QString(rentals::kAmountLength + 1, u'8')) + 16;

    // The vehicle and the client: a field that shows the choice, and its button; both open the search.
    auto choice = [this](const QString& name, QLineEdit*& field, QToolButton*& button) {
        field = new QLineEdit(kNone, entry_);
        field->setObjectName(name);
        field->setReadOnly(true);
        field->setFocusPolicy(Qt::NoFocus);
        field->setCursor(Qt::PointingHandCursor);
        field->installEventFilter(this);
        button = kit::commandButton(entry_, kit::Glyph::Search, QString(), name + QStringLiteral("Choix"), {},
                                    kit::look(Command::Search).text);
        button->setFocusPolicy(Qt::NoFocus);
        auto* row = new QHBoxLayout;
        row->setSpacing(2);
        row->addWidget(field, 1);
        row->addWidget(button);
        return row;
    };
    auto* form = new QGridLayout;
    form->setHorizontalSpacing(10);
    form->setVerticalSpacing(6);
    int row = 0;
    form->addWidget(new QLabel(QStringLiteral("Véhicule"), entry_), row, 0);
    form->addLayout(choice(QStringLiteral("vehicule"), vehicle_, vehicleButton_), row++, 1);
    form->addWidget(new QLabel(QStringLiteral("Client"), entry_), row, 0);
    form->addLayout(choice(QStringLiteral("client"), client_, clientButton_), row++, 1);
    form->setColumnStretch(1, 1);
    connect(vehicleButton_, &QToolButton::clicked, this, &F_Location::chooseVehicle);
    connect(clientButton_, &QToolButton::clicked, this, &F_Location::chooseClient);

    auto lineField = [this](const QString& name, int maxLength, int width) {
        auto* e = new QLineEdit(entry_);
        e->setObjectName(name);
        e->setMaxLength(maxLength);
        if (width > 0)
            e->setFixedWidth(width);
        return e;
    };
    auto* period = new QGroupBox(QStringLiteral("Durée et Montant"), entry_);
    period->setObjectName(QStringLiteral("dureeMontant"));
    auto* pf = new QGridLayout(period);
    pf->setHorizontalSpacing(10);
    pf->setVerticalSpacing(6);
    du_ = lineField(QStringLiteral("du"), 10, dateWidth);
    au_ = lineField(QStringLiteral("au"), 10, dateWidth);
    duRules_ = new DateField(du_, s_.ui());
    auRules_ = new DateField(au_, s_.ui());
    pu_ = lineField(QStringLiteral("pu"), rentals::kAmountLength, amountWidth);
    pu_->setAlignment(Qt::AlignRight);
    new DecimalField(pu_);
    new SelectOnFocus(pu_);
    days_ = lineField(QStringLiteral("nbreJours"), 10, dateWidth);
    amount_ = lineField(QStringLiteral("montant"), 20, amountWidth);
    for (QLineEdit* display : {days_, amount_}) {
        display->setReadOnly(true);
        display->setFocusPolicy(Qt::NoFocus);
        display->setAlignment(Qt::AlignRight);
        display->setStyleSheet(QStringLiteral("QLineEdit { background: %1; }").arg(kit::colours::kPanelBackground));
    }
    amount_->setFont(kit::amountFont());
    daysLabel_ = new QLabel(QStringLiteral("Nbre de J."), period);
    amountLabel_ = new QLabel(QStringLiteral("Montant"), period);
    pf->addWidget(new QLabel(QStringLiteral("Du"), period), 0, 0);
    pf->addWidget(du_, 0, 1, Qt::AlignLeft);
    pf->addWidget(new QLabel(QStringLiteral("Au"), period), 1, 0);
    pf->addWidget(au_, 1, 1, Qt::AlignLeft);
    pf->addWidget(new QLabel(QStringLiteral("PU"), period), 2, 0);
    pf->addWidget(pu_, 2, 1, Qt::AlignLeft);
    pf->addWidget(daysLabel_, 3, 0);
    pf->addWidget(days_, 3, 1, Qt::AlignLeft);
    pf->addWidget(amountLabel_, 4, 0);
    pf->addWidget(amount_, 4, 1, Qt::AlignLeft);
    pf->setColumnStretch(1, 1);
    form->addWidget(period, row++, 0, 1, 2);

    forfait_ = new QCheckBox(QStringLiteral("Forfait"), entry_);
    forfait_->setObjectName(QStringLiteral("forfait"));
    forfaitAmount_ = lineField(QStringLiteral("montantForfait"), rentals::kAmountLength, amountWidth);
    forfaitAmount_->setAlignment(Qt::AlignRight);
    new DecimalField(forfaitAmount_);
    new SelectOnFocus(forfaitAmount_);
    form->addWidget(forfait_, row, 0);
    form->addWidget(forfaitAmount_, row++, 1, Qt::AlignLeft);
    connect(forfait_, &QCheckBox::toggled, this, &F_Location::showForfait);

    caution_ = lineField(QStringLiteral("caution"), rentals::kAmountLength, amountWidth);
    caution_->setAlignment(Qt::AlignRight);
    new DecimalField(caution_);
    new SelectOnFocus(caution_);
    form->addWidget(new QLabel(QStringLiteral("Caution"), entry_), row, 0);
    form->addWidget(caution_, row++, 1, Qt::AlignLeft);

    obs_ = lineField(QStringLiteral("observation"), rentals::kObsLength, 0);
    new FieldKeyFilter(obs_, firstCapitalKey);
    new SelectOnFocus(obs_);
    form->addWidget(new QLabel(QStringLiteral("Observation"), entry_), row, 0);
    form->addWidget(obs_, row++, 1);

    regle_ = new QCheckBox(QStringLiteral("Réglé"), entry_);
    regle_->setObjectName(QStringLiteral("regle"));
    archive_ = new QCheckBox(QStringLiteral("Archivé"), entry_);
    archive_->setObjectName(QStringLiteral("archive"));
    auto* flags = new QHBoxLayout;
    flags->addWidget(regle_);
    flags->addSpacing(20);
    flags->addWidget(archive_);
    flags->addStretch();
    form->addLayout(flags, row++, 0, 1, 2);

    const kit::PanelButtons buttons = kit::panelButtons(entry_);
    confirm_ = buttons.confirm;
    cancel_ = buttons.cancel;
    connect(confirm_, &QToolButton::clicked, this, &F_Location::confirmEntry);
    connect(cancel_, &QToolButton::clicked, this, &F_Location::cancelEntry);

    auto* v = new QVBoxLayout(entry_);
    v->addWidget(entryHeading_);
    v->addLayout(form);
    v->addStretch();
    v->addWidget(buttons.row);

    // Enter and Down move to the next of the six text fields, Up to the previous one.
    new FieldChain({du_, au_, pu_, forfaitAmount_, caution_, obs_}, this);
    for (QLineEdit* e : {du_, au_, pu_})
        e->installEventFilter(this);
    showForfait();
    return entry_;
}

QWidget* F_Location::buildFilter()
{
    filterPanel_ = new kit::ArchivePanel(this);
    connect(filterPanel_, &kit::ArchivePanel::confirmed, this, &F_Location::confirmFilter);
    connect(filterPanel_, &kit::ArchivePanel::cancelled, this, &F_Location::cancelFilter);
    return filterPanel_;
}

// ---- the list -----------------------------------------------------------------------------------------------

QToolButton* F_Location::command(const QString& objectName) const { return bar_->command(objectName); }

int F_Location::currentRow() const
{
    if (nums_.isEmpty())
        return -1;
    const QModelIndex i = grid_->currentIndex();
    return i.isValid() && i.row() < nums_.size() ? i.row() : 0;
}

void F_Location::setCurrentRow(int row)
{
    if (row < 0 || row >= model_->rowCount())
        return;
    grid_->setCurrentIndex(model_->index(row, 0));
    grid_->selectRow(row);
}

void F_Location::placeGroupHeadings()
{
    QHeaderView* header = grid_->horizontalHeader();
    const int x0 = grid_->frameWidth();
    for (int i = 0; i < groupLabels_.size(); ++i) {
        const Group& g = kGroups[i];
        const int left = header->sectionViewportPosition(g.first);
        const int right = header->sectionViewportPosition(g.last) + header->sectionSize(g.last);
        groupLabels_[i]->setGeometry(x0 + left, 3, std::max(0, right - left), groups_->height() - 3);
    }
}

void F_Location::fillList()
{
    QList<rentals::ListRow> rows;
    const bool read = kit::guarded(s_.ui(), [&] {
        rows = rentals::list(s_.db(), filter_);
        // A filter that no longer keeps any rental (the last archived one deleted, the last current one
        // archived) gives way to the whole list, so that an empty list always means an empty table.
        if (rows.isEmpty() && filter_ != rentals::Filter::Ensemble) {
            filter_ = rentals::Filter::Ensemble;
            rows = rentals::list(s_.db(), filter_);
        }
    });
    if (!read)
        return; // the list stays as it was
    nums_.clear();
    clients_.clear();
    if (rows.isEmpty()) {
        model_->setRows({});
        grid_->setEnabled(false);
        startNew();
        return;
    }
    QList<QVariantList> values;
    values.reserve(rows.size());
    for (const rentals::ListRow& l : rows) {
        values.append({QVariant(), nameCell(l.modele), l.matricule, nameCell(l.nom), nameCell(l.prenom), l.du, l.au,
                       l.nb > 0 ? QString::number(l.nb) : QString(), l.regle ? QStringLiteral("OUI") : QStringLiteral(" "),
                       l.archived ? QStringLiteral("OUI") : QStringLiteral(" "), nameCell(l.obs)});
        nums_ << l.num;
        clients_ << l.client;
    }
    model_->setRows(std::move(values), nums_);
    grid_->setEnabled(!isEntering() && side_->panel() != filterPanel_);
    setCurrentRow(0);
}

void F_Location::setBrowsing(bool on)
{
    grid_->setEnabled(on && !nums_.isEmpty());
    bar_->setCommandsEnabled(on);
    if (on) {
        side_->close();
        grid_->setFocus();
    }
}

bool F_Location::isEntering() const { return side_->panel() == entry_; }

void F_Location::startNew()
{
    newEntry_ = true;
    clearEntry();
    entryHeading_->setText(QStringLiteral("Nouvelle location"));
    setBrowsing(false);
    side_->open(entry_);
    du_->setFocus();
}

void F_Location::startEdit()
{
    const int row = currentRow();
    if (row < 0)
        return;
    std::optional<rentals::Rental> r;
    QString vehicleShown, clientShown;
    if (!kit::guarded(s_.ui(), [&] {
            r = rentals::read(s_.db(), nums_[row], &loaded_);
            if (r) {
                vehicleShown = rentals::vehicleText(s_.db(), r->vehicle);
                clientShown = rentals::clientText(s_.db(), r->client);
            }
        }))
        return;
    if (!r) { // deleted since the list was read
        s_.ui().message(kIntrouvable);
        fillList();
        return;
    }
    clearEntry();
    loading_ = true;
    duRules_->setShaping(false);
    auRules_->setShaping(false);
    du_->setText(r->du);
    au_->setText(r->au);
    pu_->setText(typedAmount(r->pu));
    forfaitAmount_->setText(typedAmount(r->montantForfait));
    caution_->setText(typedAmount(r->caution));
    obs_->setText(r->obs);
    if (r->nb > 0)
        days_->setText(QString::number(r->nb));
    if (r->montant > 0)
        amount_->setText(rentals::amountText(r->montant));
    forfait_->setChecked(r->forfait);
    regle_->setChecked(r->regle);
    archive_->setChecked(r->archived);
    vehicleNum_ = r->vehicle;
    vehicle_->setText(vehicleShown);
    vehicle_->setCursorPosition(0);
    clientNum_ = r->client;
    client_->setText(clientShown);
    client_->setCursorPosition(0);
    duRules_->setShaping(true);
    auRules_->setShaping(true);
    loading_ = false;
    newEntry_ = false;
    entryHeading_->setText(QStringLiteral("MODIFICATION"));
    setBrowsing(false);
    side_->open(entry_);
    du_->setFocus();
}

void F_Location::deleteCurrent()
{
    const int row = currentRow();
    if (row < 0)
        return;
    if (!s_.ui().askDefaultNo(QStringLiteral("Confirmer supression de ligne N° ") + QString::number(row + 1), ui::Icon::Question,
                     QStringLiteral("Confirmation")))
        return;
    bool found = true;
    if (!kit::guarded(s_.ui(), [&] { found = rentals::remove(s_.db(), nums_[row]); }))
        return;
    if (!found)
        s_.ui().message(kIntrouvable);
    fillList();
}

void F_Location::zoom()
{
    const int row = currentRow();
    if (row < 0 || !grid_->isEnabled())
        return;
    s_.num_courant = clients_[row];
    openAccount(s_, schema::person::Client, this);
    kit::guarded(s_.ui(), [&] { s_.reconnect(); });
}

void F_Location::print()
{
    const int row = currentRow();
    if (row < 0)
        return;
    const qint64 num = nums_[row];
    std::optional<rentals::Rental> rental;
    if (!kit::guarded(s_.ui(), [&] { rental = rentals::read(s_.db(), num); }))
        return;
    if (!rental) {
        s_.ui().message(kIntrouvable);
        fillList();
        return;
    }
    ReportRequest request;
    request.templateName = QStringLiteral("Contrat_Location.RPT");
    // What the rental is worth, by the rule every screen follows.
    request.params = {{QStringLiteral("num"), num}, {QStringLiteral("montant_location"), rental->amount()}};
    printReport(s_, request); // shows its own failures, engine errors included
}

// ---- the entry frame ----------------------------------------------------------------------------------------

void F_Location::clearEntry()
{
    loading_ = true;
    for (QLineEdit* e : {du_, au_, pu_, forfaitAmount_, caution_, obs_, days_, amount_})
        e->clear();
    vehicleNum_ = schema::NothingChosen;
    vehicle_->setText(kNone);
    clientNum_ = schema::NothingChosen;
    client_->setText(kNone);
    forfait_->setChecked(false);
    regle_->setChecked(false);
    archive_->setChecked(false);
    showForfait();
    loading_ = false;
}

void F_Location::showForfait()
{
    const bool on = forfait_->isChecked();
    forfaitAmount_->setEnabled(on);
    for (QWidget* w : std::initializer_list<QWidget*>{daysLabel_, days_, amountLabel_, amount_})
        w->setVisible(!on);
}

void F_Location::chooseVehicle()
{
    if (!isEntering())
        return;
    {
        Q_Vehicule search(s_, this);
        s_.ui().showModal(search);
    }
    if (s_.saisie != QStringLiteral("OK"))
        return;
    vehicleNum_ = static_cast<qint64>(readNumber(s_.echange.get(1)));
    vehicle_->setText((s_.echange.get(2) + u' ' + s_.echange.get(3)).trimmed());
    vehicle_->setCursorPosition(0);
}

void F_Location::chooseClient()
{
    if (!isEntering())
        return;
    {
        Q_Client search(s_, this);
        s_.ui().showModal(search);
    }
    if (s_.saisie != QStringLiteral("OK"))
        return;
    clientNum_ = static_cast<qint64>(readNumber(s_.echange.get(1)));
    client_->setText((s_.echange.get(2) + u' ' + s_.echange.get(3)).trimmed());
    client_->setCursorPosition(0);
}

void F_Location::showAmount()
{
    if (!pu_->text().trimmed().isEmpty() && !days_->text().trimmed().isEmpty()) {
        if (const std::optional<double> pu = parseAmount(pu_->text())) {
            amount_->setText(rentals::amountText(rentals::dayAmount(static_cast<int>(readNumber(days_->text())), *pu)));
            return;
        }
    }
    amount_->clear();
}

void F_Location::leaveDate()
{
    if (loading_ || !isEntering())
        return;
    const std::optional<int> days = rentals::dayCount(du_->text(), au_->text());
    if (!days)
        return;
    if (*days < 0) {
        s_.ui().refuse(kInversees);
        return; // "Nbre de J." keeps what it showed
    }
    days_->setText(QString::number(*days));
    // The amount follows the days it is computed from, once a price is given.
    if (!pu_->text().trimmed().isEmpty())
        showAmount();
}

void F_Location::leavePrice()
{
    if (loading_ || !isEntering())
        return;
    showAmount();
}

void F_Location::confirmEntry()
{
    if (!isEntering())
        return;
    if (vehicleNum_ < 0 || clientNum_ < 0) {
        s_.ui().refuse(QStringLiteral("Véhicule ou client non précisé"));
        return;
    }
    for (QLineEdit* d : {du_, au_})
        if (!checkDateField(*d, s_.ui()))
            return;
    if (!checkDateOrder(*du_, *au_, s_.ui()))
        return;
    const int days = rentals::dayCount(du_->text(), au_->text()).value_or(0);
    for (QLineEdit* a : {pu_, forfaitAmount_, caution_})
        if (!checkAmountField(*a, s_.ui()))
            return;

    // The days and the day-rate amount stored are those of the dates and the price confirmed, and the
    // frame shows them so.
    rentals::Rental r;
    r.vehicle = vehicleNum_;
    r.client = clientNum_;
    r.du = du_->text().trimmed();
    r.au = au_->text().trimmed();
    r.pu = readNumber(pu_->text());
    r.nb = days;
    r.montant = rentals::dayAmount(days, r.pu);
    r.forfait = forfait_->isChecked();
    r.montantForfait = readNumber(forfaitAmount_->text());
    r.caution = readNumber(caution_->text());
    r.obs = obs_->text();
    r.regle = regle_->isChecked();
    r.archived = archive_->isChecked();
    // Days × price per day is an amount too: it never goes beyond the largest one either.
    if (!isWithinAmountLimit(r.montant)) {
        s_.ui().refuse(kAmountTooLarge);
        pu_->setFocus(Qt::OtherFocusReason);
        pu_->selectAll();
        return;
    }
    days_->setText(QString::number(days));
    amount_->setText(pu_->text().trimmed().isEmpty() ? QString() : rentals::amountText(r.montant));

    bool found = true;
    qint64 num = newEntry_ || currentRow() < 0 ? 0 : nums_[currentRow()];
    const bool written = kit::guarded(s_.ui(), [&] {
        if (newEntry_) {
            s_.reconnect();
            num = rentals::add(s_.db(), r);
        } else if (num != 0) {
            found = rentals::update(s_.db(), num, r, loaded_);
        }
    }, [&] {
        // Another desk changed the rental meanwhile: nothing written; the list shows it as it now is.
        setBrowsing(true);
        fillList();
        if (const int at = nums_.indexOf(num); at >= 0)
            setCurrentRow(at);
    });
    if (!written)
        return; // the engine said why; the frame stays open with what was typed
    if (!found) // deleted since the frame was opened: nothing is re-created
        s_.ui().message(kIntrouvable);
    setBrowsing(true);
    fillList();
    if (const int at = nums_.indexOf(num); at >= 0 && !isEntering())
        setCurrentRow(at);
}

void F_Location::cancelEntry()
{
    if (!isEntering())
        return;
    setBrowsing(true);
}

// ---- the filter panel ---------------------------------------------------------------------------------------

QRadioButton* F_Location::filterOption(rentals::Filter f) const { return filterPanel_->option(f); }

void F_Location::openFilter()
{
    if (isEntering())
        return;
    filterPanel_->setChosen(filter_);
    setBrowsing(false);
    side_->open(filterPanel_);
}

void F_Location::confirmFilter()
{
    const rentals::Filter f = filterPanel_->chosen();
    bool empty = true;
    if (!kit::guarded(s_.ui(), [&] { empty = rentals::list(s_.db(), f).isEmpty(); }))
        return;
    if (empty) {
        s_.ui().refuse(QStringLiteral("Aucune location selon ces critères"));
        return;
    }
    filter_ = f;
    setBrowsing(true);
    fillList();
}

void F_Location::cancelFilter()
{
    if (side_->panel() != filterPanel_)
        return;
    setBrowsing(true);
}

// ---- events -------------------------------------------------------------------------------------------------

bool F_Location::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        if (watched == vehicle_ && vehicleButton_->isEnabled()) {
            chooseVehicle();
            return true;
        }
        if (watched == client_ && clientButton_->isEnabled()) {
            chooseClient();
            return true;
        }
        break;
    case QEvent::FocusOut: {
        // Leaving for another window or a popup menu is not leaving the field.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason)
            break;
        if (watched == du_ || watched == au_) {
            // After the date field's own check (which empties a date that is not a real day).
            QMetaObject::invokeMethod(this, &F_Location::leaveDate, Qt::QueuedConnection);
        } else if (watched == pu_) {
            leavePrice();
        }
        break;
    }
    case QEvent::Resize:
        if (watched == groups_)
            placeGroupHeadings();
        break;
    default:
        break;
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace kv
