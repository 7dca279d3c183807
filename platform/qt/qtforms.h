// The Qt side of the forms runtime, for the program's start and for tests and
// tools that look at the widgets.
#pragma once

#include "forms.h"

#include <QString>

#include <string_view>

class QApplication;
class QWidget;

namespace forms {

// Our UTF-8 texts as Qt strings.
inline QString qstr(std::string_view s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); }

// The top-level widget of a loaded form, and one of its controls by name;
// null when the form is not loaded.
QWidget* window(const Form& form);
QWidget* control(const Form& form, std::string_view name);

// The form whose window `window` is; null for any other widget.
const Form* formOf(const QWidget* window);

// Gamepads: watched for on a thread of their own from now on (the start-up
// window is shown first); without SDL2 nothing happens. `loadAtOnce` loads SDL
// and polls without waiting for a pad device (for tests with virtual pads).
// Stopped by stopGamepads or when the application object goes.
void startGamepads(bool loadAtOnce = false);
void stopGamepads();

// Fonts, style and palette the same on every machine. The dialog font's file
// is handed to fontconfig by addDialogFont, at once unless `dialogFontLater`:
// fontconfig's first use reads its whole configuration, which Qt leaves until
// the first text is measured or drawn, so the program's start calls it once
// its first window is up and before anything is drawn.
void setUpApplication(QApplication& app, bool dialogFontLater = false);
void addDialogFont();

// The picture of an asset, from the compiled-in resources.
QString assetPath(std::string_view asset);

}  // namespace forms
