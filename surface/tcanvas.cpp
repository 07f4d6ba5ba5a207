#include "surface/tcanvas.h"

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
    // A flat cap leaves out a line's last pixel, as GDI does, at every width.
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
    } else {
        QPainter p(image_);
        p.setPen(realizedPen());
        p.drawLine(from, to);
    }
    const int margin = Pen.Width + 1;
    changed(QRect(from, to).normalized().adjusted(-margin, -margin, margin, margin));
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
    {
        QPainter p(image_);
        p.setPen(realizedPen());
        p.setBrush(fill);
        p.drawEllipse(box.adjusted(0, 0, -1, -1));
    }
    const int margin = Pen.Width + 1;
    changed(box.adjusted(-margin, -margin, margin, margin));
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
    // The rays start at the centre of the box; their directions, in degrees
    // counterclockwise on screen from 3 o'clock (Y points down, hence the sign).
    const double cx = (x1 + x2) / 2.0;
    const double cy = (y1 + y2) / 2.0;
    const double degrees = 180.0 / M_PI;
    const double start = std::atan2(-(y3 - cy), x3 - cx) * degrees;
    const double end = std::atan2(-(y4 - cy), x4 - cx) * degrees;
    double span = std::fmod(end - start, 360.0);
    if (span <= 0.0)
        span += 360.0;  // the same ray twice keeps the whole ellipse
    {
        QPainter p(image_);
        p.setPen(realizedPen());
        p.setBrush(fill);
        p.drawChord(box.adjusted(0, 0, -1, -1), int(std::lround(start * 16.0)),
                    int(std::lround(span * 16.0)));
    }
    const int margin = Pen.Width + 1;
    changed(box.adjusted(-margin, -margin, margin, margin));
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
