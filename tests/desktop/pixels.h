#pragma once

// Pixel helpers the tests share: the colours the canvas paints, counting and
// bounding pixels, and the look for red left where no dish is.
#include <QImage>
#include <QPoint>
#include <QRect>

#include <optional>

constexpr QRgb white = 0xFFFFFFFF;
constexpr QRgb black = 0xFF000000;
constexpr QRgb red = 0xFFFF0000;
constexpr QRgb green = 0xFF008000;
constexpr QRgb blue = 0xFF0000FF;
constexpr QRgb maroon = 0xFF800000;
constexpr QRgb yellow = 0xFFFFFF00;

// How many pixels of `area` (the whole image if null) have exactly this colour.
inline int countColour(const QImage& image, QRgb colour, QRect area = {})
{
    if (area.isNull())
        area = image.rect();
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            n += image.pixel(x, y) == colour;
    return n;
}

// The smallest rectangle holding every pixel of `area` of this colour.
inline QRect colourBounds(const QImage& image, QRgb colour, const QRect& area)
{
    QRect bounds;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (image.pixel(x, y) == colour)
                bounds |= QRect(x, y, 1, 1);
    return bounds;
}

// The smallest rectangle holding every pixel that differs between two
// pictures of one size; null if they are equal.
inline QRect differenceBounds(const QImage& a, const QImage& b)
{
    QRect bounds;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y))
                bounds |= QRect(x, y, 1, 1);
    return bounds;
}

// The first pixel red in `picture` but not in `allowed`: a trail the dish
// left, or a stroke drawn where nothing red belongs.
inline std::optional<QPoint> strayRed(const QImage& picture, const QImage& allowed)
{
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            if (picture.pixel(x, y) == red && allowed.pixel(x, y) != red)
                return QPoint(x, y);
    return std::nullopt;
}
