#include "surface/timage.h"

#include "surface/fonts.h"

#include <QPaintEvent>
#include <QPainter>

TImage::TImage(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_StaticContents);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

TImage::~TImage() = default;

TCanvas* TImage::Canvas()
{
    if (!canvas_) {
        // At the screen's own resolution: on a high-density screen lines and
        // text are drawn with its pixels, not enlarged from a 1:1 image.
        const qreal ratio = devicePixelRatioF();
        image_ = QImage(size().expandedTo(QSize(1, 1)) * ratio, QImage::Format_RGB32);
        image_.setDevicePixelRatio(ratio);
        image_.fill(ColorToQColor(clBtnFace));
        canvas_ = std::make_unique<TCanvas>(
            &image_,
            [this](const QRect& area) {
                // A frame changes a few areas, each several times over (the
                // dish erased, then drawn a little further): each area is
                // scheduled once, and one that overlaps another grows it to
                // hold both, so that it is painted as one rectangle.
                for (QRect& scheduled : pending_) {
                    if (scheduled.contains(area))
                        return;
                    if (scheduled.intersects(area)) {
                        scheduled |= area;
                        update(scheduled);
                        return;
                    }
                }
                pending_.push_back(area);
                update(area);
            },
            SansFace());
    }
    return canvas_.get();
}

void TImage::paintEvent(QPaintEvent* event)
{
    pending_.clear();
    QPainter painter(this);
    if (image_.isNull()) {
        painter.fillRect(event->rect(), ColorToQColor(clBtnFace));
        return;
    }
    // Each area on its own, clipped to itself: through the clip of the whole
    // region the toolkit would blend row by row on its thread pool, which
    // costs more than the copy.
    const qreal ratio = image_.devicePixelRatio();
    for (const QRect& area : event->region()) {
        painter.setClipRect(area);
        painter.drawImage(QRectF(area), image_, QRectF(QPointF(area.topLeft()) * ratio, QSizeF(area.size()) * ratio));
    }
}
