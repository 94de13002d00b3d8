#include "MainPictures.h"

#include "Pictures.h"
#include "platform/os/Files.h"

#include <QFileInfo>

namespace kv {

namespace {

/// What the photos folder says about one side: its chosen picture, emptied, or nothing.
enum class SideFile { None, Plain, Emptied };

SideFile lastChoice(const QString& folder, const QString& side)
{
    const QFileInfo plain(os::resolve(folder, side + QStringLiteral(".BMP")));
    const QFileInfo emptied(os::resolve(folder, side + QStringLiteral("_V.BMP")));
    const bool hasPlain = plain.isFile();
    const bool hasEmptied = emptied.isFile();
    // The two files exclude each other; should both be there, the one written last tells.
    if (hasPlain && (!hasEmptied || plain.lastModified() >= emptied.lastModified()))
        return SideFile::Plain;
    return hasEmptied ? SideFile::Emptied : SideFile::None;
}

} // namespace

MainPictures::MainPictures(QObject* parent) : QObject(parent)
{
    pictures_[BuiltInDroit] = builtInPicture(QStringLiteral("Droit"));
    pictures_[BuiltInGauche] = builtInPicture(QStringLiteral("Gauche"));
}

void MainPictures::setPicture(int position, const QPixmap& picture)
{
    pictures_.at(position) = picture;
    emit pictureChanged(position);
}

void MainPictures::restoreLastChoice(const QString& photosFolder)
{
    clear(Droit);
    setPicture(Gauche, pictures_[BuiltInGauche]);
    const std::pair<int, QString> sides[] = {{Droit, QStringLiteral("Droit")}, {Gauche, QStringLiteral("Gauche")}};
    for (const auto& [position, side] : sides) {
        switch (lastChoice(photosFolder, side)) {
        case SideFile::Plain: {
            // A picture file that cannot be read leaves the side as it starts.
            QPixmap chosen;
            if (chosen.load(os::resolve(photosFolder, side + QStringLiteral(".BMP"))))
                setPicture(position, chosen);
            break;
        }
        case SideFile::Emptied:
            clear(position);
            break;
        case SideFile::None:
            break;
        }
    }
}

} // namespace kv
