#include "textwrap.h"

namespace forms {

std::vector<std::u16string> wrapText(std::u16string_view text, int width,
                                     const std::function<int(std::u16string_view)>& measure)
{
    std::vector<std::u16string> lines;
    std::u16string line;
    int lineWidth = 0;
    bool lineHasWord = false;
    auto breakLine = [&] {
        lines.push_back(std::move(line));
        line.clear();
        lineWidth = 0;
        lineHasWord = false;
    };
    std::size_t pos = 0;
    while (pos < text.size()) {
        const bool blank = text[pos] == u' ';
        std::size_t end = pos;
        while (end < text.size() && (text[end] == u' ') == blank)
            ++end;
        const std::u16string_view run = text.substr(pos, end - pos);
        pos = end;
        // Runs meet only at blanks, so a line is as wide as its runs together.
        const int runWidth = measure(run);
        const bool fits = lineWidth + runWidth <= width;
        if (blank) {
            if (!fits) {
                breakLine();  // the run that did not fit is dropped with the break
                continue;
            }
        } else if (!fits && (lineHasWord || !line.empty())) {
            breakLine();
        }
        line += run;
        lineWidth += runWidth;
        lineHasWord = lineHasWord || !blank;
    }
    if (!line.empty() || lines.empty())
        lines.push_back(std::move(line));
    return lines;
}

}  // namespace forms
