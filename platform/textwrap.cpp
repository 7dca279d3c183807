#include "textwrap.h"

namespace forms {

QStringList wrapText(const QString& text, int width, const std::function<int(const QString&)>& measure)
{
    QStringList lines;
    QString line;
    int lineWidth = 0;
    bool lineHasWord = false;
    auto breakLine = [&] {
        lines << line;
        line.clear();
        lineWidth = 0;
        lineHasWord = false;
    };
    qsizetype pos = 0;
    while (pos < text.size()) {
        const bool blank = text[pos] == u' ';
        qsizetype end = pos;
        while (end < text.size() && (text[end] == u' ') == blank)
            ++end;
        const QString run = text.mid(pos, end - pos);
        pos = end;
        // Runs meet only at blanks, so a line is as wide as its runs together.
        const int runWidth = measure(run);
        const bool fits = lineWidth + runWidth <= width;
        if (blank) {
            if (!fits) {
                breakLine();  // the run that did not fit is dropped with the break
                continue;
            }
        } else if (!fits && (lineHasWord || !line.isEmpty())) {
            breakLine();
        }
        line += run;
        lineWidth += runWidth;
        lineHasWord = lineHasWord || !blank;
    }
    if (!line.isEmpty() || lines.isEmpty())
        lines << line;
    return lines;
}

}  // namespace forms
