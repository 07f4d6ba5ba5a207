#pragma once

#include "surface/figures.h"
#include "surface/tcolor.h"

#include <QFont>
#include <QFontMetrics>
#include <QHash>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QString>

#include <array>
#include <climits>
#include <functional>
#include <optional>
#include <vector>

class TBitmap;
class TCanvas;

using TPoint = QPoint;
using HDC = TCanvas*;

// Text background modes, as SetBkMode takes them.
constexpr int TRANSPARENT = 1;
constexpr int OPAQUE = 2;

// Makes the text drawn afterwards on `dc` paint (OPAQUE) or not paint
// (TRANSPARENT) its background. Returns the previous mode, 0 for a bad mode or
// a null handle.
int SetBkMode(HDC dc, int mode);

// A brush colour that counts its assignments: assigning the brush colour, even
// to the value it already holds, makes the canvas realize the brush again at
// its next use, and that ends a transparent text background.
class TBrushColor {
public:
    explicit TBrushColor(TColor color) : value_(color) {}
    TBrushColor& operator=(TColor color)
    {
        value_ = color;
        ++changes_;
        return *this;
    }
    operator TColor() const { return value_; }
    unsigned changes() const { return changes_; }

private:
    TColor value_;
    unsigned changes_ = 0;
};

struct TPen {
    TColor Color = clBlack;
    int Width = 1;
};

struct TBrush {
    TBrushColor Color{clWhite};
};

struct TFont {
    QString Name;  // face; empty means the canvas's default face
    int Size = 8;  // points, at 96 dots per inch
    TColor Color = clWindowText;
};

// Immediate-mode drawing onto a persistent image, with the state and the
// pixel conventions of a GDI device context:
// - boxes (x1, y1, x2, y2) cover x1..x2-1 and y1..y2-1;
// - a line covers its start pixel but not its end pixel;
// - nothing is antialiased, text included, so a figure drawn twice leaves the
//   same pixels as drawn once and the same figure drawn in the background
//   colour erases exactly what it drew.
// Every operation draws, then reports to `changed` the rectangle it touched,
// so that the widget showing the image repaints that area only. Lines,
// ellipses, chords and texts, which the scenes draw again at every frame,
// report only the pixels they really changed: nothing when drawn again over
// themselves.
class TCanvas {
public:
    using ChangeNotifier = std::function<void(const QRect&)>;

    TCanvas(QImage* image, ChangeNotifier changed, QString defaultFace);

    TPen Pen;
    TBrush Brush;
    TFont Font;

    HDC Handle() { return this; }
    QPoint PenPos() const { return penPos_; }

    void MoveTo(int x, int y);
    void LineTo(int x, int y);
    void Rectangle(int x1, int y1, int x2, int y2);
    void Ellipse(int x1, int y1, int x2, int y2);
    // Closed polygon through points[0] .. points[lastIndex] (6 points: 5).
    void Polygon(const TPoint* points, int lastIndex);
    // The ellipse in the box (x1, y1)-(x2, y2) cut by the line joining the
    // points where the rays from its centre through (x3, y3) and (x4, y4) meet
    // it; the arc kept runs counterclockwise on screen from the first ray to
    // the second.
    void Chord(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4);
    // Text in the current font, its top left corner at (x, y).
    void TextOut(int x, int y, const QString& text);
    // Copies the bitmap at natural size, top left at (x, y); a transparent
    // bitmap skips the pixels of its transparent colour.
    void Draw(int x, int y, const TBitmap& bitmap);

    // Size of a text in the current font, as TextOut would draw it.
    int TextWidth(const QString& text);
    int TextHeight(const QString& text);

    // Told the box of every text drawn, before clipping: lets a caller check
    // that texts fit where they are written.
    std::function<void(const QRect& box, const QString& text)> onTextOut;

    int backgroundMode() const { return bkMode_; }
    int setBackgroundMode(int mode);

