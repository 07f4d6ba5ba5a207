#include "surface/tcanvas.h"

#include "surface/figure_spans.h"
#include "surface/tbitmap.h"

#include <QPainter>
#include <QPen>
#include <QPolygon>

#include <cmath>
#include <utility>

int PointsToPixels(int points)
{
    // The rounding of MulDiv(points, 96, 72).
    const int scaled = points * 96;
    return scaled >= 0 ? (scaled + 36) / 72 : -((-scaled + 36) / 72);
}

int SetBkMode(HDC dc, int mode)
{
    if (dc == nullptr)
        return 0;
    return dc->setBackgroundMode(mode);
}

TCanvas::TCanvas(QImage* image, ChangeNotifier changed, QString defaultFace)
    : image_(image), notify_(std::move(changed)), defaultFace_(std::move(defaultFace))
{
    brushSeen_ = Brush.Color.changes();
}

int TCanvas::setBackgroundMode(int mode)
{
    if (mode != TRANSPARENT && mode != OPAQUE)
        return 0;
    // Only a brush assigned from now on ends the mode.
    brushSeen_ = Brush.Color.changes();
    return std::exchange(bkMode_, mode);
}

QPen TCanvas::realizedPen() const
{
    // The pen of the figures the toolkit still draws: rectangles and polygons.
    QPen pen(ColorToQColor(Pen.Color));
    pen.setWidth(Pen.Width < 1 ? 1 : Pen.Width);
    pen.setCapStyle(Qt::FlatCap);
    pen.setJoinStyle(Qt::MiterJoin);
    return pen;
}

QColor TCanvas::useBrush()
{
    if (Brush.Color.changes() != brushSeen_) {
        brushSeen_ = Brush.Color.changes();
        bkMode_ = OPAQUE;
    }
    return ColorToQColor(Brush.Color);
}

const QFont& TCanvas::realizedFont()
{
    const QString face = Font.Name.isEmpty() ? defaultFace_ : Font.Name;
    if (!metrics_ || face != fontFace_ || Font.Size != fontSize_) {
        fontFace_ = face;
        fontSize_ = Font.Size;
        font_ = QFont(face);
        font_.setPixelSize(PointsToPixels(Font.Size));
        // Aliased glyphs: a text drawn again over itself must not grow bolder.
        font_.setStyleStrategy(QFont::NoAntialias);
        font_.setHintingPreference(QFont::PreferFullHinting);
        metrics_.emplace(font_);
    }
    return font_;
}

void TCanvas::changed(const QRect& area)
{
    const QRect touched = area.intersected(QRect(QPoint(0, 0), image_->deviceIndependentSize().toSize()));
    if (!touched.isEmpty() && notify_)
        notify_(touched);
}

namespace {

// The figures whose spans are kept.
enum FigureKind { WideLine = 1, EllipseFigure, ChordFigure };

}  // namespace

QPointF TCanvas::devicePoint(QPoint p) const
{
    const qreal ratio = image_->devicePixelRatio();
    return QPointF((p.x() + 0.5) * ratio, (p.y() + 0.5) * ratio);
}

QPointF TCanvas::deviceCentre(const QRect& box) const
{
    // The outline runs through the centres of the box's border pixels.
    const qreal ratio = image_->devicePixelRatio();
    return QPointF((box.left() + box.right() + 1) / 2.0 * ratio, (box.top() + box.bottom() + 1) / 2.0 * ratio);
}

QSizeF TCanvas::deviceRadii(const QRect& box) const
{
    const qreal ratio = image_->devicePixelRatio();
    return QSizeF((box.width() - 1) / 2.0 * ratio, (box.height() - 1) / 2.0 * ratio);
}

