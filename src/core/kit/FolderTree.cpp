#include "FolderTree.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QSignalBlocker>
#include <QStorageInfo>
#include <QStyle>
#include <QTreeWidget>

namespace kv::kit {

bool isUnder(const QString& path, const QString& root)
{
    if (root == QStringLiteral("/"))
        return path.startsWith(u'/');
    return path == root || path.startsWith(root + u'/');
}

bool readableFolder(const QString& path)
{
    const QFileInfo info(path);
    return info.isDir() && info.isReadable() && info.isExecutable();
}

void selectDriveOf(QComboBox* drives, const QString& path)
{
    int best = -1;
    qsizetype bestLength = -1;
    for (int i = 0; i < drives->count(); ++i) {
        const QString root = drives->itemData(i).toString();
        if (isUnder(path, root) && root.size() > bestLength) {
            best = i;
            bestLength = root.size();
        }
    }
    if (best < 0) {
        // A folder on no listed volume: its own root joins the list.
        const QString root = QStorageInfo(path).isValid() ? QStorageInfo(path).rootPath() : QStringLiteral("/");
        drives->addItem(drives->style()->standardIcon(QStyle::SP_DriveHDIcon), root, root);
        best = drives->count() - 1;
    }
    const QSignalBlocker block(drives);
    drives->setCurrentIndex(best);
}

void fillFolderTree(QTreeWidget* tree, const QString& root, const QString& folder, QAbstractItemView::ScrollHint hint)
{
    const QSignalBlocker block(tree);
    tree->clear();
    // The chain from the drive's root down to the folder, then the folder's own sub-folders.
    QStringList chain;
    for (QString p = folder;; p = QFileInfo(p).path()) {
        chain.prepend(p);
        if (p == root || !isUnder(p, root) || QFileInfo(p).path() == p)
            break;
    }
    const QIcon open = tree->style()->standardIcon(QStyle::SP_DirOpenIcon);
    QTreeWidgetItem* parent = nullptr;
    for (const QString& p : chain) {
        const QString name = p == chain.first() ? p : QFileInfo(p).fileName();
        auto* item = parent ? new QTreeWidgetItem(parent, {name}) : new QTreeWidgetItem(tree, {name});
        item->setIcon(0, p == chain.first() ? tree->style()->standardIcon(QStyle::SP_DriveHDIcon) : open);
        item->setData(0, Qt::UserRole, p);
        parent = item;
    }
    const QIcon closed = tree->style()->standardIcon(QStyle::SP_DirClosedIcon);
    for (const QString& sub : QDir(folder).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase)) {
        auto* item = new QTreeWidgetItem(parent, {sub});
        item->setIcon(0, closed);
        item->setData(0, Qt::UserRole, QDir(folder).filePath(sub));
    }
    tree->expandAll();
    tree->setCurrentItem(parent);
    tree->scrollToItem(parent, hint);
}

} // namespace kv::kit
