#pragma once

#include "surface/tcanvas.h"

#include <QImage>
#include <QWidget>

#include <memory>
#include <vector>

// The image control: shows a persistent image of its own size, which all
// drawing goes to through its canvas. Only the areas the canvas reports as
// changed are repainted, once per event-loop pass however many operations
// touched them.
class TImage : public QWidget {
    Q_OBJECT
public:
    explicit TImage(QWidget* parent = nullptr);
    ~TImage() override;

    // The canvas over the image; the image is made, in the background colour,
    // at the control's size the first time it is asked for.
    TCanvas* Canvas();
    const QImage& picture()
    {
        Canvas();
        return image_;
    }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage image_;
    std::unique_ptr<TCanvas> canvas_;
    std::vector<QRect> pending_;  // scheduled since the last paint
};
