#include "AdvancesPanel.h"

#include "core/kit/ScreenKit.h"
#include "core/kit/GridModel.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

namespace kv {

using kit::GridModel;
using kit::GridView;
using kit::Command;

AdvancesPanel::AdvancesPanel(QWidget* parent) : QGroupBox(QStringLiteral("Mouvements de Fonds"), parent)
{
    setObjectName(QStringLiteral("mouvements"));
    auto* bl = new QVBoxLayout(this);
    bl->setContentsMargins(6, 6, 6, 6);
    auto* bar = new kit::CommandBar(this);
    bar->setObjectName(QStringLiteral("barre_avances"));
    new_ = bar->add(Command::New, QStringLiteral("nouveau"), this, &AdvancesPanel::newRequested);
    change_ = bar->add(Command::Edit, QStringLiteral("modifier"), this, &AdvancesPanel::changeRequested);
    delete_ = bar->add(Command::Delete, QStringLiteral("supprimer"), this, &AdvancesPanel::deleteRequested);
    print_ = bar->add(Command::Print, QStringLiteral("imprimer"), this, &AdvancesPanel::printRequested);
    bar->addStretch();
    bar->setMinimumHeight(bar->sizeHint().height());
    bl->addWidget(bar);

    model_ = new GridModel({Qt::AlignHCenter, Qt::AlignRight, Qt::AlignLeft, Qt::AlignLeft}, this);
    model_->setCaptions({QStringLiteral("Date"), QStringLiteral("Montant"), QStringLiteral("Mode"),
                         QStringLiteral("Objet")});
    model_->setAmountColumn(1);
    view_ = new GridView(model_, 3, this);
    view_->setObjectName(QStringLiteral("grille_avances"));
    connect(view_, &QTableView::doubleClicked, this, [this](const QModelIndex& index) {
        if (index.row() < model_->lineCount()) {
            view_->selectLine(index.row());
            emit lineOpened(index.row());
        }
    });
    bl->addWidget(view_, 1);
    total_ = kit::totalField(this, QStringLiteral("total_avances"));
    auto* totalRow = new QHBoxLayout;
    totalRow->addStretch();
    totalRow->addWidget(new QLabel(QStringLiteral("Total"), this));
    totalRow->addWidget(total_);
    bl->addLayout(totalRow);
}

int AdvancesPanel::selectedLine() const { return view_->selectedLine(); }

void AdvancesPanel::selectLine(int line) { view_->selectLine(line); }

void AdvancesPanel::showAdvances(const QList<payroll::Advance>& advances)
{
    QList<QStringList> rows;
    for (const payroll::Advance& a : advances)
        rows.append(a.cells());
    model_->setLines(std::move(rows));
    total_->setText(payroll::advancesTotalText(payroll::advancesTotal(advances)));
    if (!advances.isEmpty())
        view_->selectLine(0);
}

void AdvancesPanel::clear()
{
    model_->setLines({});
    total_->clear();
}

void AdvancesPanel::showState(bool monthShown, bool open, bool shown, bool lines)
{
    // The advances are typed while the month is open; the documents printed once it is closed.
    new_->setVisible(open);
    change_->setVisible(open);
    delete_->setVisible(open);
    new_->setEnabled(open && shown);
    change_->setEnabled(open && shown && lines);
    delete_->setEnabled(open && shown && lines);
    view_->setEnabled(open && shown && lines);
    print_->setVisible(monthShown && !open);
    print_->setEnabled(shown);
}

void AdvancesPanel::disableCommands()
{
    for (QToolButton* b : {new_, change_, delete_, print_})
        b->setEnabled(false);
}

} // namespace kv
