// SPDX-License-Identifier: GPL-3.0-or-later
// Writes the program's icon at the small sizes (up to 32 pixels), from its 32 x 32 drawing; the
// larger ones are rendered from the scalable drawing (resources/CMakeLists.txt).
// Usage: icon_sizes DRAWING OUT_DIR SIZE...  writes OUT_DIR/<size>x<size>/trouve.png for each size.
// The drawing is enlarged pixel by pixel to a common multiple of its size and the wanted size, so
// that its lines stay sharp, then reduced by averaging when the wanted size is smaller.
#include <QDir>
#include <QImage>
#include <QString>
#include <cstdio>
#include <numeric>

namespace {

QImage IconAt(const QImage& drawing, int size) {
    const int common = std::lcm(drawing.width(), size);
    const QImage sharp =
        drawing.scaled(common, common, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    if (common == size)
        return sharp;
    return sharp.scaled(size, size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

bool WriteIcon(const QImage& drawing, const QString& outDir, int size) {
    const QString dir = QStringLiteral("%1/%2x%2").arg(outDir).arg(size);
    return QDir().mkpath(dir) && IconAt(drawing, size).save(dir + QStringLiteral("/trouve.png"));
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s DRAWING OUT_DIR SIZE...\n", argv[0]);
        return 2;
    }
    const QImage drawing = QImage(QString::fromLocal8Bit(argv[1]))
                               .convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (drawing.isNull() || drawing.width() != drawing.height()) {
        std::fprintf(stderr, "%s: %s is not a square image\n", argv[0], argv[1]);
        return 1;
    }
    for (int i = 3; i < argc; ++i) {
        const int size = QString::fromLocal8Bit(argv[i]).toInt();
        if (size <= 0 || !WriteIcon(drawing, QString::fromLocal8Bit(argv[2]), size)) {
            std::fprintf(stderr, "%s: cannot write the icon of size %s\n", argv[0], argv[i]);
            return 1;
        }
    }
    return 0;
}
