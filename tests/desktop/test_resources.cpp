// Checks of the two committed bitmap resources, read byte by byte, and that
// the generator still reproduces them exactly.

#include "pixels.h"

#include <QFile>
#include <QImage>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include <cstdint>

namespace {

QString resourcePath(const char *name)
{
    return QStringLiteral(RESOURCES_DIR "/") + QLatin1String(name);
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

std::uint32_t le16(const QByteArray &b, int at)
{
    return std::uint32_t(std::uint8_t(b[at])) | std::uint32_t(std::uint8_t(b[at + 1])) << 8;
}

std::uint32_t le32(const QByteArray &b, int at)
{
    return le16(b, at) | le16(b, at + 2) << 16;
}

// The diagram, decoded straight from its bytes.
struct Bmp {
    QByteArray bytes;
    int width = 0;
    int height = 0;
    int pixelOffset = 0;
    int stride = 0;

    std::uint8_t index(int x, int y) const
    {
        return std::uint8_t(bytes[pixelOffset + (height - 1 - y) * stride + x]);
    }
    QRgb colour(int x, int y) const
    {
        const int entry = 54 + 4 * index(x, y);
        return qRgb(std::uint8_t(bytes[entry + 2]), std::uint8_t(bytes[entry + 1]),
                    std::uint8_t(bytes[entry]));
    }
};

Bmp loadDiagram()
{
    Bmp bmp;
    bmp.bytes = readAll(resourcePath("commande.bmp"));
    if (bmp.bytes.size() >= 54) {
        bmp.pixelOffset = int(le32(bmp.bytes, 10));
        bmp.width = int(le32(bmp.bytes, 18));
        bmp.height = int(le32(bmp.bytes, 22));
        bmp.stride = (bmp.width + 3) / 4 * 4;
    }
    return bmp;
}

QString at(int x, int y)
{
    return QStringLiteral("(%1, %2)").arg(x).arg(y);
}

} // namespace

class TestResources : public QObject {
    Q_OBJECT

private:
    Bmp bmp;

    // Every pixel of the outline through two inclusive corners.
    void expectOutline(int x1, int y1, int x2, int y2, QRgb colour)
    {
        for (int x = x1; x <= x2; ++x)
            for (int y : {y1, y2})
                QVERIFY2(bmp.colour(x, y) == colour, qPrintable(at(x, y)));
        for (int y = y1; y <= y2; ++y)
            for (int x : {x1, x2})
                QVERIFY2(bmp.colour(x, y) == colour, qPrintable(at(x, y)));
    }

private slots:
    void initTestCase()
    {
        bmp = loadDiagram();
        QVERIFY2(bmp.bytes.size() >= 54 + 1024, "commande.bmp is missing or truncated");
    }

    void diagramHeader()
    {
        const QByteArray &b = bmp.bytes;
        QCOMPARE(b.left(2), QByteArray("BM"));
        QCOMPARE(int(le32(b, 2)), b.size());
        QCOMPARE(int(le32(b, 14)), 40);             // BITMAPINFOHEADER
        QCOMPARE(bmp.width, 369);
        QCOMPARE(bmp.height, 229);                  // positive: rows bottom-up
        QCOMPARE(int(le16(b, 26)), 1);              // planes
        QCOMPARE(int(le16(b, 28)), 8);              // bits per pixel
        QCOMPARE(int(le32(b, 30)), 0);              // BI_RGB
        const int entries = le32(b, 46) == 0 ? 256 : int(le32(b, 46));
        QCOMPARE(entries, 256);
        QCOMPARE(bmp.pixelOffset, 14 + 40 + 256 * 4);
        QCOMPARE(b.size(), bmp.pixelOffset + bmp.stride * bmp.height);
        const std::uint32_t sizeImage = le32(b, 34);
        QVERIFY(sizeImage == 0 || sizeImage == std::uint32_t(bmp.stride * bmp.height));
    }

    void diagramColours()
    {
        QSet<QRgb> used;
        for (int y = 0; y < bmp.height; ++y)
            for (int x = 0; x < bmp.width; ++x)
                used.insert(bmp.colour(x, y));
        QCOMPARE(used, (QSet<QRgb>{white, black, red}));
        // The program takes the bottom-left colour as transparent.
        QCOMPARE(bmp.colour(0, bmp.height - 1), white);
    }

    // Another reader sees the same picture, so rows are in the right order.
    void diagramReadsTheSameThroughQt()
    {
        const QImage image(resourcePath("commande.bmp"));
        QCOMPARE(image.size(), QSize(369, 229));
        for (int y = 0; y < bmp.height; ++y)
            for (int x = 0; x < bmp.width; ++x)
                QVERIFY2((image.pixel(x, y) | 0xff000000u) == bmp.colour(x, y), qPrintable(at(x, y)));
    }

