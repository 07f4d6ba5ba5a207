#include "surface/tbitmap.h"

#include <QDir>
#include <QImageReader>

namespace {
const TModule programModule{QStringLiteral(":/bitmaps")};
}

HINSTANCE HInstance = &programModule;

void TBitmap::LoadFromResourceName(HINSTANCE instance, const QString& name)
{
    const QString folder = instance ? instance->bitmapFolder : QString();
    QString path;
    const QStringList entries = QDir(folder).entryList(QDir::Files);
    for (const QString& entry : entries) {
        if (QFileInfo(entry).completeBaseName().compare(name, Qt::CaseInsensitive) == 0) {
            path = QDir(folder).filePath(entry);
            break;
        }
    }
    if (path.isEmpty())
        throw EResNotFound(QStringLiteral("Ressource bitmap « %1 » introuvable").arg(name).toStdString());

    QImageReader reader(path);
    QImage loaded = reader.read();
    if (loaded.isNull())
        throw EResNotFound(QStringLiteral("Ressource bitmap « %1 » illisible : %2")
                               .arg(name, reader.errorString())
                               .toStdString());
    image_ = std::move(loaded);
    masked_ = QImage();
}

const QImage& TBitmap::drawable() const
{
    if (!Transparent)
        return image_;
    if (masked_.isNull()) {
        masked_ = image_.convertToFormat(QImage::Format_ARGB32);
        const QRgb key = masked_.pixel(0, masked_.height() - 1);
        for (int y = 0; y < masked_.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(masked_.scanLine(y));
            for (int x = 0; x < masked_.width(); ++x)
                if (line[x] == key)
                    line[x] = 0;
        }
    }
    return masked_;
}
