#include "toolkit/Validation.h"

#include <gtest/gtest.h>

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <memory>

#include "toolkit/EventTap.h"

namespace rastel::toolkit {
namespace {

// A dialog whose field `a` refuses to be left while empty.
struct Form {
    QDialog dialog;
    QLineEdit* a = new QLineEdit(&dialog);
    QLabel* label = new QLabel(QStringLiteral("&B"), &dialog);
    QLineEdit* b = new QLineEdit(&dialog);
    QPushButton* ok = new QPushButton(QStringLiteral("OK"), &dialog);
    QPushButton* cancel = new QPushButton(QStringLiteral("Cancel"), &dialog);
    int validations = 0;
    int okClicks = 0;
    int cancelClicks = 0;

    Form() {
        a->setGeometry(0, 0, 80, 20);
        label->setGeometry(0, 30, 20, 20);
        label->setBuddy(b);
        b->setGeometry(20, 30, 60, 20);
        ok->setGeometry(0, 60, 80, 20);
        ok->setDefault(true);
        cancel->setGeometry(0, 90, 80, 20);
        SetCausesValidation(cancel, false);
        QWidget::setTabOrder(cancel, ok);  // so Shift+Tab from a goes to ok, which validates
        QObject::connect(Events(a), &EventTap::validate, [this](bool* refuse) {
            ++validations;
            *refuse = a->text().isEmpty();
        });
        QObject::connect(ok, &QPushButton::clicked, [this] { ++okClicks; });
        QObject::connect(cancel, &QPushButton::clicked, [this] { ++cancelClicks; });
        dialog.resize(120, 120);
        dialog.show();
        dialog.activateWindow();
        a->setFocus();
    }
};

class Validation : public ::testing::Test {
  protected:
    void SetUp() override {
        form = std::make_unique<Form>();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&form->dialog));
        ASSERT_TRUE(QTest::qWaitFor([&] { return form->a->hasFocus(); }));
    }
    std::unique_ptr<Form> form;
};

void ClickThroughWindow(QWidget* w) {
    QTest::mouseClick(w->window()->windowHandle(), Qt::LeftButton, {},
                      w->mapTo(w->window(), w->rect().center()));
}

TEST_F(Validation, PressesOnAControlThatValidatesAreRefusedWhileTheFieldIsBad) {
    for (const bool throughWindow : {false, true}) {
        SCOPED_TRACE(throughWindow ? "through the window" : "on the widget");
        form->a->clear();
        const int before = form->validations;
        throughWindow ? ClickThroughWindow(form->ok) : QTest::mouseClick(form->ok, Qt::LeftButton);
        throughWindow ? ClickThroughWindow(form->b) : QTest::mouseClick(form->b, Qt::LeftButton);
        EXPECT_TRUE(form->a->hasFocus());
        EXPECT_EQ(form->okClicks, 0);
        EXPECT_EQ(form->validations, before + 2);

        form->a->setText(QStringLiteral("1"));
        throughWindow ? ClickThroughWindow(form->ok) : QTest::mouseClick(form->ok, Qt::LeftButton);
        EXPECT_EQ(form->okClicks, 1);
        EXPECT_EQ(form->validations, before + 3);  // asked once, not again on the focus change
        form->okClicks = 0;
        form->a->setFocus();
    }
}

TEST_F(Validation, KeysThatMoveTheFocusAreRefused) {
    const struct {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        const char* name;
    } keys[] = {
        {Qt::Key_Tab, Qt::NoModifier, "Tab"},
        {Qt::Key_Backtab, Qt::ShiftModifier, "Shift+Tab"},
        {Qt::Key_B, Qt::AltModifier, "access key of b"},
        {Qt::Key_Return, Qt::NoModifier, "Enter on the default button"},
    };
    for (const auto& k : keys) {
        QTest::keyClick(form->a, k.key, k.modifiers);
        EXPECT_TRUE(form->a->hasFocus()) << k.name;
    }
    EXPECT_EQ(form->validations, 4);
    EXPECT_EQ(form->okClicks, 0);

    form->a->setText(QStringLiteral("1"));
    QTest::keyClick(form->a, Qt::Key_B, Qt::AltModifier);
    EXPECT_TRUE(form->b->hasFocus());
}

// Focus moved by code is put back; menu commands ask; a button that does not validate takes
// the focus from a bad field.
TEST_F(Validation, OtherRoutesOutOfABadField) {
    form->b->setFocus();
    EXPECT_TRUE(form->a->hasFocus());
    EXPECT_FALSE(ValidateActiveField());
    QTest::mouseClick(form->cancel, Qt::LeftButton);
    EXPECT_EQ(form->cancelClicks, 1);
    EXPECT_TRUE(form->cancel->hasFocus());
    EXPECT_EQ(form->validations, 2);
    form->a->setText(QStringLiteral("1"));
    form->a->setFocus();
    EXPECT_TRUE(ValidateActiveField());
    form->b->setFocus();
    EXPECT_TRUE(form->b->hasFocus());
}

}  // namespace
}  // namespace rastel::toolkit
