#include "toolkit/Clipboard.h"

#include <QClipboard>
#include <QGuiApplication>

namespace rastel::toolkit {

void PutImageOnClipboard(const QImage& image) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setImage(image);
}

}  // namespace rastel::toolkit
