#include "artwork.h"

#include <QString>

QImage LoadArtwork(QStringView name)
{
    QImage image(QStringLiteral(":/") + name.toString());
    if (image.isNull()) return image;
    return image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32
                                                         : QImage::Format_RGB32);
}

QImage LoadKeyedArtwork(QStringView name)
{
    QImage image = LoadArtwork(name);
    if (image.isNull()) return image;
    image = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        QRgb *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if (line[x] == ArtworkKeyColor) line[x] = qRgba(0, 0, 0, 0);
    }
    return image;
}
