#include "icon.h"

#include <QImage>
#include <QPainter>

#include <stdexcept>

namespace resources {
namespace {

// The 16 standard Windows colours, in their usual palette order.
const std::vector<QRgb> &vgaPalette()
{
    static const std::vector<QRgb> palette = {
        qRgb(0, 0, 0),       qRgb(128, 0, 0),   qRgb(0, 128, 0),   qRgb(128, 128, 0),
        qRgb(0, 0, 128),     qRgb(128, 0, 128), qRgb(0, 128, 128), qRgb(192, 192, 192),
        qRgb(128, 128, 128), qRgb(255, 0, 0),   qRgb(0, 255, 0),   qRgb(255, 255, 0),
        qRgb(0, 0, 255),     qRgb(255, 0, 255), qRgb(0, 255, 255), qRgb(255, 255, 255),
    };
    return palette;
}

enum Colour { Black = 0, Navy = 4, Silver = 7, Grey = 8, Yellow = 11, Blue = 12, Aqua = 14 };

struct Tower {
    int left;
    int width;
    int top;        // every tower stands on the bottom row
    Colour body;
    Colour lit;     // colour of its lit windows
};

// Back to front: later towers hide earlier ones.
const std::vector<Tower> &towers()
{
    static const std::vector<Tower> list = {
        {0, 5, 18, Grey, Yellow},
        {6, 6, 12, Navy, Yellow},
        {13, 5, 16, Silver, Yellow},
        {19, 7, 6, Blue, Yellow},
        {27, 5, 13, Grey, Aqua},
    };
    return list;
}

// A window every other column and every third row, left dark unless a
// fixed scramble of its position picks it as lit.
bool windowIsLit(int x, int y)
{
    return (x * 7 + y * 11) % 5 == 0;
}

} // namespace

IndexedImage drawIcon()
{
    const std::vector<QRgb> &palette = vgaPalette();
    QImage image(kIconSize, kIconSize, QImage::Format_RGB32);
    image.fill(palette[Black]);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing, false);
        for (const Tower &t : towers()) {
            painter.fillRect(QRect(t.left, t.top, t.width, kIconSize - t.top), QColor(palette[t.body]));
            for (int y = t.top + 2; y < kIconSize - 2; y += 3)
                for (int x = t.left + 1; x < t.left + t.width - 1; x += 2)
                    painter.fillRect(QRect(x, y, 1, 1),
                                     QColor(palette[windowIsLit(x, y) ? t.lit : Black]));
        }
    }

    IndexedImage out;
    out.width = kIconSize;
    out.height = kIconSize;
    out.palette = palette;
    out.pixels.reserve(std::size_t(kIconSize) * std::size_t(kIconSize));
    for (int y = 0; y < kIconSize; ++y) {
        for (int x = 0; x < kIconSize; ++x) {
            const QRgb c = image.pixel(x, y) | 0xff000000u;
            std::size_t i = 0;
            while (i < palette.size() && palette[i] != c)
                ++i;
            if (i == palette.size())
                throw std::logic_error("icon: a colour outside the palette was drawn");
            out.pixels.push_back(std::uint8_t(i));
        }
    }
    return out;
}

} // namespace resources
