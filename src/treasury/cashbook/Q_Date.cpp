#include "Q_Date.h"

#include "Calendar.h"
#include "core/formats/Names.h"
#include "core/kit/Colours.h"
#include "core/kit/ScreenKit.h"
#include "core/state/Session.h"
#include "platform/ui/Ui.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace kv {

namespace cal = cashbook::calendar;

namespace {

const QString kCellStyle = QStringLiteral(
    "QToolButton { border: 1px solid %1; border-radius: 3px; background: %2; color: %3; }"
    "QToolButton:hover { background: %4; }"
    "QToolButton:checked { background: %5; color: %6; font-weight: bold; border-color: %5; }")
    .arg(kit::colours::kDayBorder, kit::colours::kPlainBackground, kit::colours::kDayText, kit::colours::kDayHover,
         kit::colours::kBand, kit::colours::kBandText);
const QString kWeekendStyle = QStringLiteral("QLabel { color: %1; font-weight: bold; }").arg(kit::colours::kWeekend);
const QString kHeadingStyle = kit::headingStyle();

QToolButton* yearButton(QWidget* parent, Qt::ArrowType arrow, const QString& name, const QString& tip)
{
    auto* b = new QToolButton(parent);
    b->setObjectName(name);
    b->setArrowType(arrow);
    b->setToolTip(tip);
    b->setAutoRaise(false);
    b->setFixedSize(32, 28);
    return b;
}

} // namespace

Q_Date::Q_Date(Session& session, const QDate& first, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Q_Date"));
    setWindowTitle(QStringLiteral(" "));
    setModal(true);

    const QDate start = first.isValid() ? first : session.defaultDay();
    year_ = start.year();
    month_ = start.month();
    day_ = start.day();

    heading_ = kit::titleBand(QString(), this);
    heading_->setAlignment(Qt::AlignCenter);

    // ---- the months ---------------------------------------------------------------------------------
    months_ = new QListWidget(this);
    months_->setObjectName(QStringLiteral("mois"));
    for (const QString& name : dayMonthNames().frenchMonths)
        months_->addItem(name.trimmed());
    months_->setSelectionMode(QAbstractItemView::SingleSelection);
    months_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    months_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    months_->setStyleSheet(QStringLiteral("QListWidget::item { padding: 3px 8px; }"));
    {
        int width = 0;
        for (int i = 0; i < months_->count(); ++i)
            width = std::max(width, months_->fontMetrics().horizontalAdvance(months_->item(i)->text()));
        months_->setFixedWidth(width + 40);
        months_->setMinimumHeight(12 * (months_->sizeHintForRow(0) + 1) + 8);
    }
    connect(months_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0)
            chooseMonth(row + 1);
    });

    // ---- the year -----------------------------------------------------------------------------------
    previous_ = yearButton(this, Qt::LeftArrow, QStringLiteral("anneePrecedente"), QStringLiteral("Année précédente"));
    next_ = yearButton(this, Qt::RightArrow, QStringLiteral("anneeSuivante"), QStringLiteral("Année suivante"));
    yearLabel_ = new QLabel(this);
    yearLabel_->setObjectName(QStringLiteral("annee"));
    yearLabel_->setAlignment(Qt::AlignCenter);
    {
        QFont f = yearLabel_->font();
        f.setBold(true);
        f.setPointSize(f.pointSize() + 3);
        yearLabel_->setFont(f);
        yearLabel_->setMinimumWidth(yearLabel_->fontMetrics().horizontalAdvance(QStringLiteral("88888")) + 16);
    }
    connect(previous_, &QToolButton::clicked, this, [this] { stepYear(-1); });
    connect(next_, &QToolButton::clicked, this, [this] { stepYear(+1); });
    auto* yearRow = new QHBoxLayout;
    yearRow->addStretch();
    yearRow->addWidget(previous_);
    yearRow->addWidget(yearLabel_);
    yearRow->addWidget(next_);
    yearRow->addStretch();

    // ---- the days -----------------------------------------------------------------------------------
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(4);
    grid->setVerticalSpacing(4);
    const QStringList captions = cal::columnCaptions();
    for (int c = 0; c < cal::kColumns; ++c) {
        auto* h = new QLabel(captions[c], this);
        h->setAlignment(Qt::AlignCenter);
        // Friday is the weekly day off, Saturday too.
        h->setStyleSheet(c == 0 || c == cal::kColumns - 1 ? kWeekendStyle : kHeadingStyle);
        grid->addWidget(h, 0, c);
        headings_ << h;
    }
    const int cellWidth = fontMetrics().horizontalAdvance(QStringLiteral("888")) + 24;
    for (int i = 0; i < cal::kCells; ++i) {
        auto* cell = new QToolButton(this);
        cell->setObjectName(QStringLiteral("jour%1").arg(i + 1));
        cell->setCheckable(true);
        cell->setFixedSize(cellWidth, fontMetrics().height() + 14);
        cell->setStyleSheet(kCellStyle);
        cell->setFocusPolicy(Qt::NoFocus);
        connect(cell, &QToolButton::clicked, this, [this, cell] { chooseDay(cell->text().toInt()); });
        cell->installEventFilter(this); // a double click chooses the day
        grid->addWidget(cell, 1 + i / cal::kColumns, i % cal::kColumns);
        cells_ << cell;
    }

    auto* right = new QVBoxLayout;
    right->addLayout(yearRow);
    right->addSpacing(6);
    right->addLayout(grid);
    right->addStretch();

    auto* body = new QHBoxLayout;
    body->setSpacing(14);
    body->addWidget(months_);
    body->addLayout(right, 1);

    const kit::PanelButtons buttons = kit::panelButtons(this);
    confirm_ = buttons.confirm;
    cancel_ = buttons.cancel;
    connect(confirm_, &QToolButton::clicked, this, &QDialog::accept);
    connect(cancel_, &QToolButton::clicked, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(heading_);
    layout->addLayout(body, 1);
    layout->addWidget(buttons.row);

    rebuild();
    // The calendar itself takes the keys: arrows move the day, Page Up/Down the month, Enter chooses;
    // the month list takes the focus when it is clicked.
    months_->setFocusPolicy(Qt::ClickFocus);
    setFocusPolicy(Qt::StrongFocus);
    setFocus(Qt::OtherFocusReason);
    kit::sizeScreen(*this, QSize(560, 400));
}

