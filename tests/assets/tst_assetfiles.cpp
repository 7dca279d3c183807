// Every picture file, read back byte by byte: headers, palettes, pixel
// counts and the key-cap frame; then loaded the way the windows load them,
// from the compiled-in resources and from the files in assets/.
#include <QtTest>

#include <QFile>
#include <QIcon>
#include <QImage>
#include <QSet>

#include <cstdint>

namespace {

const QString sourceDir = QStringLiteral(PLAYDECK_ASSET_DIR);

// Little-endian field readers over a file's bytes.
quint32 u16(const QByteArray& b, int at) { return quint8(b[at]) | quint8(b[at + 1]) << 8; }
quint32 u32(const QByteArray& b, int at) { return u16(b, at) | u16(b, at + 2) << 16; }
qint32 s32(const QByteArray& b, int at) { return qint32(u32(b, at)); }

QByteArray readFile(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

// Colour indices of a 4- or 8-bit bitmap, top row first, read from the
// bottom-up rows; also checks that the row padding is zero.
QList<int> readIndices(const QByteArray& b, int offset, int w, int h, int bits, bool* paddingClean)
{
    const int stride = ((w * bits + 31) / 32) * 4;
    const int used = (w * bits + 7) / 8;
    QList<int> out(w * h);
    *paddingClean = true;
    for (int row = 0; row < h; ++row) {
        const int y = h - 1 - row;
        const int base = offset + row * stride;
        for (int x = 0; x < w; ++x) {
            const quint8 byte = quint8(b[base + x * bits / 8]);
            out[y * w + x] = bits == 8 ? byte : (x % 2 ? byte & 0x0F : byte >> 4);
        }
        for (int i = used; i < stride; ++i)
            *paddingClean &= b[base + i] == 0;
    }
    return out;
}

QList<QRgb> readPalette(const QByteArray& b, int at, int entries, bool* reservedZero)
{
    QList<QRgb> out;
    *reservedZero = true;
    for (int i = 0; i < entries; ++i) {
        const int e = at + 4 * i;
        out.append(qRgb(quint8(b[e + 2]), quint8(b[e + 1]), quint8(b[e])));
        *reservedZero &= b[e + 3] == 0;
    }
    return out;
}

enum Kind { Ico, Bmp24, Bmp8, Bmp4 };

} // namespace

class AssetFiles : public QObject {
    Q_OBJECT

private slots:
    void files_data();
    void files();
    void keyCapFrame_data();
    void keyCapFrame();
    void cursorPointsRight();

private:
    void checkBmp(const QByteArray& b, Kind kind, int w, int h);
    void checkIco(const QByteArray& b);
};

void AssetFiles::files_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("fileBytes");

    QTest::newRow("app_icon") << "app_icon.ico" << int(Ico) << 32 << 32 << 2238;
    QTest::newRow("cursor_arrow") << "cursor_arrow.bmp" << int(Bmp24) << 16 << 13 << 678;
    QTest::newRow("title_turtles") << "title_turtles.bmp" << int(Bmp24) << 44 << 90 << 11934;
    QTest::newRow("title_tsubasa") << "title_tsubasa.bmp" << int(Bmp24) << 126 << 151 << 57434;
    QTest::newRow("title_gaiden") << "title_gaiden.bmp" << int(Bmp24) << 36 << 64 << 6966;
    QTest::newRow("title_contra") << "title_contra.bmp" << int(Bmp24) << 44 << 62 << 8238;
    QTest::newRow("title_island") << "title_island.bmp" << int(Bmp24) << 33 << 62 << 6254;
    QTest::newRow("title_duckt") << "title_duckt.bmp" << int(Bmp24) << 83 << 68 << 17190;
    QTest::newRow("about_football") << "about_football.bmp" << int(Bmp8) << 103 << 67 << 8046;
    QTest::newRow("key_z") << "key_z.bmp" << int(Bmp4) << 24 << 22 << 382;
    QTest::newRow("key_x") << "key_x.bmp" << int(Bmp4) << 24 << 22 << 382;
    QTest::newRow("key_enter") << "key_enter.bmp" << int(Bmp4) << 24 << 22 << 382;
    QTest::newRow("key_shift") << "key_shift.bmp" << int(Bmp4) << 24 << 22 << 382;
}

