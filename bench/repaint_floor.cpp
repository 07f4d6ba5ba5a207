// The least an animation like Antenne's can cost with this toolkit and this
// display: a window of the same size whose image changes, every 100 ms, one
// pixel of each row of an area the size of the antenna's dish, and that
// area only is repainted. Measured by bench/repaint_floor.sh beside the real
// program, it tells what share of the real program's cost is its own
// drawing and what share the toolkit's repaint and wake-ups, which no
// drawing code can remove.
//
// usage: antenne-repaint-floor idle|pixel|dish
//   idle   the timer alone, nothing repainted
//   pixel  one pixel changed and repainted at every tick
//   dish   a 208 x 208 area changed and repainted at every tick
#include <QApplication>
#include <QImage>
#include <QPaintEvent>
#include <QPainter>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <cstring>

namespace {

class Area : public QWidget {
public:
    explicit Area(int side, QWidget* parent) : QWidget(parent), side_(side)
    {
        setAttribute(Qt::WA_StaticContents);
        setAttribute(Qt::WA_OpaquePaintEvent);
        setGeometry(0, 0, 790, 416);
        image_.fill(QColor(240, 240, 240));
    }

    void tick()
    {
        ++ticks_;
        if (side_ == 0)
            return;
        const QRect area(423, 113, side_, side_);
        for (int y = area.top(); y <= area.bottom(); ++y)
            reinterpret_cast<QRgb*>(image_.scanLine(y))[area.left() + ticks_ % side_] ^= 0xFF;
        update(area);
    }

protected:
    void paintEvent(QPaintEvent* event) override
    {
        QPainter painter(this);
        painter.drawImage(event->rect(), image_, event->rect());
    }

private:
    QImage image_{790, 416, QImage::Format_RGB32};
    int side_;
    int ticks_ = 0;
};

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    int side = -1;
    if (argc == 2 && std::strcmp(argv[1], "idle") == 0)
        side = 0;
    else if (argc == 2 && std::strcmp(argv[1], "pixel") == 0)
        side = 1;
    else if (argc == 2 && std::strcmp(argv[1], "dish") == 0)
        side = 208;
    if (side < 0) {
        std::fprintf(stderr, "usage: %s idle|pixel|dish\n", argv[0]);
        return 2;
    }
    QWidget window;
    window.setWindowTitle(QStringLiteral("Antenne (repaint floor)"));
    window.resize(800, 521);
    auto* area = new Area(side, &window);
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, area, [area] { area->tick(); });
    timer.start(100);
    window.showMaximized();
    return app.exec();
}
