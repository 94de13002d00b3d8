#include "FP_imge.h"

#include "MainPictures.h"
#include "PictureButton.h"
#include "Pictures.h"
#include "core/kit/Colours.h"
#include "core/kit/FolderTree.h"
#include "core/state/Session.h"
#include "platform/os/Files.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QStorageInfo>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <functional>

namespace kv {

const QStringList FP_imge::kPatterns = {QStringLiteral("*.BMP"), QStringLiteral("*.GIF"), QStringLiteral("*.JPG"),
                                        QStringLiteral("*.JPEG"), QStringLiteral("*.PNG")};

namespace {

constexpr QSize kPreviewSize(384, 288);
constexpr int kPathRole = Qt::UserRole; // as the folder tree keeps it
using kit::readableFolder;

/// The file list: a keyboard move to another file counts as a click on it.
class FileList : public QListWidget {
public:
    using QListWidget::QListWidget;
    std::function<void(QListWidgetItem*)> onKeyMove;

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        QListWidgetItem* before = currentItem();
        QListWidget::keyPressEvent(event);
        if (currentItem() && currentItem() != before && onKeyMove)
            onKeyMove(currentItem());
    }
};

/// The mounted file-system roots, sorted; entries that are plain files (bind mounts) are left out.
QList<QStorageInfo> volumes()
{
    QList<QStorageInfo> found;
    for (const QStorageInfo& v : QStorageInfo::mountedVolumes()) {
        if (!v.isValid())
            continue;
        const QFileInfo root(v.rootPath());
        if (root.exists() && !root.isDir())
            continue;
        if (std::any_of(found.cbegin(), found.cend(), [&](const QStorageInfo& f) { return f.rootPath() == v.rootPath(); }))
            continue;
        found << v;
    }
    std::sort(found.begin(), found.end(), [](const QStorageInfo& a, const QStorageInfo& b) {
        return a.rootPath().compare(b.rootPath(), Qt::CaseInsensitive) < 0;
    });
    return found;
}

QLabel* caption(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    label->setStyleSheet(QStringLiteral("color: %1;").arg(kit::colours::kAboutLabel));
    return label;
}

} // namespace

