#include "export/gif_animation.h"

#include <QIODevice>

#include <gif_lib.h>

#include <algorithm>
#include <memory>
#include <stdexcept>
#include <string>
#include <unordered_map>

namespace {

constexpr std::size_t maxColours = 256;

// The smallest rectangle holding every pixel that differs between a and b,
// two pictures of one size in Format_RGB32; empty if they are equal.
QRect changedArea(const QImage& a, const QImage& b)
{
    const int width = a.width();
    int top = -1, bottom = -1, left = width, right = -1;
    for (int y = 0; y < a.height(); ++y) {
        const auto* rowA = reinterpret_cast<const QRgb*>(a.constScanLine(y));
        const auto* rowB = reinterpret_cast<const QRgb*>(b.constScanLine(y));
        if (std::equal(rowA, rowA + width, rowB))
            continue;
        if (top < 0)
            top = y;
        bottom = y;
        int x = 0;
        while (rowA[x] == rowB[x])
            ++x;
        left = std::min(left, x);
        x = width - 1;
        while (rowA[x] == rowB[x])
            --x;
        right = std::max(right, x);
    }
    if (top < 0)
        return {};
    return QRect(QPoint(left, top), QPoint(right, bottom));
}

// A giflib colour map for the given colours, padded to a power of two.
struct ColourMapDeleter {
    void operator()(ColorMapObject* map) const { GifFreeMapObject(map); }
};
using ColourMap = std::unique_ptr<ColorMapObject, ColourMapDeleter>;

ColourMap makeColourMap(const std::vector<QRgb>& colours)
{
    const int size = 1 << GifBitSize(static_cast<int>(std::max<std::size_t>(colours.size(), 2)));
    std::vector<GifColorType> entries(static_cast<std::size_t>(size), GifColorType{0, 0, 0});
    for (std::size_t i = 0; i < colours.size(); ++i)
        entries[i] = GifColorType{static_cast<GifByteType>(qRed(colours[i])),
                                  static_cast<GifByteType>(qGreen(colours[i])),
                                  static_cast<GifByteType>(qBlue(colours[i]))};
    ColourMap map(GifMakeMapObject(size, entries.data()));
    if (!map)
        throw std::runtime_error("out of memory for a GIF colour table");
    return map;
}

int writeToDevice(GifFileType* gif, const GifByteType* data, int length)
{
    auto* device = static_cast<QIODevice*>(gif->UserData);
    const qint64 written = device->write(reinterpret_cast<const char*>(data), length);
    return written < 0 ? 0 : static_cast<int>(written);
}

// Closes the file on every path; giflib's result is checked on the normal one.
struct GifCloser {
    void operator()(GifFileType* gif) const { EGifCloseFile(gif, nullptr); }
};

}  // namespace

GifAnimation::GifAnimation(int delay) : delay_(delay) {}