    void controllerIsRedAndAlone()
    {
        expectOutline(135, 2, 195, 48, red);
        bool redText = false;
        for (int y = 0; y < bmp.height; ++y) {
            for (int x = 0; x < bmp.width; ++x) {
                const bool inside = x >= 135 && x <= 195 && y >= 2 && y <= 48;
                if (!inside)
                    QVERIFY2(bmp.colour(x, y) != red, qPrintable(at(x, y)));
                else if (x > 135 && x < 195 && y > 2 && y < 48) {
                    QVERIFY2(bmp.colour(x, y) != black, qPrintable(at(x, y)));
                    redText = redText || bmp.colour(x, y) == red;
                }
            }
        }
        QVERIFY2(redText, "no \"Régulateur\" inside the controller");
        // The arrows stop against its sides.
        QCOMPARE(bmp.colour(134, 22), black);
        QCOMPARE(bmp.colour(196, 22), black);
    }

    void blocksAreWhereTheyBelong()
    {
        expectOutline(202, 68, 282, 101, black);   // chopper
        expectOutline(159, 143, 287, 187, black);  // motor
        expectOutline(55, 95, 122, 128, black);    // sensor
        // The comparator's circle: leftmost, rightmost, top and bottom points.
        QCOMPARE(bmp.colour(62, 25), black);
        QCOMPARE(bmp.colour(61, 25), white);
        QCOMPARE(bmp.colour(109, 25), black);
        QCOMPARE(bmp.colour(110, 25), white);
        QCOMPARE(bmp.colour(85, 2), black);
        QCOMPARE(bmp.colour(85, 1), white);
        QCOMPARE(bmp.colour(85, 48), black);
        // Its minus sign, and the plus sign's centre.
        for (int x = 82; x <= 89; ++x)
            QVERIFY2(bmp.colour(x, 38) == black, qPrintable(at(x, 38)));
        QCOMPARE(bmp.colour(81, 38), white);
        QCOMPARE(bmp.colour(72, 24), black);
    }

    void linksAreSolidAndArrowed()
    {
        for (int x = 30; x <= 62; ++x)
            QVERIFY2(bmp.colour(x, 22) == black, qPrintable(at(x, 22)));
        QCOMPARE(bmp.colour(29, 22), white);
        for (int y = 22; y <= 68; ++y)
            QVERIFY2(bmp.colour(242, y) == black, qPrintable(at(242, y)));
        for (int y = 101; y <= 143; ++y)
            QVERIFY2(bmp.colour(242, y) == black, qPrintable(at(242, y)));
        for (int y = 129; y <= 228; ++y)
            QVERIFY2(bmp.colour(89, y) == black, qPrintable(at(89, y)));
        for (int y = 49; y <= 95; ++y)
            QVERIFY2(bmp.colour(89, y) == black, qPrintable(at(89, y)));

        // Arrowheads are open Vs opening backwards from their tips: each
        // has arm pixels on both sides behind the tip, none ahead of it.
        struct Arrow { QPoint tip; QPoint back; };
        const Arrow arrows[] = {
            {{62, 22}, {-1, 0}},   // into the comparator
            {{242, 68}, {0, -1}},  // into the chopper
            {{242, 143}, {0, -1}}, // into the motor
            {{89, 128}, {0, 1}},   // into the sensor
            {{89, 48}, {0, 1}},    // into the comparator's minus
        };
        for (const Arrow &a : arrows) {
            const QPoint across(-a.back.y(), a.back.x());
            const QPoint left = a.tip + 3 * a.back + 3 * across;
            const QPoint right = a.tip + 3 * a.back - 3 * across;
            QVERIFY2(bmp.colour(left.x(), left.y()) == black, qPrintable(at(left.x(), left.y())));
            QVERIFY2(bmp.colour(right.x(), right.y()) == black, qPrintable(at(right.x(), right.y())));
        }
        // The output arrow on Y 201 points right, its arms ending at X 268.
        QCOMPARE(bmp.colour(269, 198), black);
        QCOMPARE(bmp.colour(269, 204), black);
        QCOMPARE(bmp.colour(273, 201), white);
    }

    void mechanicalLinkIsDashed()
    {
        for (int x = 277; x <= 368; ++x)
            QVERIFY2((bmp.colour(x, 201) == black) == ((x - 277) % 8 < 4), qPrintable(at(x, 201)));
        for (int x = 341; x > 89; --x)
            QVERIFY2((bmp.colour(x, 228) == black) == ((341 - x) % 8 < 4), qPrintable(at(x, 228)));
        QCOMPARE(bmp.colour(368, 202), black);     // the slant's first dash
        for (int x = 0; x < 89; ++x)
            QVERIFY2(bmp.colour(x, 228) == white, qPrintable(at(x, 228)));
    }

    void textsFillTheirBoxes_data()
    {
        QTest::addColumn<QRect>("box");
        QTest::addColumn<QRgb>("colour");
        QTest::newRow("Consigne E") << QRect(QPoint(0, 3), QPoint(52, 12)) << black;
        QTest::newRow("Régulateur") << QRect(QPoint(140, 20), QPoint(190, 30)) << red;
        QTest::newRow("Hacheur") << QRect(QPoint(209, 77), QPoint(255, 86)) << black;
        QTest::newRow("Moteur") << QRect(QPoint(162, 148), QPoint(280, 156)) << black;
        QTest::newRow("réducteur") << QRect(QPoint(162, 162), QPoint(216, 170)) << black;
        QTest::newRow("Capteur de") << QRect(QPoint(62, 101), QPoint(113, 110)) << black;
        QTest::newRow("position") << QRect(QPoint(62, 114), QPoint(97, 123)) << black;
    }

