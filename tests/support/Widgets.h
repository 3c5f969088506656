// What the widget tests share: GoogleTest, Qt Test and the widgets they find and drive.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

#include "toolkit/ControlArray.h"

namespace rastel::testing {

// A fresh window of type W for each test, shown and active, its controls found by name or by
// array name and index.
template <class W>
class WindowTest : public ::testing::Test {
  protected:
    template <class... Args>
    void Open(Args&&... args) {
        window = std::make_unique<W>(std::forward<Args>(args)...);
        window->show();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }
    template <class T = QLineEdit>
    T* Get(const char* name, int index = -1) const {
        T* w = index < 0 ? window->template findChild<T*>(name)
                         : toolkit::Element<T>(window.get(), name, index);
        EXPECT_NE(w, nullptr) << name << index;
        return w;
    }
    static void Click(QWidget* w) { QTest::mouseClick(w, Qt::LeftButton); }

    std::unique_ptr<W> window;
};

}  // namespace rastel::testing
