#include "about/Identity.h"

#include "about/Artwork.h"
#include "toolkit/Version.h"

#include <QLabel>

#include <algorithm>

namespace rastel::about {
namespace {

QFont BoldArial(int pointSize) {
    QFont font(QStringLiteral("Arial"), pointSize);
    font.setBold(true);
    return font;
}

QLabel* NewLabel(QWidget* parent, const char* name, const QRect& geometry) {
    auto* label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    label->setGeometry(geometry);
    return label;
}

}  // namespace

void Identity::createIdentity(QWidget* parent, QPoint versionAt, QPoint revisionAt) {
    picIcon = NewLabel(parent, "picIcon", QRect(0, 0, 132, 132));
    picIcon->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    lblTitle = NewLabel(parent, "lblTitle", QRect(136, 0, 112, 46));
    lblTitle->setFont(BoldArial(30));
    lblTitle->setText(QStringLiteral("Rastel"));
    lblTitle->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // At 30 points the name runs a little past its box; widen the box rather than clip it.
    lblTitle->resize(std::max(lblTitle->width(), lblTitle->sizeHint().width()), lblTitle->height());

    lblVersion = NewLabel(parent, "lblVersion", QRect(versionAt, QSize(79, 16)));
    lblVersion->setFont(BoldArial(9));
    lblVersion->setAlignment(Qt::AlignRight | Qt::AlignTop);

    lblRevision = NewLabel(parent, "lblRevision", QRect(revisionAt, QSize(94, 16)));
    lblRevision->setFont(BoldArial(9));
    lblRevision->setAlignment(Qt::AlignRight | Qt::AlignTop);

    Label1 = NewLabel(parent, "Label1", QRect(144, 40, 143, 14));
    Label1->setFont(BoldArial(9));
    Label1->setText(QStringLiteral("Rastel developers"));

    lblDescription = NewLabel(parent, "lblDescription", QRect(136, 72, 259, 46));
    // A point smaller than the rest, so the whole disclaimer fits its box in three lines and
    // its last line ends clear of the about window's close button.
    QFont small = parent->font();
    small.setPointSize(8);
    lblDescription->setFont(small);
    lblDescription->setWordWrap(true);
    lblDescription->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblDescription->setText(QStringLiteral(
        "このプログラムを使用した結果いかなる不都合が発生しても作者は一切の責任を負いかねます。"
        "詳しくは添付ドキュメントをご覧ください。"));
}

void Identity::loadIdentity() {
    lblVersion->setText(QStringLiteral("Version ") + toolkit::VersionCaption());
    lblRevision->setText(QStringLiteral("Revision %1").arg(toolkit::Version().revision));
    picIcon->setPixmap(Logo());
}

}  // namespace rastel::about
