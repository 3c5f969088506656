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

using testing::OnceModal;
using testing::Watchdog;

QPoint CentreIn(QWidget* window, QWidget* target) {
    return target->mapTo(window, target->rect().center());
}

TEST(frmAbout1, LaysOutTheIdentityOnAWhiteFramelessWindowCentredOnTheScreen) {
    frmAbout1 splash;
    splash.show();
    EXPECT_EQ(splash.size(), QSize(400, 133));
    EXPECT_EQ(splash.windowType(), Qt::SplashScreen);  // no title, no task bar entry
    EXPECT_TRUE(splash.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(splash.palette().color(QPalette::Window), QColor(Qt::white));
    const QPoint screenCentre = QGuiApplication::primaryScreen()->availableGeometry().center();
    EXPECT_LE((splash.geometry().center() - screenCentre).manhattanLength(), 2);

    struct Item {
        const char* name;
        QRect geometry;
        QString text;
    };
    const Item items[] = {
        {"picIcon", {0, 0, 132, 132}, ""},
        {"lblVersion", {314, 8, 79, 16}, "Version 1.1"},
        {"lblRevision", {301, 24, 94, 16}, "Revision 24"},
        {"Label1", {144, 40, 143, 14}, "Rastel developers"},
        {"lblDescription",
         {136, 72, 259, 46},
         "このプログラムを使用した結果いかなる不都合が発生しても作者は一切の責任を負いかねます。"
         "詳しくは添付ドキュメントをご覧ください。"},
    };
    for (const Item& item : items) {
        SCOPED_TRACE(item.name);
        auto* label = splash.findChild<QLabel*>(item.name);
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(label->geometry(), item.geometry);
        EXPECT_EQ(label->text(), item.text);
    }

    auto* title = splash.findChild<QLabel*>("lblTitle");
    EXPECT_EQ(title->text(), "Rastel");
    EXPECT_EQ(title->pos(), QPoint(136, 0));
    EXPECT_EQ(title->height(), 46);
    EXPECT_GE(title->width(), 112);
    EXPECT_LE(title->sizeHint().width(), title->width()) << "the name is clipped";
    EXPECT_EQ(title->font().family(), "Arial");
    EXPECT_TRUE(title->font().bold());
    EXPECT_EQ(title->font().pointSize(), 30);
    for (const char* name : {"lblVersion", "lblRevision", "Label1"}) {
        EXPECT_TRUE(splash.findChild<QLabel*>(name)->font().bold()) << name;
    }

    auto* description = splash.findChild<QLabel*>("lblDescription");
    EXPECT_LE(description->heightForWidth(description->width()), description->height())
        << "the disclaimer is cut off";
    EXPECT_EQ(splash.findChild<QLabel*>("picIcon")->pixmap().toImage(), about::Logo().toImage());
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

TEST(frmAbout1, AClickEndsTheModalWait) {
    frmAbout1 splash;
    // Only the click can end the wait now.
    splash.findChild<QTimer*>("Timer1")->setInterval(10 * 60 * 1000);
    Watchdog watchdog(&splash);
    OnceModal(&splash,
              [&] { QTest::mouseClick(splash.findChild<QWidget*>("lblTitle"), Qt::LeftButton); });
    splash.exec();
    EXPECT_FALSE(watchdog.fired);
}

}  // namespace
}  // namespace rastel
