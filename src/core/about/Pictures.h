#pragma once
// The program's built-in artwork, drawn as SVG and compiled into the program. Each picture has a
// natural size; it can be rendered at any other size without loss.
//
//   name                 natural size   use
//   "Droit"              720 x 540      the large background picture of the main window
//   "Gauche"             393 x 369      the emblem on the left of the main window
//   "Cadre_V"            360 x 270      an empty frame, the picture choice's "nothing chosen" preview
//   "Chauffeurs", "Clients", "Salaires", "Recettes", "Journal", "Caisse", "Quitter", "Véhicules",
//   "Agents"             64 x 64        the main window's shortcut pictures
//   "Appliquer_Droit"    48 x 48        picture choice: apply the preview to the "Droit" picture
//   "Appliquer_Gauche"   48 x 48        picture choice: apply the preview to the "Gauche" picture
//   "Fermer"             48 x 48        close picture (picture choice, presentation)
//
// Names are matched in any letter case; "Vehicules" is accepted for "Véhicules".
#include <QPixmap>
#include <QSize>
#include <QString>
#include <QStringList>

namespace kv {

/// Every built-in picture name, in the order of the table above.
QStringList builtInPictureNames();
/// The resource path of a built-in picture (":/pictures/..."), empty for an unknown name.
QString builtInPicturePath(const QString& name);
/// The natural size of a built-in picture; an invalid size for an unknown name.
QSize builtInPictureSize(const QString& name);
/// The picture rendered at `size` (its natural size when `size` is empty), antialiased, for a screen
/// of the given device pixel ratio. A null pixmap for an unknown name.
QPixmap builtInPicture(const QString& name, QSize size = {}, qreal devicePixelRatio = 1.0);

/// Writes a picture as a Windows bitmap (transparent parts on white); false when it cannot be written.
bool saveAsBitmap(const QPixmap& picture, const QString& path);

/// Puts the empty-frame preview "Cadre_V.BMP" into the program folder unless a file of that name
/// (any letter case) is already there; the picture choice shows it when a folder is changed.
/// Returns false when it had to be written and could not be.
bool installPreviewFrame(const QString& programDir);

} // namespace kv
