#pragma once

#include "surface/tcanvas.h"

#include <QImage>
#include <QWidget>

#include <memory>

// A top-level window with a canvas of its own. What is drawn on that canvas
// goes to a persistent layer that the window paints beneath its controls, so
// it survives the window being covered, minimized and restored.
class TForm : public QWidget {
    Q_OBJECT
public:
    explicit TForm(QWidget* parent = nullptr);
    ~TForm() override;

    TCanvas* Canvas() { return canvas_.get(); }
    const QImage& layer() const { return layer_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void growLayer(QSize atLeast);

    QImage layer_;
    std::unique_ptr<TCanvas> canvas_;
};
