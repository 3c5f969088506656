// Fonts the windows name, mapped to what a Debian desktop has.
#pragma once

#include <QFont>

namespace rastel::toolkit {

// Maps "ＭＳ ゴシック" to IPAGothic and "ＭＳ Ｐゴシック" to IPAPGothic; fontconfig alone
// would pick a Latin font. Application does it at start; harmless to repeat.
void InstallFontSubstitutions();

// The fixed-pitch "ＭＳ ゴシック" at a point size.
QFont MsGothic(int points);

// The dialogs' font, the proportional "ＭＳ Ｐゴシック" at 9 points: captions laid out for
// it fit their controls.
QFont DialogFont();

}  // namespace rastel::toolkit
