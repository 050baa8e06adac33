// The logo's libjpeg decoding and the tool-button pictures, icon and flags.
#include "appwindow.h"
#include "fonts.h"
#include "jpegimage.h"
#include "pictures.h"
#include "testsupport.h"

#include <QFile>
#include <QFontInfo>
#include <QRandomGenerator>
#include <QSet>
#include <QtTest>

#include <cstdio>
#include <cstdlib>
#include <jpeglib.h>

namespace {

QByteArray ReadResource(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

// Our own small encoder, so that the decoder is checked against known pixels in both colour models.
QByteArray EncodeJpeg(const QImage& source, bool grayscale) {
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr err{};
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = static_cast<JDIMENSION>(source.width());
    cinfo.image_height = static_cast<JDIMENSION>(source.height());
    cinfo.input_components = grayscale ? 1 : 3;
    cinfo.in_color_space = grayscale ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 95, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    const QImage rows = source.convertToFormat(grayscale ? QImage::Format_Grayscale8 : QImage::Format_RGB888);
    while (cinfo.next_scanline < cinfo.image_height) {
        auto* row = const_cast<JSAMPLE*>(rows.constScanLine(static_cast<int>(cinfo.next_scanline)));
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    QByteArray data(reinterpret_cast<const char*>(buffer), static_cast<qsizetype>(size));
    jpeg_destroy_compress(&cinfo);
    std::free(buffer);
    return data;
}

// Offset just past the start-of-scan segment, where the entropy-coded data begins.
qsizetype ScanDataOffset(const QByteArray& jpeg) {
    qsizetype pos = 2;
    while (pos + 4 <= jpeg.size()) {
        if (static_cast<uchar>(jpeg[pos]) != 0xFF)
            return -1;
        const uchar marker = static_cast<uchar>(jpeg[pos + 1]);
        const int length = (static_cast<uchar>(jpeg[pos + 2]) << 8) | static_cast<uchar>(jpeg[pos + 3]);
        pos += 2 + length;
        if (marker == 0xDA)
            return pos;
    }
    return -1;
}

bool Near(QRgb a, QRgb b, int tolerance) {
    return std::abs(qRed(a) - qRed(b)) <= tolerance && std::abs(qGreen(a) - qGreen(b)) <= tolerance &&
           std::abs(qBlue(a) - qBlue(b)) <= tolerance;
}

bool IsGray(QRgb c) {
    return qRed(c) == qGreen(c) && qGreen(c) == qBlue(c);
}

// One look of a picture as a screen of the given density gets it.
QImage Look(const QIcon& icon, QSize size, int ratio, QIcon::Mode mode = QIcon::Normal) {
    return icon.pixmap(size, ratio, mode).toImage().convertToFormat(QImage::Format_ARGB32);
}

QImage Argb(const QString& resource) {
    return QImage(resource).convertToFormat(QImage::Format_ARGB32);
}

// How many opaque pixels have the colour.
int CountOpaque(const QImage& image, QRgb colour) {
    return mohr::test::CountPixels(image, image.rect(), [colour](QRgb p) {
        return qAlpha(p) == 255 && (p & 0xFFFFFF) == (colour & 0xFFFFFF);
    });
}

QSet<QRgb> Colours(const QImage& image) {
    QSet<QRgb> set;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            set.insert(image.pixel(x, y));
    return set;
}

// A picture drawn at twice the size, not the small one doubled: a good share of its 2 x 2 blocks mix
// colours, where doubling leaves every block one colour.
bool DrawnFine(const QImage& large) {
    int blocks = 0, mixed = 0;
    for (int y = 0; y + 1 < large.height(); y += 2)
        for (int x = 0; x + 1 < large.width(); x += 2, ++blocks) {
            const QRgb c = large.pixel(x, y);
            mixed +=
                large.pixel(x + 1, y) != c || large.pixel(x, y + 1) != c || large.pixel(x + 1, y + 1) != c;
        }
    return mixed * 20 >= blocks;
}

// The places in the screenshot where the whole picture shows: every pixel of it that is not of the
// transparent colour `key` is there.
int Placements(const QImage& shot, const QImage& picture, QRgb key) {
    int found = 0;
    for (int top = 0; top + picture.height() <= shot.height(); ++top)
        for (int left = 0; left + picture.width() <= shot.width(); ++left) {
            bool all = true;
            for (int y = 0; all && y < picture.height(); ++y)
                for (int x = 0; all && x < picture.width(); ++x) {
                    const QRgb c = picture.pixel(x, y);
                    all = c == key || shot.pixel(left + x, top + y) == c;
                }
            found += all;
        }
    return found;
}

constexpr QRgb Olive = qRgb(128, 128, 0);

} // namespace

class TestResources : public QObject {
    Q_OBJECT
private slots:
    void logoDecodesThroughLibjpeg();
    void decodesKnownColourAndGrayPixels();
    void refusesEmptyAndRandomData();
    void refusesGarbageAfterAValidHeader();
    void truncatedStreamsComeBackNull();
    void refusesAbsurdDimensions();
    void twoStatePicturesHaveTransparentKeyAndTwoLooks_data();
    void twoStatePicturesHaveTransparentKeyAndTwoLooks();
    void missingPictureGivesNullIcon();
    void flagsPictureKeepsFlagWhiteButDropsBackground();
    void windowIconIsA16ColourHelmet();
    void dialogFontHasThePixelHeight();
    void buttonsShowTheDrawingOfTheScreen();
};

void TestResources::logoDecodesThroughLibjpeg() {
    const QByteArray data = ReadResource(QStringLiteral(":/logo.jpg"));
    QVERIFY(!data.isEmpty());
    QVERIFY(data.size() < 60 * 1024);
    const QImage logo = mohr::DecodeJpeg(data);
    QVERIFY(!logo.isNull());
    QCOMPARE(logo.size(), QSize(768, 300));
    QCOMPARE(logo.format(), QImage::Format_RGB888);

    // A colour picture: strongly red, yellow and blue pixels are all present in quantity.
    int red = 0, yellow = 0, blue = 0;
    for (int y = 0; y < logo.height(); y += 2)
        for (int x = 0; x < logo.width(); x += 2) {
            const QRgb c = logo.pixel(x, y);
            if (qRed(c) > 170 && qGreen(c) < 80 && qBlue(c) < 80)
                ++red;
            if (qRed(c) > 200 && qGreen(c) > 160 && qBlue(c) < 100)
                ++yellow;
            if (qBlue(c) > 90 && qRed(c) < 70 && qGreen(c) < 90)
                ++blue;
        }
    QVERIFY2(red > 200 && yellow > 200 && blue > 200,
             qPrintable(QStringLiteral("red %1 yellow %2 blue %3").arg(red).arg(yellow).arg(blue)));

    const QImage viaPictures = mohr::LogoImage();
    QCOMPARE(viaPictures.size(), QSize(768, 300));
    QCOMPARE(viaPictures, logo);

    // Reduced by libjpeg itself: half and quarter size, the same picture (compared with a plain
    // average of the full-size pixels), and an unsupported factor decodes at full size.
    for (int denominator : {2, 4}) {
        const QImage reduced = mohr::LogoImage(denominator);
        QCOMPARE(reduced.size(), QSize(768 / denominator, 300 / denominator));
        const QImage averaged = logo.scaled(reduced.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        long long difference = 0;
        for (int y = 0; y < reduced.height(); ++y)
            for (int x = 0; x < reduced.width(); ++x) {
                const QRgb a = reduced.pixel(x, y), b = averaged.pixel(x, y);
                difference += std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) +
                              std::abs(qBlue(a) - qBlue(b));
            }
        const double mean = double(difference) / (3.0 * reduced.width() * reduced.height());
        QVERIFY2(mean < 12.0, qPrintable(QString::number(mean)));
    }
    QCOMPARE(mohr::LogoImage(3).size(), QSize(768, 300));

    // The picture boxes get one shared pixmap at half size.
    const QPixmap shared = mohr::LogoPixmap();
    QCOMPARE(shared.size(), QSize(384, 150));
    QCOMPARE(mohr::LogoPixmap().cacheKey(), shared.cacheKey());
}

void TestResources::decodesKnownColourAndGrayPixels() {
    // Four flat quadrants survive JPEG nearly unchanged away from their edges; a swapped channel
    // order or a wrong row stride would show at once.
    QImage colour(64, 48, QImage::Format_RGB32);
    colour.fill(Qt::white);
    const QRgb quadrant[4] = {qRgb(220, 30, 30), qRgb(30, 200, 40), qRgb(30, 40, 210), qRgb(240, 230, 20)};
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x)
            colour.setPixel(x, y, quadrant[(y >= 24 ? 2 : 0) + (x >= 32 ? 1 : 0)]);
    const QImage decoded = mohr::DecodeJpeg(EncodeJpeg(colour, false));
    QCOMPARE(decoded.size(), QSize(64, 48));
    QCOMPARE(decoded.format(), QImage::Format_RGB888);
    QVERIFY(Near(decoded.pixel(12, 10), quadrant[0], 12));
    QVERIFY(Near(decoded.pixel(50, 10), quadrant[1], 12));
    QVERIFY(Near(decoded.pixel(12, 38), quadrant[2], 12));
    QVERIFY(Near(decoded.pixel(50, 38), quadrant[3], 12));

    // Odd width: rows are padded in the QImage but not in libjpeg's output.
    QImage gray(37, 21, QImage::Format_Grayscale8);
    for (int y = 0; y < 21; ++y)
        for (int x = 0; x < 37; ++x)
            gray.setPixel(x, y, x < 18 ? qRgb(40, 40, 40) : qRgb(200, 200, 200));
    const QImage decodedGray = mohr::DecodeJpeg(EncodeJpeg(gray, true));
    QCOMPARE(decodedGray.size(), QSize(37, 21));
    QCOMPARE(decodedGray.format(), QImage::Format_RGB32);
    for (int y : {0, 10, 20}) {
        QVERIFY(IsGray(decodedGray.pixel(5, y)));
        QVERIFY(Near(decodedGray.pixel(5, y), qRgb(40, 40, 40), 8));
        QVERIFY(Near(decodedGray.pixel(33, y), qRgb(200, 200, 200), 8));
    }
}

void TestResources::refusesEmptyAndRandomData() {
    QVERIFY(mohr::DecodeJpeg(QByteArray()).isNull());
    QVERIFY(mohr::DecodeJpeg(QByteArray("\xFF\xD8", 2)).isNull());
    QVERIFY(mohr::DecodeJpeg(QByteArray("not a picture at all")).isNull());
    for (quint32 seed = 1; seed <= 20; ++seed) {
        QRandomGenerator random(seed);
        QByteArray noise(1 + random.bounded(4096), Qt::Uninitialized);
        for (auto& byte : noise)
            byte = static_cast<char>(random.bounded(256));
        QVERIFY(mohr::DecodeJpeg(noise).isNull());
    }
}

void TestResources::refusesGarbageAfterAValidHeader() {
    const QByteArray logo = ReadResource(QStringLiteral(":/logo.jpg"));
    const qsizetype scan = ScanDataOffset(logo);
    QVERIFY(scan > 0);
    // Noise in place of the picture data, with no end marker: the data runs out (or breaks the file
    // structure) before the picture is complete, so nothing half-decoded is returned.
    for (quint32 seed = 1; seed <= 10; ++seed) {
        QRandomGenerator random(seed);
        QByteArray data = logo.left(scan);
        const int length = 200 + random.bounded(20000);
        for (int i = 0; i < length; ++i)
            data.append(static_cast<char>(random.bounded(256)));
        QVERIFY2(mohr::DecodeJpeg(data).isNull(), qPrintable(QString::number(seed)));
    }
    // The header alone.
    QVERIFY(mohr::DecodeJpeg(logo.left(scan)).isNull());
}

void TestResources::truncatedStreamsComeBackNull() {
    const QByteArray logo = ReadResource(QStringLiteral(":/logo.jpg"));
    QVERIFY(!mohr::DecodeJpeg(logo).isNull());
    for (qsizetype keep : {qsizetype(1), qsizetype(100), logo.size() / 4, logo.size() / 2,
                           logo.size() * 9 / 10, logo.size() - 2})
        QVERIFY2(mohr::DecodeJpeg(logo.left(keep)).isNull(), qPrintable(QString::number(keep)));
}

void TestResources::refusesAbsurdDimensions() {
    QByteArray logo = ReadResource(QStringLiteral(":/logo.jpg"));
    // Rewrite the frame header to claim 65535 x 65535 pixels.
    qsizetype pos = 2;
    bool patched = false;
    while (pos + 9 <= logo.size()) {
        const uchar marker = static_cast<uchar>(logo[pos + 1]);
        const int length = (static_cast<uchar>(logo[pos + 2]) << 8) | static_cast<uchar>(logo[pos + 3]);
        if (marker == 0xC0 || marker == 0xC2) {
            for (int i = 5; i <= 8; ++i)
                logo[pos + i] = static_cast<char>(0xFF);
            patched = true;
            break;
        }
        pos += 2 + length;
    }
    QVERIFY(patched);
    QVERIFY(mohr::DecodeJpeg(logo).isNull());
}

void TestResources::twoStatePicturesHaveTransparentKeyAndTwoLooks_data() {
    QTest::addColumn<QString>("resource");
    QTest::addColumn<QString>("large");
    QTest::addColumn<QList<QRgb>>("colours"); // described colours of the normal look

    QTest::newRow("question") << QStringLiteral(":/pictures/question.xpm")
                              << QStringLiteral(":/pictures/question@2x.png")
                              << QList<QRgb>{qRgb(255, 0, 0), qRgb(255, 255, 0)};
    QTest::newRow("sheet") << QStringLiteral(":/pictures/sheet.xpm")
                           << QStringLiteral(":/pictures/sheet@2x.png")
                           << QList<QRgb>{qRgb(255, 255, 255), qRgb(0, 0, 0), qRgb(255, 255, 0)};
    QTest::newRow("door") << QStringLiteral(":/pictures/door.xpm") << QStringLiteral(":/pictures/door@2x.png")
                          << QList<QRgb>{qRgb(128, 0, 0), qRgb(0, 0, 0), qRgb(0, 255, 255),
                                         qRgb(255, 255, 0)};
}

void TestResources::twoStatePicturesHaveTransparentKeyAndTwoLooks() {
    QFETCH(QString, resource);
    QFETCH(QString, large);
    QFETCH(QList<QRgb>, colours);

    const QIcon icon = mohr::TwoStatePicture(resource);
    QVERIFY(!icon.isNull());
    const QSet<QRgb> palette = Colours(Argb(resource));
    QVERIFY(palette.size() <= 16);
    QVERIFY(DrawnFine(Argb(large)));
    for (int ratio : {1, 2}) {
        const int side = 16 * ratio;
        const QImage raw = Argb(ratio == 1 ? resource : large);
        QCOMPARE(raw.size(), QSize(2 * side, side));
        QCOMPARE(raw.pixel(0, side - 1) & 0xFFFFFF, Olive & 0xFFFFFF);
        // The fine drawing keeps to the small picture's colours.
        QVERIFY(palette.contains(Colours(raw)));
        QVERIFY(icon.availableSizes(QIcon::Normal).contains(QSize(side, side)));
        QVERIFY(icon.availableSizes(QIcon::Disabled).contains(QSize(side, side)));
        const QImage normal = Look(icon, QSize(16, 16), ratio);
        const QImage disabled = Look(icon, QSize(16, 16), ratio, QIcon::Disabled);
        QCOMPARE(normal.size(), QSize(side, side));
        QCOMPARE(disabled.size(), QSize(side, side));

        // Exactly the olive pixels of each half are transparent; every other pixel is the stored one.
        for (int half = 0; half < 2; ++half) {
            const QImage& look = half == 0 ? normal : disabled;
            for (int y = 0; y < side; ++y)
                for (int x = 0; x < side; ++x) {
                    const QRgb stored = raw.pixel(half * side + x, y);
                    const QRgb shown = look.pixel(x, y);
                    if ((stored & 0xFFFFFF) == (Olive & 0xFFFFFF))
                        QCOMPARE(qAlpha(shown), 0);
                    else
                        QCOMPARE(shown, stored);
                }
        }
        QCOMPARE(qAlpha(normal.pixel(0, side - 1)), 0);
        QCOMPARE(qAlpha(disabled.pixel(0, side - 1)), 0);

        // The normal look shows the described colours. The disabled look is the normal one engraved:
        // its ink (black, red) in gray with a white edge one pixel down and to the right, the rest of
        // the picture silver.
        for (QRgb colour : colours)
            QVERIFY2(CountOpaque(normal, colour) > 0, qPrintable(QString::number(colour, 16)));
        const auto ink = [&](int x, int y) {
            return x >= 0 && y >= 0 &&
                   (raw.pixel(x, y) == qRgb(0, 0, 0) || raw.pixel(x, y) == qRgb(255, 0, 0));
        };
        for (int y = 0; y < side; ++y)
            for (int x = 0; x < side; ++x) {
                const QRgb engraved = ink(x, y)                  ? qRgb(128, 128, 128)
                                      : ink(x - 1, y - 1)        ? qRgb(255, 255, 255)
                                      : raw.pixel(x, y) == Olive ? Olive
                                                                 : qRgb(192, 192, 192);
                QVERIFY2(raw.pixel(side + x, y) == engraved,
                         qPrintable(QStringLiteral("%1 %2").arg(x).arg(y)));
            }
    }
}

void TestResources::missingPictureGivesNullIcon() {
    QVERIFY(mohr::TwoStatePicture(QStringLiteral(":/pictures/none.xpm")).isNull());
}

void TestResources::flagsPictureKeepsFlagWhiteButDropsBackground() {
    // Cut to its own size, the icon holds the whole flags at both sizes.
    const QIcon whole = mohr::FlagsIcon(QSize(38, 54));
    QVERIFY(DrawnFine(Argb(QStringLiteral(":/pictures/flags@2x.png"))));
    for (int s : {1, 2}) {
        const QImage raw =
            Argb(s == 1 ? QStringLiteral(":/pictures/flags.png") : QStringLiteral(":/pictures/flags@2x.png"));
        QCOMPARE(raw.size(), QSize(38 * s, 54 * s));
        QCOMPARE(raw.pixel(0, 54 * s - 1) & 0xFFFFFF, 0xFFFFFFu);

        const QImage flags = Look(whole, QSize(38, 54), s);
        QCOMPARE(flags.size(), raw.size());
        int transparent = 0;
        for (int y = 0; y < raw.height(); ++y)
            for (int x = 0; x < raw.width(); ++x) {
                const bool white = (raw.pixel(x, y) & 0xFFFFFF) == 0xFFFFFF;
                QCOMPARE(qAlpha(flags.pixel(x, y)) == 0, white);
                transparent += white;
            }
        QVERIFY(transparent > 0);

        // Dutch flag on top: red over a light, still opaque stripe over blue, down the middle column.
        auto column = [&](int top, int bottom, auto pred) {
            for (int y = top * s; y < bottom * s; ++y)
                if (qAlpha(flags.pixel(19 * s, y)) == 255 && pred(flags.pixel(19 * s, y)))
                    return true;
            return false;
        };
        QVERIFY(column(0, 12, [](QRgb c) { return qRed(c) > 150 && qGreen(c) < 80 && qBlue(c) < 80; }));
        QVERIFY(column(8, 20, [](QRgb c) {
            return qRed(c) > 170 && qGreen(c) > 170 && qBlue(c) > 170 && std::abs(qRed(c) - qBlue(c)) < 20;
        }));
        QVERIFY(column(14, 27, [](QRgb c) { return qBlue(c) > 100 && qRed(c) < 80; }));
        // UK flag below: blue field and a red cross.
        int ukBlue = 0, ukRed = 0;
        for (int y = 28 * s; y < 54 * s; ++y)
            for (int x = 0; x < 38 * s; ++x) {
                const QRgb c = flags.pixel(x, y);
                if (qAlpha(c) != 255)
                    continue;
                ukBlue += qBlue(c) > 80 && qRed(c) < 60;
                ukRed += qRed(c) > 150 && qGreen(c) < 80 && qBlue(c) < 90;
            }
        QVERIFY(ukBlue > 60 * s * s);
        QVERIFY(ukRed > 40 * s * s);
    }
}

void TestResources::windowIconIsA16ColourHelmet() {
    const QIcon icon = mohr::WindowIcon();
    QVERIFY(!icon.isNull());
    const QSet<QRgb> palette = Colours(Argb(QStringLiteral(":/pictures/icon.xpm")));
    QVERIFY(palette.size() <= 16);
    QVERIFY(DrawnFine(Argb(QStringLiteral(":/pictures/icon@2x.png"))));
    for (int s : {1, 2}) {
        const int side = 32 * s;
        const QImage raw =
            Argb(s == 1 ? QStringLiteral(":/pictures/icon.xpm") : QStringLiteral(":/pictures/icon@2x.png"));
        QCOMPARE(raw.size(), QSize(side, side));
        QVERIFY(palette.contains(Colours(raw)));
        QVERIFY(icon.availableSizes().contains(QSize(side, side)));
        const QImage image = Look(icon, QSize(32, 32), s);
        QCOMPARE(image, raw);
        QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
        QCOMPARE(qAlpha(image.pixel(side - 1, 0)), 0);
        int yellowTop = 0, yellowBottom = 0, paperBottom = 0;
        for (int y = 0; y < side; ++y)
            for (int x = 0; x < side; ++x) {
                const QRgb c = image.pixel(x, y);
                if (qAlpha(c) != 255)
                    continue;
                const bool yellow = c == qRgb(255, 255, 0);
                (y < side / 2 ? yellowTop : yellowBottom) += yellow;
                paperBottom += y >= side / 2 && c == qRgb(255, 255, 255);
            }
        QVERIFY(yellowTop > 100 * s * s);
        QCOMPARE(yellowBottom, 0);
        QVERIFY(paperBottom > 60 * s * s);
    }
}

void TestResources::dialogFontHasThePixelHeight() {
    for (int height : {10, 13, 15}) {
        const QFont font = mohr::DialogFont(height, height == 15);
        QCOMPARE(font.pixelSize(), height);
        QCOMPARE(font.bold(), height == 15);
        QCOMPARE(QFontInfo(font).pixelSize(), height);
        QVERIFY(!QFontInfo(font).fixedPitch());
    }
}

void TestResources::buttonsShowTheDrawingOfTheScreen() {
    // Run at 100 % and again with QT_SCALE_FACTOR=2: each screen gets the drawing made for it, shown
    // pixel for pixel.
    const int ratio = qRound(qApp->devicePixelRatio());
    QVERIFY(ratio == 1 || ratio == 2);
    const auto drawing = [&](const char* name) {
        return Argb(
            QStringLiteral(":/pictures/%1%2")
                .arg(QLatin1String(name), ratio == 1 ? QStringLiteral(".xpm") : QStringLiteral("@2x.png")));
    };
    mohr::test::TWindow w;
    QVERIFY(QTest::qWaitForWindowExposed(&w.Form));
    const auto shot = [&](const char* button) {
        return w.Get(button)->grab().toImage().convertToFormat(QImage::Format_ARGB32);
    };
    const std::pair<const char*, const char*> strips[] = {
        {"SpeedButton1", "question"}, {"SpeedButton2", "sheet"}, {"SpeedButton3", "door"}};
    for (const auto& [button, picture] : strips) {
        const QImage strip = drawing(picture);
        QCOMPARE(Placements(shot(button), strip.copy(0, 0, strip.width() / 2, strip.height()), Olive), 1);
    }
    // The flags are cut around the same centre at both sizes.
    const QImage flags =
        Argb(ratio == 1 ? QStringLiteral(":/pictures/flags.png") : QStringLiteral(":/pictures/flags@2x.png"));
    const QRect cut(QPoint(8, 7) * ratio, QSize(21, 40) * ratio);
    QCOMPARE(Placements(shot("SpeedButton4"), flags.copy(cut), qRgb(255, 255, 255)), 1);
    // The window system is given the icon for the screen.
    const QPixmap icon = w.Form.windowIcon().pixmap(QSize(32, 32));
    QCOMPARE(icon.devicePixelRatio(), qreal(ratio));
    QCOMPARE(icon.toImage().convertToFormat(QImage::Format_ARGB32), drawing("icon"));
}

QTEST_MAIN(TestResources)
#include "tst_app_resources.moc"
