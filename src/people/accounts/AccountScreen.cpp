#include "AccountScreen.h"

#include "FundMovement.h"
#include "core/kit/Colours.h"
#include "core/kit/Guard.h"
#include "core/kit/RowConflict.h"
#include "core/kit/OtherDesks.h"
#include "core/kit/ScreenKit.h"
#include "core/reports/ReportRoutine.h"
#include "core/schema/Schema.h"
#include "core/state/Session.h"
#include "people/registers/PersonStore.h"
#include "platform/db/Database.h"

#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QSet>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace kv {

using kit::GridModel;
using kit::GridView;
using ledger::Book;

namespace {

// The movement grids: "N°", "Date", "Montant", "Objet"; the object takes the spare width. Each line is
// read and formatted when the grid shows it (accounts::readMovementValues).
QList<kit::GridColumn> movementColumns()
{
    using kit::CellKind;
    return {{QStringLiteral("N°"), CellKind::Position, Qt::AlignHCenter, true},
            {QStringLiteral("Date"), CellKind::Date, Qt::AlignHCenter, true},
            {QStringLiteral("Montant"), CellKind::Amount, Qt::AlignRight, true,
             [](const QVariant& v) { return accounts::amountCell(v.toDouble()); }},
            {QStringLiteral("Objet"), CellKind::Text, Qt::AlignLeft, true,
             [](const QVariant& v) { return accounts::objectCell(v.toString()); }}};
}
constexpr int kMovementPosition = 0;
constexpr int kMovementDate = 1;
constexpr int kMovementAmount = 2;
constexpr int kMovementObject = 3;

// The rentals grid: position, then the rental's and the vehicle's columns; the observation takes the spare width.
const QStringList kRentalCaptions = {QStringLiteral("N°"),     QStringLiteral("Du"),      QStringLiteral("Au"),
                                     QStringLiteral("Nb"),     QStringLiteral("Montant"), QStringLiteral("Règl"),
                                     QStringLiteral("Marque"), QStringLiteral("Modèle"),  QStringLiteral("Matricule"),
                                     QStringLiteral("Observation")};
const QList<Qt::Alignment> kRentalAlign = {Qt::AlignHCenter, Qt::AlignHCenter, Qt::AlignHCenter, Qt::AlignHCenter,
                                           Qt::AlignRight,   Qt::AlignHCenter, Qt::AlignHCenter, Qt::AlignHCenter,
                                           Qt::AlignHCenter, Qt::AlignLeft};
constexpr int kRentalFrom = 1;
constexpr int kRentalTo = 2;
constexpr int kRentalDays = 3;
constexpr int kRentalAmount = 4;
constexpr int kRentalSettled = 5;
constexpr int kRentalObservation = 9;
constexpr int kRentalGroupEnd = 6; // "Location" over columns 0-5, "Véhicule" over 6-8


QString bookName(Book book) { return book == Book::Depenses ? QStringLiteral("debit") : QStringLiteral("credit"); }

/// A header value: one line, cut with "…" within its own cell when too long (the whole text in its tooltip).
class HeaderValue : public QLabel {
public:
    HeaderValue(const QString& text, QWidget* parent) : QLabel(text, parent)
    {
        QFont f = font();
        f.setBold(true);
        setFont(f);
        setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    }
    QSize minimumSizeHint() const override { return {fontMetrics().horizontalAdvance(QStringLiteral("MMMM")), QLabel::minimumSizeHint().height()}; }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        const QRect r = contentsRect();
        p.setPen(palette().color(QPalette::WindowText));
        p.drawText(r, Qt::AlignLeft | Qt::AlignVCenter, fontMetrics().elidedText(text(), Qt::ElideRight, r.width()));
    }
};

/// A group caption ("Location", "Véhicule") over a run of columns.
QLabel* groupCaption(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setAlignment(Qt::AlignCenter);
    label->setStyleSheet(QStringLiteral("QLabel { font-weight: bold; color: white; background: %1; padding: 3px; "
                                        "border-right: 1px solid white; }").arg(kit::colours::kCaptionBand));
    return label;
}

} // namespace

