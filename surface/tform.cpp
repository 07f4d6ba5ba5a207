#include "surface/tform.h"

#include "surface/fonts.h"

#include <QGuiApplication>
#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QScreen>

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
    const QSize wanted = layer_.size().expandedTo(atLeast);
    if (wanted == layer_.size())
        return;
    QImage grown(wanted, QImage::Format_RGB32);
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
    growLayer(event->size());
    QWidget::resizeEvent(event);
}

void TForm::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    painter.drawImage(event->rect().topLeft(), layer_, event->rect());
}