    // Each text's ink lies in its box and spans most of it; a lost font or
    // a wrong size would leave it empty, cramped or overflowing. Nothing
    // else is drawn within two pixels of these boxes.
    void textsFillTheirBoxes()
    {
        QFETCH(QRect, box);
        QFETCH(QRgb, colour);
        QRect ink;
        const QRect around = box.adjusted(-2, -2, 2, 2);
        for (int y = around.top(); y <= around.bottom(); ++y)
            for (int x = around.left(); x <= around.right(); ++x)
                if (x >= 0 && bmp.colour(x, y) == colour)
                    ink |= QRect(x, y, 1, 1);
        QVERIFY(!ink.isEmpty());
        QVERIFY2(box.contains(ink), qPrintable(QStringLiteral("ink %1,%2 %3x%4")
                                                   .arg(ink.x()).arg(ink.y()).arg(ink.width()).arg(ink.height())));
        QVERIFY(ink.width() >= box.width() * 3 / 4);
        QVERIFY(ink.height() >= box.height() - 2);
    }

    void iconFile()
    {
        const QByteArray b = readAll(resourcePath("mainicon.ico"));
        QVERIFY2(b.size() >= 22 + 40, "mainicon.ico is missing or truncated");
        QCOMPARE(int(le16(b, 0)), 0);
        QCOMPARE(int(le16(b, 2)), 1);               // icon
        QCOMPARE(int(le16(b, 4)), 1);               // one image
        QCOMPARE(int(std::uint8_t(b[6])), 32);
        QCOMPARE(int(std::uint8_t(b[7])), 32);
        const int offset = int(le32(b, 18));
        QCOMPARE(offset + int(le32(b, 14)), b.size());
        QCOMPARE(int(le32(b, offset)), 40);
        QCOMPARE(int(le32(b, offset + 8)), 64);     // colours and mask stacked
        QCOMPARE(int(le16(b, offset + 14)), 4);
        QCOMPARE(b.size(), offset + 40 + 16 * 4 + 32 * 16 + 32 * 4);

        const QImage image(resourcePath("mainicon.ico"));
        QCOMPARE(image.size(), QSize(32, 32));
        QHash<QRgb, int> counts;
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x)
                ++counts[image.pixel(x, y)];
        QVERIFY(counts.size() <= 16);
        QVERIFY2(counts.value(black) > 32 * 32 / 2, "the sky should be mostly black");
        bool blue = false, grey = false;
        for (auto it = counts.cbegin(); it != counts.cend(); ++it) {
            const QRgb c = it.key();
            QCOMPARE(qAlpha(c), 255);
            blue = blue || (qRed(c) == 0 && qGreen(c) == 0 && qBlue(c) >= 128);
            grey = grey || (qRed(c) == qGreen(c) && qGreen(c) == qBlue(c) && qRed(c) >= 128 && qRed(c) < 255);
        }
        QVERIFY(blue);
        QVERIFY(grey);
    }

    // The desktop icons are the same skyline: the 32 x 32 one pixel for pixel,
    // the 128 x 128 one each pixel enlarged to a 4 x 4 block.
    void desktopIconsAreTheSameSkyline()
    {
        const QImage icon = QImage(resourcePath("mainicon.ico")).convertToFormat(QImage::Format_RGB32);
        const QImage small = QImage(resourcePath("icons/32x32/antenne.png")).convertToFormat(QImage::Format_RGB32);
        const QImage large = QImage(resourcePath("icons/128x128/antenne.png")).convertToFormat(QImage::Format_RGB32);
        QCOMPARE(small, icon);
        QCOMPARE(large.size(), QSize(128, 128));
        QCOMPARE(large, icon.scaled(128, 128, Qt::IgnoreAspectRatio, Qt::FastTransformation));
    }

    void generatorReproducesTheCommittedFiles()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QProcess generator;
        generator.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        generator.start(QStringLiteral(GENERATOR_PATH), {dir.path()});
        QVERIFY(generator.waitForFinished(60000));
        QCOMPARE(generator.exitStatus(), QProcess::NormalExit);
        QCOMPARE(generator.exitCode(), 0);
        for (const char *name : {"commande.bmp", "mainicon.ico", "icons/32x32/antenne.png",
                                 "icons/128x128/antenne.png"}) {
            const QByteArray fresh = readAll(dir.filePath(QLatin1String(name)));
            QVERIFY2(!fresh.isEmpty(), name);
            QVERIFY2(fresh == readAll(resourcePath(name)), name);
        }
    }
};

QTEST_MAIN(TestResources)
#include "test_resources.moc"
