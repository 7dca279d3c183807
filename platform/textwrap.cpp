#include "textwrap.h"

namespace forms {

QStringList wrapText(const QString& text, int width, const std::function<int(const QString&)>& measure)
{
    QStringList lines;
    QString line;
    bool lineHasWord = false;
    qsizetype pos = 0;
    while (pos < text.size()) {
        const bool blank = text[pos] == u' ';
        qsizetype end = pos;
        while (end < text.size() && (text[end] == u' ') == blank)
            ++end;
        const QString run = text.mid(pos, end - pos);
        pos = end;
        if (blank) {
            if (measure(line + run) <= width) {
                line += run;
            } else {
                lines << line;
                line.clear();
                lineHasWord = false;
            }
        } else if (!lineHasWord && line.isEmpty()) {
            line = run;
            lineHasWord = true;
        } else if (measure(line + run) <= width) {
            line += run;
            lineHasWord = true;
        } else {
            lines << line;
            line = run;
            lineHasWord = true;
        }
    }
    if (!line.isEmpty() || lines.isEmpty())
        lines << line;
    return lines;
}

}  // namespace forms