void AssetFiles::files()
{
    QFETCH(QString, name);
    QFETCH(int, kind);
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(int, fileBytes);

    const QString resource = QStringLiteral(":/assets/") + name;
    const QByteArray bytes = readFile(resource);
    QCOMPARE(bytes.size(), fileBytes);
    QCOMPARE(readFile(sourceDir + '/' + name), bytes); // the resource is the committed file

    if (kind == Ico)
        checkIco(bytes);
    else
        checkBmp(bytes, Kind(kind), width, height);
    if (QTest::currentTestFailed())
        return;

    // Qt reads it at its size and depth, from the resource and from the file.
    for (const QString& path : {resource, sourceDir + '/' + name}) {
        const QImage img(path);
        QVERIFY2(!img.isNull(), qPrintable(path));
        QCOMPARE(img.size(), QSize(width, height));
        switch (Kind(kind)) {
        case Ico: {
            QVERIFY(img.hasAlphaChannel());
            int clear = 0;
            for (int y = 0; y < height; ++y)
                for (int x = 0; x < width; ++x)
                    clear += qAlpha(img.pixel(x, y)) == 0;
            QCOMPARE(clear, 455);
            const QIcon icon(path);
            QVERIFY(!icon.isNull());
            QVERIFY(icon.availableSizes().contains(QSize(32, 32)));
            QCOMPARE(icon.pixmap(32, 32).size(), QSize(32, 32));
            break;
        }
        case Bmp24:
            QCOMPARE(img.format(), QImage::Format_RGB32);
            QVERIFY(!img.hasAlphaChannel());
            break;
        case Bmp8:
            QCOMPARE(img.format(), QImage::Format_Indexed8);
            QCOMPARE(img.colorCount(), 256);
            break;
        case Bmp4:
            QCOMPARE(img.format(), QImage::Format_Indexed8); // Qt widens 4-bit bitmaps
            QCOMPARE(img.colorCount(), 16);
            break;
        }
    }
}

void AssetFiles::checkBmp(const QByteArray& b, Kind kind, int w, int h)
{
    const int bits = kind == Bmp24 ? 24 : kind == Bmp8 ? 8 : 4;
    const int entries = kind == Bmp24 ? 0 : 1 << bits;
    const int stride = ((w * bits + 31) / 32) * 4;

    // File header.
    QCOMPARE(b.left(2), QByteArray("BM"));
    QCOMPARE(u32(b, 2), quint32(b.size()));
    QCOMPARE(u32(b, 6), 0u);
    QCOMPARE(u32(b, 10), quint32(54 + 4 * entries));
    // Information header.
    QCOMPARE(u32(b, 14), 40u);
    QCOMPARE(s32(b, 18), w);
    QCOMPARE(s32(b, 22), h); // positive: bottom-up
    QCOMPARE(u16(b, 26), 1u);
    QCOMPARE(u16(b, 28), quint32(bits));
    QCOMPARE(u32(b, 30), 0u);
    QCOMPARE(u32(b, 34), quint32(stride * h));
    QCOMPARE(s32(b, 38), 3780);
    QCOMPARE(s32(b, 42), 3780);
    QCOMPARE(u32(b, 46), 0u);
    QCOMPARE(u32(b, 50), 0u);
    QCOMPARE(b.size(), 54 + 4 * entries + stride * h);

    bool reservedZero = true, paddingClean = true;
    const QList<QRgb> palette = readPalette(b, 54, entries, &reservedZero);
    QVERIFY(reservedZero);

    if (kind == Bmp24) {
        QSet<QRgb> colours;
        const int used = w * 3;
        for (int row = 0; row < h; ++row) {
            const int base = 54 + row * stride;
            for (int x = 0; x < w; ++x)
                colours.insert(qRgb(quint8(b[base + 3 * x + 2]), quint8(b[base + 3 * x + 1]),
                                    quint8(b[base + 3 * x])));
            for (int i = used; i < stride; ++i)
                paddingClean &= b[base + i] == 0;
        }
        QVERIFY(paddingClean);
        // Title pictures: flat colours on black, black among them.
        if (w != 16) {
            QVERIFY2(colours.size() >= 4 && colours.size() <= 7, qPrintable(QString::number(colours.size())));
            QVERIFY(colours.contains(qRgb(0, 0, 0)));
            // top-left pixel is background: the last stored row, first pixel
            const int top = 54 + (h - 1) * stride;
            QCOMPARE(qRgb(quint8(b[top + 2]), quint8(b[top + 1]), quint8(b[top])), qRgb(0, 0, 0));
        }
        return;
    }

    const QList<int> idx = readIndices(b, 54 + 4 * entries, w, h, bits, &paddingClean);
    QVERIFY(paddingClean);
    const QSet<int> usedEntries(idx.begin(), idx.end());
    QSet<QRgb> usedColours;
    for (int i : usedEntries)
        usedColours.insert(palette[i]);

    if (kind == Bmp8) {
        QCOMPARE(usedEntries.size(), 81);
        QCOMPARE(usedColours.size(), 41);
    } else {
        const QList<QRgb> standard = {
            0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0x808080,
            0xC0C0C0, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF,
        };
        for (int i = 0; i < 16; ++i)
            QCOMPARE(palette[i] & 0xFFFFFF, standard[i]);
        QCOMPARE(usedEntries, (QSet<int>{0, 7, 8, 15})); // black, dark grey, light grey, white
    }
}

