// The about box, the presentation, the picture choice and the main window's pictures: the built-in
// artwork, the picture files each command leaves in the photos folder, and the last choice read back.
#include "harness/FixtureTest.h"

#include "core/about/Auteur.h"
#include "core/about/Deployment.h"
#include "core/about/FP_imge.h"
#include "core/about/F_HLP.h"
#include "core/about/MainPictures.h"
#include "core/about/PictureButton.h"
#include "core/about/Pictures.h"

#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <QTreeWidget>

using namespace kv;
using namespace kv::test;
using ui::Icon;

namespace {

QImage rgb(const QImage& image) { return image.convertToFormat(QImage::Format_RGB32); }
QImage rgb(const QPixmap& picture) { return rgb(picture.toImage()); }

/// A small picture of one colour with a mark in a corner, so that a picture and its mirror differ.
QImage sample(QColor colour, QSize size = {40, 30})
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    QPainter(&image).fillRect(0, 0, 6, 4, Qt::black);
    return image;
}

bool hasPicture(const QPixmap& p) { return !p.isNull(); }

/// Every file name of a folder, in any letter case.
QStringList namesIn(const QString& folder) { return QDir(folder).entryList(QDir::Files, QDir::Name | QDir::IgnoreCase); }

void hover(QWidget* w)
{
    QEnterEvent enter(QPointF(2, 2), w->mapToGlobal(QPointF(2, 2)), w->mapToGlobal(QPointF(2, 2)));
    QApplication::sendEvent(w, &enter);
}

void moveOver(QWidget* w) { QTest::mouseMove(w, QPoint(1, 1)); }

void clickItem(QListWidget* list, const QString& name)
{
    const QList<QListWidgetItem*> found = list->findItems(name, Qt::MatchExactly);
    QVERIFY2(found.size() == 1, qPrintable(name));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(found.first()).center());
}

/// A double click as the pointer makes it: a click, then the double click.
void doubleClick(QTreeWidget* tree, QTreeWidgetItem* item)
{
    const QPoint at = tree->visualItemRect(item).center();
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, at);
}

QTreeWidgetItem* folderItem(QTreeWidget* tree, const QString& name)
{
    const QList<QTreeWidgetItem*> found = tree->findItems(name, Qt::MatchExactly | Qt::MatchRecursive);
    return found.isEmpty() ? nullptr : found.first();
}

} // namespace

class AboutTest : public FixtureTest {
    Q_OBJECT

    QString photos() { return QDir(folder().path()).filePath(QStringLiteral("photos")); }
    QString photo(const QString& name) { return QDir(photos()).filePath(name); }

    /// A folder "images" in the program folder with three pictures and a file that is none.
    QString makeImages()
    {
        const QString dir = folder().file(QStringLiteral("images"));
        QDir().mkpath(dir);
        sample(Qt::red).save(dir + QStringLiteral("/Route.png"));
        sample(Qt::blue).save(dir + QStringLiteral("/Garage.PNG"));
        sample(Qt::green).save(dir + QStringLiteral("/atelier.bmp"));
        QFile notes(dir + QStringLiteral("/notes.txt"));
        notes.open(QIODevice::WriteOnly);
        notes.write("pas une image");
        return dir;
    }

    /// The picture choice, shown, moved to the folder "images".
    std::unique_ptr<FP_imge> openChoice(MainPictures& pictures, bool inImages = true)
    {
        auto screen = std::make_unique<FP_imge>(s(), pictures);
        screen->show();
        if (!QTest::qWaitForWindowExposed(screen.get()))
            qWarning("picture choice not exposed");
        if (inImages)
            screen->changeFolder(makeImages());
        return screen;
    }

    QStringList fileNames(const FP_imge& screen)
    {
        QStringList names;
        for (int i = 0; i < screen.fileList()->count(); ++i)
            names << screen.fileList()->item(i)->text();
        return names;
    }

private slots:
    void init()
    {
        f_ = std::make_unique<CoreFixture>();
        QDir().mkpath(photos());
    }
    void cleanup() { f_.reset(); }

    // ---- built-in pictures ---------------------------------------------------------------------------

