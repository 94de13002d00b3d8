#include "Pictures.h"

#include "platform/os/Files.h"

#include <QFileInfo>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <QSvgRenderer>

namespace kv {

namespace {

struct Entry {
    const char16_t* name;
    const char16_t* file;
};

// Resource files under the ":/pictures" prefix, in the order of the header's table.
constexpr Entry kEntries[] = {
    {u"Droit", u"Droit.svg"},
    {u"Gauche", u"Gauche.svg"},
    {u"Cadre_V", u"Cadre_V.svg"},
    {u"Chauffeurs", u"shortcuts/Chauffeurs.svg"},
    {u"Clients", u"shortcuts/Clients.svg"},
    {u"Salaires", u"shortcuts/Salaires.svg"},
    {u"Recettes", u"shortcuts/Recettes.svg"},
    {u"Journal", u"shortcuts/Journal.svg"},
    {u"Caisse", u"shortcuts/Caisse.svg"},
    {u"Quitter", u"shortcuts/Quitter.svg"},
    {u"Véhicules", u"shortcuts/Vehicules.svg"},
    {u"Agents", u"shortcuts/Agents.svg"},
    {u"Appliquer_Droit", u"buttons/Appliquer_Droit.svg"},
    {u"Appliquer_Gauche", u"buttons/Appliquer_Gauche.svg"},
    {u"Fermer", u"buttons/Fermer.svg"},
};

const Entry* find(const QString& name)
{
    for (const Entry& e : kEntries)
        if (name.compare(QString::fromUtf16(e.name), Qt::CaseInsensitive) == 0)
            return &e;
    if (name.compare(u"Vehicules", Qt::CaseInsensitive) == 0)
        return find(QStringLiteral("Véhicules"));
    return nullptr;
}

} // namespace

QStringList builtInPictureNames()
{
    QStringList names;
    for (const Entry& e : kEntries)
        names << QString::fromUtf16(e.name);
    return names;
}

QString builtInPicturePath(const QString& name)
{
    const Entry* e = find(name);
    return e ? QStringLiteral(":/pictures/") + QString::fromUtf16(e->file) : QString();
}

QSize builtInPictureSize(const QString& name)
{
    const QString path = builtInPicturePath(name);
    if (path.isEmpty())
        return {};
    QSvgRenderer renderer(path);
    return renderer.isValid() ? renderer.defaultSize() : QSize();
}

QPixmap builtInPicture(const QString& name, QSize size, qreal devicePixelRatio)
{
    const QString path = builtInPicturePath(name);
    if (path.isEmpty())
        return {};
    QSvgRenderer renderer(path);
    if (!renderer.isValid())
        return {};
    if (size.isEmpty())
        size = renderer.defaultSize();
    if (devicePixelRatio <= 0)
        devicePixelRatio = 1.0;
    QImage image(size * devicePixelRatio, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
        renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(image.size())));
    }
    QPixmap pixmap = QPixmap::fromImage(image);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    return pixmap;
}

bool saveAsBitmap(const QPixmap& picture, const QString& path)
{
    if (picture.isNull())
        return false;
    QImage image(picture.size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        QPixmap source = picture;
        source.setDevicePixelRatio(1.0);
        painter.drawPixmap(0, 0, source);
    }
    QImageWriter writer(path, "bmp");
    return writer.write(image);
}

bool installPreviewFrame(const QString& programDir)
{
    const QString name = QStringLiteral("Cadre_V.BMP");
    if (os::exists(programDir, name))
        return true;
    return saveAsBitmap(builtInPicture(QStringLiteral("Cadre_V")), os::resolve(programDir, name));
}

} // namespace kv
