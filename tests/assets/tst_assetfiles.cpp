// The picture files: the compiled-in resources are the files in assets/, our
// own decoding gives exactly Qt's image, the arrow's direction, and the PNG
// icons exported for the icon theme. That the pictures are exactly what
// tools/artgen writes is assets_regenerated's business.
#include "pictures.h"

#include <QtTest>

#include <QDir>
#include <QFile>
#include <QIcon>
#include <QImage>

class AssetFiles : public QObject {
    Q_OBJECT

private slots:
    // Every picture compiled in is the committed file, and our own decoding
    // gives exactly Qt's image of it (format, colours, transparency).
    void everyResourceIsItsFileDecodedAsQtDoes()
    {
        const QStringList names = QDir(":/assets").entryList();
        QCOMPARE(QDir(PLAYDECK_ASSET_DIR).entryList({"*.bmp", "*.ico"}), names);
        QVERIFY(!names.isEmpty());
        for (const QString& name : names) {
            QFile a(":/assets/" + name), b(PLAYDECK_ASSET_DIR "/" + name);
            QVERIFY2(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly), qPrintable(name));
            const QByteArray bytes = a.readAll();
            QCOMPARE(b.readAll(), bytes);
            QVERIFY2(!QImage(a.fileName()).isNull(), qPrintable(name));
            QCOMPARE(forms::decodePicture(bytes), QImage(a.fileName()));
        }
        // The window icon as the menu makes it is the one Qt makes of the file.
        const QIcon file(":/assets/app_icon.ico"), ours(QPixmap::fromImage(forms::picture(":/assets/app_icon.ico")));
        QCOMPARE(ours.availableSizes(), QList<QSize>{QSize(32, 32)});
        QCOMPARE(ours.pixmap(32, 32).toImage(), file.pixmap(32, 32).toImage());
    }

    // Rows are stored bottom-up; a flip would put the tip (right, middle) or
    // the white corners (right, top and bottom) elsewhere.
    void cursorPointsRight()
    {
        const QImage img(":/assets/cursor_arrow.bmp");
        for (auto [x, y, white] : {std::tuple{15, 0, true}, {15, 12, true}, {15, 6, false}, {0, 0, false}, {0, 12, false}})
            QCOMPARE(img.pixel(x, y), white ? qRgb(255, 255, 255) : qRgb(0, 0, 0));
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
