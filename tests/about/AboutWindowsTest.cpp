#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <stdexcept>

#include "about/Artwork.h"
#include "about/frmAbout1.h"
#include "about/frmAbout2.h"
#include "support/Modal.h"
#include "toolkit/Version.h"
#include "toolkit/WebLink.h"

namespace rastel {
namespace {

const QString kPage = "https://rastel.example.org/";

QLabel* Label(QWidget* window, const char* name) {
    return window->findChild<QLabel*>(name);
}

// Through the window, as a click lands: on whatever lies on top at that point.
void ClickOn(QWidget* target, bool twice = false) {
    QWidget* window = target->window();
    const QPoint at = target->mapTo(window, target->rect().center());
    twice ? QTest::mouseDClick(window->windowHandle(), Qt::LeftButton, {}, at)
          : QTest::mouseClick(window->windowHandle(), Qt::LeftButton, {}, at);
}

// What both windows show: the logo, the name, the version and revision of this build, the
// credit and the disclaimer, none of it clipped.
void ExpectIdentity(QWidget* window) {
    EXPECT_EQ(Label(window, "lblTitle")->text(), "Rastel");
    EXPECT_EQ(Label(window, "lblVersion")->text(), "Version " + toolkit::VersionCaption());
    EXPECT_EQ(Label(window, "lblRevision")->text(),
              QStringLiteral("Revision %1").arg(toolkit::Version().revision));
    EXPECT_EQ(Label(window, "Label1")->text(), "Rastel developers");
    EXPECT_EQ(
        Label(window, "lblDescription")->text(),
        "このプログラムを使用した結果いかなる不都合が発生しても作者は一切の責任を負いかねます。"
        "詳しくは添付ドキュメントをご覧ください。");
    EXPECT_EQ(Label(window, "picIcon")->pixmap().toImage(), about::Logo().toImage());
    QLabel* title = Label(window, "lblTitle");
    EXPECT_LE(title->sizeHint().width(), title->width()) << "the name is clipped";
    QLabel* description = Label(window, "lblDescription");
    EXPECT_LE(description->heightForWidth(description->width()), description->height())
        << "the disclaimer is cut off";
}

// A frameless window without a task bar entry, centred on the screen, that closes by itself
// after two seconds or at once on a click.
TEST(Splash, ShowsTheIdentityForTwoSecondsOrUntilAClick) {
    {
        frmAbout1 splash;
        splash.show();
        EXPECT_EQ(splash.windowType(), Qt::SplashScreen);
        EXPECT_TRUE(splash.windowFlags() & Qt::FramelessWindowHint);
        const QPoint centre = QGuiApplication::primaryScreen()->availableGeometry().center();
        EXPECT_LE((splash.geometry().center() - centre).manhattanLength(), 2);
        ExpectIdentity(&splash);
        splash.hide();
        testing::Watchdog watchdog(&splash);
        QElapsedTimer shown;
        QTimer::singleShot(0, &splash, [&] { shown.start(); });
        splash.exec();
        EXPECT_FALSE(watchdog.fired) << "the splash stayed open";
        EXPECT_GE(shown.elapsed(), 1500) << "the splash did not stay its two seconds";
    }
    for (const char* name :
         {"", "picIcon", "lblTitle", "lblVersion", "lblRevision", "Label1", "lblDescription"}) {
        SCOPED_TRACE(*name ? name : "background");
        frmAbout1 splash;
        splash.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&splash));
        if (*name) {
            ClickOn(splash.findChild<QWidget*>(name));
        } else {
            QTest::mouseClick(splash.windowHandle(), Qt::LeftButton, {},
                              QPoint(splash.width() - 2, splash.height() - 3));
        }
        EXPECT_FALSE(splash.isVisible());
        EXPECT_FALSE(splash.findChild<QTimer*>("Timer1")->isActive())
            << "the closed splash would still run its timer";
    }
}

