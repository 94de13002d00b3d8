#include "Vehicules.h"

#include "core/formats/Dates.h"
#include "core/formats/FieldRules.h"
#include "core/reports/ReportRoutine.h"
#include "core/schema/Schema.h"
#include "core/state/Session.h"
#include "fleet/references/CommandButton.h"
#include "fleet/references/Initials.h"
#include "fleet/vehiclefile/Zoom_V.h"

#include <QButtonGroup>
#include <QEvent>
#include <QKeyEvent>
#include <QFontDatabase>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace kv {

using fleet::Glyph;

namespace {

const QString kNone = schema::NothingChosenText;
const QString kTitleAttention = QStringLiteral("ATTENTION");

enum Column { ColRow, ColType, ColMarque, ColModele, ColAnnee, ColMatricule, ColArch, ColumnCount };

QLabel* boldLabel(const QString& text, QWidget* parent, int grow = 0, const char* style = nullptr)
{
    auto* l = new QLabel(text, parent);
    QFont f = l->font();
    f.setBold(true);
    f.setPointSize(f.pointSize() + grow);
    l->setFont(f);
    if (style)
        l->setStyleSheet(QString::fromLatin1(style));
    return l;
}

QLineEdit* textField(QWidget* parent, const QString& name, int maxLength, int width)
{
    auto* e = new QLineEdit(parent);
    e->setObjectName(name);
    e->setMaxLength(maxLength);
    e->setFixedWidth(width);
    return e;
}

} // namespace

