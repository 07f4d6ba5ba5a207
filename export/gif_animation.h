#pragma once

#include <QImage>
#include <QRect>
#include <QRgb>

#include <cstdint>
#include <vector>

class QIODevice;

// An animated GIF built from full pictures, lossless. Each picture after the
// first is kept as the rectangle that changed since the one before, drawn
// over it ("do not dispose"), so a replay gives back every picture exactly.
// The colour tables come from the pictures' own colours: one global table
// when all frames together use at most 256, otherwise a local table for the
// frames whose colours the global one lacks.
class GifAnimation {
public:
    // delay: the time each frame is shown, in hundredths of a second.
    explicit GifAnimation(int delay);

    // Adds the next picture; all must have the size of the first. Throws
    // std::runtime_error if the part that changed holds more than 256 colours.
    void addFrame(const QImage& picture);

    int frameCount() const { return static_cast<int>(frames_.size()); }

    // Writes the animation, looping forever. Throws std::runtime_error with
    // giflib's reason or the device's if writing fails.
    void write(QIODevice& device) const;

private:
    struct Frame {
        QRect area;                      // in the picture's pixels
        std::vector<QRgb> colours;       // the area's colours, first seen first
        std::vector<std::uint8_t> pixels;  // indices into colours, row by row
    };

    int delay_;
    QImage previous_;
    std::vector<Frame> frames_;
};
