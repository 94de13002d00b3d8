#pragma once
// The main window's picture array: position 0 is the large "Droit" picture, 1 the "Gauche" picture,
// 2 and 3 hold the built-in "Droit" and "Gauche" pictures. The picture choice screen changes 0 and 1
// and writes the picture files of the photos folder; the main window shows what this object holds.
#include <QObject>
#include <QPixmap>
#include <array>

namespace kv {

class MainPictures : public QObject {
    Q_OBJECT
public:
    static constexpr int Droit = 0;
    static constexpr int Gauche = 1;
    static constexpr int BuiltInDroit = 2;
    static constexpr int BuiltInGauche = 3;

    /// Positions 2 and 3 receive the built-in pictures; 0 and 1 start empty.
    explicit MainPictures(QObject* parent = nullptr);

    QPixmap picture(int position) const { return pictures_.at(position); }
    void setPicture(int position, const QPixmap& picture);
    void clear(int position) { setPicture(position, QPixmap()); }

    /// Start-up: "Droit" is empty and "Gauche" receives its built-in copy; then the pictures last chosen are read from the
    /// photos folder when their files exist ("Droit.BMP" / "Gauche.BMP"; a "_V" file means emptied).
    void restoreLastChoice(const QString& photosFolder);

signals:
    void pictureChanged(int position);

private:
    std::array<QPixmap, 4> pictures_;
};

} // namespace kv
