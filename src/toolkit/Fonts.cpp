#include "toolkit/Fonts.h"

#include <QStringList>

namespace rastel::toolkit {

namespace {
const QString kMsGothic = QStringLiteral("ＭＳ ゴシック");
const QString kMsPGothic = QStringLiteral("ＭＳ Ｐゴシック");
}  // namespace

void InstallFontSubstitutions() {
    if (QFont::substitutes(kMsGothic).isEmpty()) {
        QFont::insertSubstitution(kMsGothic, QStringLiteral("IPAGothic"));
    }
    if (QFont::substitutes(kMsPGothic).isEmpty()) {
        QFont::insertSubstitution(kMsPGothic, QStringLiteral("IPAPGothic"));
    }
}

QFont MsGothic(int points) {
    InstallFontSubstitutions();
    QFont font(kMsGothic, points);
    font.setStyleHint(QFont::TypeWriter);
    return font;
}

QFont DialogFont() {
    InstallFontSubstitutions();
    return QFont(kMsPGothic, 9);
}

}  // namespace rastel::toolkit
