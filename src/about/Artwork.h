// The program's own pictures, drawn in code: the logo, the banner of the project page link,
// the hand pointer over that link, and the window icon.
#pragma once

#include <QCursor>
#include <QIcon>
#include <QPixmap>

class QPainter;

namespace rastel::about {

// 132 x 132: a grid of coloured cells, as the viewer turns bytes into pixels, with an R in it.
constexpr int kLogoSide = 132;
QPixmap Logo();
// The logo drawn by painter in the square from (0, 0) to (kLogoSide, kLogoSide), whatever the
// painter draws on: the program's icons of every size are made from it.
void PaintLogo(QPainter& painter);

// 350 x 60: a band with the logo at its left; the link labels are laid over its right part.
QPixmap Banner();

// A pointing hand, the tip of its finger being the hot spot.
QCursor HandCursor();

QIcon WindowIcon();

}  // namespace rastel::about