void GifAnimation::addFrame(const QImage& picture)
{
    const QImage current = picture.convertToFormat(QImage::Format_RGB32);
    Frame frame;
    if (previous_.isNull()) {
        frame.area = current.rect();
    } else {
        if (current.size() != previous_.size())
            throw std::runtime_error("the frames of an animation must all have one size");
        frame.area = changedArea(previous_, current);
        // Nothing changed: one unchanged pixel stands for the frame, so that
        // it still takes its place and its time.
        if (frame.area.isEmpty())
            frame.area = QRect(0, 0, 1, 1);
    }

    std::unordered_map<QRgb, std::uint8_t> index;
    frame.pixels.reserve(static_cast<std::size_t>(frame.area.width()) * frame.area.height());
    for (int y = frame.area.top(); y <= frame.area.bottom(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(current.constScanLine(y));
        for (int x = frame.area.left(); x <= frame.area.right(); ++x) {
            const QRgb colour = row[x] | 0xFF000000u;
            auto found = index.find(colour);
            if (found == index.end()) {
                if (frame.colours.size() == maxColours)
                    throw std::runtime_error("frame " + std::to_string(frames_.size() + 1) +
                                             " has more than 256 colours, more than a GIF frame can hold");
                found = index.emplace(colour, static_cast<std::uint8_t>(frame.colours.size())).first;
                frame.colours.push_back(colour);
            }
            frame.pixels.push_back(found->second);
        }
    }
    frames_.push_back(std::move(frame));
    previous_ = current;
}

void GifAnimation::write(QIODevice& device) const
{
    if (frames_.empty())
        throw std::runtime_error("an animation needs at least one frame");

    // The global table: every colour of the animation if they fit, otherwise
    // those of the first frame.
    std::vector<QRgb> global;
    std::unordered_map<QRgb, std::uint8_t> globalIndex;
    bool allFit = true;
    for (const Frame& frame : frames_)
        for (QRgb colour : frame.colours)
            if (globalIndex.find(colour) == globalIndex.end()) {
                if (global.size() == maxColours) {
                    allFit = false;
                    break;
                }
                globalIndex.emplace(colour, static_cast<std::uint8_t>(global.size()));
                global.push_back(colour);
            }
    if (!allFit) {
        global = frames_.front().colours;
        globalIndex.clear();
        for (std::size_t i = 0; i < global.size(); ++i)
            globalIndex.emplace(global[i], static_cast<std::uint8_t>(i));
    }

    int error = 0;
    std::unique_ptr<GifFileType, GifCloser> gif(EGifOpen(&device, writeToDevice, &error));
    const auto check = [&gif](int result) {
        if (result == GIF_ERROR)
            throw std::runtime_error(std::string("GIF encoding failed: ") + GifErrorString(gif->Error));
    };
    if (!gif)
        throw std::runtime_error(std::string("GIF encoding failed: ") + GifErrorString(error));
    EGifSetGifVersion(gif.get(), true);

    const Frame& first = frames_.front();
    const ColourMap globalMap = makeColourMap(global);
    check(EGifPutScreenDesc(gif.get(), first.area.width(), first.area.height(), 8, 0, globalMap.get()));

    // Loop forever: the NETSCAPE2.0 application extension, count 0.
    check(EGifPutExtensionLeader(gif.get(), APPLICATION_EXT_FUNC_CODE));
    check(EGifPutExtensionBlock(gif.get(), 11, "NETSCAPE2.0"));
    const GifByteType loop[3] = {1, 0, 0};
    check(EGifPutExtensionBlock(gif.get(), 3, loop));
    check(EGifPutExtensionTrailer(gif.get()));

    std::vector<GifPixelType> line;
    for (const Frame& frame : frames_) {
        GraphicsControlBlock control{};
        control.DisposalMode = DISPOSE_DO_NOT;
        control.UserInputFlag = false;
        control.DelayTime = delay_;
        control.TransparentColor = NO_TRANSPARENT_COLOR;
        GifByteType extension[4];
        const std::size_t length = EGifGCBToExtension(&control, extension);
        check(EGifPutExtension(gif.get(), GRAPHICS_EXT_FUNC_CODE, static_cast<int>(length), extension));

        // Indices into the global table where it has every colour of the frame.
        std::vector<std::uint8_t> remap(frame.colours.size());
        bool usesGlobal = true;
        for (std::size_t i = 0; i < frame.colours.size() && usesGlobal; ++i) {
            const auto found = globalIndex.find(frame.colours[i]);
            if (found == globalIndex.end())
                usesGlobal = false;
            else
                remap[i] = found->second;
        }
        ColourMap localMap;
        if (!usesGlobal) {
            localMap = makeColourMap(frame.colours);
            for (std::size_t i = 0; i < remap.size(); ++i)
                remap[i] = static_cast<std::uint8_t>(i);
        }

        // giflib drops, without freeing, the copy it keeps of a frame's own
        // table when the next frame has none: free it here first.
        if (!localMap && gif->Image.ColorMap) {
            GifFreeMapObject(gif->Image.ColorMap);
            gif->Image.ColorMap = nullptr;
        }
        const int width = frame.area.width();
        check(EGifPutImageDesc(gif.get(), frame.area.left(), frame.area.top(), width, frame.area.height(), false,
                               localMap.get()));
        line.resize(static_cast<std::size_t>(width));
        for (int y = 0; y < frame.area.height(); ++y) {
            const std::uint8_t* source = frame.pixels.data() + static_cast<std::size_t>(y) * width;
            for (int x = 0; x < width; ++x)
                line[static_cast<std::size_t>(x)] = remap[source[x]];
            check(EGifPutLine(gif.get(), line.data(), width));
        }
    }

    // Closing writes the trailer; giflib frees the file whatever the result.
    GifFileType* file = gif.release();
    if (EGifCloseFile(file, &error) == GIF_ERROR)
        throw std::runtime_error(std::string("GIF encoding failed: ") + GifErrorString(error));
}