FP_imge::FP_imge(Session& session, MainPictures& pictures, QWidget* parent)
    : QDialog(parent), s_(session), pictures_(pictures)
{
    setObjectName(QStringLiteral("FP_imge"));
    setWindowTitle(QStringLiteral("Choix des images"));
    setModal(true);

    // ---- drive, folder and file lists ------------------------------------------------------------
    drives_ = new QComboBox(this);
    drives_->setObjectName(QStringLiteral("Drive1"));
    const QIcon driveIcon = style()->standardIcon(QStyle::SP_DriveHDIcon);
    for (const QStorageInfo& v : volumes()) {
        QString text = v.rootPath();
        const QString name = v.displayName();
        if (!name.isEmpty() && name != v.rootPath())
            text += QStringLiteral("   [") + name + u']';
        drives_->addItem(driveIcon, text, v.rootPath());
    }

    folders_ = new QTreeWidget(this);
    folders_->setObjectName(QStringLiteral("Dir1"));
    folders_->setHeaderHidden(true);
    folders_->setRootIsDecorated(false);
    folders_->setIndentation(14);
    folders_->setUniformRowHeights(true);
    folders_->setMinimumSize(260, 130);
    folders_->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Ignored);  // the preview sets the height

    auto* files = new FileList(this);
    files_ = files;
    files_->setObjectName(QStringLiteral("File1"));
    files_->setMinimumSize(260, 110);
    files_->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Ignored);
    files_->setUniformItemSizes(true);

    // ---- preview and commands --------------------------------------------------------------------
    previewPanel_ = new QGroupBox(QStringLiteral("Vide"), this);
    previewPanel_->setObjectName(QStringLiteral("cadre_apercu"));
    previewLabel_ = new QLabel(previewPanel_);
    previewLabel_->setObjectName(QStringLiteral("apercu"));
    previewLabel_->setFixedSize(kPreviewSize);
    previewLabel_->setAlignment(Qt::AlignCenter);
    previewLabel_->setStyleSheet(QStringLiteral("QLabel { background: %1; border: 1px solid %2; }")
                                     .arg(kit::colours::kPreviewBackground, kit::colours::kAboutRule));
    auto* previewLayout = new QVBoxLayout(previewPanel_);
    previewLayout->setContentsMargins(10, 8, 10, 10);
    previewLayout->addWidget(previewLabel_, 0, Qt::AlignCenter);

    buttonPanel_ = new QFrame(this);
    buttonPanel_->setObjectName(QStringLiteral("Panel_Image6"));
    buttonPanel_->setFrameShape(QFrame::StyledPanel);
    buttonPanel_->setStyleSheet(
        QStringLiteral("QFrame#Panel_Image6 { background: %1; border: 1px solid %2; border-radius: 6px; }")
            .arg(kit::colours::kAboutPanel, kit::colours::kAboutRule));
    auto* panelLayout = new QHBoxLayout(buttonPanel_);
    panelLayout->setContentsMargins(8, 6, 8, 6);
    panelLayout->setSpacing(10);
    const char* buttonPictures[3] = {"Appliquer_Droit", "Appliquer_Gauche", "Fermer"};
    const QString tips[3] = {QStringLiteral("Appliquer l'aperçu à l'image de fond"),
                             QStringLiteral("Appliquer l'aperçu à l'image de gauche"), QStringLiteral("Fermer")};
    for (int i = 0; i < 3; ++i) {
        auto* b = new PictureButton(builtInPicture(QString::fromLatin1(buttonPictures[i]), QSize(48, 48), devicePixelRatioF()),
                                    buttonPanel_);
        b->setObjectName(QStringLiteral("Image6_%1").arg(i));
        b->setToolTip(tips[i]);
        image6_[i] = b;
        panelLayout->addWidget(b);
    }
    connect(image6_[ApplyDroit], &PictureButton::clicked, this, [this] { apply(MainPictures::Droit); });
    connect(image6_[ApplyGauche], &PictureButton::clicked, this, [this] { apply(MainPictures::Gauche); });
    connect(image6_[Close], &PictureButton::clicked, this, &QDialog::reject);

    restore_ = new QPushButton(QStringLiteral("Restituer les images originales"), this);
    restore_->setObjectName(QStringLiteral("Command1"));
    white_ = new QPushButton(QStringLiteral("Fond blanc sans  images"), this);
    white_->setObjectName(QStringLiteral("Command2"));
    for (QPushButton* b : {restore_, white_}) {
        b->setAutoDefault(false);
        b->setMinimumHeight(30);
    }
    connect(restore_, &QPushButton::clicked, this, &FP_imge::restoreOriginals);
    connect(white_, &QPushButton::clicked, this, &FP_imge::whiteBackground);

    // ---- layout ------------------------------------------------------------------------------------
    auto* left = new QVBoxLayout;
    left->setSpacing(4);
    left->addWidget(caption(QStringLiteral("Lecteur"), this));
    left->addWidget(drives_);
    left->addSpacing(6);
    left->addWidget(caption(QStringLiteral("Dossiers"), this));
    left->addWidget(folders_, 1);
    left->addSpacing(6);
    left->addWidget(caption(QStringLiteral("Images"), this));
    left->addWidget(files_, 1);

    auto* commands = new QVBoxLayout;
    commands->setSpacing(8);
    commands->addWidget(restore_);
    commands->addWidget(white_);
    auto* bottom = new QHBoxLayout;
    bottom->setSpacing(12);
    bottom->addWidget(buttonPanel_, 0, Qt::AlignVCenter);
    bottom->addStretch();
    bottom->addLayout(commands);

    auto* right = new QVBoxLayout;
    right->setSpacing(12);
    right->addWidget(previewPanel_);
    right->addLayout(bottom);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(14, 12, 14, 14);
    layout->setSpacing(16);
    layout->addLayout(left, 1);
    layout->addLayout(right, 0);

    // ---- behaviour ---------------------------------------------------------------------------------
    connect(drives_, &QComboBox::activated, this, &FP_imge::chooseDrive);
    connect(folders_, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item) {
        const QString path = item->data(0, kPathRole).toString();
        if (path == folder_)
            folderClicked();
        else
            changeFolder(path);
    });
    connect(folders_, &QTreeWidget::itemClicked, this, [this] { folderClicked(); });
    connect(files_, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) { fileClicked(item->text()); });
    files->onKeyMove = [this](QListWidgetItem* item) { fileClicked(item->text()); };
    // Image6 loses its borders when the pointer moves over the panel behind it or the window.
    clearBordersOnMove(this, {buttonPanel_, this},
                       {image6_[ApplyDroit], image6_[ApplyGauche], image6_[Close]});

    // ---- opening: the program folder, nothing loaded yet -------------------------------------------
    changeFolder(QDir::cleanPath(QFileInfo(s_.programDir()).absoluteFilePath()));
    noFileLoaded_ = true;
}

QStringList FP_imge::drives() const
{
    QStringList roots;
    for (int i = 0; i < drives_->count(); ++i)
        roots << drives_->itemData(i).toString();
    return roots;
}

// ---- lists --------------------------------------------------------------------------------------------

void FP_imge::selectDriveOf(const QString& path) { kit::selectDriveOf(drives_, path); }

void FP_imge::fillFolders()
{
    kit::fillFolderTree(folders_, drives_->currentData().toString(), folder_, QAbstractItemView::PositionAtTop);
}

void FP_imge::fillFiles()
{
    files_->clear();
    const QIcon icon = style()->standardIcon(QStyle::SP_FileIcon);
    const QStringList names = QDir(folder_).entryList(kPatterns, QDir::Files, QDir::Name | QDir::IgnoreCase);
    for (const QString& name : names)
        files_->addItem(new QListWidgetItem(icon, name));
}

