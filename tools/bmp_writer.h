// Byte-exact writers for the two Windows bitmap files the program ships:
// an 8-bit BMP with a 256-entry colour table and a 16-colour ICO.
#pragma once

#include <QByteArray>
#include <QRgb>

#include <cstdint>
#include <vector>

namespace resources {

// One palette index per pixel, rows top-down, `width * height` entries.
struct IndexedImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;
    std::vector<QRgb> palette;

    std::uint8_t at(int x, int y) const { return pixels[std::size_t(y) * std::size_t(width) + std::size_t(x)]; }
};

// A BITMAPFILEHEADER + BITMAPINFOHEADER file, 8 bits per pixel, BI_RGB,
// exactly 256 colour table entries (unused ones black), rows bottom-up
// padded to 4 bytes. The palette must have at most 256 entries.
QByteArray encodeBmp8(const IndexedImage &image);

// A one-image ICO: ICONDIR, one ICONDIRENTRY, then a BITMAPINFOHEADER of
// doubled height, a 16-entry palette, the 4-bit colour bitmap bottom-up and
// an all-opaque 1-bit mask. Indices must be below 16 and the palette must
// have at most 16 entries.
QByteArray encodeIco4(const IndexedImage &image);

// A PNG of the image enlarged `scale` times, each pixel a scale x scale block.
QByteArray encodePng(const IndexedImage &image, int scale);

} // namespace resources
