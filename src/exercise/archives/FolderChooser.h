#pragma once
// A drive choice ("Lecteur") over a folder choice ("Dossier"): the mounted volumes, and the folder tree
// from the drive's root down to the chosen folder with that folder's sub-folders. Choosing a drive
// moves to its root; a drive that cannot be read silently gives the choice back to the folder's drive.
#include <QWidget>

class QComboBox;
class QTreeWidget;

namespace kv::exercise {

class FolderChooser : public QWidget {
    Q_OBJECT
public:
    explicit FolderChooser(const QString& heading, QWidget* parent);

    QString folder() const { return folder_; }
    QComboBox* driveList() const { return drives_; }
    QTreeWidget* folderList() const { return folders_; }
    /// The root paths the drive choice offers, in its order.
    QStringList drives() const;

    /// Moves to `path` (a folder that cannot be read leaves the choice where it was); false then.
    bool setFolder(const QString& path);
    /// Chooses the drive at `index` of the drive list.
    void chooseDrive(int index);

signals:
    void folderChanged(const QString& path);

private:
    void selectDriveOf(const QString& path);
    void fillFolders();

    QString folder_;
    QComboBox* drives_;
    QTreeWidget* folders_;
};

} // namespace kv::exercise
