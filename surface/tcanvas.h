#pragma once

#include "surface/figure_cache.h"
#include "surface/tcolor.h"

#include <QFont>
#include <QFontMetrics>
#include <QHash>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QString>

#include <array>
#include <functional>
#include <optional>

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
// Every operation reports the rectangle it may have changed to `changed`, so
// that the widget showing the image repaints that area only. Wide lines,
// ellipses and chords are drawn by the canvas itself, row by row, and report
// just the pixels they really changed: nothing for a figure drawn again over
// itself.
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
    QPen realizedPen() const;
    void thinLine(QPoint from, QPoint to);
    // The wide lines, ellipses and chords are worked out as spans of the
    // image's own pixels (see figure_spans.h): where a logical pixel's
    // centre, and a box's ellipse, lie among them.
    QPointF devicePoint(QPoint p) const;
    QPointF deviceCentre(const QRect& box) const;
    QSizeF deviceRadii(const QRect& box) const;
    // Paints the figure `compute(pen width in device pixels, out)` works out,
    // or kept from an earlier call with the same arguments, and reports the
    // pixels that really changed.
    template <class Compute>
    void drawFigure(int kind, const std::array<int, 8>& arguments, QRgb inside, const Compute& compute);
    // Realizes the brush for an operation that paints with it; a brush colour
    // assigned since the last realization puts the text background back to
    // opaque, as a GDI brush selection does.
    QColor useBrush();
    const QFont& realizedFont();
    void changed(const QRect& area);
    // A text laid out and rasterized once: its glyphs and its advance width.
    struct RenderedText {
        QImage glyphs;
        int advance;
    };
    struct TextKey {
        QString face;
        int size;
        QRgb colour;
        qreal ratio;
        QString text;
        bool operator==(const TextKey& other) const
        {
            return size == other.size && colour == other.colour && ratio == other.ratio &&
                   face == other.face && text == other.text;
        }
        friend size_t qHash(const TextKey& key, size_t seed = 0)
        {
            return qHashMulti(seed, key.face, key.size, key.colour, key.text);
        }
    };
    const RenderedText& renderedText(const QFont& font, const QString& text);

    QImage* image_;
    ChangeNotifier notify_;
    QString defaultFace_;
    QPoint penPos_{0, 0};
    int bkMode_ = OPAQUE;
    unsigned brushSeen_ = 0;
    FigureCache figures_;

    // The font object and its metrics are rebuilt only when face or size change.
    QString fontFace_;
    int fontSize_ = -1;
    QFont font_;
    std::optional<QFontMetrics> metrics_;

    // Texts already rasterized, by face, size, colour, scale and text.
    static constexpr int textMargin = 3;
    static constexpr int maxCachedTexts = 512;
    QHash<TextKey, RenderedText> textCache_;
};

// Pixel size of a font of `points` points at 96 dots per inch, rounded as the
// system does it (8 pt is 11 px, 10 pt is 13 px).
int PointsToPixels(int points);