Vehicules::Vehicules(Session& session, QWidget* parent) : QDialog(parent), s_(session)
{
    setObjectName(QStringLiteral("Vehicules"));
    setWindowTitle(QStringLiteral(" "));
    setModal(true);

    auto* banner = boldLabel(QStringLiteral("Véhicules"), this, 6,
                             "color: #ffffff; background: #2b4a6f; padding: 6px 14px; border-radius: 4px;");
    banner->setObjectName(QStringLiteral("banniere"));

    // ---- commands ---------------------------------------------------------------------------------------
    auto* commandRow = new QHBoxLayout;
    auto addCommand = [&](Glyph g, const QString& tip, const QString& name, void (Vehicules::*slot)()) {
        QToolButton* b = fleet::commandButton(this, g, tip, name);
        connect(b, &QToolButton::clicked, this, slot);
        commands_ << b;
        commandRow->addWidget(b);
        return b;
    };
    addCommand(Glyph::New, QStringLiteral("Nouveau"), QStringLiteral("nouveau"), &Vehicules::startNew);
    addCommand(Glyph::Edit, QStringLiteral("Modifier"), QStringLiteral("modifier"), &Vehicules::startEdit);
    addCommand(Glyph::Delete, QStringLiteral("Supprimer"), QStringLiteral("supprimer"), &Vehicules::deleteCurrent);
    commandRow->addSpacing(12);
    addCommand(Glyph::Filter, QStringLiteral("Filtre"), QStringLiteral("filtre"), &Vehicules::openFilter);
    addCommand(Glyph::Zoom, QStringLiteral("ZOOM"), QStringLiteral("zoom"), &Vehicules::zoom);
    addCommand(Glyph::Print, QStringLiteral("Imprimer"), QStringLiteral("imprimer"), &Vehicules::print);
    commandRow->addSpacing(12);
    QToolButton* down = fleet::commandButton(this, Glyph::Down, QString(), QStringLiteral("bas"), 26);
    QToolButton* up = fleet::commandButton(this, Glyph::Up, QString(), QStringLiteral("haut"), 26);
    connect(down, &QToolButton::clicked, this, [this] { s_.ui().message(QStringLiteral("Bas")); });
    connect(up, &QToolButton::clicked, this, [this] { s_.ui().message(QStringLiteral("Haut")); });
    commands_ << down << up;
    commandRow->addWidget(down);
    commandRow->addWidget(up);
    commandRow->addStretch();
    addCommand(Glyph::Quit, QStringLiteral("Quitter"), QStringLiteral("quitter"), &Vehicules::quit);

    // ---- the list -----------------------------------------------------------------------------------------
    grid_ = new QTableWidget(0, ColumnCount, this);
    grid_->setObjectName(QStringLiteral("grille"));
    grid_->setHorizontalHeaderLabels({QString(), QStringLiteral("Type"), QStringLiteral("Marque"), QStringLiteral("Modèle"),
                                      QStringLiteral("Année"), QStringLiteral("Matricule"), QStringLiteral("Arch.")});
    grid_->verticalHeader()->hide();
    grid_->verticalHeader()->setDefaultSectionSize(24);
    grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->setAlternatingRowColors(true);
    grid_->setMinimumSize(600, 380);
    auto* header = grid_->horizontalHeader();
    header->setHighlightSections(false);
    header->setStretchLastSection(false);
    const int widths[ColumnCount] = {40, 130, 120, 120, 60, 120, 50};
    for (int c = 0; c < ColumnCount; ++c)
        grid_->setColumnWidth(c, widths[c]);
    for (int c : {ColType, ColMarque, ColModele})
        header->setSectionResizeMode(c, QHeaderView::Stretch);
    connect(grid_, &QTableWidget::cellDoubleClicked, this, [this] { zoom(); });

    // ---- the entry frame ---------------------------------------------------------------------------------
    entry_ = new QFrame(this);
    entry_->setObjectName(QStringLiteral("cadreSaisie"));
    entry_->setFrameShape(QFrame::StyledPanel);
    entryHeading_ = boldLabel(QString(), entry_, 2, "color: #1f3b5c; padding: 4px;");
    entryHeading_->setObjectName(QStringLiteral("enteteSaisie"));
    entryHeading_->setAlignment(Qt::AlignCenter);

    const int partLength[3] = {5, 3, 2};
    const int partWidth[3] = {64, 44, 34};
    auto* matRow = new QHBoxLayout;
    matRow->setSpacing(4);
    for (int i = 0; i < 3; ++i) {
        mat_[i] = textField(entry_, QStringLiteral("matricule%1").arg(i + 1), partLength[i], partWidth[i]);
        mat_[i]->setAlignment(Qt::AlignCenter);
        new DigitField(mat_[i]);
        new SelectOnFocus(mat_[i]);
        matRow->addWidget(mat_[i]);
    }
    matRow->addStretch();
    annee_ = textField(entry_, QStringLiteral("annee"), 4, 56);
    annee_->setAlignment(Qt::AlignCenter);
    new DigitField(annee_);
    new SelectOnFocus(annee_);

    auto* form = new QGridLayout;
    form->setHorizontalSpacing(10);
    form->setVerticalSpacing(6);
    int row = 0;
    form->addWidget(new QLabel(QStringLiteral("Matricule"), entry_), row, 0);
    form->addLayout(matRow, row++, 1);
    form->addWidget(new QLabel(QStringLiteral("Année"), entry_), row, 0);
    form->addWidget(annee_, row++, 1, Qt::AlignLeft);

    const QString pickLabels[4] = {QStringLiteral("Type"), QStringLiteral("Marque"), QStringLiteral("Modèle"),
                                   QStringLiteral("Carburant")};
    const QString pickNames[4] = {QStringLiteral("type"), QStringLiteral("marque"), QStringLiteral("modele"),
                                  QStringLiteral("carburant")};
    for (int i = 0; i < 4; ++i) {
        auto* field = new QLineEdit(kNone, entry_);
        field->setObjectName(pickNames[i]);
        field->setReadOnly(true);
        field->setFixedWidth(180);
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
        pickRow->addWidget(field);
        pickRow->addWidget(button);
        pickRow->addStretch();
        form->addWidget(new QLabel(pickLabels[i], entry_), row, 0);
        form->addLayout(pickRow, row++, 1);
    }

    circulation_ = textField(entry_, QStringLiteral("circulation"), 10, 96);
    circulationRules_ = new DateField(circulation_, s_.ui());
    carteGrise_ = textField(entry_, QStringLiteral("carteGrise"), 25, 200);
    new FieldKeyFilter(carteGrise_, [](const QString&, int key) { return (key >= 'a' && key <= 'z') ? key - 'a' + 'A' : key; });
    new SelectOnFocus(carteGrise_);
    dateCarte_ = textField(entry_, QStringLiteral("dateCarte"), 10, 96);
    dateCarteRules_ = new DateField(dateCarte_, s_.ui());
    form->addWidget(new QLabel(QStringLiteral("Mise en circulation"), entry_), row, 0);
    form->addWidget(circulation_, row++, 1, Qt::AlignLeft);
    form->addWidget(new QLabel(QStringLiteral("N° Carte Grise"), entry_), row, 0);
    form->addWidget(carteGrise_, row++, 1, Qt::AlignLeft);
    form->addWidget(new QLabel(QStringLiteral("En date du"), entry_), row, 0);
    form->addWidget(dateCarte_, row++, 1, Qt::AlignLeft);

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
    form->addWidget(new QLabel(QStringLiteral("Archivage"), entry_), row, 0);
    form->addLayout(archRow, row++, 1);

    confirm_ = fleet::commandButton(entry_, Glyph::Confirm, QString(), QStringLiteral("valider"), 28);
    cancel_ = fleet::commandButton(entry_, Glyph::Cancel, QString(), QStringLiteral("annuler"), 28);
    connect(confirm_, &QToolButton::clicked, this, &Vehicules::confirmEntry);
    connect(cancel_, &QToolButton::clicked, this, &Vehicules::cancelEntry);
    auto* entryButtons = new QHBoxLayout;
    entryButtons->addStretch();
    entryButtons->addWidget(confirm_);
    entryButtons->addWidget(cancel_);

    auto* entryLayout = new QVBoxLayout(entry_);
    entryLayout->addWidget(entryHeading_);
    entryLayout->addLayout(form);
    entryLayout->addStretch();
    entryLayout->addLayout(entryButtons);

    chain_ = new FieldChain({mat_[0], mat_[1], mat_[2], annee_, circulation_, carteGrise_, dateCarte_}, this);
    autoAdvance(mat_[0], 5);
    autoAdvance(mat_[1], 3);
    autoAdvance(annee_, 4);
    autoAdvance(circulation_, 10);

    // ---- the pick list, shown over the entry frame below its field ---------------------------------------
    pickPanel_ = new QFrame(entry_);
    pickPanel_->setObjectName(QStringLiteral("listeChoix"));
    pickPanel_->setFrameShape(QFrame::Box);
    pickPanel_->setAutoFillBackground(true);
    pickPanel_->setStyleSheet(QStringLiteral("#listeChoix { background: #f7f9fc; border: 1px solid #6d87a6; }"));
    pickList_ = new QListWidget(pickPanel_);
    pickList_->setObjectName(QStringLiteral("choix"));
    connect(pickList_, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
        pickList_->setCurrentItem(item);
        confirmPick();
    });
    pickConfirm_ = fleet::commandButton(pickPanel_, Glyph::Confirm, QString(), QStringLiteral("choixValider"), 20);
    pickCancel_ = fleet::commandButton(pickPanel_, Glyph::Cancel, QString(), QStringLiteral("choixAnnuler"), 20);
    pickInitials_ = fleet::commandButton(pickPanel_, Glyph::Open, QString(), QStringLiteral("choixTable"), 20);
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
    pickPanel_->resize(206, 170);
    pickPanel_->hide();

    // ---- the filter panel -----------------------------------------------------------------------------------
    filterPanel_ = new QFrame(this);
    filterPanel_->setObjectName(QStringLiteral("panneauFiltre"));
    filterPanel_->setFrameShape(QFrame::StyledPanel);
    auto* filterHeading = boldLabel(QStringLiteral("Filtre d'affichage . . ."), filterPanel_, 2, "color: #1f3b5c; padding: 4px;");
    filtArch_ = new QRadioButton(QStringLiteral("Archivés"), filterPanel_);
    filtArch_->setObjectName(QStringLiteral("archives"));
    filtRecents_ = new QRadioButton(QStringLiteral("Récents"), filterPanel_);
    filtRecents_->setObjectName(QStringLiteral("recents"));
    filtTous_ = new QRadioButton(QStringLiteral("Ensemble"), filterPanel_);
    filtTous_->setObjectName(QStringLiteral("ensemble"));
    filtTous_->setChecked(true);
    QToolButton* filterOk = fleet::commandButton(filterPanel_, Glyph::Confirm, QString(), QStringLiteral("filtreValider"), 28);
    QToolButton* filterCancel = fleet::commandButton(filterPanel_, Glyph::Cancel, QString(), QStringLiteral("filtreAnnuler"), 28);
    connect(filterOk, &QToolButton::clicked, this, &Vehicules::confirmFilter);
    connect(filterCancel, &QToolButton::clicked, this, &Vehicules::cancelFilter);
    auto* filterButtons = new QHBoxLayout;
    filterButtons->addStretch();
    filterButtons->addWidget(filterOk);
    filterButtons->addWidget(filterCancel);
    auto* filterLayout = new QVBoxLayout(filterPanel_);
    filterLayout->addWidget(filterHeading);
    filterLayout->addSpacing(6);
    filterLayout->addWidget(filtArch_);
    filterLayout->addWidget(filtRecents_);
    filterLayout->addWidget(filtTous_);
    filterLayout->addStretch();
    filterLayout->addLayout(filterButtons);

    side_ = new QStackedWidget(this);
    side_->addWidget(new QWidget(side_));
    side_->addWidget(entry_);
    side_->addWidget(filterPanel_);
    side_->setFixedWidth(360);
    side_->hide();

    auto* body = new QHBoxLayout;
    body->addWidget(grid_, 1);
    body->addWidget(side_);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 10, 12, 12);
    layout->addWidget(banner, 0, Qt::AlignLeft);
    layout->addLayout(commandRow);
    layout->addLayout(body, 1);
    resize(1000, 540);

    for (int pick = Type; pick <= Carburant; ++pick)
        loadPicks(pick);
    fillList();
}

