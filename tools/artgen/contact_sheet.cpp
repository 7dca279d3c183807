// contact_sheet <dir> <out.png>: lays the thirteen pictures found in <dir>
// side by side at 8x zoom, each over its file name, on a neutral grey.
#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QDir>

#include <cstdio>

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: contact_sheet <dir> <out.png>\n");
        return 2;
    }
    const QDir dir(QString::fromLocal8Bit(argv[1]));
    const QStringList names = {
        "app_icon.ico",      "cursor_arrow.bmp", "title_turtles.bmp", "title_tsubasa.bmp",
        "title_gaiden.bmp",  "title_contra.bmp", "title_island.bmp",  "title_duckt.bmp",
        "about_football.bmp", "key_z.bmp",       "key_x.bmp",         "key_enter.bmp",
        "key_shift.bmp",
    };
    constexpr int zoom = 8, gap = 24, label = 28, maxWidth = 2400;

    // Place the pictures in rows, wrapping before maxWidth.
    struct Cell { QString name; QImage image; QPoint at; };
    QList<Cell> cells;
    bool missing = false;
    int x = gap, y = gap, rowHeight = 0, width = 0;
    for (const QString& name : names) {
        QImage img = QImageReader(dir.filePath(name)).read();
        if (img.isNull()) {
            std::fprintf(stderr, "contact_sheet: cannot read %s\n", qPrintable(dir.filePath(name)));
            missing = true;
            continue;
        }
        const QSize cell = img.size() * zoom + QSize(0, label);
        if (x > gap && x + cell.width() > maxWidth) {
            x = gap;
            y += rowHeight + gap;
            rowHeight = 0;
        }
        cells.append({name, img, QPoint(x, y)});
        x += cell.width() + gap;
        width = qMax(width, x);
        rowHeight = qMax(rowHeight, cell.height());
    }

    QImage sheet(width, y + rowHeight + gap, QImage::Format_RGB32);
    sheet.fill(QColor(0x80, 0x80, 0x88));
    QPainter p(&sheet);
    p.setRenderHint(QPainter::SmoothPixmapTransform, false);
    p.setPen(Qt::white);
    for (const Cell& c : cells) {
        p.drawText(QRect(c.at, QSize(c.image.width() * zoom, label)), Qt::AlignLeft | Qt::AlignVCenter,
                   QStringLiteral("%1  %2x%3").arg(c.name).arg(c.image.width()).arg(c.image.height()));
        p.drawImage(QRect(c.at + QPoint(0, label), c.image.size() * zoom), c.image);
    }
    p.end();
    if (!sheet.save(QString::fromLocal8Bit(argv[2]))) {
        std::fprintf(stderr, "contact_sheet: cannot write %s\n", argv[2]);
        return 1;
    }
    return missing ? 1 : 0;
}
