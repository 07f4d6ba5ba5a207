#include "surface/tform.h"

#include "surface/fonts.h"

#include <QGuiApplication>
#include <QMargins>
#include <QWindow>
#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QScreen>
#include <QTimer>

TForm::TForm(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_StaticContents);
    // The layer starts as large as the screen, so that the window can be
    // maximized without losing what was drawn; it grows if the window does.
    QSize initial(1, 1);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        initial = screen->size();
    growLayer(initial);
    canvas_ = std::make_unique<TCanvas>(
        &layer_, [this](const QRect& area) { update(area); }, SansFace());
}

TForm::~TForm() = default;

void TForm::growLayer(QSize atLeast)
{
    // Sizes in logical pixels; the layer has the screen's own resolution.
    const qreal ratio = devicePixelRatioF();
    const QSize current = layer_.isNull() ? QSize(0, 0) : layer_.deviceIndependentSize().toSize();
    const QSize wanted = current.expandedTo(atLeast);
    if (wanted == current && !layer_.isNull())
        return;
    QImage grown(wanted * ratio, QImage::Format_RGB32);
    grown.setDevicePixelRatio(ratio);
    grown.fill(ColorToQColor(clBtnFace));
    if (!layer_.isNull()) {
        QPainter p(&grown);
        p.drawImage(0, 0, layer_);
    }
    // The canvas keeps a pointer to layer_, which stays the same object.
    layer_ = std::move(grown);
}

void TForm::resizeEvent(QResizeEvent* event)
{
    fitBounds();
    growLayer(event->size());
    QWidget::resizeEvent(event);
}

void TForm::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    const QRectF area(event->rect());
    const qreal ratio = layer_.devicePixelRatio();
    painter.drawImage(area, layer_, QRectF(area.topLeft() * ratio, area.size() * ratio));
}

void TForm::SetBounds(int left, int top, int width, int height)
{
    // Until the frame is known, the client area takes the bounds.
    setGeometry(left, top, width, height);
    bounds_ = QRect(left, top, width, height);
}

void TForm::fitBounds()
{
    if (!restored_.isValid() || restored_.hasExpired(fittingMilliseconds) || !windowHandle() ||
        (windowState() & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen)))
        return;
    // Only a frame not seen yet: the user may resize the window meanwhile.
    const QMargins frame = windowHandle()->frameMargins();
    if (fittedFrame_ == frame)
        return;
    fittedFrame_ = frame;
    setGeometry(bounds_.marginsRemoved(frame));
}

void TForm::changeEvent(QEvent* event)
{
    // The first time the shown window comes to its normal state (restored
    // from maximized), the client area is sized so that the outer bounds are
    // the ones set. The window manager may tell the restored window's frame
    // a little after restoring it (until then the toolkit holds the
    // maximized one), so for a moment the client area is fitted again, at
    // each move or resize and once more when the window manager has settled,
    // if the frame has changed. Later, the window is the user's.
    if (event->type() == QEvent::WindowStateChange && isVisible() && !bounds_.isNull() && !restored_.isValid() &&
        !(windowState() & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen))) {
        restored_.start();
        fitBounds();
        QTimer::singleShot(fittingMilliseconds / 3, this, &TForm::fitBounds);
    }
    QWidget::changeEvent(event);
}

void TForm::moveEvent(QMoveEvent* event)
{
    fitBounds();
    QWidget::moveEvent(event);
}
