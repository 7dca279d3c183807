// Breaking a label's text into lines, the same on every backend.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace forms {

// Breaks `text` (UTF-16) at blanks into lines no wider than `width` (as
// `measure` reports widths). Blanks take room like any character: a run of
// blanks that does not fit ends its line and is dropped, so the text after it
// starts the next line; a word that does not fit moves to the next line. A
// single word wider than the whole line stands alone on its line.
std::vector<std::u16string> wrapText(std::u16string_view text, int width,
                                     const std::function<int(std::u16string_view)>& measure);

}  // namespace forms
