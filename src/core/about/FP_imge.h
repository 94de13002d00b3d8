#pragma once
// The choice of the main window's two pictures: a drive, a folder and a picture file are chosen, the
// picture is previewed and applied to the large "Droit" picture or to the "Gauche" picture; the
// choice is kept in the photos folder of the program folder:
//
//   "Droit.BMP" / "Gauche.BMP"      the picture applied to that side (or the built-in one, restored)
//   "Droit_V.BMP" / "Gauche_V.BMP"  that side was emptied; holds the built-in "Droit" picture
//
// A side's plain file and its "_V" file exclude each other: one is deleted before the other is written.
// Applying while the preview holds no picture (a file was loaded, then the folder changed and there
// is no "Cadre_V.BMP" to show) empties the side, as when no file has been loaded at all.
#include <QDialog>
#include <QPixmap>
#include <array>

class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QListWidget;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace kv {

class MainPictures;
class PictureButton;
class Session;

class FP_imge : public QDialog {
    Q_OBJECT
public:
    FP_imge(Session& session, MainPictures& pictures, QWidget* parent = nullptr);

    /// The file list's patterns, matched in any letter case: "*.BMP;*.GIF;*.JPG", and also JPEG and PNG files.
    static const QStringList kPatterns;
    /// The buttons of Image6.
    enum ImageButton { ApplyDroit = 0, ApplyGauche = 1, Close = 2 };

    // ---- state -------------------------------------------------------------------------------------
    /// True until a file of the file list has been loaded into the preview.
    bool noFileLoaded() const { return noFileLoaded_; }
    /// The folder list's path.
    QString folder() const { return folder_; }
    /// The picture held by the preview (null when empty).
    QPixmap previewPicture() const { return preview_; }
    /// The root paths offered by the drive list, in its order.
    QStringList drives() const;

    // ---- widgets -----------------------------------------------------------------------------------
    QComboBox* driveList() const { return drives_; }
    QTreeWidget* folderList() const { return folders_; }
    QListWidget* fileList() const { return files_; }
    QGroupBox* previewPanel() const { return previewPanel_; }
    QLabel* previewLabel() const { return previewLabel_; }
    PictureButton* imageButton(int index) const { return image6_.at(index); }
    QFrame* buttonPanel() const { return buttonPanel_; }
    QPushButton* restoreButton() const { return restore_; }
    QPushButton* whiteButton() const { return white_; }

    // ---- commands ----------------------------------------------------------------------------------
    /// Change of drive: the folder list moves to the root of the drive at `index` of the drive list.
    /// A drive that cannot be read is refused with a message; the drive list goes back to the folder's.
    void chooseDrive(int index);
    /// Change of folder: the file list follows, the preview is emptied (or shows "Cadre_V.BMP").
    void changeFolder(const QString& path);
    /// A click in the folder list that does not change the folder: the preview is emptied.
    void folderClicked();
    /// A click in the file list on `name`: the picture is previewed when its file exists and can be
    /// read; both apply buttons are enabled in every case.
    void fileClicked(const QString& name);
    /// Applies the preview to `side` (MainPictures::Droit or MainPictures::Gauche).
    void apply(int side);
    /// "Restituer les images originales".
    void restoreOriginals();
    /// "Fond blanc sans  images".
    void whiteBackground();

private:
    void fillFolders();
    void fillFiles();
    void emptyPreview();
    void showPreview(const QPixmap& picture);
    void selectDriveOf(const QString& path);
    QString photo(const QString& name) const;
    void remove(const QString& name);
    void write(const QPixmap& picture, const QString& name);

    Session& s_;
    MainPictures& pictures_;
    bool noFileLoaded_ = true;
    QString folder_;
    QPixmap preview_;

    QComboBox* drives_;
    QTreeWidget* folders_;
    QListWidget* files_;
    QGroupBox* previewPanel_;
    QLabel* previewLabel_;
    QFrame* buttonPanel_;
    std::array<PictureButton*, 3> image6_{};
    QPushButton* restore_;
    QPushButton* white_;
};

} // namespace kv