    const QImage& image() const { return *image_; }

private:
    // Realizes the brush for an operation that paints with it; a brush colour
    // assigned since the last realization puts the text background back to
    // opaque, as a GDI brush selection does.
    QColor useBrush();
    const QFont& realizedFont();
    // Reports an area in logical pixels, clipped to the image.
    void changed(const QRect& area);
    // Reports what a span painter changed, in the image's own pixels.
    void changedPixels(const SpanPainter& painter);
    // A point of the canvas, and the centre and radii of a box's ellipse, in
    // the image's own pixels.
    QPoint devicePixel(QPoint p) const;
    QPointF devicePoint(QPoint p) const;
    QPointF deviceCentre(const QRect& box) const;
    QSizeF deviceRadii(const QRect& box) const;

    // A text laid out and rasterized once, as runs of glyph pixels (in the
    // image's own pixels, from the text's top left), and its advance width.
    struct GlyphRun {
        int y;
        int x;
        int length;
    };
    struct RenderedText {
        std::vector<GlyphRun> runs;
        int advance;
        // Where it was last drawn with a transparent background, in which
        // colour, and how many changes the canvas had made by then.
        QPoint lastAt{INT_MIN, INT_MIN};
        QRgb lastColour = 0;
        std::size_t changesThen = 0;
    };
    RenderedText& renderedText(const QString& text);
    // How many changes the canvas has made so far.
    std::size_t changeCount() const { return changesForgotten_ + changes_.size(); }
    // The part of `area` that the changes made since the count `since`
    // touched (a rectangle holding them), in the image's own pixels; empty
    // if none.
    QRect changedSince(std::size_t since, const QRect& area) const;

    // The rows of the ellipse and of the chord drawn last, their colours and
    // how many changes the canvas had made then: the scenes draw the same
    // pivot twice a frame, and erase the dish with the very chord they drew
    // it with at the frame before, its inside in the same colour.
    struct KeptFigure {
        std::array<int, 8> arguments;
        int penWidth;
        EllipseFigure figure;
        QRgb outline = 0;
        QRgb inside = 0;
        std::size_t changesThen = 0;
    };
    // Paints the figure of `arguments` in box, worked out by
    // compute(pen width in the image's pixels) unless it is the one kept.
    template <class Compute>
    void paintFigure(std::optional<KeptFigure>& kept, const std::array<int, 8>& arguments, const QRect& box,
                     const Compute& compute);
    std::optional<KeptFigure> lastEllipse_;
    std::optional<KeptFigure> lastChord_;

    QImage* image_;
    ChangeNotifier notify_;
    QString defaultFace_;
    QPoint penPos_{0, 0};
    int bkMode_ = OPAQUE;
    unsigned brushSeen_ = 0;

    // The font object and its metrics are rebuilt only when face or size change.
    QString fontFace_;
    int fontSize_ = -1;
    QFont font_;
    std::optional<QFontMetrics> metrics_;

    // The lines drawn lately, by a hash of their ends, and the same for them
    // as for texts: one drawn again is drawn only where something has changed
    // since.
    struct DrawnLine {
        QPoint from;
        QPoint to;
        int width = 0;
        QRgb colour = 0;
        std::size_t changesThen = 0;
    };
    std::array<DrawnLine, 64> lines_;

    // Every area changed, in order (forgotten from time to time, which only
    // costs drawing a text again).
    static constexpr std::size_t maxKeptChanges = 1024;
    std::vector<QRect> changes_;
    std::size_t changesForgotten_ = 0;

    // Texts already rasterized in the current font (their colour is given
    // when they are painted); forgotten when the font changes. Glyphs may
    // overhang the text's advance by this much.
    static constexpr int maxCachedTexts = 512;
    static constexpr int textMargin = 3;
    QHash<QString, RenderedText> texts_;
};

// Pixel size of a font of `points` points at 96 dots per inch, rounded as the
// system does it (8 pt is 11 px, 10 pt is 13 px).
int PointsToPixels(int points);