void Q_Date::chooseMonth(int month)
{
    if (month < 1 || month > 12 || month == month_)
        return;
    month_ = month;
    rebuild();
}

void Q_Date::stepYear(int step)
{
    const int year = cal::stepYear(year_, step);
    if (year == year_)
        return;
    year_ = year;
    rebuild();
}

void Q_Date::chooseDay(int day)
{
    if (day < 1 || day > cal::daysInMonth(year_, month_))
        return;
    day_ = day;
    rebuild();
}

void Q_Date::rebuild()
{
    day_ = cal::clampDay(year_, month_, day_);
    const std::array<int, cal::kCells> days = cal::cells(year_, month_);
    for (int i = 0; i < cal::kCells; ++i) {
        QToolButton* cell = cells_[i];
        // An empty cell keeps its place in the grid, invisible.
        const bool shown = days[i] > 0;
        cell->setText(shown ? QString::number(days[i]) : QString());
        cell->setChecked(shown && days[i] == day_);
        cell->setEnabled(shown);
        QSizePolicy keep = cell->sizePolicy();
        keep.setRetainSizeWhenHidden(true);
        cell->setSizePolicy(keep);
        cell->setVisible(shown);
    }
    yearLabel_->setText(QString::number(year_));
    previous_->setEnabled(year_ > cal::kFirstYear);
    next_->setEnabled(year_ < cal::lastYear());
    if (months_->currentRow() != month_ - 1) {
        const QSignalBlocker block(months_);
        months_->setCurrentRow(month_ - 1);
    }
    heading_->setText(cal::inWords(year_, month_, day_));
    ui::retitle(*this);
}

void Q_Date::moveTo(const QDate& day)
{
    if (!day.isValid() || day.year() < cal::kFirstYear || day.year() > cal::lastYear())
        return;
    year_ = day.year();
    month_ = day.month();
    day_ = day.day();
    rebuild();
}

void Q_Date::keyPressEvent(QKeyEvent* event)
{
    // The days take the keyboard wherever the focus is, but the month list keeps its own arrows.
    const bool inMonths = months_->hasFocus();
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter: accept(); return;
    case Qt::Key_Left: moveTo(current().addDays(-1)); return;
    case Qt::Key_Right: moveTo(current().addDays(1)); return;
    case Qt::Key_Up:
        if (!inMonths)
            moveTo(current().addDays(-7));
        return;
    case Qt::Key_Down:
        if (!inMonths)
            moveTo(current().addDays(7));
        return;
    case Qt::Key_PageUp: moveTo(current().addMonths(event->modifiers() & Qt::ControlModifier ? -12 : -1)); return;
    case Qt::Key_PageDown: moveTo(current().addMonths(event->modifiers() & Qt::ControlModifier ? 12 : 1)); return;
    case Qt::Key_Home: moveTo(QDate(year_, month_, 1)); return;
    case Qt::Key_End: moveTo(QDate(year_, month_, cal::daysInMonth(year_, month_))); return;
    default: break;
    }
    QDialog::keyPressEvent(event);
}

bool Q_Date::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonDblClick) {
        if (auto* cell = qobject_cast<QToolButton*>(watched); cell && cells_.contains(cell) && !cell->text().isEmpty()) {
            chooseDay(cell->text().toInt());
            accept();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

QDate chooseDate(Session& session, const QDate& first, QWidget* parent)
{
    Q_Date dialog(session, first, parent);
    if (session.ui().showModal(dialog) != QDialog::Accepted)
        return {};
    return dialog.current();
}

} // namespace kv
