#include "F_Arch2.h"

#include "FolderChooser.h"
#include "core/kit/Colours.h"
#include "core/kit/GridModel.h"
#include "core/kit/ScreenKit.h"
#include "core/state/Session.h"
#include "platform/db/Dates.h"
#include "platform/os/Files.h"

#include <QDate>
#include <QFrame>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

namespace kv {

using kit::Command;

F_Arch2::F_Arch2(Session& session, QWidget* parent, exercise::FileOps& files)
    : QDialog(parent), s_(session), files_(files), mode_(session.dialogValue == 1 ? Import : Archive)
{
    setObjectName(QStringLiteral("F_Arch2"));
    setWindowTitle(mode_ == Archive ? QStringLiteral("  Archiver la base de données ")
                                    : QStringLiteral("  Importer une base de données"));
    setModal(true);

    // ---- commands ----------------------------------------------------------------------------------
    bar_ = new kit::CommandBar(this);
    if (mode_ == Archive)
        bar_->add(Command::Confirm, QStringLiteral("sauvegarder"), this, &F_Arch2::saveArchive, QStringLiteral("Sauvegarder >>>"));
    else
        bar_->add(Command::Confirm, QStringLiteral("importer"), this, &F_Arch2::importSelected, QStringLiteral("Importer"));
    bar_->add(Command::Delete, QStringLiteral("supprimer"), this, &F_Arch2::deleteSelected);
    bar_->addStretch();
    bar_->add(Command::Close, QStringLiteral("fermer"), static_cast<QDialog*>(this), &QDialog::reject);

    // ---- the panel: folder on the left, date and list on the right ---------------------------------
    work_ = new QWidget(this);
    work_->setObjectName(mode_ == Archive ? QStringLiteral("panneauArchivage") : QStringLiteral("panneauImportation"));
    chooser_ = new exercise::FolderChooser(mode_ == Archive ? QStringLiteral("Destination :") : QStringLiteral("Source :"), work_);

    // Each date with its archive's file as tooltip (the file follows the date in its row).
    kit::GridColumn date{QStringLiteral("Date"), kit::CellKind::Text, Qt::AlignHCenter};
    date.tip = [](const QVariantList& row) { return row.value(1).toString(); };
    model_ = new kit::GridModel({date}, this);
    list_ = new QTableView(work_);
    list_->setObjectName(QStringLiteral("archives"));
    list_->setModel(model_);
    kit::setupGrid(list_);
    kit::fitColumns(list_, 0);

    auto* right = new QVBoxLayout;
    if (mode_ == Archive) {
        right->addWidget(kit::panelHeading(QStringLiteral(" Archiver les données du"), work_));
        date_ = new QLineEdit(QDate::currentDate().toString(db::kShownDateFormat), work_);
        date_->setObjectName(QStringLiteral("dateArchive"));
        date_->setAlignment(Qt::AlignCenter);
        date_->setFixedWidth(date_->fontMetrics().horizontalAdvance(QStringLiteral("88/88/888888")) + 16);
        right->addWidget(date_, 0, Qt::AlignHCenter);
        right->addSpacing(8);
        right->addWidget(kit::panelHeading(QStringLiteral(" Archivages antérieurs"), work_));
    } else {
        right->addWidget(kit::panelHeading(QStringLiteral("Archivages du"), work_));
    }
    right->addWidget(list_, 1);

    auto* workLayout = new QHBoxLayout(work_);
    workLayout->setContentsMargins(0, 0, 0, 0);
    workLayout->setSpacing(16);
    workLayout->addWidget(chooser_, 3);
    workLayout->addLayout(right, 2);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(kit::titleBand(windowTitle().trimmed(), this));
    layout->addWidget(bar_);

    // ---- import: the warning over the panel until "Continuer" --------------------------------------
    if (mode_ == Import) {
        auto* frame = new QFrame(this);
        warning_ = frame;
        frame->setObjectName(QStringLiteral("avertissement"));
        frame->setFrameShape(QFrame::StyledPanel);
        frame->setStyleSheet(QStringLiteral("QFrame#avertissement { background: %1; border: 2px solid %2; border-radius: 6px; }")
                                 .arg(kit::colours::kAlertBackground, kit::colours::kAlertBorder));
        auto* attention = new QLabel(QStringLiteral("ATTENTION"), frame);
        QFont bold = attention->font();
        bold.setBold(true);
        bold.setPointSize(bold.pointSize() + 4);
        attention->setFont(bold);
        attention->setStyleSheet(QStringLiteral("QLabel { color: %1; border: none; }").arg(kit::colours::kAlert));
        attention->setAlignment(Qt::AlignCenter);
        auto* text = new QLabel(QStringLiteral("Les données que vous allez importer vont écraser et remplacer définitivement  les données actuelles."), frame);
        text->setObjectName(QStringLiteral("texteAvertissement"));
        text->setWordWrap(true);
        text->setAlignment(Qt::AlignCenter);
        text->setStyleSheet(QStringLiteral("QLabel { border: none; }"));
        QFont textFont = text->font();
        textFont.setPointSize(textFont.pointSize() + 1);
        text->setFont(textFont);
        warningCancel_ = kit::commandButton(frame, Command::Cancel, QStringLiteral("avertissementAnnuler"));
        warningContinue_ = kit::commandButton(frame, Command::Confirm, QStringLiteral("continuer"), QStringLiteral("Continuer"));
        connect(warningCancel_, &QToolButton::clicked, this, &QDialog::reject);
        connect(warningContinue_, &QToolButton::clicked, this, &F_Arch2::continueImport);
        auto* buttons = new QHBoxLayout;
        buttons->addStretch();
        buttons->addWidget(warningCancel_);
        buttons->addWidget(warningContinue_);
        buttons->addStretch();
        auto* warningLayout = new QVBoxLayout(frame);
        warningLayout->addWidget(attention);
        warningLayout->addWidget(text);
        warningLayout->addLayout(buttons);
        layout->addWidget(frame);
        work_->setEnabled(false);
        for (const char* name : {"importer", "supprimer"})
            bar_->command(QString::fromLatin1(name))->setEnabled(false);
    }
    layout->addWidget(work_, 1);

    connect(chooser_, &exercise::FolderChooser::folderChanged, this, &F_Arch2::fillList);
    chooser_->setFolder(os::ensureFolder(s_.programDir(), QStringLiteral("Archives")));
    if (warningContinue_)
        warningContinue_->setFocus();
    else
        date_->setFocus();
    kit::sizeScreen(*this, QSize(760, 500));
}

QStringList F_Arch2::dates() const
{
    QStringList d;
    for (const exercise::ArchiveEntry& e : entries_)
        d << e.date;
    return d;
}

int F_Arch2::selectedRow() const
{
    const QModelIndexList rows = list_->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void F_Arch2::selectRow(int row)
{
    if (row < 0 || row >= model_->rowCount())
        return;
    list_->selectRow(row);
    list_->setCurrentIndex(model_->index(row, 0));
}

void F_Arch2::clearSelection()
{
    list_->clearSelection();
    list_->setCurrentIndex(QModelIndex());
}

QToolButton* F_Arch2::command(const QString& objectName) const { return bar_->command(objectName); }

void F_Arch2::fillList()
{
    exercise::Failure failure;
    const bool read = exercise::listArchives(chooser_->folder(), &entries_, &failure);
    QList<QVariantList> rows;
    for (const exercise::ArchiveEntry& e : entries_)
        rows.append({e.date, e.file});
    model_->setRows(std::move(rows));
    clearSelection();
    if (!read)
        s_.ui().refuse(exercise::errorText(QStringLiteral("Erreur n° "), failure));
    if (mode_ == Import) {
        selectRow(model_->rowCount() - 1);
        bar_->command(QStringLiteral("supprimer"))->setVisible(model_->rowCount() > 0);
    }
}

void F_Arch2::continueImport()
{
    warning_->hide();
    work_->setEnabled(true);
    for (const char* name : {"importer", "supprimer"})
        bar_->command(QString::fromLatin1(name))->setEnabled(true);
    list_->setFocus();
}

void F_Arch2::saveArchive()
{
    if (mode_ != Archive)
        return;
    if (exercise::archiveExercise(s_, chooser_->folder(), date_->text(), files_) == exercise::ArchiveResult::BadDate) {
        date_->setFocus();
        return;
    }
    accept();
}

void F_Arch2::importSelected()
{
    if (mode_ != Import || !work_->isEnabled())
        return;
    const int row = selectedRow();
    if (row < 0) {
        s_.ui().message(QStringLiteral("Selection omise"), ui::Icon::Critical, QStringLiteral("Z.E.B."));
        return;
    }
    exercise::importArchive(s_, chooser_->folder(), entries_.at(row).file, files_);
    accept();
}

void F_Arch2::deleteSelected()
{
    if (!work_->isEnabled())
        return;
    const int row = selectedRow();
    if (row < 0) {
        s_.ui().message(QStringLiteral("Selection omise"), ui::Icon::Critical, QStringLiteral("Z.E.B."));
        return;
    }
    const exercise::ArchiveEntry entry = entries_.at(row);
    if (exercise::deleteArchive(s_, chooser_->folder(), entry.file, entry.date, files_))
        fillList();
}

} // namespace kv
