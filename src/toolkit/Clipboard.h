// The system clipboard.
#pragma once

#include <QImage>

namespace rastel::toolkit {

// Empties the clipboard, then puts the image on it.
void PutImageOnClipboard(const QImage& image);

}  // namespace rastel::toolkit
