// The settings dialog, as its callers see it.
#pragma once

class QWidget;

namespace rastel {

// A fresh dialog, Cancel enabled, modal over owner; returns optOKCancel (true: OK pressed and
// gDib's settings and palette hold the edits).
bool RunOptMenu(QWidget* owner);

}  // namespace rastel
