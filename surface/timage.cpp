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
        image_ = QImage(size().expandedTo(QSize(1, 1)), QImage::Format_RGB32);
        image_.fill(ColorToQColor(clBtnFace));
        canvas_ = std::make_unique<TCanvas>(
            &image_, [this](const QRect& area) { update(area); }, SansFace());
    }
    return canvas_.get();
}

void TImage::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    if (image_.isNull()) {
        painter.fillRect(event->rect(), ColorToQColor(clBtnFace));
        return;
    }
    painter.drawImage(event->rect().topLeft(), image_, event->rect());
}