template <class Compute>
void TCanvas::drawFigure(int kind, const std::array<int, 8>& arguments, QRgb inside, const Compute& compute)
{
    // A figure's spans depend on nothing else than its arguments, the pen's
    // width and the image's scale.
    const qreal ratio = image_->devicePixelRatio();
    const double penWidth = (Pen.Width < 1 ? 1.0 : double(Pen.Width)) * ratio;
    const Spans& spans =
        figures_.spans({kind, arguments, Pen.Width, ratio}, [&](Spans& out) { compute(penWidth, out); });
    const QRect device = PaintSpans(*image_, spans, ColorToQColor(Pen.Color).rgb(), inside);
    if (device.isEmpty())
        return;
    // The logical pixels holding the changed device pixels.
    changed(QRect(QPoint(int(std::floor(device.left() / ratio)), int(std::floor(device.top() / ratio))),
                  QPoint(int(std::floor(device.right() / ratio)), int(std::floor(device.bottom() / ratio)))));
}

void TCanvas::thinLine(QPoint from, QPoint to)
{
    // Bresenham's walk from the start pixel, stopping before the end pixel:
    // the same pixels whichever way the line runs, where the toolkit's own
    // rasterizer would keep the leftmost and topmost end instead.
    const QRgb colour = ColorToQColor(Pen.Color).rgb();
    const int dx = std::abs(to.x() - from.x());
    const int dy = -std::abs(to.y() - from.y());
    const int sx = from.x() < to.x() ? 1 : -1;
    const int sy = from.y() < to.y() ? 1 : -1;
    int error = dx + dy;
    int x = from.x();
    int y = from.y();
    const QRect bounds = image_->rect();
    while (x != to.x() || y != to.y()) {
        if (bounds.contains(x, y))
            reinterpret_cast<QRgb*>(image_->scanLine(y))[x] = colour;
        const int twice = 2 * error;
        if (twice >= dy) {
            error += dy;
            x += sx;
        }
        if (twice <= dx) {
            error += dx;
            y += sy;
        }
    }
}

void TCanvas::MoveTo(int x, int y)
{
    penPos_ = QPoint(x, y);
}

void TCanvas::LineTo(int x, int y)
{
    const QPoint from = penPos_;
    const QPoint to(x, y);
    penPos_ = to;
    if (from == to)
        return;  // a line without length covers no pixel
    if (Pen.Width <= 1 && image_->devicePixelRatio() == 1.0) {
        thinLine(from, to);
        const int margin = Pen.Width + 1;
        changed(QRect(from, to).normalized().adjusted(-margin, -margin, margin, margin));
        return;
    }
    drawFigure(WideLine, {from.x(), from.y(), to.x(), to.y()}, 0, [&](double width, Spans& out) {
        WideLineSpans(devicePoint(from), devicePoint(to), width, out);
    });
}

void TCanvas::Rectangle(int x1, int y1, int x2, int y2)
{
    const QColor fill = useBrush();
    const QRect box = QRect(QPoint(x1, y1), QPoint(x2 - 1, y2 - 1)).normalized();
    const QRect whole(QPoint(0, 0), image_->deviceIndependentSize().toSize());
    if (Pen.Color == Brush.Color && box.contains(whole)) {
        // Outline and inside of one colour over the whole image: clearing
        // the image leaves the same pixels, several times faster.
        image_->fill(fill);
        changed(whole);
        return;
    }
    {
        QPainter p(image_);
        p.fillRect(box, fill);
        // With a 1-pixel pen the outline lies on the box's own border pixels.
        p.setPen(realizedPen());
        p.drawRect(box.adjusted(0, 0, -1, -1));
    }
    const int margin = Pen.Width + 1;
    changed(box.adjusted(-margin, -margin, margin, margin));
}

void TCanvas::Ellipse(int x1, int y1, int x2, int y2)
{
    const QColor fill = useBrush();
    const QRect box = QRect(QPoint(x1, y1), QPoint(x2 - 1, y2 - 1)).normalized();
    drawFigure(EllipseFigure, {box.left(), box.top(), box.right(), box.bottom()}, fill.rgb(),
               [&](double width, Spans& out) { EllipseSpans(deviceCentre(box), deviceRadii(box), width, out); });
}

