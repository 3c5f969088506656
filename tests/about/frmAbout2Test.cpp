#include "ModalScript.h"
#include "about/frmAbout2.h"
#include "toolkit/ControlArray.h"
#include "toolkit/WebLink.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <stdexcept>

namespace rastel {
namespace {

const QString kPage = "https://rastel.example.org/";

// Catches the pages the window asks to open instead of starting a browser.
struct CapturedPages {
    CapturedPages() {
        previous = toolkit::SetWebPageOpener([this](const QString& address) { opened << address; });
    }
    ~CapturedPages() { toolkit::SetWebPageOpener(previous); }
    QStringList opened;
    toolkit::WebPageOpener previous;
};

class AboutWindow : public ::testing::Test {
  protected:
    void SetUp() override {
        owner.setGeometry(100, 120, 640, 480);
        owner.show();
        about.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&about));
    }

    template <class T>
    T* child(const char* name) {
        auto* found = about.findChild<T*>(name);
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    QLabel* url(int index) {
        auto* found = toolkit::Element<QLabel>(&about, "lblURL", index);
        EXPECT_NE(found, nullptr) << "lblURL(" << index << ")";
        return found;
    }

    // Through the window, as a user's click lands: on whatever lies on top at that point.
    void clickOn(QWidget* target) {
        QTest::mouseClick(about.windowHandle(), Qt::LeftButton, {},
                          target->mapTo(&about, target->rect().center()));
    }
    void doubleClickOn(QWidget* target) {
        QTest::mouseDClick(about.windowHandle(), Qt::LeftButton, {},
                           target->mapTo(&about, target->rect().center()));
    }

    QWidget owner;
    frmAbout2 about{&owner};
};

TEST_F(AboutWindow, IsAFixedDialogCentredOnItsOwnerWithTheLinkBoxUnderTheIdentity) {
    EXPECT_EQ(about.windowTitle(), "Rastelについて...");
    EXPECT_EQ(about.size(), QSize(404, 247));
    EXPECT_EQ(about.minimumSize(), about.maximumSize());
    EXPECT_FALSE(about.windowFlags() &
                 (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    EXPECT_TRUE(about.isModal());
    EXPECT_LE((about.geometry().center() - owner.geometry().center()).manhattanLength(), 2);

    EXPECT_EQ(child<QPushButton>("cmdCLOSE")->text(), "閉じる(&C)");
    EXPECT_EQ(child<QGroupBox>("Frame2")->title(), "頒布元と最新情報はこちら...");
    EXPECT_EQ(url(0)->text(), "Rastel Project");
    EXPECT_EQ(url(1)->text(), "ラステル・プロジェクト");
    EXPECT_EQ(url(2)->text(), "rastel.example.org");
    auto* address = child<QLineEdit>("tbxURL");
    EXPECT_EQ(address->text(), kPage);
    EXPECT_GE(address->width(), address->fontMetrics().horizontalAdvance(kPage))
        << "the address is cut off";
    EXPECT_EQ(address->palette().color(QPalette::Text), QColor(Qt::blue));
}

TEST_F(AboutWindow, EveryShowingFillsTheVersionAgainAndTheNamesShowTheBannersHand) {
    auto* version = child<QLabel>("lblVersion");
    auto* revision = child<QLabel>("lblRevision");
    about.close();
    version->clear();
    revision->clear();
    about.show();
    EXPECT_EQ(version->text(), "Version 1.1");
    EXPECT_EQ(revision->text(), "Revision 24");

    const QCursor hand = child<QLabel>("imgURLlogo")->cursor();
    EXPECT_EQ(hand.shape(), Qt::BitmapCursor);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(url(i)->cursor().pixmap().toImage(), hand.pixmap().toImage()) << i;
    }
}

TEST_F(AboutWindow, TheBannerTheNamesAndADoubleClickOnTheAddressOpenThePage) {
    CapturedPages pages;
    for (QWidget* target : QList<QWidget*>{child<QWidget>("imgURLlogo"), url(0), url(1), url(2)}) {
        clickOn(target);
        EXPECT_EQ(pages.opened, QStringList{kPage}) << target->objectName().toStdString();
        pages.opened.clear();
    }

    auto* address = child<QLineEdit>("tbxURL");
    clickOn(address);
    EXPECT_TRUE(pages.opened.isEmpty()) << "a single click on the address opened the page";
    doubleClickOn(address);
    EXPECT_EQ(pages.opened, QStringList{kPage});
    pages.opened.clear();

    // A double click on a name is one click, not two pages.
    doubleClickOn(url(1));
    EXPECT_EQ(pages.opened, QStringList{kPage});
    EXPECT_TRUE(about.isVisible());
}

TEST_F(AboutWindow, AFailedOpeningShowsNothingAndLeavesTheWindowAsItWas) {
    const toolkit::WebPageOpener previous = toolkit::SetWebPageOpener(
        [](const QString&) { throw std::runtime_error("no handler for web addresses"); });
    clickOn(child<QWidget>("imgURLlogo"));
    toolkit::SetWebPageOpener(previous);

    // And the system's own opener, which here has no handler at all.
    clickOn(url(0));
    QCoreApplication::processEvents();

    EXPECT_TRUE(about.isVisible());
    EXPECT_EQ(QApplication::activeModalWidget(), &about);
    int shown = 0;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        shown += window->isVisible() ? 1 : 0;
    }
    EXPECT_EQ(shown, 2) << "something besides the owner and the about window appeared";
}

TEST_F(AboutWindow, TheCloseButtonAndItsMnemonicEndTheModalShowing) {
    about.close();
    for (const bool byKey : {false, true}) {
        SCOPED_TRACE(byKey ? "Alt+C" : "click");
        testing::Watchdog watchdog(&about);
        testing::OnceModal(&about, [&] {
            if (byKey) {
                QTest::keyClick(&about, Qt::Key_C, Qt::AltModifier);
            } else {
                QTest::mouseClick(child<QPushButton>("cmdCLOSE"), Qt::LeftButton);
            }
        });
        about.exec();
        EXPECT_FALSE(watchdog.fired);
        EXPECT_FALSE(about.isVisible());
    }
}

}  // namespace
}  // namespace rastel