// ---- the list ---------------------------------------------------------------------------------------------

QToolButton* Vehicules::command(const QString& objectName) const { return findChild<QToolButton*>(objectName); }

int Vehicules::currentRow() const { return nums_.isEmpty() ? -1 : grid_->currentRow(); }

void Vehicules::setCurrentRow(int row) { grid_->selectRow(row); }

void Vehicules::loadPicks(int pick) { picks_[pick - 1] = references::load(s_.db(), pick); }

void Vehicules::fillList()
{
    const auto rows = vehicles::list(s_.db(), filter_);
    grid_->setRowCount(0);
    nums_.clear();
    if (rows.isEmpty()) {
        grid_->setEnabled(false);
        startNew();
        return;
    }
    grid_->setRowCount(rows.size());
    auto cell = [this](int r, int c, const QString& text, bool centred) {
        auto* item = new QTableWidgetItem(text);
        if (centred)
            item->setTextAlignment(Qt::AlignCenter);
        grid_->setItem(r, c, item);
    };
    // The registration number keeps its padding blanks visible.
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    auto name = [](const QString& denom) { return denom.isEmpty() ? QString() : u' ' + denom; };
    for (int r = 0; r < rows.size(); ++r) {
        const auto& v = rows[r];
        nums_ << v.num;
        cell(r, ColRow, QString::number(r + 1), true);
        cell(r, ColType, name(v.genre), false);
        cell(r, ColMarque, name(v.marque), false);
        cell(r, ColModele, name(v.modele), false);
        cell(r, ColAnnee, v.annee, true);
        cell(r, ColMatricule, v.matricule, true);
        grid_->item(r, ColMatricule)->setFont(fixed);
        cell(r, ColArch, v.archived ? QStringLiteral("OUI") : QStringLiteral(" "), true);
    }
    grid_->setEnabled(true);
    grid_->selectRow(0);
}

