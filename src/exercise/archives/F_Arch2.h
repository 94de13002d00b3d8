#pragma once
// Archiving and import of the open exercise's file. The shared dialog value chooses the use before the
// screen opens: 0 archives ("Sauvegarde"), 1 imports ("Importation"). In both the archives of the chosen
// folder are listed with their dates and can be deleted. In import mode a warning lies over the import
// panel until "Continuer"; "Annuler" closes the screen.
#include "Archives.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QTableView;
class QToolButton;

namespace kv {

class Session;
namespace kit {
class CommandBar;
class GridModel;
} // namespace kit
namespace exercise { class FolderChooser; }

class F_Arch2 : public QDialog {
    Q_OBJECT
public:
    enum Mode { Archive = 0, Import = 1 };

    explicit F_Arch2(Session& session, QWidget* parent = nullptr,
                     exercise::FileOps& files = exercise::defaultFileOps());

    Mode mode() const { return mode_; }
    exercise::FolderChooser* chooser() const { return chooser_; }
    /// The archive date (archive mode).
    QLineEdit* dateField() const { return date_; }
    QTableView* list() const { return list_; }
    QList<exercise::ArchiveEntry> entries() const { return entries_; }
    /// The dates the list shows, in its order.
    QStringList dates() const;
    /// The selected line, -1 when none.
    int selectedRow() const;
    void selectRow(int row);
    void clearSelection();
    QToolButton* command(const QString& objectName) const;

    /// Import mode: the warning, and the panel it lies over.
    QWidget* warningPanel() const { return warning_; }
    QWidget* workPanel() const { return work_; }
    QToolButton* warningCancel() const { return warningCancel_; }
    QToolButton* warningContinue() const { return warningContinue_; }

    // ---- commands ----------------------------------------------------------------------------------
    void saveArchive();
    void importSelected();
    void deleteSelected();
    void continueImport();
    /// Fills the list of the chosen folder again.
    void fillList();

private:
    Session& s_;
    exercise::FileOps& files_;
    Mode mode_;
    exercise::FolderChooser* chooser_;
    QLineEdit* date_ = nullptr;
    kit::GridModel* model_;
    QTableView* list_;
    QList<exercise::ArchiveEntry> entries_;
    kit::CommandBar* bar_;
    QWidget* warning_ = nullptr;
    QWidget* work_;
    QToolButton* warningCancel_ = nullptr;
    QToolButton* warningContinue_ = nullptr;
};

} // namespace kv