void FP_imge::chooseDrive(int index)
{
    const QString root = drives_->itemData(index).toString();
    const QStorageInfo volume(root);
    if (!readableFolder(root) || !volume.isValid() || !volume.isReady()) {
        s_.ui().refuse(QStringLiteral("Le lecteur ") + root + QStringLiteral(" n'est pas prêt"));
        selectDriveOf(folder_);
        return;
    }
    changeFolder(root);
}

void FP_imge::changeFolder(const QString& path)
{
    if (!readableFolder(path)) {
        // A folder that vanished or cannot be read: the lists stay where they were.
        s_.ui().beep();
        fillFolders();
        return;
    }
    folder_ = QDir::cleanPath(path);
    selectDriveOf(folder_);
    fillFolders();
    fillFiles();
    folderClicked();
}

void FP_imge::folderClicked()
{
    emptyPreview();
    const QString frame = s_.programFile(QStringLiteral("Cadre_V.BMP"));
    QPixmap picture;
    if (QFileInfo(frame).isFile() && picture.load(frame))
        showPreview(picture);
}

void FP_imge::fileClicked(const QString& name)
{
    const QString path = QDir(folder_).filePath(name.trimmed());
    if (QFileInfo(path).isFile()) {
        QPixmap picture;
        if (picture.load(path)) {
            showPreview(picture);
            noFileLoaded_ = false;
        } else {
            s_.ui().beep();  // not a picture this program can read: the preview stays as it is
        }
    }
    image6_[ApplyDroit]->setEnabled(true);
    image6_[ApplyGauche]->setEnabled(true);
}

// ---- preview ------------------------------------------------------------------------------------------

void FP_imge::emptyPreview()
{
    preview_ = QPixmap();
    previewLabel_->clear();
}

void FP_imge::showPreview(const QPixmap& picture)
{
    preview_ = picture;
    const qreal ratio = devicePixelRatioF();
    QPixmap shown = picture.scaled(kPreviewSize * ratio - QSize(2, 2) * ratio, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    shown.setDevicePixelRatio(ratio);
    previewLabel_->setPixmap(shown);
}

// ---- picture files ------------------------------------------------------------------------------------

QString FP_imge::photo(const QString& name) const
{
    return os::resolve(os::ensureFolder(s_.programDir(), QStringLiteral("photos")), name);
}

void FP_imge::remove(const QString& name)
{
    const QString path = photo(name);
    if (!QFileInfo::exists(path))
        return;
    if (!QFile::remove(path)) {
        os::clearAttributes(path);
        QFile::remove(path);
    }
}

void FP_imge::write(const QPixmap& picture, const QString& name)
{
    const QString path = photo(name);
    if (!saveAsBitmap(picture, path))
        s_.ui().refuse(QStringLiteral("Impossible d'enregistrer l'image ") + QDir::toNativeSeparators(path));
}

void FP_imge::apply(int side)
{
    const QString base = side == MainPictures::Droit ? QStringLiteral("Droit") : QStringLiteral("Gauche");
    remove(base + QStringLiteral(".BMP"));
    remove(base + QStringLiteral("_V.BMP"));
    if (noFileLoaded_ || preview_.isNull()) {
        pictures_.clear(side);
        write(pictures_.picture(MainPictures::BuiltInDroit), base + QStringLiteral("_V.BMP"));
    } else {
        pictures_.setPicture(side, preview_);
        write(preview_, base + QStringLiteral(".BMP"));
    }
    PictureButton* used = image6_[side == MainPictures::Droit ? ApplyDroit : ApplyGauche];
    used->setBordered(false);
    used->setEnabled(false);
}

void FP_imge::restoreOriginals()
{
    remove(QStringLiteral("Gauche_V.BMP"));
    remove(QStringLiteral("Droit_V.BMP"));
    pictures_.setPicture(MainPictures::Droit, pictures_.picture(MainPictures::BuiltInDroit));
    pictures_.setPicture(MainPictures::Gauche, pictures_.picture(MainPictures::BuiltInGauche));
    remove(QStringLiteral("Gauche.BMP"));
    write(pictures_.picture(MainPictures::Gauche), QStringLiteral("Gauche.BMP"));
    remove(QStringLiteral("Droit.BMP"));
    write(pictures_.picture(MainPictures::Droit), QStringLiteral("Droit.BMP"));
    accept();
}

void FP_imge::whiteBackground()
{
    pictures_.clear(MainPictures::Droit);
    pictures_.clear(MainPictures::Gauche);
    remove(QStringLiteral("Gauche.BMP"));
    write(pictures_.picture(MainPictures::BuiltInDroit), QStringLiteral("Gauche_V.BMP"));
    remove(QStringLiteral("Droit.BMP"));
    write(pictures_.picture(MainPictures::BuiltInDroit), QStringLiteral("Droit_V.BMP"));
    accept();
}

} // namespace kv
