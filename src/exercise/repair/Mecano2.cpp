#include "Mecano2.h"

#include "Repair.h"
#include "core/kit/GridModel.h"
#include "core/kit/ScreenKit.h"
#include "core/state/Session.h"

#include <QItemSelectionModel>
#include <QLabel>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

namespace kv {

using kit::Command;

Mecano2::Mecano2(Session& session, QWidget* parent) : Mecano2(session, exercise::defaultFileOps(), parent) {}

Mecano2::Mecano2(Session& session, exercise::FileOps& files, QWidget* parent)
    : QDialog(parent), s_(session), files_(files)
{
    setObjectName(QStringLiteral("Mecano2"));
    setWindowTitle(QStringLiteral("Module de réparation"));
    setModal(true);

    auto* bar = new kit::CommandBar(this);
    repair_ = bar->add(Command::Confirm, QStringLiteral("reparer"), this, &Mecano2::repair, QStringLiteral("Réparer"));
    bar->addStretch();
    close_ = bar->add(Command::Close, QStringLiteral("fermer"), static_cast<QDialog*>(this), &QDialog::reject);

    model_ = new kit::GridModel({{QStringLiteral("Base d'exercice")}}, this);
    names_ = exercise::exerciseBases(s_);
    QList<QVariantList> rows;
    for (const QString& name : names_)
        rows.append({name});
    model_->setRows(std::move(rows));
    list_ = new QTableView(this);
    list_->setObjectName(QStringLiteral("bases"));
    list_->setModel(model_);
    kit::setupGrid(list_);
    kit::fitColumns(list_, 0);
    connect(list_, &QTableView::doubleClicked, this, [this](const QModelIndex& index) {
        if (index.isValid())
            selectRow(index.row());
    });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(kit::titleBand(windowTitle(), this));
    layout->addWidget(bar);
    layout->addWidget(kit::panelHeading(QStringLiteral("Réparer"), this));
    layout->addWidget(list_, 1);
    selectRow(model_->rowCount() - 1);
    list_->setFocus();
    kit::sizeScreen(*this, QSize(420, 380));
}

QStringList Mecano2::files() const
{
    return names_;
}

int Mecano2::selectedRow() const
{
    const QModelIndexList rows = list_->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void Mecano2::selectRow(int row)
{
    if (row < 0 || row >= model_->rowCount())
        return;
    list_->selectRow(row);
    list_->setCurrentIndex(model_->index(row, 0));
}

void Mecano2::clearSelection()
{
    list_->clearSelection();
    list_->setCurrentIndex(QModelIndex());
}

void Mecano2::repair()
{
    if (model_->rowCount() == 0) {
        s_.ui().refuse(QStringLiteral("Aucune base d'exercice à réparer"));
        return;
    }
    const int row = selectedRow();
    if (row < 0) {
        s_.ui().message(QStringLiteral("Selection omise"), ui::Icon::Critical, QStringLiteral("Z.E.B."));
        return;
    }
    exercise::repairExerciseFile(s_, names_.at(row), files_);
    accept();
}

} // namespace kv
