#include "surface/tcanvas.h"

#include "surface/figures.h"
#include "surface/spans.h"
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
        texts_.clear();
    }
    return font_;
}

void TCanvas::changed(const QRect& area)
{
    const QRect touched = area.intersected(QRect(QPoint(0, 0), image_->deviceIndependentSize().toSize()));
    if (touched.isEmpty())
        return;
    if (changes_.size() == maxKeptChanges) {
        changesForgotten_ += changes_.size();
        changes_.clear();
    }
    changes_.push_back(touched);
    if (notify_)
        notify_(touched);
}

QRect TCanvas::changedSince(std::size_t since, const QRect& area) const
{
    QRect touched = area;  // all of it if the changes are not known any more
    if (since >= changesForgotten_) {
        touched = QRect();
        for (auto change = changes_.begin() + std::ptrdiff_t(since - changesForgotten_); change != changes_.end();
             ++change)
            // Compared here rather than by QRect::intersects, a call of the
            // library's: this runs for every change at every look-up.
            if (change->left() <= area.right() && area.left() <= change->right() && change->top() <= area.bottom() &&
                area.top() <= change->bottom())
                touched |= *change & area;
    }
    if (touched.isEmpty())
        return QRect();
    const qreal ratio = image_->devicePixelRatio();
    return QRect(QPoint(int(std::floor(touched.left() * ratio)), int(std::floor(touched.top() * ratio))),
                 QPoint(int(std::ceil((touched.right() + 1) * ratio)) - 1,
                        int(std::ceil((touched.bottom() + 1) * ratio)) - 1));
}

void TCanvas::changedPixels(const SpanPainter& painter)
{
    const QRect device = painter.changed();
    if (device.isEmpty())
        return;
    // The logical pixels holding the changed ones.
    const qreal ratio = image_->devicePixelRatio();
    changed(QRect(QPoint(int(std::floor(device.left() / ratio)), int(std::floor(device.top() / ratio))),
                  QPoint(int(std::floor(device.right() / ratio)), int(std::floor(device.bottom() / ratio)))));
}

QPoint TCanvas::devicePixel(QPoint p) const
{
    // The image's pixel at the logical pixel's centre.
    const QPointF centre = devicePoint(p);
    return QPoint(int(std::floor(centre.x())), int(std::floor(centre.y())));
}

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
    const QRgb colour = ColorToQColor(Pen.Color).rgb();
    const int margin = std::max(Pen.Width, 1);
    const QRect reach = QRect(from, to).normalized().adjusted(-margin, -margin, margin, margin);
    DrawnLine& drawn = lines_[std::size_t(from.x() * 7 + from.y() * 13 + to.x() * 29 + to.y() * 31) % lines_.size()];
    SpanPainter painter(*image_);
    if (drawn.from == from && drawn.to == to && drawn.width == Pen.Width && drawn.colour == colour) {
        const QRect touched = changedSince(drawn.changesThen, reach);
        if (touched.isEmpty()) {
            drawn.changesThen = changeCount();
            return;
        }
        painter.clipTo(touched);
    }
    const int width = std::max(1, qRound(margin * image_->devicePixelRatio()));
    PaintLine(painter, devicePixel(from), devicePixel(to), width, colour);
    changedPixels(painter);
    drawn = DrawnLine{from, to, Pen.Width, colour, changeCount()};
}

void TCanvas::Rectangle(int x1, int y1, int x2, int y2)
{
    const QColor fill = useBrush();
    const QRect box = QRect(QPoint(x1, y1), QPoint(x2 - 1, y2 - 1)).normalized();
    const QRect whole(QPoint(0, 0), image_->deviceIndependentSize().toSize());
    if (Pen.Color == Brush.Color && box.contains(whole)) {
        // One colour over the whole image, as when a scenario starts:
        // filling the image leaves the same pixels, several times faster.
        image_->fill(fill);
        changed(whole);
        return;
    }
    {
        QPainter p(image_);
        p.fillRect(box, fill);
        // With a 1-pixel pen the outline lies on the box's own border pixels.
        QPen pen(ColorToQColor(Pen.Color), std::max(Pen.Width, 1));
        pen.setJoinStyle(Qt::MiterJoin);
        p.setPen(pen);
        p.drawRect(box.adjusted(0, 0, -1, -1));
    }
    const int margin = Pen.Width + 1;
    changed(box.adjusted(-margin, -margin, margin, margin));
}

void TCanvas::Polygon(const TPoint* points, int lastIndex)
{
    if (points == nullptr || lastIndex < 1)
        return;
    const QColor fill = useBrush();
    const QPolygon polygon(QList<QPoint>(points, points + lastIndex + 1));
    {
        QPainter p(image_);
        QPen pen(ColorToQColor(Pen.Color), std::max(Pen.Width, 1));
        pen.setJoinStyle(Qt::MiterJoin);
        p.setPen(pen);
        p.setBrush(fill);
        p.drawPolygon(polygon);
    }
    const int margin = Pen.Width + 1;
    changed(polygon.boundingRect().adjusted(-margin, -margin, margin, margin));
}