void AssetFiles::checkIco(const QByteArray& b)
{
    // Directory with its one entry.
    QCOMPARE(u16(b, 0), 0u);
    QCOMPARE(u16(b, 2), 1u);
    QCOMPARE(u16(b, 4), 1u);
    QCOMPARE(quint8(b[6]), quint8(32));
    QCOMPARE(quint8(b[7]), quint8(32));
    QCOMPARE(quint8(b[8]), quint8(0)); // colour count
    QCOMPARE(quint8(b[9]), quint8(0));
    QCOMPARE(u16(b, 10), 1u);
    QCOMPARE(u16(b, 12), 8u);
    QCOMPARE(u32(b, 14), 2216u);
    QCOMPARE(u32(b, 18), 22u);
    QCOMPARE(b.size(), 22 + 2216);

    // Image: header, palette, indices, mask.
    const int img = 22;
    QCOMPARE(u32(b, img), 40u);
    QCOMPARE(s32(b, img + 4), 32);
    QCOMPARE(s32(b, img + 8), 64); // colours and mask together
    QCOMPARE(u16(b, img + 12), 1u);
    QCOMPARE(u16(b, img + 14), 8u);
    QCOMPARE(u32(b, img + 16), 0u);
    QCOMPARE(u32(b, img + 32), 256u);

    bool reservedZero = true, paddingClean = true;
    readPalette(b, img + 40, 256, &reservedZero);
    QVERIFY(reservedZero);
    const int indices = img + 40 + 1024;
    const QList<int> idx = readIndices(b, indices, 32, 32, 8, &paddingClean);
    QCOMPARE(QSet<int>(idx.begin(), idx.end()).size(), 16);

    const int mask = indices + 1024;
    QCOMPARE(b.size() - mask, 128);
    int clear = 0;
    for (int i = mask; i < b.size(); ++i)
        clear += qPopulationCount(quint8(b[i]));
    QCOMPARE(clear, 455);
}

void AssetFiles::keyCapFrame_data()
{
    QTest::addColumn<QString>("name");
    for (const char* n : {"key_z", "key_x", "key_enter", "key_shift"})
        QTest::newRow(n) << QString::fromLatin1(n) + ".bmp";
}

// The shared frame, pixel by pixel, and a black glyph centred on the face.
void AssetFiles::keyCapFrame()
{
    QFETCH(QString, name);
    const QImage img(":/assets/" + name);
    QCOMPARE(img.size(), QSize(24, 22));
    const QRgb black = qRgb(0, 0, 0), dark = qRgb(0x80, 0x80, 0x80), face = qRgb(0xC0, 0xC0, 0xC0),
               white = qRgb(0xFF, 0xFF, 0xFF);
    const int w = 24, h = 22;
    int left = w, right = -1, top = h, bottom = -1;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const QRgb c = img.pixel(x, y) | 0xFF000000;
            const bool corner = (x == 0 || x == w - 1) && (y == 0 || y == h - 1);
            const QString where = QStringLiteral("%1 at %2,%3").arg(name).arg(x).arg(y);
            if (corner)
                QVERIFY2(c == face, qPrintable(where));
            else if (x == 0 || y == 0 || x == w - 1 || y == h - 1)
                QVERIFY2(c == black, qPrintable(where));
            else if (x >= w - 3 || y >= h - 3)
                QVERIFY2(c == dark, qPrintable(where));
            else if (x == 1 || y == 1)
                QVERIFY2(c == white, qPrintable(where));
            else if (c == black) {
                left = qMin(left, x);
                right = qMax(right, x);
                top = qMin(top, y);
                bottom = qMax(bottom, y);
            } else {
                QVERIFY2(c == face, qPrintable(where));
            }
        }
    // Face spans 2..20 across and 2..18 down; the glyph sits in its middle.
    QVERIFY2(right >= left, "no glyph");
    QVERIFY(qAbs((left - 2) - (20 - right)) <= 1);
    QVERIFY(qAbs((top - 2) - (18 - bottom)) <= 1);
    QVERIFY(right - left + 1 >= 8 && right - left + 1 <= 13);
    QVERIFY(bottom - top + 1 >= 9);
}

// Rows are stored bottom-up; a flip would put the tip or the white corners
// elsewhere.
void AssetFiles::cursorPointsRight()
{
    const QImage img(":/assets/cursor_arrow.bmp");
    QCOMPARE(img.size(), QSize(16, 13));
    const QRgb white = qRgb(255, 255, 255), black = qRgb(0, 0, 0);
    QCOMPARE(img.pixel(15, 0), white);
    QCOMPARE(img.pixel(15, 12), white);
    QCOMPARE(img.pixel(15, 6), black);  // tip
    QCOMPARE(img.pixel(0, 0), black);   // base
    QCOMPARE(img.pixel(0, 12), black);
    // Shaded from pale (high green and blue) at the top to full red below.
    const QRgb upper = img.pixel(3, 2), lower = img.pixel(3, 10);
    QCOMPARE(qRed(upper), 255);
    QCOMPARE(qRed(lower), 255);
    QVERIFY(qGreen(upper) > qGreen(lower) + 100);
    QVERIFY(qBlue(lower) < 40);
}

QTEST_MAIN(AssetFiles)
#include "tst_assetfiles.moc"
