#pragma once

#include <QByteArray>
#include <QImage>
#include <QRgb>

#include <cstdint>
#include <unordered_map>
#include <vector>

// Every picture of the web page, lossless and small: one palette of at most
// 256 colours for all of them, the start-up picture whole, and each picture of
// a scenario as the pixels that differ from the picture shown before it (the
// start-up picture, for a scenario's first one).
//
// Two blocks of bytes, numbers written as unsigned LEB128 varints. First what
// the page shows when it opens, so that it can show it before reading the rest:
//   startup()    varint count, count x (red, green, blue) bytes: the palette;
//                then the start-up picture's change list, from a picture of
//                palette colour 0
//   scenarios()  for each scenario in order, one change list per picture
// A change list: varint runs, then for each run varint skip (pixels left as
// they are, counted row after row from the end of the previous run), varint
// length and `length` palette indices, one byte each.
class PageFrames {
public:
    // startup: the picture the program shows before any button is clicked.
    // Throws std::runtime_error if it holds more than 256 colours.
    explicit PageFrames(const QImage& startup);

    // The pictures that follow belong to a new scenario: its first picture
    // is compared with the start-up picture.
    void startScenario();

    // The next picture of the current scenario, of the start-up picture's
    // size. Throws std::runtime_error if it brings the colours of all
    // pictures past 256, or if its size differs.
    void addFrame(const QImage& picture);

    QByteArray startup() const;
    QByteArray scenarios() const;
    int colourCount() const { return static_cast<int>(palette_.size()); }

private:
    std::vector<std::uint8_t> indices(const QImage& picture);
    static void addChanges(QByteArray& out, const std::vector<std::uint8_t>& before,
                           const std::vector<std::uint8_t>& after);

    QSize size_;
    std::vector<QRgb> palette_;
    std::unordered_map<QRgb, std::uint8_t> lookup_;
    std::vector<std::uint8_t> startup_;
    std::vector<std::uint8_t> previous_;
    QByteArray startupChanges_;
    QByteArray changes_;
};
