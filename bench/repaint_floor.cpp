// The least an animation like Antenne's can cost with this toolkit and this
// display: a window of the program's size whose image changes every 100 ms
// in an area the size of the antenna's dish, and that area only is
// repainted. bench/side_by_side.sh measures it beside the real program.
//
// usage: antenne-repaint-floor idle|dish
//   idle   the timer alone, nothing repainted
//   dish   a 210 x 210 area changed and repainted at every tick
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
        setGeometry(0, 72, 790, 416);
        image_.fill(QColor(240, 240, 240));
    }

    // One pixel of each row of the area changes: the least drawing that
    // makes the whole area worth repainting.
    void tick()
    {
        ++ticks_;
        if (side_ == 0)
            return;
        const QRect area(335, 60, side_, side_);
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
    else if (argc == 2 && std::strcmp(argv[1], "dish") == 0)
        side = 210;
    if (side < 0) {
        std::fprintf(stderr, "usage: %s idle|dish\n", argv[0]);
        return 2;
    }
    QWidget window;
    window.setWindowTitle(QStringLiteral("Antenne (repaint floor)"));
    window.resize(800, 521);
    auto* area = new Area(side, &window);
    QTimer timer;
    timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer, &QTimer::timeout, area, [area] { area->tick(); });
    timer.start(100);
    window.showMaximized();
    return app.exec();
}
