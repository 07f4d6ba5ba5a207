#include "surface/tbitmap.h"

#include <QDir>
#include <QHash>
#include <QImageReader>

namespace {
const TModule programModule{QStringLiteral(":/bitmaps")};

// Embedded resources never change: each is decoded, and its transparent
// form made, once; every bitmap loaded from it afterwards shares the pixels.
struct Decoded {
    QImage image;
    QImage masked;
};
QHash<QString, Decoded>& embeddedImages()
{
    static QHash<QString, Decoded> images;
    return images;
}

QImage transparentForm(const QImage& image)
{
    // Alpha is only ever 0 or 255, so the premultiplied form holds the same
    // pixels and is the one painting takes without converting.
    QImage masked = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const QRgb key = masked.pixel(0, masked.height() - 1);
    const int width = masked.width();
    for (int y = 0; y < masked.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(masked.scanLine(y));
        for (int x = 0; x < width; ++x)
            if (line[x] == key)
                line[x] = 0;
    }
    return masked;
}
}  // namespace

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

    const bool isEmbedded = path.startsWith(QLatin1Char(':'));
    if (isEmbedded) {
        const auto found = embeddedImages().constFind(path);
        if (found != embeddedImages().constEnd()) {
            image_ = found->image;
            masked_ = found->masked;
            return;
        }
    }
    QImageReader reader(path);
    QImage loaded = reader.read();
    if (loaded.isNull())
        throw EResNotFound(QStringLiteral("Ressource bitmap « %1 » illisible : %2")
                               .arg(name, reader.errorString())
                               .toStdString());
    image_ = std::move(loaded);
    masked_ = transparentForm(image_);
    if (isEmbedded)
        embeddedImages().insert(path, Decoded{image_, masked_});
}

const QImage& TBitmap::drawable() const
{
    return Transparent ? masked_ : image_;
}
