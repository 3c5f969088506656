#include <QElapsedTimer>
#include <QScreen>

#include "about/Artwork.h"
#include "about/frmAbout1.h"
#include "about/frmAbout2.h"
#include "support/Modal.h"
#include "toolkit/Version.h"
#include "toolkit/WebLink.h"

namespace rastel {
namespace {

const QString kPage = "https://rastel.example.org/";

QLabel* Label(QWidget* window, const char* name, int index = -1) {
    return index < 0 ? window->findChild<QLabel*>(name)
                     : toolkit::Element<QLabel>(window, name, index);
}

// Through the window, as a click lands: on whatever lies on top at that point.
void ClickOn(QWidget* target, bool twice = false) {
    QWidget* window = target->window();
    const QPoint at = target->mapTo(window, target->rect().center());
    twice ? QTest::mouseDClick(window->windowHandle(), Qt::LeftButton, {}, at)
          : QTest::mouseClick(window->windowHandle(), Qt::LeftButton, {}, at);
}

// What both windows show: the logo, the name, this build's version and revision, the credit
// and the disclaimer, none of it clipped.
void ExpectIdentity(QWidget* window) {
    EXPECT_EQ(Label(window, "lblVersion")->text(), "Version " + toolkit::VersionCaption());
    EXPECT_EQ(Label(window, "lblRevision")->text(),
              QStringLiteral("Revision %1").arg(toolkit::Version().revision));
    EXPECT_EQ(Label(window, "Label1")->text(), "Rastel developers");
    QLabel *title = Label(window, "lblTitle"), *disclaimer = Label(window, "lblDescription");
    EXPECT_EQ(title->text(), "Rastel");
    EXPECT_EQ(
        disclaimer->text(),
        "このプログラムを使用した結果いかなる不都合が発生しても作者は一切の責任を負いかねます。"
        "詳しくは添付ドキュメントをご覧ください。");
    EXPECT_EQ(Label(window, "picIcon")->pixmap().toImage(), about::Logo().toImage());
    EXPECT_LE(title->sizeHint().width(), title->width()) << "the name is clipped";
    EXPECT_LE(disclaimer->heightForWidth(disclaimer->width()), disclaimer->height());
}

// Centred on the screen, the splash closes by itself after two seconds (within ten on a busy
// machine), or at once on a click anywhere.
TEST(Splash, ShowsTheIdentityForTwoSecondsOrUntilAClick) {
    {
        frmAbout1 splash;
        QElapsedTimer shown;
        // A splash that stays fails the test instead of hanging it.
        QTimer::singleShot(60000, &splash, [&] { splash.done(QDialog::Rejected); });
        QTimer::singleShot(0, &splash, [&] {
            shown.start();
            const QPoint centre = QGuiApplication::primaryScreen()->availableGeometry().center();
            EXPECT_LE((splash.geometry().center() - centre).manhattanLength(), 2);
            ExpectIdentity(&splash);
        });
        splash.exec();
        EXPECT_LT(shown.elapsed(), 10000) << "the splash stayed far past its two seconds";
        EXPECT_GE(shown.elapsed(), 1500) << "the splash did not stay its two seconds";
    }
    for (const char* name : {"frmAbout1", "picIcon", "lblTitle", "lblVersion", "lblRevision",
                             "Label1", "lblDescription"}) {
        frmAbout1 splash;
        splash.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&splash));
        QWidget* target = splash.objectName() == name ? &splash : splash.findChild<QWidget*>(name);
        QTest::mouseClick(splash.windowHandle(), Qt::LeftButton, {},
                          target == &splash ? QPoint(splash.width() - 2, splash.height() - 3)
                                            : target->mapTo(&splash, target->rect().center()));
        EXPECT_FALSE(splash.isVisible()) << name;
        EXPECT_FALSE(splash.findChild<QTimer*>("Timer1")->isActive()) << name;
    }
}

// A fixed modal dialog centred on its owner, whose banner, names and address (on a double
// click) open the project's page: here captured instead of starting a browser.
TEST(AboutWindow, ShowsTheIdentityAndOpensThePage) {
    QWidget owner;
    owner.setGeometry(100, 120, 640, 480);
    owner.show();
    frmAbout2 about(&owner);
    QStringList opened;
    const toolkit::WebPageOpener system =
        toolkit::SetWebPageOpener([&](const QString& address) { opened << address; });
    testing::WhenModal<frmAbout2> user([&](frmAbout2* w) {
        EXPECT_EQ(w->windowTitle(), "Rastelについて...");
        EXPECT_EQ(w->minimumSize(), w->maximumSize());
        EXPECT_LE((w->geometry().center() - owner.geometry().center()).manhattanLength(), 2);
        ExpectIdentity(w);
        EXPECT_EQ(Label(w, "lblURL", 0)->text(), "Rastel Project");
        EXPECT_EQ(Label(w, "lblURL", 1)->text(), "ラステル・プロジェクト");
        EXPECT_EQ(Label(w, "lblURL", 2)->text(), "rastel.example.org");
        auto* address = w->findChild<QLineEdit*>("tbxURL");
        EXPECT_EQ(address->text(), kPage);
        for (QWidget* link : QList<QWidget*>{Label(w, "imgURLlogo"), address, Label(w, "lblURL", 0),
                                             Label(w, "lblURL", 1)}) {
            ClickOn(link, link == address);
            ClickOn(Label(w, "lblURL", 2), true);  // a double click on a name: one page
            EXPECT_EQ(opened, QStringList({kPage, kPage})) << link->objectName().toStdString();
            opened.clear();
        }
        ClickOn(address);
        EXPECT_TRUE(opened.isEmpty()) << "a single click on the address opened the page";
        // The close button's access key ends the showing.
        QTest::keyClick(w, Qt::Key_C, Qt::AltModifier);
    });
    about.exec();
    toolkit::SetWebPageOpener(system);
}

}  // namespace
}  // namespace rastel
