// The PNG icons exported for the icon theme against the program icon itself.
#include <QImage>
#include <QTest>

class Icons : public QObject {
    Q_OBJECT

private slots:
    void everySizeRepeatsTheIconsPixelsExactly()
    {
        const QImage icon = QImage(QStringLiteral(ICON_FILE)).convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(icon.size(), QSize(32, 32));
        // The icon's mask must survive as transparency, and the picture as opaque pixels.
        int clear = 0;
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x)
                clear += qAlpha(icon.pixel(x, y)) == 0;
        QVERIFY2(clear > 0 && clear < 32 * 32, qPrintable(QString::number(clear)));

        for (int size : {32, 64, 128, 256}) {
            const QString file = QStringLiteral(ICON_DIR "/%1x%1/apps/" APP_ID ".png").arg(size);
            const QImage png(file);
            QVERIFY2(!png.isNull(), qPrintable(file));
            QCOMPARE(png.size(), QSize(size, size));
            QVERIFY(png.hasAlphaChannel());
            const QImage argb = png.convertToFormat(QImage::Format_ARGB32);
            const int k = size / 32;
            for (int y = 0; y < size; ++y)
                for (int x = 0; x < size; ++x)
                    if (argb.pixel(x, y) != icon.pixel(x / k, y / k))
                        QFAIL(qPrintable(QString("%1: pixel %2,%3 is %4, the icon has %5")
                                             .arg(file).arg(x).arg(y)
                                             .arg(argb.pixel(x, y), 8, 16, QChar('0'))
                                             .arg(icon.pixel(x / k, y / k), 8, 16, QChar('0'))));
        }
    }
};

QTEST_GUILESS_MAIN(Icons)
#include "tst_icons.moc"
