#include "surface/tcolor.h"

#include <QGuiApplication>
#include <QPalette>

QColor ColorToQColor(TColor color)
{
    if (color & 0x80000000u) {
        const QPalette palette = QGuiApplication::palette();
        switch (color & 0xFFu) {
        case 0x0F:
            return palette.color(QPalette::Active, QPalette::Window);
        case 0x08:
            return palette.color(QPalette::Active, QPalette::WindowText);
        default:
            return palette.color(QPalette::Active, QPalette::Window);
        }
    }
    return QColor(int(color & 0xFF), int((color >> 8) & 0xFF), int((color >> 16) & 0xFF));
}