template <class Compute>
void TCanvas::paintFigure(std::optional<KeptFigure>& kept, const std::array<int, 8>& arguments, const QRect& box,
                          const Compute& compute)
{
    const QRgb outline = ColorToQColor(Pen.Color).rgb();
    const QRgb inside = useBrush().rgb();
    SpanPainter painter(*image_);
    // The rows whose inside is painted: all, unless the figure is drawn again
    // with the same inside, which has changed only where something else
    // changed since.
    int insideTop = INT_MIN;
    int insideBottom = INT_MAX;
    if (kept && kept->arguments == arguments && kept->penWidth == Pen.Width) {
        const int margin = Pen.Width + 1;
        const QRect touched = changedSince(kept->changesThen, box.adjusted(-margin, -margin, margin, margin));
        if (kept->inside == inside && kept->outline == outline) {
            if (touched.isEmpty()) {
                kept->changesThen = changeCount();
                return;
            }
            painter.clipTo(touched);
        } else if (kept->inside == inside) {
            // An empty rectangle's rows run from 0 to -1: none.
            insideTop = touched.top();
            insideBottom = touched.bottom();
        }
    } else {
        kept = KeptFigure{arguments, Pen.Width, compute(std::max(Pen.Width, 1) * image_->devicePixelRatio())};
    }
    PaintEllipse(painter, kept->figure, outline, inside, insideTop, insideBottom);
    changedPixels(painter);
    kept->outline = outline;
    kept->inside = inside;
    kept->changesThen = changeCount();
}

void TCanvas::Ellipse(int x1, int y1, int x2, int y2)
{
    const QRect box = QRect(QPoint(x1, y1), QPoint(x2 - 1, y2 - 1)).normalized();
    paintFigure(lastEllipse_, {x1, y1, x2, y2}, box, [&](double penWidth) {
        return EllipseRows(deviceCentre(box), deviceRadii(box), penWidth, std::nullopt);
    });
}

void TCanvas::Chord(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4)
{
    const QRect box = QRect(QPoint(x1, y1), QPoint(x2 - 1, y2 - 1)).normalized();
    paintFigure(lastChord_, {x1, y1, x2, y2, x3, y3, x4, y4}, box, [&](double penWidth) {
        const QPointF centre = deviceCentre(box);
        const QSizeF radii = deviceRadii(box);
        return EllipseRows(centre, radii, penWidth,
                           ChordBetween(centre, radii, devicePoint({x3, y3}), devicePoint({x4, y4})));
    });
}

void TCanvas::TextOut(int x, int y, const QString& text)
{
    const QColor background = useBrush();
    RenderedText& rendered = renderedText(text);
    const QRect box(x, y, rendered.advance, metrics_->height());
    penPos_ = QPoint(x + box.width(), y);
    if (onTextOut)
        onTextOut(box, text);

    // A text drawn again where it was drawn last, in the same colour and
    // without a background, would change no pixel that nothing has changed
    // since: it is drawn only where something has, and the labels the scenes
    // write at every frame mostly cost a look-up.
    const QRgb colour = ColorToQColor(Font.Color).rgb();
    SpanPainter painter(*image_);
    if (bkMode_ == TRANSPARENT && rendered.lastAt == box.topLeft() && rendered.lastColour == colour) {
        const QRect touched = changedSince(rendered.changesThen, box.adjusted(-textMargin, 0, textMargin, 0));
        if (touched.isEmpty()) {
            rendered.changesThen = changeCount();
            return;
        }
        painter.clipTo(touched);
    }

    const qreal ratio = image_->devicePixelRatio();
    const QPoint origin(qRound(x * ratio), qRound(y * ratio));
    if (bkMode_ == OPAQUE)
        painter.fillRect(QRect(origin, box.size() * ratio), background.rgb());
    for (const GlyphRun& run : rendered.runs)
        painter.fill(origin.y() + run.y, origin.x() + run.x, origin.x() + run.x + run.length, colour);
    changedPixels(painter);
    rendered.lastAt = bkMode_ == TRANSPARENT ? box.topLeft() : QPoint(INT_MIN, INT_MIN);
    rendered.lastColour = colour;
    rendered.changesThen = changeCount();
}

TCanvas::RenderedText& TCanvas::renderedText(const QString& text)
{
    // The scenes write the same few dozen texts at every frame: each is laid
    // out and rasterized once, by the toolkit, and kept as the runs of its
    // glyph pixels. Without antialiasing a glyph pixel is either fully
    // painted or not at all, so painting the runs leaves exactly the pixels
    // drawing the text would, in any colour. (The toolkit's own copy of a
    // kept text image costs about 9,000 instructions; the runs a tenth.)
    const QFont& font = realizedFont();
    const auto found = texts_.find(text);
    if (found != texts_.end())
        return *found;
    if (texts_.size() >= maxCachedTexts)
        texts_.clear();

    // Glyphs may overhang their advance a little on either side.
    constexpr int margin = textMargin;
    const int advance = metrics_->horizontalAdvance(text);
    const qreal ratio = image_->devicePixelRatio();
    QImage glyphs(QSize(advance + 2 * margin, metrics_->height()) * ratio, QImage::Format_ARGB32_Premultiplied);
    glyphs.setDevicePixelRatio(ratio);
    glyphs.fill(Qt::transparent);
    {
        QPainter p(&glyphs);
        p.setFont(font);
        p.setPen(Qt::black);
        p.drawText(QPoint(margin, metrics_->ascent()), text);
    }
    RenderedText rendered{{}, advance};
    const int shift = int(std::lround(margin * ratio));
    for (int y = 0; y < glyphs.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(glyphs.constScanLine(y));
        for (int x = 0; x < glyphs.width();) {
            if (qAlpha(row[x]) == 0) {
                ++x;
                continue;
            }
            const int start = x;
            while (x < glyphs.width() && qAlpha(row[x]) != 0)
                ++x;
            rendered.runs.push_back({y, start - shift, x - start});
        }
    }
    return *texts_.emplace(text, std::move(rendered));
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
