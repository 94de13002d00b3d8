#include "FolderChooser.h"

#include "core/kit/FolderTree.h"
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

using kit::readableFolder;

namespace {

constexpr int kPathRole = Qt::UserRole; // as the folder tree keeps it

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

void FolderChooser::selectDriveOf(const QString& path) { kit::selectDriveOf(drives_, path); }

void FolderChooser::fillFolders() { kit::fillFolderTree(folders_, drives_->currentData().toString(), folder_); }

} // namespace kv::exercise
