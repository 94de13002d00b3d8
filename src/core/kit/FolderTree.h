#pragma once
// The drive list and folder tree of the screens that choose a folder (the picture choice, the archives):
// which listed drive holds a folder, and the tree from the drive's root down to the folder with the
// folder's own sub-folders. Each tree item keeps its full path in Qt::UserRole.
#include <QAbstractItemView>
#include <QString>

class QComboBox;
class QTreeWidget;

namespace kv::kit {

/// True when `path` is `root` or lies below it.
bool isUnder(const QString& path, const QString& root);
/// True when `path` is a folder this user may list.
bool readableFolder(const QString& path);
/// Selects (signals blocked) the drive of `drives` (item data: the root) that holds `path`, the
/// deepest one; a folder on no listed drive adds its own root to the list.
void selectDriveOf(QComboBox* drives, const QString& path);
/// Fills the tree for `folder` under the drive `root`, makes the folder the current item and scrolls
/// to it (signals blocked).
void fillFolderTree(QTreeWidget* tree, const QString& root, const QString& folder,
                    QAbstractItemView::ScrollHint hint = QAbstractItemView::EnsureVisible);

} // namespace kv::kit
