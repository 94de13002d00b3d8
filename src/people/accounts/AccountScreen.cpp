#include "AccountScreen.h"

#include "FundMovement.h"
#include "core/reports/ReportRoutine.h"
#include "core/schema/Schema.h"
#include "core/state/Session.h"
#include "platform/db/Database.h"

#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QTabWidget>
#include <QVBoxLayout>

namespace kv {

using accounts::GridModel;
using accounts::GridView;
using ledger::Book;

namespace {

// The movement grids: "N°", "Date", "Montant", "Objet" (widths in twips).
const QList<int> kMovementTwips = {500, 1050, 1060, 1590};
const QStringList kMovementCaptions = {QStringLiteral("N°"), QStringLiteral("Date"), QStringLiteral("Montant"),
                                       QStringLiteral("Objet")};
const QList<Qt::Alignment> kMovementAlign = {Qt::AlignHCenter, Qt::AlignHCenter, Qt::AlignRight, Qt::AlignLeft};

// The rentals grid: position, then the rental's and the vehicle's columns.
const QList<int> kRentalTwips = {480, 1050, 1060, 480, 1050, 480, 1060, 1060, 1060, 1590};
const QStringList kRentalCaptions = {QStringLiteral("N°"),     QStringLiteral("Du"),      QStringLiteral("Au"),
                                     QStringLiteral("Nb"),     QStringLiteral("Montant"), QStringLiteral("Règl"),
                                     QStringLiteral("Marque"), QStringLiteral("Modèle"),  QStringLiteral("Matricule"),
                                     QStringLiteral("Observation")};
const QList<Qt::Alignment> kRentalAlign = {Qt::AlignHCenter, Qt::AlignHCenter, Qt::AlignHCenter, Qt::AlignHCenter,
                                           Qt::AlignRight,   Qt::AlignHCenter, Qt::AlignHCenter, Qt::AlignHCenter,
                                           Qt::AlignHCenter, Qt::AlignLeft};

const QString kCaptionStyle = QStringLiteral("QLabel { font-weight: bold; color: #1f3b5c; padding: 2px 0px; }");
const QString kAmountBox = QStringLiteral("QLabel { background: white; border: 1px solid #9aa5b1; padding: 3px 4px; "
                                          "font-weight: bold; color: %1; }");

QString bookName(Book book) { return book == Book::Depenses ? QStringLiteral("debit") : QStringLiteral("credit"); }

QPushButton* command(QWidget* parent, const QIcon& icon, const QString& text, const QString& name)
{
    auto* b = new QPushButton(icon, text, parent);
    b->setObjectName(name);
    b->setToolTip(text);
    b->setAutoDefault(false);
    return b;
}

/// The caption labels above a grid, at its columns' widths.
QHBoxLayout* captionRow(const QStringList& captions, const QList<int>& twips, const QList<Qt::Alignment>& align,
                        QWidget* parent)
{
    auto* row = new QHBoxLayout;
    row->setSpacing(0);
    row->setContentsMargins(1, 0, 0, 0);
    for (int c = 0; c < captions.size(); ++c) {
        auto* label = new QLabel(captions[c], parent);
        label->setFixedWidth(GridView::shownWidth(twips[c]));
        label->setAlignment(align[c] | Qt::AlignVCenter);
        label->setStyleSheet(kCaptionStyle);
        row->addWidget(label);
    }
    row->addStretch();
    return row;
}

/// A group caption ("Location", "Véhicule") over a run of columns.
QLabel* groupCaption(const QString& text, int width, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setFixedWidth(width);
    label->setAlignment(Qt::AlignCenter);
    label->setStyleSheet(QStringLiteral("QLabel { font-weight: bold; color: white; background: #46617f; padding: 3px; "
                                        "border-right: 1px solid white; }"));
    return label;
}

} // namespace

AccountScreen::AccountScreen(Session& session, const accounts::Kind& kind, QWidget* parent)
    : QDialog(parent), s_(session), kind_(kind), person_(session.num_courant)
{
    setObjectName(kind.screen);
    setWindowTitle(QString());
    setModal(true);

    // --- header ---
    auto* header = new QFrame(this);
    header->setObjectName(QStringLiteral("entete"));
    header->setFrameShape(QFrame::StyledPanel);
    header->setStyleSheet(QStringLiteral("QFrame#entete { background: #eef2f7; border: 1px solid #b8c4d2; border-radius: 3px; }"));
    kindLabel_ = new QLabel(kind.label, header);
    kindLabel_->setObjectName(QStringLiteral("genre"));
    kindLabel_->setStyleSheet(QStringLiteral("QLabel { font-size: 16pt; font-weight: bold; color: #1f3b5c; }"));
    auto* number = new QLabel(QStringLiteral("N° ") + QString::number(person_), header);
    number->setObjectName(QStringLiteral("numero"));
    number->setStyleSheet(QStringLiteral("QLabel { color: #4a5a6a; }"));
    auto* identity = new QVBoxLayout;
    identity->setSpacing(2);
    identity->addWidget(kindLabel_);
    identity->addWidget(number);
    identity->addStretch();
    auto* values = new QGridLayout;
    values->setHorizontalSpacing(10);
    values->setVerticalSpacing(4);
    const int perColumn = (static_cast<int>(kind.header.size()) + 1) / 2;
    for (int i = 0; i < kind.header.size(); ++i) {
        auto* caption = new QLabel(kind.header[i].caption + QStringLiteral(" :"), header);
        caption->setStyleSheet(QStringLiteral("QLabel { color: #4a5a6a; }"));
        auto* value = new QLabel(schema::NothingChosenText, header);
        value->setObjectName(kind.header[i].column);
        value->setStyleSheet(QStringLiteral("QLabel { font-weight: bold; }"));
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        value->setMinimumWidth(150);
        const int r = i % perColumn, c = (i / perColumn) * 2;
        values->addWidget(caption, r, c, Qt::AlignRight);
        values->addWidget(value, r, c + 1);
        headerValues_ << value;
    }
    values->setColumnStretch(1, 1);
    values->setColumnStretch(3, 1);
    auto* headerLayout = new QHBoxLayout(header);
    headerLayout->setContentsMargins(14, 10, 14, 10);
    headerLayout->setSpacing(24);
    headerLayout->addLayout(identity);
    headerLayout->addLayout(values, 1);

    // --- movements ---
    auto* movements = new QWidget(this);
    movements->setObjectName(QStringLiteral("mouvements"));
    auto* sides = new QHBoxLayout;
    sides->setSpacing(12);
    sides->addWidget(buildSide(Book::Depenses, movements));
    sides->addWidget(buildSide(Book::Recettes, movements));
    balance_ = new QLabel(movements);
    balance_->setObjectName(QStringLiteral("solde"));
    balance_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    balance_->setMinimumWidth(150);
    auto* balanceCaption = new QLabel(QStringLiteral("Solde"), movements);
    balanceCaption->setStyleSheet(QStringLiteral("QLabel { font-size: 11pt; font-weight: bold; color: #1f3b5c; }"));
    auto* balanceRow = new QHBoxLayout;
    balanceRow->addStretch();
    balanceRow->addWidget(balanceCaption);
    balanceRow->addWidget(balance_);
    auto* movementLayout = new QVBoxLayout(movements);
    movementLayout->setContentsMargins(0, 0, 0, 0);
    movementLayout->addLayout(sides);
    movementLayout->addLayout(balanceRow);

    // --- the client's tabs ---
    QWidget* body = movements;
    if (kind.rentals) {
        tabs_ = new QTabWidget(this);
        tabs_->setObjectName(QStringLiteral("onglets"));
        auto* page = new QWidget(tabs_);
        auto* pageLayout = new QVBoxLayout(page);
        pageLayout->setContentsMargins(8, 8, 8, 8);
        pageLayout->addWidget(movements);
        tabs_->addTab(page, QStringLiteral("Situation Financière"));
        tabs_->addTab(buildRentals(tabs_), QStringLiteral("Locations"));
        body = tabs_;
    }

    // --- print and quit ---
    print_ = command(this, QIcon::fromTheme(QStringLiteral("document-print"), style()->standardIcon(QStyle::SP_FileDialogContentsView)),
                     QStringLiteral("Imprimer"), QStringLiteral("imprimer"));
    quit_ = command(this, style()->standardIcon(QStyle::SP_DialogCloseButton), QStringLiteral("Quitter"),
                    QStringLiteral("quitter"));
    connect(print_, &QPushButton::clicked, this, &AccountScreen::print);
    connect(quit_, &QPushButton::clicked, this, &QDialog::accept);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch();
    bottom->addWidget(print_);
    bottom->addWidget(quit_);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(14, 14, 14, 14);
    layout->setSpacing(12);
    layout->addWidget(header);
    layout->addWidget(body, 1);
    layout->addLayout(bottom);

    // --- opening ---
    try {
        const db::Row person = s_.db().queryOne(QStringLiteral("SELECT * FROM Agents WHERE num = ?"), {person_});
        if (person.size() == 0) {
            s_.ui().message(QStringLiteral("Enregistrement introuvable"));
            return;
        }
        found_ = true;
        const QStringList texts = accounts::headerValues(kind_, person);
        for (int i = 0; i < texts.size(); ++i)
            headerValues_[i]->setText(texts[i]);
        fill(Book::Depenses);
        fill(Book::Recettes);
        showBalance();
        if (tabs_) {
            fillRentals();
            tabs_->setCurrentIndex(0);
        }
    } catch (const db::Error& e) {
        engineError(e.message());
        found_ = false;
    }
}

QWidget* AccountScreen::buildSide(Book book, QWidget* parent)
{
    Side& sd = side(book);
    const bool debit = book == Book::Depenses;
    auto* box = new QGroupBox(debit ? QStringLiteral("Débit") : QStringLiteral("Crédit"), parent);
    box->setObjectName(bookName(book));
    box->setStyleSheet(QStringLiteral("QGroupBox { font-weight: bold; font-size: 11pt; }"));
    sd.model = new GridModel(kMovementAlign, box);
    sd.view = new GridView(sd.model, kMovementTwips, box);
    sd.view->setObjectName(QStringLiteral("grille_") + bookName(book));
    sd.view->setStyleSheet(QStringLiteral("QTableView { font-weight: normal; font-size: 9pt; }"));
    connect(sd.view, &QTableView::doubleClicked, this, [this, book](const QModelIndex& index) {
        if (index.row() < side(book).model->lineCount()) {
            side(book).view->selectLine(index.row());
            changeLine(book);
        }
    });

    const QString suffix = QStringLiteral("_") + bookName(book);
    sd.add = command(box, style()->standardIcon(QStyle::SP_FileIcon), QStringLiteral("Nouveau"), QStringLiteral("nouveau") + suffix);
    sd.change = command(box, style()->standardIcon(QStyle::SP_FileDialogDetailedView), QStringLiteral("Modifier"),
                        QStringLiteral("modifier") + suffix);
    sd.remove = command(box, style()->standardIcon(QStyle::SP_TrashIcon), QStringLiteral("Supprimer"),
                        QStringLiteral("supprimer") + suffix);
    for (QPushButton* b : {sd.add, sd.change, sd.remove})
        b->setStyleSheet(QStringLiteral("QPushButton { font-weight: normal; font-size: 9pt; }"));
    connect(sd.add, &QPushButton::clicked, this, [this, book] { newLine(book); });
    connect(sd.change, &QPushButton::clicked, this, [this, book] { changeLine(book); });
    connect(sd.remove, &QPushButton::clicked, this, [this, book] { deleteLine(book); });

    sd.total = new QLabel(box);
    sd.total->setObjectName(QStringLiteral("total") + suffix);
    sd.total->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    sd.total->setMinimumWidth(130);
    sd.total->setStyleSheet(kAmountBox.arg(QStringLiteral("black")));
    auto* totalCaption = new QLabel(QStringLiteral("Total"), box);
    totalCaption->setStyleSheet(QStringLiteral("QLabel { font-size: 9pt; }"));

    auto* commands = new QHBoxLayout;
    commands->setSpacing(4);
    commands->addWidget(sd.add);
    commands->addWidget(sd.change);
    commands->addWidget(sd.remove);
    commands->addStretch();
    auto* totalRow = new QHBoxLayout;
    totalRow->addStretch();
    totalRow->addWidget(totalCaption);
    totalRow->addWidget(sd.total);

    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(10, 14, 10, 10);
    layout->setSpacing(4);
    layout->addLayout(captionRow(kMovementCaptions, kMovementTwips, kMovementAlign, box));
    layout->addWidget(sd.view, 1);
    layout->addLayout(totalRow);
    layout->addSpacing(4);
    // Keep the commands' row height while "Modifier" and "Supprimer" are hidden.
    auto* commandHolder = new QWidget(box);
    commandHolder->setLayout(commands);
    commands->setContentsMargins(0, 0, 0, 0);
    commandHolder->setMinimumHeight(sd.add->sizeHint().height());
    layout->addWidget(commandHolder);
    return box;
}

QWidget* AccountScreen::buildRentals(QWidget* parent)
{
    auto* page = new QWidget(parent);
    page->setObjectName(QStringLiteral("locations"));
    rentalModel_ = new GridModel(kRentalAlign, page);
    rentals_ = new GridView(rentalModel_, kRentalTwips, page);
    rentals_->setObjectName(QStringLiteral("grille_locations"));
    rentals_->setStyleSheet(QStringLiteral("QTableView { font-size: 9pt; }"));

    auto width = [](int from, int to) {
        int w = 0;
        for (int c = from; c < to; ++c)
            w += GridView::shownWidth(kRentalTwips[c]);
        return w;
    };
    auto* groups = new QHBoxLayout;
    groups->setSpacing(0);
    groups->setContentsMargins(1, 0, 0, 0);
    groups->addWidget(groupCaption(QStringLiteral("Location"), width(0, 6), page));
    groups->addWidget(groupCaption(QStringLiteral("Véhicule"), width(6, 9), page));
    groups->addStretch();

    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->setSpacing(2);
    layout->addLayout(groups);
    layout->addLayout(captionRow(kRentalCaptions, kRentalTwips, kRentalAlign, page));
    layout->addWidget(rentals_, 1);
    return page;
}

void AccountScreen::fill(Book book)
{
    Side& sd = side(book);
    sd.lines.clear();
    sd.model->setLines({});
    sd.total->clear();
    balance_->clear();
    sd.lines = accounts::readMovements(s_.db(), book, person_, kind_.contrepartie);
    QList<QStringList> cells;
    cells.reserve(sd.lines.size());
    for (int i = 0; i < sd.lines.size(); ++i) {
        const accounts::Movement& m = sd.lines[i];
        cells.append({QString::number(i + 1), m.date, accounts::amountCell(m.montant), accounts::objectCell(m.ref)});
    }
    sd.model->setLines(std::move(cells));
    sd.total->setText(accounts::totalText(accounts::total(sd.lines)));
    const bool any = !sd.lines.isEmpty();
    sd.view->setEnabled(any);
    sd.change->setVisible(any);
    sd.remove->setVisible(any);
    if (any)
        sd.view->selectLine(0);
    sd.view->scrollToTop();
}

void AccountScreen::fillRentals()
{
    const QList<accounts::Rental> rentals = accounts::readRentals(s_.db(), person_);
    QList<QStringList> cells;
    rentalVehicles_.clear();
    for (int i = 0; i < rentals.size(); ++i) {
        cells.append(QStringList{QString::number(i + 1)} + rentals[i].cells);
        rentalVehicles_ << rentals[i].vehicle;
    }
    rentalModel_->setLines(std::move(cells));
    rentals_->setEnabled(!rentals.isEmpty());
    if (!rentals.isEmpty())
        rentals_->selectLine(0);
}

void AccountScreen::showBalance()
{
    const double value = balanceValue();
    balance_->setText(accounts::totalText(value));
    balance_->setStyleSheet(kAmountBox.arg(value < 0 ? QStringLiteral("#d00000") : QStringLiteral("black")));
}

void AccountScreen::engineError(const QString& message)
{
    s_.ui().message(message, ui::Icon::Critical, QStringLiteral("Z.E.B."));
}

QLabel* AccountScreen::headerValue(const QString& caption) const
{
    for (int i = 0; i < kind_.header.size(); ++i)
        if (kind_.header[i].caption == caption)
            return headerValues_.value(i);
    return nullptr;
}

GridView* AccountScreen::grid(Book book) const { return side(book).view; }
QLabel* AccountScreen::totalLabel(Book book) const { return side(book).total; }
QPushButton* AccountScreen::newButton(Book book) const { return side(book).add; }
QPushButton* AccountScreen::changeButton(Book book) const { return side(book).change; }
QPushButton* AccountScreen::deleteButton(Book book) const { return side(book).remove; }

QList<qint64> AccountScreen::lineNumbers(Book book) const
{
    QList<qint64> nums;
    for (const accounts::Movement& m : side(book).lines)
        nums << m.num;
    return nums;
}

double AccountScreen::totalOf(Book book) const { return accounts::total(side(book).lines); }

double AccountScreen::balanceValue() const { return accounts::balance(totalOf(Book::Depenses), totalOf(Book::Recettes)); }

fund::Codes AccountScreen::codes(Book book) const
{
    fund::Codes c;
    c.book = book;
    c.numAgent = person_;
    c.contrepartie = kind_.contrepartie;
    return c;
}

void AccountScreen::refresh(Book book)
{
    try {
        fill(book);
        showBalance();
    } catch (const db::Error& e) {
        engineError(e.message());
    }
}

void AccountScreen::newLine(Book book)
{
    fund::Options options;
    options.parent = this;
    const fund::Outcome outcome = fund::enterNew(s_, codes(book), options);
    if (outcome.status == fund::Status::Cancelled)
        return;
    refresh(book);
}

void AccountScreen::changeLine(Book book)
{
    Side& sd = side(book);
    const int row = sd.view->selectedLine();
    if (row < 0)
        return;
    fund::Options options;
    options.parent = this;
    // An expense starts from the texts its row shows; a receipt from its stored values.
    if (book == Book::Depenses)
        options.shown = fund::ShownLine{sd.model->cell(row, 1), sd.model->cell(row, 2), sd.model->cell(row, 3)};
    const fund::Outcome outcome = fund::enterChange(s_, codes(book), sd.lines[row].num, options);
    if (outcome.status != fund::Status::Written && outcome.status != fund::Status::Missing)
        return;
    refresh(book);
}

void AccountScreen::deleteLine(Book book)
{
    Side& sd = side(book);
    const int row = sd.view->selectedLine();
    if (row < 0)
        return;
    if (!s_.ui().ask(QStringLiteral("Confirmer suppression de la ligne N° ") + QString::number(row + 1), ui::Icon::Question,
                     QStringLiteral("Confirmation")))
        return;
    try {
        const int deleted = s_.db().execute(QStringLiteral("DELETE FROM %1 WHERE num = ? AND Num_Agent = ? AND contrepartie = ?")
                                                .arg(ledger::table(book)),
                                            {sd.lines[row].num, person_, kind_.contrepartie});
        if (deleted == 0)
            s_.ui().message(QStringLiteral("Mouvement altéré"), ui::Icon::Information, QStringLiteral("ATTENTION"));
    } catch (const db::Error& e) {
        engineError(e.message());
        return;
    }
    refresh(book);
}

void AccountScreen::print()
{
    const double debit = totalOf(Book::Depenses), credit = totalOf(Book::Recettes);
    ReportRequest request;
    request.templateName = QStringLiteral("Releve_Compte.RPT");
    request.texts = {{QStringLiteral("ch4"), kind_.label},
                     {QStringLiteral("ch5"), accounts::statementAmount(debit)},
                     {QStringLiteral("ch6"), accounts::statementAmount(credit)},
                     {QStringLiteral("ch7"), accounts::statementAmount(accounts::balance(debit, credit))}};
    request.params = {{QStringLiteral("num"), person_}, {QStringLiteral("contrepartie"), kind_.contrepartie}};
    printReport(s_, request);
}

ZOOM_Ag::ZOOM_Ag(Session& session, QWidget* parent) : AccountScreen(session, accounts::kindOf(schema::person::Agent), parent) {}

Zoom_Ch::Zoom_Ch(Session& session, QWidget* parent)
    : AccountScreen(session, accounts::kindOf(schema::person::Chauffeur), parent)
{
}

Zoom_Cli::Zoom_Cli(Session& session, QWidget* parent)
    : AccountScreen(session, accounts::kindOf(schema::person::Client), parent)
{
}

} // namespace kv