AccountScreen::AccountScreen(Session& session, const accounts::Kind& kind, QWidget* parent)
    : QDialog(parent), s_(session), kind_(kind), person_(session.num_courant)
{
    setObjectName(kind.screen);
    setWindowTitle(QString());
    setModal(true);

    kindLabel_ = kit::titleBand(kind.label, this, QStringLiteral("genre"));

    auto* bar = new kit::CommandBar(this);
    kit::addRefreshCommand(bar, this, &AccountScreen::refreshAll);
    print_ = bar->add(kit::Command::Print, QStringLiteral("imprimer"), this, &AccountScreen::print);
    bar->addExport();
    bar->addStretch();
    quit_ = bar->add(kit::Command::Quit, QStringLiteral("quitter"), static_cast<QDialog*>(this), &QDialog::accept);

    // --- header: the person's values, three columns of caption and value ---
    auto* header = new QFrame(this);
    header->setObjectName(QStringLiteral("entete"));
    header->setStyleSheet(QStringLiteral("QFrame#entete { background: %1; border: 1px solid %2; border-radius: 3px; }")
                              .arg(kit::colours::kPanelBackground, kit::colours::kPanelBorder));
    auto* values = new QGridLayout(header);
    values->setContentsMargins(12, 8, 12, 8);
    values->setHorizontalSpacing(8);
    values->setVerticalSpacing(4);
    auto* number = new QLabel(QStringLiteral("N° ") + QString::number(person_), header);
    number->setObjectName(QStringLiteral("numero"));
    number->setStyleSheet(QStringLiteral("QLabel { color: %1; font-weight: bold; }").arg(kit::colours::kSecondaryText));
    values->addWidget(number, 0, 0, Qt::AlignLeft | Qt::AlignTop);
    values->setColumnMinimumWidth(0, number->sizeHint().width() + 12);
    constexpr int kColumns = 3;
    const int perColumn = (static_cast<int>(kind.header.size()) + kColumns - 1) / kColumns;
    for (int i = 0; i < kind.header.size(); ++i) {
        auto* caption = new QLabel(kind.header[i].caption + QStringLiteral(" :"), header);
        caption->setStyleSheet(QStringLiteral("QLabel { color: %1; }").arg(kit::colours::kSecondaryText));
        auto* value = new HeaderValue(schema::NothingChosenText, header);
        value->setObjectName(kind.header[i].column);
        const int r = i % perColumn, c = 1 + (i / perColumn) * 2;
        values->addWidget(caption, r, c, Qt::AlignRight);
        values->addWidget(value, r, c + 1);
        headerValues_ << value;
    }
    // The first column holds the names: it gets the larger share.
    values->setColumnStretch(2, 4);
    values->setColumnStretch(4, 3);
    values->setColumnStretch(6, 3);

    // --- movements ---
    auto* movements = new QWidget(this);
    movements->setObjectName(QStringLiteral("mouvements"));
    auto* sides = new QHBoxLayout;
    sides->setSpacing(10);
    sides->addWidget(buildSide(Book::Depenses, movements), 1);
    sides->addWidget(buildSide(Book::Recettes, movements), 1);
    balance_ = kit::totalField(movements, QStringLiteral("solde"));
    balance_->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    balanceStyle_ = balance_->styleSheet();
    auto* balanceCaption = new QLabel(QStringLiteral("Solde"), movements);
    balanceCaption->setStyleSheet(kit::headingStyle());
    auto* balanceRow = new QHBoxLayout;
    balanceRow->addStretch();
    balanceRow->addWidget(balanceCaption);
    balanceRow->addWidget(balance_);
    auto* movementLayout = new QVBoxLayout(movements);
    movementLayout->setContentsMargins(0, 0, 0, 0);
    movementLayout->addLayout(sides, 1);
    movementLayout->addLayout(balanceRow);

    // --- the client's tabs ---
    QWidget* body = movements;
    if (kind.rentals) {
        tabs_ = new QTabWidget(this);
        tabs_->setObjectName(QStringLiteral("onglets"));
        auto* page = new QWidget(tabs_);
        auto* pageLayout = new QVBoxLayout(page);
        pageLayout->setContentsMargins(6, 6, 6, 6);
        pageLayout->addWidget(movements);
        tabs_->addTab(page, QStringLiteral("Situation Financière"));
        tabs_->addTab(buildRentals(tabs_), QStringLiteral("Locations"));
        body = tabs_;
    }

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(kindLabel_);
    layout->addWidget(bar);
    layout->addWidget(header);
    layout->addWidget(body, 1);
    kit::sizeScreen(*this, QSize(1120, 660));

    // --- opening ---
    bool missing = false;
    const bool read = kit::guarded(s_.ui(), [&] {
        const std::optional<db::Row> person = people::readPersonRow(s_.db(), person_);
        if (!person) {
            missing = true;
            return;
        }
        const QStringList texts = accounts::headerValues(kind_, *person);
        for (int i = 0; i < texts.size(); ++i) {
            headerValues_[i]->setText(texts[i]);
            headerValues_[i]->setToolTip(texts[i]);
        }
        fill(Book::Depenses);
        fill(Book::Recettes);
        showBalance();
        if (tabs_) {
            fillRentals();
            tabs_->setCurrentIndex(0);
        }
    });
    if (missing)
        s_.ui().message(QStringLiteral("Enregistrement introuvable"));
    found_ = read && !missing;
    // What the other desks book on the account shows when the window comes back to the front and, on a
    // server, as soon as they commit it.
    if (found_)
        new kit::OtherDesks(this, s_, {QStringLiteral("Depenses"), QStringLiteral("Recettes"), QStringLiteral("Locations")},
                            [this] { refreshAll(); });
}

