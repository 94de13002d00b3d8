#include "Form8.h"

#include "Viewing.h"
#include "core/kit/GridModel.h"
#include "core/kit/ScreenKit.h"
#include "core/state/Session.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

namespace kv {

using kit::Command;

Form8::Form8(Session& session, QWidget* parent) : QDialog(parent), s_(session)
{
    setObjectName(QStringLiteral("Form8"));
    setWindowTitle(QStringLiteral(" "));
    setModal(true);
    s_.dialogValue = 8; // any way out but OK counts as "Annuler"

    model_ = new kit::GridModel({{QStringLiteral("Exercice"), kit::CellKind::Text, Qt::AlignHCenter}}, this);
    years_ = exercise::exerciseYears(s_);
    QList<QVariantList> rows;
    for (const QString& year : years_)
        rows.append({year});
    model_->setRows(std::move(rows));
    list_ = new QTableView(this);
    list_->setObjectName(QStringLiteral("liste"));
    list_->setModel(model_);
    kit::setupGrid(list_);
    kit::fitColumns(list_, 0);
    list_->installEventFilter(this);
    connect(list_, &QTableView::doubleClicked, this, [this](const QModelIndex& index) {
        if (!index.isValid())
            return;
        selectRow(index.row());
        confirm();
    });

    auto* bar = new kit::CommandBar(this);
    bar->addStretch();
    ok_ = bar->add(Command::Confirm, QStringLiteral("ok"), this, &Form8::confirm, QStringLiteral("OK"));
    cancel_ = bar->add(Command::Cancel, QStringLiteral("annuler"), this, &Form8::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(kit::titleBand(QStringLiteral("Sélection"), this));
    layout->addWidget(list_, 1);
    layout->addWidget(bar);
    selectRow(0);
    list_->setFocus();
    kit::setDefaultCommand(*this, ok_);
    kit::sizeScreen(*this, QSize(300, 340));
}

QStringList Form8::years() const
{
    return years_;
}

int Form8::selectedRow() const
{
    const QModelIndexList rows = list_->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void Form8::selectRow(int row)
{
    if (row < 0 || row >= model_->rowCount())
        return;
    list_->selectRow(row);
    list_->setCurrentIndex(model_->index(row, 0));
}

void Form8::confirm()
{
    const int row = selectedRow();
    if (row < 0)
        return;
    s_.dernierExercice = row + 1 == model_->rowCount();
    s_.dialogValue = 1;
    chosen_ = years_.at(row);
    accept();
}

void Form8::reject()
{
    s_.dialogValue = 8;
    QDialog::reject();
}

bool Form8::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == list_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            confirm();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace kv
