#include "app/glyphs.h"

#include <QImage>

QPixmap GlyphPixmap(const QString& path) {
    QImage image = QImage(path).convertToFormat(QImage::Format_ARGB32);
    if (image.isNull())
        return {};
    const QRgb transparent = image.pixel(0, image.height() - 1);
    for (int y = 0; y < image.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if (row[x] == transparent)
                row[x] = qRgba(0, 0, 0, 0);
    }
    return QPixmap::fromImage(image);
}

QIcon GlyphIcon(const QString& normal, const QString& disabled) {
    QIcon icon(GlyphPixmap(normal));
    if (!disabled.isEmpty())
        icon.addPixmap(GlyphPixmap(disabled), QIcon::Disabled);
    return icon;
}