QWidget* AccountScreen::buildSide(Book book, QWidget* parent)
{
    Side& sd = side(book);
    const bool debit = book == Book::Depenses;
    auto* box = new QGroupBox(debit ? QStringLiteral("Débit") : QStringLiteral("Crédit"), parent);
    box->setObjectName(bookName(book));
    sd.model = new GridModel(movementColumns(), box);
    sd.view = new GridView(sd.model, kMovementObject, box);
    sd.view->setObjectName(QStringLiteral("grille_") + bookName(book));
    connect(sd.view, &QTableView::doubleClicked, this, [this, book](const QModelIndex& index) {
        if (index.row() < side(book).model->lineCount()) {
            side(book).view->selectLine(index.row());
            changeLine(book);
        }
    });

    // The commands of a grid. Both grids have the same three, so neither takes the shared accelerators.
    const QString suffix = QStringLiteral("_") + bookName(book);
    auto* bar = new kit::CommandBar(box);
    bar->setObjectName(QStringLiteral("barre") + suffix);
    const auto add = [&](kit::Command c, const QString& name) {
        const kit::CommandLook l = kit::look(c);
        return bar->add(l.glyph, l.text, name + suffix, QKeySequence());
    };
    sd.add = add(kit::Command::New, QStringLiteral("nouveau"));
    sd.change = add(kit::Command::Edit, QStringLiteral("modifier"));
    sd.remove = add(kit::Command::Delete, QStringLiteral("supprimer"));
    bar->addStretch();
    // Keep the bar's height while "Modifier" and "Supprimer" are hidden.
    bar->setMinimumHeight(bar->sizeHint().height());
    connect(sd.add, &QToolButton::clicked, this, [this, book] { newLine(book); });
    connect(sd.change, &QToolButton::clicked, this, [this, book] { changeLine(book); });
    connect(sd.remove, &QToolButton::clicked, this, [this, book] { deleteLine(book); });

    sd.total = kit::totalField(box, QStringLiteral("total") + suffix);
    sd.total->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    auto* totalRow = new QHBoxLayout;
    totalRow->addStretch();
    totalRow->addWidget(new QLabel(QStringLiteral("Total"), box));
    totalRow->addWidget(sd.total);

    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->setSpacing(4);
    layout->addWidget(bar);
    layout->addWidget(sd.view, 1);
    layout->addLayout(totalRow);
    return box;
}

QWidget* AccountScreen::buildRentals(QWidget* parent)
{
    auto* page = new QWidget(parent);
    page->setObjectName(QStringLiteral("locations"));
    rentalModel_ = new GridModel(kRentalAlign, page);
    rentalModel_->setCaptions(kRentalCaptions);
    rentalModel_->setAmountColumn(kRentalAmount);
    rentals_ = new GridView(rentalModel_, kRentalObservation, page);
    rentals_->setObjectName(QStringLiteral("grille_locations"));

    // The group captions follow the widths of the columns they stand over.
    auto* groups = new QWidget(page);
    auto* groupRow = new QHBoxLayout(groups);
    groupRow->setSpacing(0);
    groupRow->setContentsMargins(rentals_->frameWidth(), 0, 0, 0);
    QLabel* location = groupCaption(QStringLiteral("Location"), groups);
    QLabel* vehicle = groupCaption(QStringLiteral("Véhicule"), groups);
    groupRow->addWidget(location);
    groupRow->addWidget(vehicle);
    groupRow->addStretch();
    QHeaderView* header = rentals_->horizontalHeader();
    const auto follow = [header, location, vehicle] {
        int first = 0, second = 0;
        for (int c = 0; c < kRentalCaptions.size() - 1; ++c)
            (c < kRentalGroupEnd ? first : second) += header->sectionSize(c);
        location->setFixedWidth(first);
        vehicle->setFixedWidth(second);
    };
    connect(header, &QHeaderView::sectionResized, groups, follow);
    follow();

    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->setSpacing(0);
    layout->addWidget(groups);
    layout->addWidget(rentals_, 1);
    return page;
}

