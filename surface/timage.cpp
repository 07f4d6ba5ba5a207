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
                // One rectangle for all a frame changed: painting through a
                // clip of a hundred small ones costs more than the union.
                pendingRepaint_ |= area;
                update(pendingRepaint_);
            },
            SansFace());
    }
    return canvas_.get();
}

void TImage::paintEvent(QPaintEvent* event)
{
    pendingRepaint_ = QRect();
    QPainter painter(this);
    if (image_.isNull()) {
        painter.fillRect(event->rect(), ColorToQColor(clBtnFace));
        return;
    }
    const QRectF area(event->rect());
    const qreal ratio = image_.devicePixelRatio();
    painter.drawImage(area, image_, QRectF(area.topLeft() * ratio, area.size() * ratio));
}
