#include "surface/fonts.h"

#include <QFontDatabase>

QString SansFace()
{
    return QStringLiteral("Liberation Sans");
}

QString SerifFace()
{
    return QStringLiteral("Liberation Serif");
}

bool RegisterApplicationFonts()
{
    bool all = true;
    for (const char* file : {":/fonts/LiberationSans-Regular.ttf", ":/fonts/LiberationSerif-Regular.ttf"})
        all = QFontDatabase::addApplicationFont(QString::fromLatin1(file)) >= 0 && all;
    return all;
}