void AccountScreen::fill(Book book)
{
    Side& sd = side(book);
    sd.lines = {};
    sd.model->setLines({});
    sd.total->clear();
    balance_->clear();
    sd.lines = accounts::readAccountKeys(s_.db(), book, person_, kind_.contrepartie);
    // Each line is read and formatted when the grid shows it.
    sd.model->setPagedRows(sd.lines.nums, [this, book](const QList<qint64>& nums) {
        return accounts::readMovementValues(s_.db(), book, nums);
    });
    sd.total->setText(accounts::totalText(accounts::total(sd.lines.amounts)));
    const bool any = !sd.lines.nums.isEmpty();
    if (any) {
        // The columns fit the widest cells of the whole list, known without reading a line: the last
        // number, a date (every date shows its ten figures and signs alike), the lowest and the highest amount.
        const auto [low, high] = std::minmax_element(sd.lines.amounts.cbegin(), sd.lines.amounts.cend());
        sd.model->setWidestValues({{kMovementPosition, {sd.lines.nums.size()}},
                                   {kMovementDate, {QStringLiteral("2000-10-28"), QStringLiteral("2088-08-08")}},
                                   {kMovementAmount, {*low, *high}}});
    }
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
    // The columns fit the widest cells of every rental, each different text measured once: the
    // position, the count and the sum by their length (figures are alike in width, a sum in the
    // amounts' font), the dates by two of them, the names and the settlement each.
    QHash<int, QVariantList> widest;
    if (!cells.isEmpty()) {
        const QVariantList dates = {QStringLiteral("28/10/2000"), QStringLiteral("08/08/2088")};
        widest.insert(0, {QString::number(cells.size())});
        widest.insert(kRentalFrom, dates);
        widest.insert(kRentalTo, dates);
        for (int c : {kRentalDays, kRentalAmount}) {
            QString longest;
            for (const QStringList& line : cells)
                if (line[c].size() > longest.size())
                    longest = line[c];
            widest.insert(c, {longest});
        }
        for (int c = kRentalSettled; c < kRentalObservation; ++c) {
            QSet<QString> texts;
            for (const QStringList& line : cells)
                texts.insert(line[c]);
            QVariantList values;
            for (const QString& t : texts)
                values.append(t);
            widest.insert(c, values);
        }
    }
    rentalModel_->setLines(std::move(cells));
    rentalModel_->setWidestValues(widest);
    rentals_->setEnabled(!rentals.isEmpty());
    if (!rentals.isEmpty())
        rentals_->selectLine(0);
}

void AccountScreen::showBalance()
{
    const double value = balanceValue();
    balance_->setText(accounts::totalText(value));
    balance_->setStyleSheet(value < 0 ? balanceStyle_ + QStringLiteral(" QLineEdit { color: %1; }").arg(kit::colours::kNegative) : balanceStyle_);
}

QLabel* AccountScreen::headerValue(const QString& caption) const
{
    for (int i = 0; i < kind_.header.size(); ++i)
        if (kind_.header[i].caption == caption)
            return headerValues_.value(i);
    return nullptr;
}

GridView* AccountScreen::grid(Book book) const { return side(book).view; }
QLineEdit* AccountScreen::totalLabel(Book book) const { return side(book).total; }
QToolButton* AccountScreen::newButton(Book book) const { return side(book).add; }
QToolButton* AccountScreen::changeButton(Book book) const { return side(book).change; }
QToolButton* AccountScreen::deleteButton(Book book) const { return side(book).remove; }

QList<qint64> AccountScreen::lineNumbers(Book book) const
{
    return side(book).lines.nums;
}

double AccountScreen::totalOf(Book book) const { return accounts::total(side(book).lines.amounts); }

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
    kit::guarded(s_.ui(), [&] {
        fill(book);
        showBalance();
    });
}

void AccountScreen::refreshAll()
{
    if (!found_)
        return;
    kit::guarded(s_.ui(), [&] {
        fill(Book::Depenses);
        fill(Book::Recettes);
        if (tabs_)
            fillRentals();
        showBalance();
    });
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
    const fund::Outcome outcome = fund::enterChange(s_, codes(book), sd.lines.nums[row], options);
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
    if (!s_.ui().askDefaultNo(QStringLiteral("Confirmer suppression de la ligne N° ") + QString::number(row + 1), ui::Icon::Question,
                     QStringLiteral("Confirmation")))
        return;
    bool deleted = false;
    if (!kit::guarded(
            s_.ui(), [&] { deleted = ledger::remove(s_.db(), book, sd.lines.nums[row], person_, kind_.contrepartie, sd.lines.amounts[row]); },
            [&] { refresh(book); }))
        return;
    if (!deleted)
        s_.ui().refuse(QStringLiteral("Mouvement altéré"), ui::Icon::Information);
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
