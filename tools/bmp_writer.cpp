#include "bmp_writer.h"

#include <QBuffer>
#include <QImage>

#include <stdexcept>

namespace resources {
namespace {

void put16(QByteArray &out, unsigned value)
{
    out.append(char(value & 0xff));
    out.append(char((value >> 8) & 0xff));
}

void put32(QByteArray &out, std::uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8)
        out.append(char((value >> shift) & 0xff));
}

// Rows of a BMP are padded to a multiple of four bytes.
std::uint32_t rowStride(int width, int bitsPerPixel)
{
    return std::uint32_t((width * bitsPerPixel + 31) / 32 * 4);
}

// 96 dots per inch, in pixels per metre.
constexpr std::uint32_t kPixelsPerMetre = 3780;

void putInfoHeader(QByteArray &out, int width, int height, int bitsPerPixel,
                   std::uint32_t imageSize, std::uint32_t coloursUsed)
{
    put32(out, 40);
    put32(out, std::uint32_t(width));
    put32(out, std::uint32_t(height));
    put16(out, 1);              // planes
    put16(out, unsigned(bitsPerPixel));
    put32(out, 0);              // BI_RGB
    put32(out, imageSize);
    put32(out, kPixelsPerMetre);
    put32(out, kPixelsPerMetre);
    put32(out, coloursUsed);
    put32(out, 0);              // all colours important
}

// Colour table entries are stored blue, green, red, reserved.
void putPalette(QByteArray &out, const std::vector<QRgb> &palette, std::size_t entries)
{
    for (std::size_t i = 0; i < entries; ++i) {
        const QRgb c = i < palette.size() ? palette[i] : qRgb(0, 0, 0);
        out.append(char(qBlue(c)));
        out.append(char(qGreen(c)));
        out.append(char(qRed(c)));
        out.append(char(0));
    }
}

void checkShape(const IndexedImage &image, std::size_t maxColours, unsigned maxIndex)
{
    if (image.width <= 0 || image.height <= 0
        || image.pixels.size() != std::size_t(image.width) * std::size_t(image.height))
        throw std::invalid_argument("bitmap: pixel count does not match its size");
    if (image.palette.size() > maxColours)
        throw std::invalid_argument("bitmap: too many palette entries");
    for (std::uint8_t index : image.pixels)
        if (index > maxIndex || index >= image.palette.size())
            throw std::invalid_argument("bitmap: pixel index outside the palette");
}

} // namespace

QByteArray encodeBmp8(const IndexedImage &image)
{
    checkShape(image, 256, 255);
    const std::uint32_t stride = rowStride(image.width, 8);
    const std::uint32_t imageSize = stride * std::uint32_t(image.height);
    const std::uint32_t pixelOffset = 14 + 40 + 256 * 4;

    QByteArray out;
    out.reserve(int(pixelOffset + imageSize));
    out.append("BM", 2);
    put32(out, pixelOffset + imageSize);
    put32(out, 0);              // reserved
    put32(out, pixelOffset);
    putInfoHeader(out, image.width, image.height, 8, imageSize, 256);
    putPalette(out, image.palette, 256);

    for (int y = image.height - 1; y >= 0; --y) {
        for (int x = 0; x < image.width; ++x)
            out.append(char(image.at(x, y)));
        for (std::uint32_t pad = std::uint32_t(image.width); pad < stride; ++pad)
            out.append(char(0));
    }
    return out;
}

QByteArray encodeIco4(const IndexedImage &image)
{
    checkShape(image, 16, 15);
    if (image.width > 256 || image.height > 256)
        throw std::invalid_argument("icon: at most 256 pixels a side");
    const std::uint32_t colourStride = rowStride(image.width, 4);
    const std::uint32_t maskStride = rowStride(image.width, 1);
    const std::uint32_t bitmapSize = (colourStride + maskStride) * std::uint32_t(image.height);
    const std::uint32_t dataSize = 40 + 16 * 4 + bitmapSize;
    const std::uint32_t dataOffset = 6 + 16;

    QByteArray out;
    out.reserve(int(dataOffset + dataSize));
    put16(out, 0);              // reserved
    put16(out, 1);              // type: icon
    put16(out, 1);              // one image
    // A side of 256 is written as 0.
    out.append(char(image.width & 0xff));
    out.append(char(image.height & 0xff));
    out.append(char(16));       // colour count
    out.append(char(0));        // reserved
    put16(out, 1);              // planes
    put16(out, 4);              // bits per pixel
    put32(out, dataSize);
    put32(out, dataOffset);

    // The height covers the colour bitmap and the mask stacked together.
    putInfoHeader(out, image.width, image.height * 2, 4, bitmapSize, 16);
    putPalette(out, image.palette, 16);

    for (int y = image.height - 1; y >= 0; --y) {
        QByteArray row(int(colourStride), '\0');
        for (int x = 0; x < image.width; ++x) {
            const int nibble = image.at(x, y) & 0x0f;
            row[x / 2] = char(row[x / 2] | (x % 2 == 0 ? nibble << 4 : nibble));
        }
        out.append(row);
    }
    // A clear mask bit means the pixel is opaque.
    out.append(QByteArray(qsizetype(maskStride) * image.height, '\0'));
    return out;
}

} // namespace resources

namespace resources {

QByteArray encodePng(const IndexedImage &image, int scale)
{
    QImage out(image.width * scale, image.height * scale, QImage::Format_RGB32);
    for (int y = 0; y < out.height(); ++y)
        for (int x = 0; x < out.width(); ++x)
            out.setPixel(x, y, image.palette[image.at(x / scale, y / scale)]);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    out.save(&buffer, "PNG");
    return bytes;
}

} // namespace resources
