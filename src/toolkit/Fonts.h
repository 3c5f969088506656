// Fonts the windows name, mapped to what a Debian desktop has.
#pragma once

#include <QFont>

namespace rastel::toolkit {

// Maps "ＭＳ ゴシック" to IPAGothic; fontconfig alone would pick a proportional font.
// Application does it at start; harmless to repeat.
void InstallFontSubstitutions();

// The fixed-pitch "ＭＳ ゴシック" at a point size.
QFont MsGothic(int points);

}  // namespace rastel::toolkit