    void builtInPicturesAreCompiledIn_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QSize>("size");
        QTest::newRow("Droit") << "Droit" << QSize(720, 540);
        QTest::newRow("Gauche") << "Gauche" << QSize(393, 369);
        QTest::newRow("Cadre_V") << "Cadre_V" << QSize(360, 270);
        for (const char* name : {"Chauffeurs", "Clients", "Salaires", "Recettes", "Journal", "Caisse", "Quitter", "Agents"})
            QTest::newRow(name) << QString::fromLatin1(name) << QSize(64, 64);
        QTest::newRow("Véhicules") << QStringLiteral("Véhicules") << QSize(64, 64);
        QTest::newRow("Vehicules, no accent") << "Vehicules" << QSize(64, 64);
        QTest::newRow("any letter case") << "dROIT" << QSize(720, 540);
        for (const char* name : {"Appliquer_Droit", "Appliquer_Gauche", "Fermer"})
            QTest::newRow(name) << QString::fromLatin1(name) << QSize(48, 48);
    }
    void builtInPicturesAreCompiledIn()
    {
        QFETCH(QString, name);
        QFETCH(QSize, size);
        QVERIFY(QFile::exists(builtInPicturePath(name)));
        QCOMPARE(builtInPictureSize(name), size);
        const QImage natural = builtInPicture(name).toImage();
        QCOMPARE(natural.size(), size);
        // Really drawn: many colours, mostly opaque.
        QSet<QRgb> colours;
        int opaque = 0;
        for (int y = 0; y < natural.height(); y += 2)
            for (int x = 0; x < natural.width(); x += 2) {
                colours.insert(natural.pixel(x, y));
                opaque += qAlpha(natural.pixel(x, y)) == 255;
            }
        QVERIFY2(colours.size() > 5, qPrintable(QString::number(colours.size())));
        QVERIFY(opaque * 8 > natural.width() * natural.height() / 4 * 5);
        // Any other size, and sharp on a screen of double density.
        QCOMPARE(builtInPicture(name, QSize(30, 20)).size(), QSize(30, 20));
        const QPixmap dense = builtInPicture(name, size, 2.0);
        QCOMPARE(dense.size(), size * 2);
        QCOMPARE(dense.deviceIndependentSize().toSize(), size);
    }

    void everyListedNameRendersAndUnknownNamesDoNot()
    {
        QCOMPARE(builtInPictureNames().size(), 15);
        for (const QString& name : builtInPictureNames())
            QVERIFY2(!builtInPicture(name).isNull(), qPrintable(name));
        QVERIFY(builtInPicture(QStringLiteral("Tracteur")).isNull());
        QVERIFY(!builtInPictureSize(QStringLiteral("Tracteur")).isValid());
        QVERIFY(builtInPicturePath(QStringLiteral("Tracteur")).isEmpty());
    }

    void previewFrameIsInstalledOnce()
    {
        QVERIFY(installPreviewFrame(folder().path()));
        const QImage written(folder().file(QStringLiteral("Cadre_V.BMP")));
        QCOMPARE(rgb(written), rgb(builtInPicture(QStringLiteral("Cadre_V"))));
        // A frame of the deployment, in any letter case, is left as it is.
        f_->reset();
        sample(Qt::yellow).save(folder().file(QStringLiteral("cadre_v.bmp")), "BMP");
        QVERIFY(installPreviewFrame(folder().path()));
        QCOMPARE(namesIn(folder().path()).filter(QStringLiteral("cadre"), Qt::CaseInsensitive), QStringList{"cadre_v.bmp"});
        QCOMPARE(rgb(QImage(folder().file(QStringLiteral("cadre_v.bmp")))), sample(Qt::yellow));
    }

    // ---- the main window's pictures ------------------------------------------------------------------

    void mainPicturesHoldTheBuiltInOnes()
    {
        MainPictures pictures;
        QCOMPARE(rgb(pictures.picture(MainPictures::BuiltInDroit)), rgb(builtInPicture(QStringLiteral("Droit"))));
        QCOMPARE(rgb(pictures.picture(MainPictures::BuiltInGauche)), rgb(builtInPicture(QStringLiteral("Gauche"))));
        QVERIFY(pictures.picture(MainPictures::Droit).isNull());
        QVERIFY(pictures.picture(MainPictures::Gauche).isNull());

        QSignalSpy changed(&pictures, &MainPictures::pictureChanged);
        pictures.setPicture(MainPictures::Gauche, QPixmap::fromImage(sample(Qt::red)));
        pictures.clear(MainPictures::Droit);
        QCOMPARE(changed.size(), 2);
        QCOMPARE(changed.at(0).at(0).toInt(), MainPictures::Gauche);
        QCOMPARE(changed.at(1).at(0).toInt(), MainPictures::Droit);
    }

    void restoreLastChoice_data()
    {
        // Files of the photos folder, oldest first ("!" before a name: a file that is no picture);
        // what each side then shows: "" empty, "built-in", or the name of the file it was read from.
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QString>("droit");
        QTest::addColumn<QString>("gauche");
        QTest::newRow("nothing chosen yet") << QStringList{} << "" << "built-in";
        QTest::newRow("both chosen") << QStringList{"Droit.BMP", "Gauche.BMP"} << "Droit.BMP" << "Gauche.BMP";
        QTest::newRow("names in another letter case") << QStringList{"droit.bmp", "GAUCHE.bmp"} << "droit.bmp" << "GAUCHE.bmp";
        QTest::newRow("both emptied") << QStringList{"Droit_V.BMP", "Gauche_V.BMP"} << "" << "";
        QTest::newRow("Gauche emptied only") << QStringList{"gauche_v.bmp"} << "" << "";
        QTest::newRow("Droit chosen, Gauche as built") << QStringList{"Droit.BMP"} << "Droit.BMP" << "built-in";
        QTest::newRow("unreadable file") << QStringList{"!Gauche.BMP", "!Droit.BMP"} << "" << "built-in";
        QTest::newRow("both files, emptied last") << QStringList{"Gauche.BMP", "Gauche_V.BMP"} << "" << "";
        QTest::newRow("both files, chosen last") << QStringList{"Gauche_V.BMP", "Gauche.BMP"} << "" << "Gauche.BMP";
    }
    void restoreLastChoice()
    {
        QFETCH(QStringList, files);
        QFETCH(QString, droit);
        QFETCH(QString, gauche);
        const QDateTime start = QDateTime::currentDateTime().addSecs(-100);
        QHash<QString, QImage> written;
        for (int i = 0; i < files.size(); ++i) {
            QString name = files[i];
            const bool garbage = name.startsWith(u'!');
            if (garbage)
                name.remove(0, 1);
            const QString path = photo(name);
            if (garbage) {
                folder().write(QStringLiteral("photos/") + name, "not a bitmap");
            } else {
                written[name] = sample(QColor::fromHsv(i * 40, 200, 220));
                QVERIFY(written[name].save(path, "BMP"));
            }
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadWrite));
            QVERIFY(file.setFileTime(start.addSecs(10 * i), QFileDevice::FileModificationTime));
        }

        MainPictures pictures;
        pictures.setPicture(MainPictures::Droit, QPixmap::fromImage(sample(Qt::gray)));
        pictures.restoreLastChoice(photos());

        auto check = [&](int position, const QString& expected) {
            const QPixmap shown = pictures.picture(position);
            if (expected.isEmpty())
                QVERIFY(shown.isNull());
            else if (expected == QLatin1String("built-in"))
                QCOMPARE(rgb(shown), rgb(pictures.picture(MainPictures::BuiltInGauche)));
            else
                QCOMPARE(rgb(shown), written.value(expected));
        };
        check(MainPictures::Droit, droit);
        check(MainPictures::Gauche, gauche);
    }

    // ---- picture choice: opening and lists -------------------------------------------------------------

    void choiceOpensOnTheProgramFolder()
    {
        for (const char* name : {"b.PNG", "A.bmp", "c.jpg", "d.Gif", "e.JPEG", "F.BMP", "notes.txt", "x.BMP.txt"})
            folder().write(QString::fromLatin1(name), "x");
        MainPictures pictures;
        FP_imge screen(s(), pictures);

        QCOMPARE(screen.objectName(), QStringLiteral("FP_imge"));
        QCOMPARE(screen.windowTitle(), QStringLiteral("Choix des images"));
        QCOMPARE(screen.previewPanel()->title(), QStringLiteral("Vide"));
        QCOMPARE(screen.restoreButton()->text(), QStringLiteral("Restituer les images originales"));
        QCOMPARE(screen.whiteButton()->text(), QStringLiteral("Fond blanc sans  images"));

        const QString programDir = QDir::cleanPath(QFileInfo(folder().path()).absoluteFilePath());
        QCOMPARE(screen.folder(), programDir);
        QCOMPARE(fileNames(screen), (QStringList{"A.bmp", "b.PNG", "c.jpg", "d.Gif", "e.JPEG", "F.BMP"}));
        QVERIFY(screen.noFileLoaded());
        QVERIFY(screen.previewPicture().isNull());
        for (int i = 0; i < 3; ++i)
            QVERIFY(screen.imageButton(i)->isEnabled());

        // The drive list: sorted roots, the current one holding the program folder.
        const QStringList drives = screen.drives();
        QVERIFY(!drives.isEmpty());
        QStringList sorted = drives;
        std::sort(sorted.begin(), sorted.end(), [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
        QCOMPARE(drives, sorted);
        const QString current = screen.driveList()->currentData().toString();
        QVERIFY2(programDir.startsWith(current), qPrintable(current));
        // The folder list ends on the program folder, with its sub-folders under it.
        QTreeWidgetItem* here = screen.folderList()->currentItem();
        QVERIFY(here);
        QCOMPARE(here->text(0), QFileInfo(programDir).fileName());
        QCOMPARE(here->childCount(), 1);
        QCOMPARE(here->child(0)->text(0), QStringLiteral("photos"));
    }

    void foldersChangeOnActivationAndEmptyThePreview_data()
    {
        QTest::addColumn<QString>("frameFile");  // the empty-frame picture of the program folder, if any
        QTest::newRow("no frame picture") << QString();
        QTest::newRow("frame picture") << QStringLiteral("Cadre_V.BMP");
        QTest::newRow("frame picture, other letter case") << QStringLiteral("CADRE_v.bmp");
    }
    void foldersChangeOnActivationAndEmptyThePreview()
    {
        QFETCH(QString, frameFile);
        const QImage frame = sample(Qt::lightGray, {36, 27});
        if (!frameFile.isEmpty())
            QVERIFY(frame.save(folder().file(frameFile), "BMP"));
        makeImages();
        MainPictures pictures;
        auto screen = openChoice(pictures, false);
        QTreeWidget* tree = screen->folderList();

        QTreeWidgetItem* images = folderItem(tree, QStringLiteral("images"));
        QVERIFY(images);
        doubleClick(tree, images);
        QCOMPARE(QFileInfo(screen->folder()).fileName(), QStringLiteral("images"));
        QCOMPARE(fileNames(*screen), (QStringList{"atelier.bmp", "Garage.PNG", "Route.png"}));

        clickItem(screen->fileList(), QStringLiteral("Route.png"));
        QCOMPARE(rgb(screen->previewPicture()), sample(Qt::red));
        QVERIFY(!screen->noFileLoaded());

        // A click on the current folder empties the preview but keeps the files and the flag.
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(tree->currentItem()).center());
        if (frameFile.isEmpty())
            QVERIFY(screen->previewPicture().isNull());
        else
            QCOMPARE(rgb(screen->previewPicture()), frame);
        QCOMPARE(screen->fileList()->count(), 3);
        QVERIFY(!screen->noFileLoaded());

        // Back up to the program folder: its files, and the preview emptied again.
        clickItem(screen->fileList(), QStringLiteral("Garage.PNG"));
        QTreeWidgetItem* up = tree->currentItem()->parent();
        doubleClick(tree, up);
        QCOMPARE(screen->folder(), QDir::cleanPath(QFileInfo(folder().path()).absoluteFilePath()));
        QCOMPARE(fileNames(*screen), frameFile.isEmpty() ? QStringList{} : QStringList{frameFile});
        QCOMPARE(hasPicture(screen->previewPicture()), !frameFile.isEmpty());
    }

    void drivesThatCannotBeReadAreRefused()
    {
        MainPictures pictures;
        auto screen = openChoice(pictures);
        const QString before = screen->folder();
        const int beforeDrive = screen->driveList()->currentIndex();
        clickItem(screen->fileList(), QStringLiteral("Route.png"));

        screen->driveList()->addItem(QStringLiteral("/kavorel-lecteur-absent"), QStringLiteral("/kavorel-lecteur-absent"));
        const int absent = screen->driveList()->count() - 1;
        screen->driveList()->setCurrentIndex(absent);
        emit screen->driveList()->activated(absent);

        QCOMPARE(ui().messages.size(), 1);
        QCOMPARE(ui().last().icon, Icon::Critical);
        QCOMPARE(ui().last().title, QStringLiteral("ATTENTION"));
        QVERIFY(ui().last().text.contains(QStringLiteral("/kavorel-lecteur-absent")));
        QCOMPARE(screen->folder(), before);
        QCOMPARE(screen->driveList()->currentIndex(), beforeDrive);
        QCOMPARE(fileNames(*screen), (QStringList{"atelier.bmp", "Garage.PNG", "Route.png"}));
        QCOMPARE(rgb(screen->previewPicture()), sample(Qt::red));

        // A drive that is ready: the folder list goes to its root.
        emit screen->driveList()->activated(beforeDrive);
        QCOMPARE(screen->folder(), screen->driveList()->itemData(beforeDrive).toString());
        QVERIFY(screen->previewPicture().isNull());
        QCOMPARE(ui().messages.size(), 1);
    }

    // ---- picture choice: applying ------------------------------------------------------------------

    void applyingBeforeAnyFileEmptiesTheSide_data()
    {
        QTest::addColumn<int>("side");
        QTest::addColumn<QString>("plain");     // the side's picture file left by an earlier choice
        QTest::addColumn<QString>("emptied");   // the "_V" file applying writes
        QTest::addColumn<QString>("otherPlain");
        QTest::newRow("Droit") << int(MainPictures::Droit) << "Droit.BMP" << "Droit_V.BMP" << "Gauche.BMP";
        QTest::newRow("Gauche, file in lower case") << int(MainPictures::Gauche) << "gauche.bmp" << "Gauche_V.BMP" << "Droit.BMP";
    }
    void applyingBeforeAnyFileEmptiesTheSide()
    {
        QFETCH(int, side);
        QFETCH(QString, plain);
        QFETCH(QString, emptied);
        QFETCH(QString, otherPlain);
        QVERIFY(sample(Qt::cyan).save(photo(plain), "BMP"));
        QVERIFY(sample(Qt::magenta).save(photo(otherPlain), "BMP"));
        MainPictures pictures;
        pictures.setPicture(side, QPixmap::fromImage(sample(Qt::cyan)));
        auto screen = openChoice(pictures);
        const int other = 1 - side;

        QTest::mouseClick(screen->imageButton(side), Qt::LeftButton);

        QVERIFY(pictures.picture(side).isNull());
        QStringList expected{emptied, otherPlain};
        expected.sort(Qt::CaseInsensitive);
        QCOMPARE(namesIn(photos()), expected);
        QCOMPARE(rgb(QImage(photo(emptied))), rgb(builtInPicture(QStringLiteral("Droit"))));
        QCOMPARE(rgb(QImage(photo(otherPlain))), sample(Qt::magenta));
        QVERIFY(!screen->imageButton(side)->isEnabled());
        QVERIFY(screen->imageButton(other)->isEnabled());
        QVERIFY(screen->isVisible());
        QCOMPARE(screen->result(), 0);
    }

    void applyingAChosenFileWritesThePlainFile_data()
    {
        QTest::addColumn<int>("side");
        QTest::addColumn<QString>("plain");
        QTest::addColumn<QString>("emptied");
        QTest::newRow("Droit") << int(MainPictures::Droit) << "Droit.BMP" << "Droit_V.BMP";
        QTest::newRow("Gauche") << int(MainPictures::Gauche) << "Gauche.BMP" << "Gauche_V.BMP";
    }
    void applyingAChosenFileWritesThePlainFile()
    {
        QFETCH(int, side);
        QFETCH(QString, plain);
        QFETCH(QString, emptied);
        QVERIFY(sample(Qt::white).save(photo(emptied), "BMP"));
        MainPictures pictures;
        auto screen = openChoice(pictures);
        const int other = 1 - side;

        clickItem(screen->fileList(), QStringLiteral("Route.png"));
        QVERIFY(!screen->noFileLoaded());
        QTest::mouseClick(screen->imageButton(side), Qt::LeftButton);

        QCOMPARE(rgb(pictures.picture(side)), sample(Qt::red));
        QVERIFY(pictures.picture(other).isNull());
        QCOMPARE(namesIn(photos()), QStringList{plain});
        QCOMPARE(rgb(QImage(photo(plain))), sample(Qt::red));

        // The button just used stays disabled, whatever else is done, until a file is clicked.
        QVERIFY(!screen->imageButton(side)->isEnabled());
        QTest::mouseClick(screen->imageButton(other), Qt::LeftButton);
        QVERIFY(!screen->imageButton(side)->isEnabled());
        QVERIFY(!screen->imageButton(other)->isEnabled());
        QTest::mouseClick(screen->imageButton(side), Qt::LeftButton);  // disabled: nothing happens
        QCOMPARE(rgb(QImage(photo(plain))), sample(Qt::red));

        clickItem(screen->fileList(), QStringLiteral("Garage.PNG"));
        QVERIFY(screen->imageButton(side)->isEnabled());
        QVERIFY(screen->imageButton(other)->isEnabled());
        QTest::mouseClick(screen->imageButton(side), Qt::LeftButton);
        QCOMPARE(rgb(QImage(photo(plain))), sample(Qt::blue));
        QCOMPARE(rgb(pictures.picture(side)), sample(Qt::blue));
        QCOMPARE(rgb(pictures.picture(other)), sample(Qt::red));
    }

    void aKeyMoveInTheFileListLoadsThePicture()
    {
        MainPictures pictures;
        auto screen = openChoice(pictures);
        clickItem(screen->fileList(), QStringLiteral("atelier.bmp"));
        QTest::keyClick(screen->fileList(), Qt::Key_Down);
        QCOMPARE(rgb(screen->previewPicture()), sample(Qt::blue));
    }

    void clickingAVanishedFile_data()
    {
        QTest::addColumn<bool>("loadFirst");
        QTest::newRow("before any file was loaded") << false;
        QTest::newRow("after a file was loaded") << true;
    }
    void clickingAVanishedFile()
    {
        QFETCH(bool, loadFirst);
        MainPictures pictures;
        auto screen = openChoice(pictures);
        if (loadFirst)
            clickItem(screen->fileList(), QStringLiteral("Route.png"));
        QTest::mouseClick(screen->imageButton(FP_imge::ApplyDroit), Qt::LeftButton);
        QTest::mouseClick(screen->imageButton(FP_imge::ApplyGauche), Qt::LeftButton);
        const QPixmap before = screen->previewPicture();

        QVERIFY(QFile::remove(QDir(screen->folder()).filePath(QStringLiteral("Garage.PNG"))));
        clickItem(screen->fileList(), QStringLiteral("Garage.PNG"));

        QCOMPARE(screen->noFileLoaded(), !loadFirst);
        QCOMPARE(hasPicture(screen->previewPicture()), loadFirst);
        if (loadFirst)
            QCOMPARE(rgb(screen->previewPicture()), rgb(before));
        QVERIFY(screen->imageButton(FP_imge::ApplyDroit)->isEnabled());
        QVERIFY(screen->imageButton(FP_imge::ApplyGauche)->isEnabled());
        QVERIFY(ui().messages.isEmpty());
    }

    void aFileThatIsNoPictureKeepsThePreview()
    {
        MainPictures pictures;
        auto screen = openChoice(pictures);
        clickItem(screen->fileList(), QStringLiteral("Route.png"));
        QTest::mouseClick(screen->imageButton(FP_imge::ApplyDroit), Qt::LeftButton);
        QFile fake(QDir(screen->folder()).filePath(QStringLiteral("atelier.bmp")));
        QVERIFY(fake.open(QIODevice::WriteOnly | QIODevice::Truncate));
        fake.write("plus une image");
        fake.close();

        clickItem(screen->fileList(), QStringLiteral("atelier.bmp"));
        QCOMPARE(rgb(screen->previewPicture()), sample(Qt::red));
        QVERIFY(screen->imageButton(FP_imge::ApplyDroit)->isEnabled());
        QCOMPARE(ui().beeps, 1);
    }

    void applyingAfterTheFolderChanged_data()
    {
        QTest::addColumn<bool>("withFrame");
        QTest::newRow("empty preview") << false;
        QTest::newRow("frame picture in the preview") << true;
    }
    void applyingAfterTheFolderChanged()
    {
        QFETCH(bool, withFrame);
        const QImage frame = sample(Qt::lightGray, {36, 27});
        if (withFrame)
            QVERIFY(frame.save(folder().file(QStringLiteral("Cadre_V.BMP")), "BMP"));
        MainPictures pictures;
        auto screen = openChoice(pictures);
        clickItem(screen->fileList(), QStringLiteral("Route.png"));
        screen->changeFolder(folder().path());

        QTest::mouseClick(screen->imageButton(FP_imge::ApplyDroit), Qt::LeftButton);
        if (withFrame) {
            // The preview holds the frame: it is what gets applied.
            QCOMPARE(rgb(pictures.picture(MainPictures::Droit)), frame);
            QCOMPARE(namesIn(photos()), QStringList{"Droit.BMP"});
            QCOMPARE(rgb(QImage(photo(QStringLiteral("Droit.BMP")))), frame);
        } else {
            // Nothing to apply: the side is emptied, as before any file was loaded.
            QVERIFY(pictures.picture(MainPictures::Droit).isNull());
            QCOMPARE(namesIn(photos()), QStringList{"Droit_V.BMP"});
            QCOMPARE(rgb(QImage(photo(QStringLiteral("Droit_V.BMP")))), rgb(builtInPicture(QStringLiteral("Droit"))));
        }
        QVERIFY(ui().messages.isEmpty());
    }

    void aPhotosFolderThatIsMissingIsCreated()
    {
        QVERIFY(QDir(photos()).removeRecursively());
        MainPictures pictures;
        auto screen = openChoice(pictures);
        QTest::mouseClick(screen->imageButton(FP_imge::ApplyGauche), Qt::LeftButton);
        QCOMPARE(namesIn(photos()), QStringList{"Gauche_V.BMP"});
    }

    // ---- picture choice: the two commands and closing ------------------------------------------------

    void whiteBackgroundThenRestoreOriginals()
    {
        QVERIFY(sample(Qt::red).save(photo(QStringLiteral("Droit.BMP")), "BMP"));
        QVERIFY(sample(Qt::blue).save(photo(QStringLiteral("GAUCHE.BMP")), "BMP"));
        MainPictures pictures;
        pictures.restoreLastChoice(photos());
        const QImage builtInDroit = rgb(builtInPicture(QStringLiteral("Droit")));
        const QImage builtInGauche = rgb(builtInPicture(QStringLiteral("Gauche")));

        {
            auto screen = openChoice(pictures);
            screen->whiteButton()->click();
            QCOMPARE(screen->result(), int(QDialog::Accepted));
            QVERIFY(!screen->isVisible());
        }
        QVERIFY(pictures.picture(MainPictures::Droit).isNull());
        QVERIFY(pictures.picture(MainPictures::Gauche).isNull());
        QCOMPARE(namesIn(photos()), (QStringList{"Droit_V.BMP", "Gauche_V.BMP"}));
        QCOMPARE(rgb(QImage(photo(QStringLiteral("Droit_V.BMP")))), builtInDroit);
        QCOMPARE(rgb(QImage(photo(QStringLiteral("Gauche_V.BMP")))), builtInDroit);

        {
            auto screen = openChoice(pictures);
            clickItem(screen->fileList(), QStringLiteral("Route.png"));  // the preview plays no part
            screen->restoreButton()->click();
            QCOMPARE(screen->result(), int(QDialog::Accepted));
        }
        QCOMPARE(rgb(pictures.picture(MainPictures::Droit)), builtInDroit);
        QCOMPARE(rgb(pictures.picture(MainPictures::Gauche)), builtInGauche);
        QCOMPARE(namesIn(photos()), (QStringList{"Droit.BMP", "Gauche.BMP"}));
        QCOMPARE(rgb(QImage(photo(QStringLiteral("Droit.BMP")))), builtInDroit);
        QCOMPARE(rgb(QImage(photo(QStringLiteral("Gauche.BMP")))), builtInGauche);

        // The next start shows the same pictures.
        MainPictures next;
        next.restoreLastChoice(photos());
        QCOMPARE(rgb(next.picture(MainPictures::Droit)), builtInDroit);
        QCOMPARE(rgb(next.picture(MainPictures::Gauche)), builtInGauche);
    }

    void theCloseButtonChangesNothing()
    {
        QVERIFY(sample(Qt::red).save(photo(QStringLiteral("Droit.BMP")), "BMP"));
        MainPictures pictures;
        pictures.restoreLastChoice(photos());
        auto screen = openChoice(pictures);
        clickItem(screen->fileList(), QStringLiteral("Garage.PNG"));
        QTest::mouseClick(screen->imageButton(FP_imge::Close), Qt::LeftButton);
        QVERIFY(!screen->isVisible());
        QCOMPARE(screen->result(), int(QDialog::Rejected));
        QCOMPARE(namesIn(photos()), QStringList{"Droit.BMP"});
        QCOMPARE(rgb(pictures.picture(MainPictures::Droit)), sample(Qt::red));
    }

    void imageButtonsAreBorderedUnderThePointer()
    {
        MainPictures pictures;
        auto screen = openChoice(pictures);
        PictureButton* droit = screen->imageButton(FP_imge::ApplyDroit);
        PictureButton* close = screen->imageButton(FP_imge::Close);
        hover(droit);
        hover(close);
        QVERIFY(droit->isBordered());
        QVERIFY(close->isBordered());
        QVERIFY(!screen->imageButton(FP_imge::ApplyGauche)->isBordered());
        moveOver(screen->buttonPanel());
        for (int i = 0; i < 3; ++i)
            QVERIFY(!screen->imageButton(i)->isBordered());

        // A disabled button gets no border.
        QTest::mouseClick(droit, Qt::LeftButton);
        hover(droit);
        QVERIFY(!droit->isBordered());
    }

    // ---- presentation --------------------------------------------------------------------------------

    void presentationLines_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("text");
        QTest::newRow("1") << 1 << "    'Z.E.B.' est un logiciel destiné aux entreprises qui gèrent un parc";
        QTest::newRow("7") << 7 << "(Assurances, Contrôle Technique, Vidanges, Chauffeurs).";
        QTest::newRow("13") << 13 << "   Parmi les fonctions qui complètent utilement le programme, citons :";
        QTest::newRow("14") << 14 << "Paramétrages (personnalisation de  la base de  données),  Verrouillage";
        QTest::newRow("15") << 15 << "(installation / modification de mots de  passe),  Archivage et Importation";
        QTest::newRow("16") << 16 << "(archivage de sécurité de la base de données).";
        for (int blank : {0, 3, 8, 12, 17, 19})
            QTest::newRow(qPrintable(QStringLiteral("%1 blank").arg(blank))) << blank << QString();
    }
    void presentationLines()
    {
        QFETCH(int, row);
        QFETCH(QString, text);
        F_HLP screen(s());
        const QAbstractItemModel* grid = screen.grid()->model();
        QCOMPARE(grid->rowCount(), 20);
        QCOMPARE(grid->columnCount(), 3);
        const QString item = grid->index(row, 1).data().toString();
        QCOMPARE(text.isEmpty() ? item.trimmed() : item, text);
        for (int column : {0, 2})
            QVERIFY(grid->index(row, column).data().toString().trimmed().isEmpty());
    }

    void presentationFrame()
    {
        F_HLP screen(s());
        QCOMPARE(screen.objectName(), QStringLiteral("F_HLP"));
        QCOMPARE(screen.windowTitle(), QStringLiteral("Présentation succinte"));
        QCOMPARE(screen.heading()->text(), QStringLiteral("Présentation succinte"));
        const QStringList lines = F_HLP::lines();
        QVERIFY(lines[2].startsWith(u' ') && lines[2].trimmed().endsWith(u'.'));
        for (int row : {4, 5, 6, 9, 10, 11})
            QVERIFY2(!lines[row].trimmed().isEmpty(), qPrintable(QString::number(row)));
        QVERIFY(lines[18].startsWith(QStringLiteral("          ")));
        QCOMPARE(lines[18].trimmed(), deployment::kSignature);

        // Every line is seen whole: the middle column is wide enough for the longest.
        const QFontMetrics metrics(screen.grid()->font());
        for (const QString& line : lines)
            QVERIFY2(metrics.horizontalAdvance(line) < screen.grid()->columnWidth(1), qPrintable(line));
    }

    void presentationClosePicture()
    {
        F_HLP screen(s());
        screen.show();
        QVERIFY(QTest::qWaitForWindowExposed(&screen));
        PictureButton* close = screen.closePicture();
        QCOMPARE(close->objectName(), QStringLiteral("Image1_2"));
        hover(close);
        QVERIFY(close->isBordered());
        moveOver(screen.grid()->viewport());
        QVERIFY(!close->isBordered());
        hover(close);
        moveOver(&screen);
        QVERIFY(!close->isBordered());
        QTest::mouseClick(close, Qt::LeftButton);
        QVERIFY(!screen.isVisible());
    }

    // ---- about box -----------------------------------------------------------------------------------

    void aboutBoxTexts()
    {
        Auteur screen(s());
        QCOMPARE(screen.objectName(), QStringLiteral("Auteur"));
        QCOMPARE(screen.windowTitle(), QStringLiteral("  Réalisation"));
        QStringList texts;
        for (QLabel* l : screen.labels())
            texts << l->text();
        QCOMPARE(texts, (QStringList{deployment::kMakerName, deployment::kStreetAddress, deployment::kCity,
                                     deployment::kTelephone, QStringLiteral("(Heures de bureau S.V.P.)"), deployment::kEmail}));
        // The office hours sit under the telephone number.
        screen.show();
        QVERIFY(QTest::qWaitForWindowExposed(&screen));
        QVERIFY(screen.labels()[4]->y() > screen.labels()[3]->y());
    }

    void aboutBoxClosesOnAnyClick_data()
    {
        QTest::addColumn<int>("label");  // -1: the window itself
        QTest::newRow("window") << -1;
        for (int i = 0; i < 6; ++i)
            QTest::newRow(qPrintable(QStringLiteral("label %1").arg(i))) << i;
    }
    void aboutBoxClosesOnAnyClick()
    {
        QFETCH(int, label);
        Auteur screen(s());
        screen.show();
        QVERIFY(QTest::qWaitForWindowExposed(&screen));
        QWidget* target = label < 0 ? static_cast<QWidget*>(&screen) : screen.labels()[label];
        QTest::mouseClick(target, Qt::LeftButton, {}, label < 0 ? QPoint(3, 3) : QPoint());
        QVERIFY(!screen.isVisible());
        QCOMPARE(screen.result(), int(QDialog::Accepted));
    }
};

QTEST_MAIN(AboutTest)
#include "tst_about.moc"
