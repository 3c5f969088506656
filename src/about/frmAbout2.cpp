#include "about/frmAbout2.h"

#include "about/Artwork.h"
#include "toolkit/Clicks.h"
#include "toolkit/ControlArray.h"
#include "toolkit/WebLink.h"

#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>

#include <algorithm>

namespace rastel {
namespace {

const QString kProjectPage = QStringLiteral("https://rastel.example.org/");

QLabel* NewLinkLabel(QWidget* parent, int index, const QString& text, const QFont& font,
                     QPoint at) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(toolkit::ElementName("lblURL", index));
    label->setFont(font);
    label->move(at);
    label->adjustSize();  // only the words are the link, not an empty box around them
    return label;
}

}  // namespace

using toolkit::Clicks;
using toolkit::ClickSignals;

frmAbout2::frmAbout2(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                         Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint) {
    setObjectName(QStringLiteral("frmAbout2"));
    setWindowTitle(QStringLiteral("Rastelについて..."));
    setWindowIcon(about::WindowIcon());
    setModal(true);
    QFont font = this->font();
    font.setPointSize(9);
    setFont(font);
    setFixedSize(404, 247);

    Frame1 = new QFrame(this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setFrameShape(QFrame::NoFrame);
    Frame1->setGeometry(0, 0, 404, 133);
    QPalette white = Frame1->palette();
    white.setColor(QPalette::Window, Qt::white);
    Frame1->setPalette(white);
    Frame1->setAutoFillBackground(true);

    createIdentity(Frame1, QPoint(317, 8), QPoint(304, 24));

    // A sunken rule under the text, in the colours buttons are drawn with.
    for (int i = 0; i < 2; ++i) {
        linBR[i] = new QFrame(Frame1);
        linBR[i]->setObjectName(toolkit::ElementName("linBR", i));
        linBR[i]->setGeometry(133, 131 + i, 404 - 133, 1);
        QPalette line = linBR[i]->palette();
        line.setColor(QPalette::Window, palette().color(i == 0 ? QPalette::Dark : QPalette::Light));
        linBR[i]->setPalette(line);
        linBR[i]->setAutoFillBackground(true);
    }

    cmdCLOSE = new QPushButton(QStringLiteral("閉じる(&C)"), Frame1);
    cmdCLOSE->setObjectName(QStringLiteral("cmdCLOSE"));
    cmdCLOSE->setGeometry(320, 107, 73, 20);

    createLinkBox();
    wireEvents();
}

void frmAbout2::createLinkBox() {
    Frame2 = new QGroupBox(QStringLiteral("頒布元と最新情報はこちら..."), this);
    Frame2->setObjectName(QStringLiteral("Frame2"));
    Frame2->setGeometry(3, 140, 398, 102);

    imgURLlogo = new QLabel(Frame2);
    imgURLlogo->setObjectName(QStringLiteral("imgURLlogo"));
    imgURLlogo->setGeometry(4, 16, 390, 60);
    imgURLlogo->setAlignment(Qt::AlignCenter);
    imgURLlogo->setPixmap(about::Banner());
    imgURLlogo->setCursor(about::HandCursor());

    // The project's name in large and in Japanese lies on the banner, right of its logo; the
    // bare host name sits under it.
    const int onBanner = imgURLlogo->x() + (imgURLlogo->width() - 350) / 2 + 62;
    QFont large(font());
    large.setPointSize(14);
    large.setBold(true);
    lblURL[0] = NewLinkLabel(Frame2, 0, QStringLiteral("Rastel Project"), large,
                             QPoint(onBanner, imgURLlogo->y() + 6));
    lblURL[1] = NewLinkLabel(Frame2, 1, QStringLiteral("ラステル・プロジェクト"), font(),
                             QPoint(onBanner, imgURLlogo->y() + 34));
    for (QLabel* label : {lblURL[0], lblURL[1]}) {
        QPalette onDark = label->palette();
        onDark.setColor(QPalette::WindowText, Qt::white);
        label->setPalette(onDark);
    }
    lblURL[2] =
        NewLinkLabel(Frame2, 2, QStringLiteral("rastel.example.org"), font(), QPoint(8, 82));

    tbxURL = new QLineEdit(kProjectPage, Frame2);
    tbxURL->setObjectName(QStringLiteral("tbxURL"));
    tbxURL->setFrame(false);
    // The address is longer than the box laid out for it: grow the box to the left, keeping
    // its right edge, so the whole address shows.
    const int width = std::max(153, tbxURL->fontMetrics().horizontalAdvance(kProjectPage) + 6);
    tbxURL->setGeometry(241 + 153 - width, 82, width, 15);
    tbxURL->setCursorPosition(0);
    // Shown for reading and copying; the link always goes to the program's own address.
    tbxURL->setReadOnly(true);
    QPalette blue = tbxURL->palette();
    blue.setColor(QPalette::Text, Qt::blue);
    blue.setColor(QPalette::Base, palette().color(QPalette::Window));
    tbxURL->setPalette(blue);
}

void frmAbout2::wireEvents() {
    connect(Clicks(imgURLlogo), &ClickSignals::clicked, this, &frmAbout2::imgURLlogo_Click);
    for (int i = 0; i < int(lblURL.size()); ++i) {
        connect(Clicks(lblURL[i]), &ClickSignals::clicked, this, [this, i] { lblURL_Click(i); });
    }
    connect(Clicks(tbxURL), &ClickSignals::doubleClicked, this, &frmAbout2::tbxURL_DblClick);
    connect(cmdCLOSE, &QPushButton::clicked, this, &frmAbout2::cmdCLOSE_Click);
}

void frmAbout2::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) {
        Form_Load();
    }
}

void frmAbout2::Form_Load() {
    loadIdentity();
    // Over the names the pointer stays the hand it is over the banner.
    for (QLabel* label : lblURL) {
        label->setCursor(imgURLlogo->cursor());
    }
}

void frmAbout2::imgURLlogo_Click() {
    OpenProjectPage();
}
void frmAbout2::lblURL_Click(int /*index*/) {
    OpenProjectPage();
}
void frmAbout2::tbxURL_DblClick() {
    OpenProjectPage();
}
void frmAbout2::cmdCLOSE_Click() {
    close();
}

void frmAbout2::OpenProjectPage() {
    toolkit::OpenWebPage(kProjectPage);
}

}  // namespace rastel