void TCanvas::Polygon(const TPoint* points, int lastIndex)
{
    if (points == nullptr || lastIndex < 1)
        return;
    const QColor fill = useBrush();
    QPolygon polygon(lastIndex + 1);
    for (int i = 0; i <= lastIndex; ++i)
        polygon[i] = points[i];
    {
        QPainter p(image_);
        p.setPen(realizedPen());
        p.setBrush(fill);
        p.drawPolygon(polygon);
    }
    const int margin = Pen.Width + 1;
    changed(polygon.boundingRect().adjusted(-margin, -margin, margin, margin));
}

void TCanvas::Chord(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4)
{
    const QColor fill = useBrush();
    const QRect box = QRect(QPoint(x1, y1), QPoint(x2 - 1, y2 - 1)).normalized();
    drawFigure(ChordFigure, {x1, y1, x2, y2, x3, y3, x4, y4}, fill.rgb(), [&](double width, Spans& out) {
        ChordSpans(deviceCentre(box), deviceRadii(box), devicePoint({x3, y3}), devicePoint({x4, y4}), width, out);
    });
}

void TCanvas::TextOut(int x, int y, const QString& text)
{
    const QColor background = useBrush();
    const RenderedText& rendered = renderedText(realizedFont(), text);
    const QRect box(x, y, rendered.advance, metrics_->height());
    {
        QPainter p(image_);
        if (bkMode_ == OPAQUE)
            p.fillRect(box, background);
        p.drawImage(QPoint(x - textMargin, y), rendered.glyphs);
    }
    penPos_ = QPoint(x + box.width(), y);
    if (onTextOut)
        onTextOut(box, text);
    changed(QRect(QPoint(x - textMargin, y), rendered.glyphs.deviceIndependentSize().toSize()));
}

const TCanvas::RenderedText& TCanvas::renderedText(const QFont& font, const QString& text)
{
    // The scenes write the same few dozen texts at every frame: each is laid
    // out and rasterized once, then copied. Without antialiasing a glyph
    // pixel is either fully painted or not at all, so the copy leaves exactly
    // the pixels drawing the text would.
    const QRgb colour = ColorToQColor(Font.Color).rgb();
    const qreal ratio = image_->devicePixelRatio();
    TextKey key{fontFace_, fontSize_, colour, ratio, text};
    auto found = textCache_.constFind(key);
    if (found != textCache_.constEnd())
        return *found;
    if (textCache_.size() >= maxCachedTexts)
        textCache_.clear();

    // Glyphs may overhang their advance a little on either side.
    const int advance = metrics_->horizontalAdvance(text);
    const QSize size(advance + 2 * textMargin, metrics_->height());
    QImage glyphs(size * ratio, QImage::Format_ARGB32_Premultiplied);
    glyphs.setDevicePixelRatio(ratio);
    glyphs.fill(Qt::transparent);
    {
        QPainter p(&glyphs);
        p.setFont(font);
        p.setPen(QColor::fromRgb(colour));
        p.drawText(QPoint(textMargin, metrics_->ascent()), text);
    }
    return *textCache_.insert(key, RenderedText{glyphs, advance});
}

int TCanvas::TextWidth(const QString& text)
{
    realizedFont();
    return metrics_->horizontalAdvance(text);
}

int TCanvas::TextHeight(const QString& /*text*/)
{
    realizedFont();
    return metrics_->height();
}

void TCanvas::Draw(int x, int y, const TBitmap& bitmap)
{
    if (bitmap.Empty())
        return;
    const QImage& source = bitmap.drawable();
    {
        QPainter p(image_);
        p.drawImage(QPoint(x, y), source);
    }
    changed(QRect(QPoint(x, y), source.size()));
}
