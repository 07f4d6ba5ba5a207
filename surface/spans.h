#pragma once

#include <QImage>
#include <QRect>

#include <algorithm>
#include <climits>
#include <cstring>
#include <cwchar>
#include <optional>

// Paints runs of whole pixels along the rows of a 32-bit image, and keeps
// the smallest rectangle holding every pixel whose colour really changed:
// a figure drawn again over itself changes nothing and asks for no repaint.
// Nothing is antialiased: a pixel is painted in full or left alone.
class SpanPainter {
public:
    // The image must be 32 bits a pixel; it is detached once, here.
    explicit SpanPainter(QImage& image)
        : bits_(image.bits()), stride_(image.bytesPerLine()), clip_(0, 0, image.width(), image.height())
    {
    }

    // Paints only inside `area` from now on (and inside the image).
    void clipTo(const QRect& area) { clip_ &= area; }

    // Paints pixels [from, to) of row y, clipped.
    void fill(int y, int from, int to, QRgb colour)
    {
        if (y < clip_.top() || y > clip_.bottom())
            return;
        from = std::max(from, clip_.left());
        to = std::min(to, clip_.right() + 1);
        if (paintRun(row(y), from, to, colour))
            grow(y, from, to);
    }

    // Paints row y of an outlined figure, clipped: [first, innerFirst) and
    // [innerLast, last) in the outline's colour, the pixels between in the
    // inside's, if given. One call a row, the figures' hot path: the row is
    // clipped and looked up once.
    void fillOutlined(int y, int first, int innerFirst, int innerLast, int last, QRgb outline,
                      std::optional<QRgb> inside)
    {
        if (y < clip_.top() || y > clip_.bottom())
            return;
        if (first < clip_.left() || last > clip_.right() + 1) {
            const auto clamp = [this](int x) { return std::clamp(x, clip_.left(), clip_.right() + 1); };
            first = clamp(first);
            innerFirst = clamp(innerFirst);
            innerLast = clamp(innerLast);
            last = clamp(last);
        }
        QRgb* const pixels = row(y);
        bool changed = paintRun(pixels, first, innerFirst, outline);
        if (inside)
            changed |= paintRun(pixels, innerFirst, innerLast, *inside);
        changed |= paintRun(pixels, innerLast, last, outline);
        if (changed)
            grow(y, first, last);
    }

    // Paints every row of a rectangle, clipped.
    void fillRect(const QRect& area, QRgb colour)
    {
        const QRect clipped = area & clip_;
        for (int y = clipped.top(); y <= clipped.bottom(); ++y)
            fill(y, clipped.left(), clipped.right() + 1, colour);
    }

    // In the image's own pixels; empty if nothing changed.
    QRect changed() const
    {
        return right_ < left_ ? QRect() : QRect(QPoint(left_, top_), QPoint(right_, bottom_));
    }

private:
    QRgb* row(int y) const { return reinterpret_cast<QRgb*>(bits_ + y * stride_); }

    // Paints pixels [from, to) of a row; returns whether any changed.
    static bool paintRun(QRgb* row, int from, int to, QRgb colour)
    {
        const int n = to - from;
        if (n <= 0 || holds(row + from, n, colour))
            return false;
        // The C library's wide-character fill is a 32-bit fill, many bytes
        // at a time; short runs are quicker painted here.
        if (n > 16)
            std::wmemset(reinterpret_cast<wchar_t*>(row + from), static_cast<wchar_t>(colour), std::size_t(n));
        else
            std::fill(row + from, row + to, colour);
        return true;
    }

    // Takes pixels [from, to) of row y into the changed area.
    void grow(int y, int from, int to)
    {
        left_ = std::min(left_, from);
        right_ = std::max(right_, to - 1);
        top_ = std::min(top_, y);
        bottom_ = std::max(bottom_, y);
    }

    // Whether the n pixels of a run all have the colour already. A long run
    // is compared with itself one pixel further on, which the C library does
    // many bytes at a time: all pixels equal the first, and the first is
    // the colour.
    static bool holds(const QRgb* run, int n, QRgb colour)
    {
        if (run[0] != colour)
            return false;
        if (n > 8)
            return std::memcmp(run, run + 1, std::size_t(n - 1) * sizeof(QRgb)) == 0;
        for (int i = 1; i < n; ++i)
            if (run[i] != colour)
                return false;
        return true;
    }

    static_assert(sizeof(wchar_t) == sizeof(QRgb), "a wide character is 32 bits");

    uchar* bits_;
    qsizetype stride_;
    QRect clip_;
    int left_ = INT_MAX;
    int top_ = INT_MAX;
    int right_ = INT_MIN;
    int bottom_ = INT_MIN;
};
