// The thirteen picture files: the stated sizes and palettes, Qt loading each at
// its size from the compiled-in resources and from assets/, our own decoding
// giving exactly Qt's image, the arrow's direction, and the PNG icons exported
// for the icon theme. That the pictures are exactly what tools/artgen writes
// is assets_regenerated's business.
#include "pictures.h"

#include <QtTest>

#include <QFile>
#include <QIcon>
#include <QImage>

class AssetFiles : public QObject {
    Q_OBJECT

private slots:
    // Bits per pixel (0 for the icon), size and file size of each picture.
    void everyResourceLoadsAtItsSize()
    {
        const struct { const char* name; int bits, width, height, bytes; } rows[] = {
            {"app_icon.ico", 0, 32, 32, 2238},        {"cursor_arrow.bmp", 24, 16, 13, 678},
            {"title_turtles.bmp", 24, 44, 90, 11934}, {"title_tsubasa.bmp", 24, 126, 151, 57434},
            {"title_gaiden.bmp", 24, 36, 64, 6966},   {"title_contra.bmp", 24, 44, 62, 8238},
            {"title_island.bmp", 24, 33, 62, 6254},   {"title_duckt.bmp", 24, 83, 68, 17190},
            {"about_football.bmp", 8, 103, 67, 8046}, {"key_z.bmp", 4, 24, 22, 382},
            {"key_x.bmp", 4, 24, 22, 382},            {"key_enter.bmp", 4, 24, 22, 382},
            {"key_shift.bmp", 4, 24, 22, 382},
        };
        for (const auto& r : rows) {
            const QString resource = QStringLiteral(":/assets/") + r.name;
            QFile a(resource), b(QStringLiteral(PLAYDECK_ASSET_DIR "/") + r.name);
            QVERIFY2(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly), r.name);
            const QByteArray bytes = a.readAll();
            QCOMPARE(bytes.size(), r.bytes);
            QCOMPARE(b.readAll(), bytes);  // the resource is the committed file
            QCOMPARE(forms::decodePicture(bytes), QImage(resource));  // format, colours, alpha too
            for (const QString& path : {resource, b.fileName()}) {
                const QImage img(path);
                QVERIFY2(img.size() == QSize(r.width, r.height), qPrintable(path));
                QCOMPARE(img.colorCount(), r.bits == 24 || r.bits == 0 ? 0 : 1 << r.bits);
            }
        }
        // The icon's mask survives as transparency.
        const QImage icon(":/assets/app_icon.ico");
        int clear = 0;
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x)
                clear += qAlpha(icon.pixel(x, y)) == 0;
        QCOMPARE(clear, 455);
        // The window icon as the menu makes it is the one Qt makes of the file.
        const QIcon file(":/assets/app_icon.ico"), ours(QPixmap::fromImage(forms::picture(":/assets/app_icon.ico")));
        QCOMPARE(ours.availableSizes(), QList<QSize>{QSize(32, 32)});
        QCOMPARE(ours.pixmap(32, 32).toImage(), file.pixmap(32, 32).toImage());
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
    }

    void exportedIconsRepeatTheIconsPixelsExactly()
    {
        const QImage icon = QImage(":/assets/app_icon.ico").convertToFormat(QImage::Format_ARGB32);
        for (int size : {32, 64, 128, 256}) {
            const QString file = QStringLiteral(ICON_DIR "/%1x%1/apps/" APP_ID ".png").arg(size);
            const QImage png(file);
            QVERIFY2(png.size() == QSize(size, size) && png.hasAlphaChannel(), qPrintable(file));
            const QImage argb = png.convertToFormat(QImage::Format_ARGB32);
            const int k = size / 32;
            for (int y = 0; y < size; ++y)
                for (int x = 0; x < size; ++x)
                    if (argb.pixel(x, y) != icon.pixel(x / k, y / k))
                        QFAIL(qPrintable(QString("%1: pixel %2,%3 differs from the icon's").arg(file).arg(x).arg(y)));
        }
    }
};

QTEST_MAIN(AssetFiles)
#include "tst_assetfiles.moc"
