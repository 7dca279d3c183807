// Breaking a label's text into lines.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>

namespace forms {

// Breaks `text` at blanks into lines no wider than `width` (as `measure`
// reports widths). Blanks take room like any character: a run of blanks that
// does not fit ends its line and is dropped, so the text after it starts the
// next line; a word that does not fit moves to the next line. A single word
// wider than the whole line stands alone on its line.
QStringList wrapText(const QString& text, int width, const std::function<int(const QString&)>& measure);

}  // namespace forms
