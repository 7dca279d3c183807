// Writes the program icon as PNG files for the desktop icon theme:
//   playdeck_icon_export <icon> <output dir> <name> <size>...
// Each size must be a whole multiple of the icon's own size; the pixels are
// repeated (nearest neighbour) so the small pixel-art icon stays crisp.
#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QImageReader>

#include <cstdio>

namespace {

QImage enlarged(const QImage& source, int factor)
{
    QImage out(source.width() * factor, source.height() * factor, QImage::Format_ARGB32);
    for (int y = 0; y < out.height(); ++y) {
        const auto* from = reinterpret_cast<const QRgb*>(source.constScanLine(y / factor));
        auto* to = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x)
            to[x] = from[x / factor];
    }
    return out;
}

int fail(const QString& message)
{
    std::fprintf(stderr, "playdeck_icon_export: %s\n", qPrintable(message));
    return 1;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 5)
        return fail("usage: playdeck_icon_export <icon> <output dir> <name> <size>...");

    QImageReader reader(args[1]);
    const QImage icon = reader.read().convertToFormat(QImage::Format_ARGB32);
    if (icon.isNull())
        return fail(args[1] + ": " + reader.errorString());
    if (icon.width() != icon.height())
        return fail(args[1] + ": the icon is not square");

    const QDir out(args[2]);
    for (int i = 4; i < args.size(); ++i) {
        bool ok = false;
        const int size = args[i].toInt(&ok);
        if (!ok || size <= 0 || size % icon.width() != 0)
            return fail(QString("size %1 is not a whole multiple of %2").arg(args[i]).arg(icon.width()));
        const QString dir = QString("%1x%1/apps").arg(size);
        const QString file = out.filePath(dir + "/" + args[3] + ".png");
        if (!out.mkpath(dir) || !enlarged(icon, size / icon.width()).save(file, "PNG"))
            return fail("cannot write " + file);
    }
    return 0;
}
