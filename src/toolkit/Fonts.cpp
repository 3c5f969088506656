#include "toolkit/Fonts.h"

#include <QStringList>

namespace rastel::toolkit {

namespace {
const QString kMsGothic = QStringLiteral("ＭＳ ゴシック");
}

void InstallFontSubstitutions() {
    if (QFont::substitutes(kMsGothic).isEmpty()) {
        QFont::insertSubstitution(kMsGothic, QStringLiteral("IPAGothic"));
    }
}

QFont MsGothic(int points) {
    InstallFontSubstitutions();
    QFont font(kMsGothic, points);
    font.setStyleHint(QFont::TypeWriter);
    return font;
}

}  // namespace rastel::toolkit
