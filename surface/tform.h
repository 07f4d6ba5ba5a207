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

    // The window's bounds when it is neither maximized nor minimized: its
    // outer bounds on the screen, frame included. The frame is the window
    // manager's and known only once the window is shown: the client area is
    // sized again the first time the window comes to its normal state.
    void SetBounds(int left, int top, int width, int height);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void growLayer(QSize atLeast);

    QRect bounds_;  // still to be corrected for the frame

    QImage layer_;
    std::unique_ptr<TCanvas> canvas_;
};
