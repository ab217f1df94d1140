// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/glyphs.h"

#include "widgets/stretch.h"

#include <QApplication>
#include <QIconEngine>
#include <QImage>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>
#include <utility>

namespace {

// The glyph of the resource at path, its bottom-left colour made transparent.
QImage GlyphImage(const QString& path) {
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
    return image;
}

// Gives the glyphs at the device size asked for, stretched by nearest pixel: Qt's own icons
// smooth a 16 x 16 drawing into a blur at 24 or 32 device pixels.
class TGlyphEngine : public QIconEngine {
public:
    TGlyphEngine(QImage normal, QImage disabled)
        : FNormal(std::move(normal)), FDisabled(std::move(disabled)) {}

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State) override {
        if (mode == QIcon::Disabled && !FDisabled.isNull())
            return QPixmap::fromImage(StretchNearest(FDisabled, size));
        const QPixmap normal = QPixmap::fromImage(StretchNearest(FNormal, size));
        if (mode == QIcon::Normal || normal.isNull())
            return normal;
        QStyleOption option;
        option.palette = QApplication::palette();
        return QApplication::style()->generatedIconPixmap(mode, normal, &option);
    }

    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state, qreal) override {
        return pixmap(size, mode, state);
    }

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
               QIcon::State state) override {
        const qreal ratio = painter->device()->devicePixelRatioF();
        QPixmap drawn = pixmap((QSizeF(rect.size()) * ratio).toSize(), mode, state);
        drawn.setDevicePixelRatio(ratio);
        painter->drawPixmap(rect.topLeft(), drawn);
    }

    bool isNull() override { return FNormal.isNull(); }
    QIconEngine* clone() const override { return new TGlyphEngine(*this); }

private:
    QImage FNormal;
    QImage FDisabled;
};

} // namespace

QIcon GlyphIcon(const QString& normal, const QString& disabled) {
    return QIcon(
        new TGlyphEngine(GlyphImage(normal), disabled.isEmpty() ? QImage() : GlyphImage(disabled)));
}
