// The thirteen picture files: the format rules of Windows bitmaps and icons
// read from their bytes, their stated sizes, and how Qt loads them from the
// compiled-in resources and from assets/. That they are exactly what
// tools/artgen writes is assets_regenerated's business.
#include <QtTest>

#include <QFile>
#include <QIcon>
#include <QImage>

namespace {

quint32 u16(const QByteArray& b, int at) { return quint8(b[at]) | quint8(b[at + 1]) << 8; }
quint32 u32(const QByteArray& b, int at) { return u16(b, at) | u16(b, at + 2) << 16; }

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

}  // namespace

class AssetFiles : public QObject {
    Q_OBJECT

private slots:
    void files_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("bits");  // 0 for the icon
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("fileBytes");
        const struct { const char* name; int bits, width, height, bytes; } rows[] = {
            {"app_icon.ico", 0, 32, 32, 2238},        {"cursor_arrow.bmp", 24, 16, 13, 678},
            {"title_turtles.bmp", 24, 44, 90, 11934}, {"title_tsubasa.bmp", 24, 126, 151, 57434},
            {"title_gaiden.bmp", 24, 36, 64, 6966},   {"title_contra.bmp", 24, 44, 62, 8238},
            {"title_island.bmp", 24, 33, 62, 6254},   {"title_duckt.bmp", 24, 83, 68, 17190},
            {"about_football.bmp", 8, 103, 67, 8046}, {"key_z.bmp", 4, 24, 22, 382},
            {"key_x.bmp", 4, 24, 22, 382},            {"key_enter.bmp", 4, 24, 22, 382},
            {"key_shift.bmp", 4, 24, 22, 382},
        };
        for (const auto& r : rows)
            QTest::newRow(r.name) << r.name << r.bits << QSize(r.width, r.height) << r.bytes;
    }
    void files()
    {
        QFETCH(QString, name);
        QFETCH(int, bits);
        QFETCH(QSize, size);
        QFETCH(int, fileBytes);
        const QString resource = ":/assets/" + name, file = QStringLiteral(PLAYDECK_ASSET_DIR "/") + name;
        const QByteArray b = readFile(resource);
        QCOMPARE(b.size(), fileBytes);
        QCOMPARE(readFile(file), b);  // the resource is the committed file
        if (bits == 0) {
            // One 32 x 32 image of 8 bits with its 256-entry palette and a mask (twice the height).
            QCOMPARE(QList<quint32>({u16(b, 0), u16(b, 2), u16(b, 4), quint8(b[6]), quint8(b[7])}),
                     QList<quint32>({0, 1, 1, 32, 32}));
            QCOMPARE(QList<quint32>({u32(b, 22), u32(b, 26), u32(b, 30), u16(b, 36), u32(b, 54)}),
                     QList<quint32>({40, 32, 64, 8, 256}));
        } else {
            // Uncompressed, bottom-up (positive height), palette of 2^bits entries below 24 bits.
            const int entries = bits == 24 ? 0 : 1 << bits, stride = (size.width() * bits + 31) / 32 * 4;
            QCOMPARE(b.left(2), QByteArray("BM"));
            QCOMPARE(QList<quint32>({u32(b, 2), u32(b, 10), u32(b, 14), u32(b, 18), u32(b, 22), u16(b, 28), u32(b, 30)}),
                     QList<quint32>({quint32(b.size()), quint32(54 + 4 * entries), 40, quint32(size.width()),
                                     quint32(size.height()), quint32(bits), 0}));
            QCOMPARE(b.size(), 54 + 4 * entries + stride * size.height());
            if (bits == 4) {  // the standard 16 colours
                static const QRgb standard[] = {0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080,
                                                0x008080, 0x808080, 0xC0C0C0, 0xFF0000, 0x00FF00, 0xFFFF00,
                                                0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
                for (int i = 0; i < 16; ++i)
                    QCOMPARE(u32(b, 54 + 4 * i), quint32(standard[i]));
            }
        }
        // Qt loads it at its size, from the resource and from the file.
        for (const QString& path : {resource, file}) {
            const QImage img(path);
            QCOMPARE(img.size(), size);
            QCOMPARE(img.colorCount(), bits == 24 || bits == 0 ? 0 : 1 << bits);
            if (bits == 0) {
                int clear = 0;
                for (int y = 0; y < 32; ++y)
                    for (int x = 0; x < 32; ++x)
                        clear += qAlpha(img.pixel(x, y)) == 0;
                QCOMPARE(clear, 455);
                QCOMPARE(QIcon(path).pixmap(32, 32).size(), QSize(32, 32));
            }
        }
    }

    // Rows are stored bottom-up; a flip would put the tip or the white corners
    // elsewhere.
    void cursorPointsRight()
    {
        const QImage img(":/assets/cursor_arrow.bmp");
        const QRgb white = qRgb(255, 255, 255), black = qRgb(0, 0, 0);
        QCOMPARE(img.pixel(15, 0), white);
        QCOMPARE(img.pixel(15, 12), white);
        QCOMPARE(img.pixel(15, 6), black);  // tip
        QCOMPARE(img.pixel(0, 0), black);   // base
        QCOMPARE(img.pixel(0, 12), black);
        // Shaded from pale (high green and blue) at the top to full red below.
        const QRgb upper = img.pixel(3, 2), lower = img.pixel(3, 10);
        QVERIFY(qRed(upper) == 255 && qRed(lower) == 255);
        QVERIFY(qGreen(upper) > qGreen(lower) + 100);
        QVERIFY(qBlue(lower) < 40);
    }
};

QTEST_MAIN(AssetFiles)
#include "tst_assetfiles.moc"
