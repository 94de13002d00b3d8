#include "FolderChooser.h"

#include "core/kit/ScreenKit.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QStorageInfo>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace kv::exercise {

namespace {

constexpr int kPathRole = Qt::UserRole;

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

QStringList volumeRoots()
{
    QStringList roots;
    for (const QStorageInfo& v : QStorageInfo::mountedVolumes()) {
        if (!v.isValid() || !QFileInfo(v.rootPath()).isDir() || roots.contains(v.rootPath()))
            continue;
        roots << v.rootPath();
    }
    std::sort(roots.begin(), roots.end(), [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    return roots;
}

} // namespace

FolderChooser::FolderChooser(const QString& heading, QWidget* parent) : QWidget(parent)
{
    drives_ = new QComboBox(this);
    drives_->setObjectName(QStringLiteral("lecteur"));
    drives_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    drives_->setMinimumContentsLength(16);
    const QIcon driveIcon = style()->standardIcon(QStyle::SP_DriveHDIcon);
    for (const QString& root : volumeRoots())
        drives_->addItem(driveIcon, root, root);

    folders_ = new QTreeWidget(this);
    folders_->setObjectName(QStringLiteral("dossier"));
    folders_->setHeaderHidden(true);
    folders_->setRootIsDecorated(false);
    folders_->setIndentation(14);
    folders_->setUniformRowHeights(true);
    folders_->setMinimumSize(240, 150);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    layout->addWidget(kit::panelHeading(heading, this));
    layout->addWidget(new QLabel(QStringLiteral("Lecteur"), this));
    layout->addWidget(drives_);
    layout->addWidget(new QLabel(QStringLiteral("Dossier"), this));
    layout->addWidget(folders_, 1);

    connect(drives_, &QComboBox::activated, this, &FolderChooser::chooseDrive);
    connect(folders_, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item) {
        const QString path = item->data(0, kPathRole).toString();
        if (path != folder_)
            setFolder(path);
    });
}

QStringList FolderChooser::drives() const
{
    QStringList roots;
    for (int i = 0; i < drives_->count(); ++i)
        roots << drives_->itemData(i).toString();
    return roots;
}

bool FolderChooser::setFolder(const QString& path)
{
    const QString clean = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    if (!readableFolder(clean))
        return false;
    folder_ = clean;
    selectDriveOf(folder_);
    fillFolders();
    emit folderChanged(folder_);
    return true;
}

void FolderChooser::chooseDrive(int index)
{
    const QString root = drives_->itemData(index).toString();
    if (!readableFolder(root) || !QStorageInfo(root).isReady() || !setFolder(root))
        selectDriveOf(folder_);
}

void FolderChooser::selectDriveOf(const QString& path)
{
    int best = -1;
    qsizetype bestLength = -1;
    for (int i = 0; i < drives_->count(); ++i) {
        const QString root = drives_->itemData(i).toString();
        if (isUnder(path, root) && root.size() > bestLength) {
            best = i;
            bestLength = root.size();
        }
    }
    if (best < 0) {
        const QString root = QStorageInfo(path).isValid() ? QStorageInfo(path).rootPath() : QStringLiteral("/");
        drives_->addItem(style()->standardIcon(QStyle::SP_DriveHDIcon), root, root);
        best = drives_->count() - 1;
    }
    const QSignalBlocker block(drives_);
    drives_->setCurrentIndex(best);
}

void FolderChooser::fillFolders()
{
    const QSignalBlocker block(folders_);
    folders_->clear();
    const QString root = drives_->currentData().toString();
    QStringList chain;
    for (QString p = folder_;; p = QFileInfo(p).path()) {
        chain.prepend(p);
        if (p == root || !isUnder(p, root) || QFileInfo(p).path() == p)
            break;
    }
    const QIcon open = style()->standardIcon(QStyle::SP_DirOpenIcon);
    QTreeWidgetItem* parent = nullptr;
    for (const QString& p : chain) {
        const QString name = p == chain.first() ? p : QFileInfo(p).fileName();
        auto* item = parent ? new QTreeWidgetItem(parent, {name}) : new QTreeWidgetItem(folders_, {name});
        item->setIcon(0, p == chain.first() ? style()->standardIcon(QStyle::SP_DriveHDIcon) : open);
        item->setData(0, kPathRole, p);
        parent = item;
    }
    const QIcon closed = style()->standardIcon(QStyle::SP_DirClosedIcon);
    for (const QString& sub : QDir(folder_).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase)) {
        auto* item = new QTreeWidgetItem(parent, {sub});
        item->setIcon(0, closed);
        item->setData(0, kPathRole, QDir(folder_).filePath(sub));
    }
    folders_->expandAll();
    folders_->setCurrentItem(parent);
    folders_->scrollToItem(parent);
}

} // namespace kv::exercise