void Vehicules::setBrowsing(bool on)
{
    grid_->setEnabled(on && !nums_.isEmpty());
    for (QToolButton* b : commands_)
        b->setEnabled(on);
    if (on)
        showSide(nullptr);
}

void Vehicules::showSide(QWidget* panel)
{
    // While browsing the list takes the whole width.
    side_->setCurrentIndex(panel ? side_->indexOf(panel) : 0);
    side_->setHidden(panel == nullptr);
}

bool Vehicules::isEntering() const { return side_->currentWidget() == entry_; }

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
    clearEntry();
    const auto v = vehicles::read(s_.db(), nums_[row]);
    if (v) {
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
    if (!s_.ui().ask(QStringLiteral("Confirmer supression de ligne N° ") + QString::number(row + 1), ui::Icon::Question,
                     QStringLiteral("Confirmation")))
        return;
    vehicles::remove(s_.db(), nums_[row]);
    fillList();
}

void Vehicules::zoom()
{
    const int row = currentRow();
    if (row < 0 || !grid_->isEnabled())
        return;
    s_.vehicule_courant = nums_[row];
    {
        Zoom_V file(s_, this);
        s_.ui().showModal(file);
    }
    s_.reconnect();
}

void Vehicules::print()
{
    if (nums_.isEmpty())
        return;
    QStringList keys;
    keys.reserve(nums_.size());
    for (qint64 n : nums_)
        keys << QString::number(n);
    const QString selection = filter_ == vehicles::Filter::Archives ? QStringLiteral("Archivés")
        : filter_ == vehicles::Filter::Recents                      ? QStringLiteral("Récents")
                                                                    : QStringLiteral("Ensemble");
    ReportRequest request;
    request.templateName = QStringLiteral("Liste_V.RPT");
    request.texts.insert(QStringLiteral("ch4"), selection);
    request.buffer = keys;
    printReport(s_, request);
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
            s_.ui().message(QStringLiteral("Matricule et année indispensables"), ui::Icon::Critical, kTitleAttention);
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
    if (newEntry_) {
        s_.reconnect();
        vehicles::add(s_.db(), v);
    } else {
        const int row = currentRow();
        if (row >= 0)
            vehicles::update(s_.db(), nums_[row], v);
    }
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
        if (side_->currentWidget() == filterPanel_) {
            cancelFilter();
            return;
        }
    }
    QDialog::keyPressEvent(event);
}

bool Vehicules::eventFilter(QObject* watched, QEvent* event)
{
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
    s_.reconnect();
    loadPicks(pick);
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

QRadioButton* Vehicules::filterOption(vehicles::Filter f) const
{
    return f == vehicles::Filter::Archives ? filtArch_ : f == vehicles::Filter::Recents ? filtRecents_ : filtTous_;
}

void Vehicules::openFilter()
{
    if (isEntering())
        return;
    setBrowsing(false);
    filterOption(filter_)->setChecked(true);
    showSide(filterPanel_);
}

void Vehicules::confirmFilter()
{
    const vehicles::Filter f = filtArch_->isChecked() ? vehicles::Filter::Archives
        : filtRecents_->isChecked()                   ? vehicles::Filter::Recents
                                                      : vehicles::Filter::Ensemble;
    if (vehicles::list(s_.db(), f).isEmpty()) {
        s_.ui().message(QStringLiteral("Aucun véhicule selon ces critères"), ui::Icon::Critical, kTitleAttention);
        return;
    }
    filter_ = f;
    setBrowsing(true);
    fillList();
}

void Vehicules::cancelFilter() { setBrowsing(true); }

} // namespace kv
