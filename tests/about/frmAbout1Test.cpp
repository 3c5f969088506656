#include "ModalScript.h"
#include "about/Artwork.h"
#include "about/frmAbout1.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QTest>
#include <QTimer>

namespace rastel {
namespace {

using testing::Watchdog;

QPoint CentreIn(QWidget* window, QWidget* target) {
    return target->mapTo(window, target->rect().center());
}

TEST(frmAbout1, ShowsTheIdentityWholeOnAFramelessWindowCentredOnTheScreen) {
    frmAbout1 splash;
    splash.show();
    EXPECT_EQ(splash.size(), QSize(400, 133));
    EXPECT_EQ(splash.windowType(), Qt::SplashScreen);  // no title, no task bar entry
    EXPECT_TRUE(splash.windowFlags() & Qt::FramelessWindowHint);
    const QPoint screenCentre = QGuiApplication::primaryScreen()->availableGeometry().center();
    EXPECT_LE((splash.geometry().center() - screenCentre).manhattanLength(), 2);

    const auto label = [&](const char* name) { return splash.findChild<QLabel*>(name); };
    EXPECT_EQ(label("lblTitle")->text(), "Rastel");
    EXPECT_EQ(label("lblVersion")->text(), "Version 1.1");
    EXPECT_EQ(label("lblRevision")->text(), "Revision 24");
    EXPECT_EQ(label("Label1")->text(), "Rastel developers");
    EXPECT_EQ(
        label("lblDescription")->text(),
        "このプログラムを使用した結果いかなる不都合が発生しても作者は一切の責任を負いかねます。"
        "詳しくは添付ドキュメントをご覧ください。");
    EXPECT_EQ(label("picIcon")->pixmap().toImage(), about::Logo().toImage());

    EXPECT_LE(label("lblTitle")->sizeHint().width(), label("lblTitle")->width())
        << "the name is clipped";
    auto* description = label("lblDescription");
    EXPECT_LE(description->heightForWidth(description->width()), description->height())
        << "the disclaimer is cut off";
}

TEST(frmAbout1, ClosesByItselfWhenLeftAlone) {
    frmAbout1 splash;
    auto* timer = splash.findChild<QTimer*>("Timer1");
    ASSERT_NE(timer, nullptr);
    Watchdog watchdog(&splash);
    bool runningWhenShown = false;
    QTimer::singleShot(0, &splash, [&] { runningWhenShown = timer->isActive(); });
    splash.exec();
    EXPECT_TRUE(runningWhenShown);
    EXPECT_EQ(timer->interval(), 2000);
    EXPECT_FALSE(watchdog.fired) << "the splash stayed open";
    EXPECT_FALSE(splash.isVisible());
}

TEST(frmAbout1, AClickOnTheBackgroundOrAnyItemClosesItAtOnce) {
    for (const char* name :
         {"", "picIcon", "lblTitle", "lblVersion", "lblRevision", "Label1", "lblDescription"}) {
        SCOPED_TRACE(*name ? name : "background");
        frmAbout1 splash;
        splash.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&splash));
        QPoint at(398, 130);  // bare background
        if (*name) {
            at = CentreIn(&splash, splash.findChild<QWidget*>(name));
        }
        QTest::mouseClick(splash.windowHandle(), Qt::LeftButton, {}, at);
        EXPECT_FALSE(splash.isVisible());
        EXPECT_FALSE(splash.findChild<QTimer*>("Timer1")->isActive())
            << "the closed splash would still run its timer";
    }
}

}  // namespace
}  // namespace rastel