class AboutWindow : public ::testing::Test {
  protected:
    // The pages the window asks to open, instead of starting a browser.
    void SetUp() override {
        previous = toolkit::SetWebPageOpener([this](const QString& address) { opened << address; });
        owner.setGeometry(100, 120, 640, 480);
        owner.show();
        about.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&about));
    }
    void TearDown() override { toolkit::SetWebPageOpener(previous); }
    QWidget* Child(const char* name) { return about.findChild<QWidget*>(name); }

    QStringList opened;
    toolkit::WebPageOpener previous;

    QWidget owner;
    frmAbout2 about{&owner};
};

TEST_F(AboutWindow, IsAFixedModalDialogCentredOnItsOwner) {
    EXPECT_EQ(about.windowTitle(), "Rastelについて...");
    EXPECT_EQ(about.minimumSize(), about.maximumSize());
    EXPECT_FALSE(about.windowFlags() &
                 (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    EXPECT_TRUE(about.isModal());
    EXPECT_LE((about.geometry().center() - owner.geometry().center()).manhattanLength(), 2);
    EXPECT_EQ(about.findChild<QGroupBox*>("Frame2")->title(), "頒布元と最新情報はこちら...");
    EXPECT_EQ(Label(&about, "lblURL_0")->text(), "Rastel Project");
    EXPECT_EQ(Label(&about, "lblURL_1")->text(), "ラステル・プロジェクト");
    EXPECT_EQ(Label(&about, "lblURL_2")->text(), "rastel.example.org");
    auto* address = about.findChild<QLineEdit*>("tbxURL");
    EXPECT_EQ(address->text(), kPage);
    EXPECT_GE(address->width(), address->fontMetrics().horizontalAdvance(kPage))
        << "the address is cut off";

    // Every showing fills the version in again.
    about.close();
    Label(&about, "lblVersion")->clear();
    about.show();
    ExpectIdentity(&about);
}

TEST_F(AboutWindow, TheBannerTheNamesAndADoubleClickOnTheAddressOpenThePage) {
    const QCursor hand = Label(&about, "imgURLlogo")->cursor();
    for (const char* name : {"imgURLlogo", "lblURL_0", "lblURL_1", "lblURL_2"}) {
        EXPECT_EQ(Child(name)->cursor().pixmap().toImage(), hand.pixmap().toImage()) << name;
        ClickOn(Child(name));
        EXPECT_EQ(opened, QStringList{kPage}) << name;
        opened.clear();
    }
    ClickOn(Child("tbxURL"));
    EXPECT_TRUE(opened.isEmpty()) << "a single click on the address opened the page";
    ClickOn(Child("tbxURL"), true);
    EXPECT_EQ(opened, QStringList{kPage});
    opened.clear();
    ClickOn(Child("lblURL_1"), true);  // one page, not two
    EXPECT_EQ(opened, QStringList{kPage});

    // An opening that fails shows nothing and leaves the window as it was.
    toolkit::SetWebPageOpener([](const QString&) { throw std::runtime_error("no browser"); });
    ClickOn(Child("imgURLlogo"));
    EXPECT_EQ(QApplication::activeModalWidget(), &about);
    const QWidgetList windows = QApplication::topLevelWidgets();
    EXPECT_EQ(std::count_if(windows.begin(), windows.end(), [](auto w) { return w->isVisible(); }),
              2)
        << "something besides the owner and the about window appeared";
}

TEST_F(AboutWindow, TheCloseButtonAndItsAccessKeyEndTheModalShowing) {
    about.close();
    for (const bool byKey : {false, true}) {
        testing::WhenModal<frmAbout2> user([byKey](frmAbout2* w) {
            byKey ? QTest::keyClick(w, Qt::Key_C, Qt::AltModifier)
                  : QTest::mouseClick(w->findChild<QPushButton*>("cmdCLOSE"), Qt::LeftButton);
        });
        about.exec();
        EXPECT_FALSE(about.isVisible()) << byKey;
    }
}

}  // namespace
}  // namespace rastel
