#pragma once

#include "surface/tcanvas.h"

#include <QElapsedTimer>
#include <QImage>
#include <QMargins>
#include <QWidget>

#include <memory>
#include <optional>

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
    // manager's and known only once the window is restored: the client area
    // is sized again then.
    void SetBounds(int left, int top, int width, int height);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

private:
    void growLayer(QSize atLeast);
    void fitBounds();

    QRect bounds_;
    QElapsedTimer restored_;  // since the first restore
    std::optional<QMargins> fittedFrame_;  // the frame the client area was last fitted to
    static constexpr qint64 fittingMilliseconds = 1000;

    QImage layer_;
    std::unique_ptr<TCanvas> canvas_;
};
