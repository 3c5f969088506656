#include "palette/frmCLUT.h"

#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <algorithm>
#include <optional>

#include "image/pixels/modCLUT.h"
#include "image/rules/FieldRules.h"
#include "toolkit/ControlArray.h"
#include "toolkit/DoEvents.h"
#include "toolkit/EventTap.h"
#include "toolkit/Fonts.h"
#include "toolkit/Shape.h"
#include "toolkit/Tag.h"

namespace rastel {

using modCLUT::gCustomPal;
using toolkit::ElementName;
using toolkit::Events;
using toolkit::EventTap;
using toolkit::Shape;

namespace {

constexpr QRect kSwatch0(8, 28, 18, 15);

template <typename T, typename... Args>
T* Make(QWidget* parent, const QString& name, QRect geometry, Args&&... args) {
    T* control = new T(std::forward<Args>(args)..., parent);
    control->setObjectName(name);
    control->setGeometry(geometry);
    return control;
}

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& caption, QRect geometry) {
    QPushButton* button = Make<QPushButton>(parent, name, geometry, caption);
    button->setAutoDefault(false);  // Enter in a field presses nothing here
    return button;
}

std::optional<int> ByteValue(const QString& text) {
    return fieldRules::ByteValue(text.toStdString());
}

// A gradient end as the selections write it: plain decimal 0..255, nothing else.
std::optional<int> EndIndex(const QLineEdit* field) {
    const std::optional<int> index = ByteValue(field->text());
    return index && QString::number(*index) == field->text() ? index : std::nullopt;
}

// 1 for the left button, 2 for the right; the others act as the left.
int ButtonCode(Qt::MouseButton button) {
    return button == Qt::RightButton ? 2 : 1;
}

QColor ColorOf(const modBITMAPinfo::RGBQUAD& c) {
    return QColor(c.rgbRed, c.rgbGreen, c.rgbBlue);
}

}  // namespace

frmCLUT::frmCLUT(QWidget* owner) : QDialog(owner) {
    createControls();
    wireEvents();
    Form_Load();
}

void frmCLUT::createControls() {
    setWindowTitle(QStringLiteral("パレットウインドウ"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setFixedSize(540, 372);
    setFont(toolkit::DialogFont());
    createSwatchControls();
    createEditControls();
    createGradientControls();
    createBottomControls();
}

void frmCLUT::createSwatchControls() {
    Label1 = Make<QLabel>(this, "Label1", QRect(8, 8, 289, 17));
    Label1->setFont(toolkit::MsGothic(9));
    // Swatches 1..255 and their hit areas stay hidden until the build-up places them. The
    // frame lies above the swatches and below the hit areas, which take every press.
    for (int i = 0; i < kEntries; ++i) {
        Shape1[i] = Make<Shape>(this, ElementName("Shape1", i), kSwatch0);
        Shape1[i]->setVisible(i == 0);
    }
    ShapeC = Make<Shape>(this, "ShapeC", kSwatch0);
    ShapeC->setBorder(Qt::red, 3);
    for (int i = 0; i < kEntries; ++i) {
        Image1[i] = Make<QWidget>(this, ElementName("Image1", i), QRect());
        Image1[i]->setMouseTracking(true);
        Image1[i]->setVisible(i == 0);
    }
}

void frmCLUT::createEditControls() {
    Frame1 = Make<QGroupBox>(this, "Frame1", QRect(312, 8, 225, 121), QStringLiteral("編集"));
    Label2 = Make<QLabel>(Frame1, "Label2", QRect(8, 19, 60, 17), QStringLiteral("色番号(&N)："));
    tbxCOLINDEX = Make<QLineEdit>(Frame1, "tbxCOLINDEX", QRect(68, 16, 41, 18));
    Label2->setBuddy(tbxCOLINDEX);
    Shape2 = Make<Shape>(Frame1, "Shape2", QRect(114, 16, 91, 17));
    Shape2->setFillColor(Qt::black);
    const QString captions[] = {QStringLiteral("&R"), QStringLiteral("&G"), QStringLiteral("&B")};
    for (int k = 0; k < 3; ++k) {
        const int top = 40 + 24 * k;
        lblCOLOR[k] = Make<QLabel>(Frame1, ElementName("lblCOLOR", k), QRect(8, top + 3, 13, 17),
                                   captions[k]);
        tbxCOLOR[k] = Make<QLineEdit>(Frame1, ElementName("tbxCOLOR", k), QRect(21, top, 41, 18));
        lblCOLOR[k]->setBuddy(tbxCOLOR[k]);
        scrCOLOR[k] = Make<QScrollBar>(Frame1, ElementName("scrCOLOR", k), QRect(69, top, 137, 17),
                                       Qt::Horizontal);
        scrCOLOR[k]->setRange(0, 255);
        scrCOLOR[k]->setSingleStep(1);
        scrCOLOR[k]->setPageStep(1);
        // The value changes when the thumb is let go; while it is dragged, the scroll event
        // follows it, as with any scroll bar with a separate scroll and change event.
        scrCOLOR[k]->setTracking(false);
    }
    for (QLineEdit* field : {tbxCOLINDEX, tbxCOLOR[0], tbxCOLOR[1], tbxCOLOR[2]}) {
        field->setText(QStringLiteral("0"));
        toolkit::SetTag(field, field->text());
    }
}

void frmCLUT::createGradientControls() {
    Frame2 =
        Make<QGroupBox>(this, "Frame2", QRect(312, 136, 225, 81), QStringLiteral("グラデーション"));
    Frame3 = Make<QWidget>(Frame2, "Frame3", QRect(8, 16, 81, 33));
    optGRD[0] = Make<QRadioButton>(Frame3, ElementName("optGRD", 0), QRect(0, 0, 81, 17),
                                   QStringLiteral("ここから(&A)"));
    optGRD[1] = Make<QRadioButton>(Frame3, ElementName("optGRD", 1), QRect(0, 16, 81, 17),
                                   QStringLiteral("ここまで(&Z)"));
    optGRD[0]->setChecked(true);
    // Shown as labels and written only by the selections, so the gradient always gets indices.
    tbxGRDA = Make<QLineEdit>(Frame2, "tbxGRDA", QRect(88, 16, 57, 18), QStringLiteral("0"));
    tbxGRDZ = Make<QLineEdit>(Frame2, "tbxGRDZ", QRect(88, 32, 57, 18), QStringLiteral("255"));
    for (QLineEdit* end : {tbxGRDA, tbxGRDZ}) {
        end->setFrame(false);
        end->setReadOnly(true);
        end->setFocusPolicy(Qt::NoFocus);
        QPalette colors = end->palette();
        colors.setColor(QPalette::Base, colors.color(QPalette::Window));
        end->setPalette(colors);
    }
    cmdGRD = MakeButton(Frame2, "cmdGRD", QStringLiteral("グラデーションする(&P)"),
                        QRect(88, 56, 129, 17));
    lblNOP = Make<QLabel>(this, "lblNOP", QRect(316, 224, 216, 28),
                          QStringLiteral("パレットを右クリックすると始点終点選択を反転できます"));
    lblNOP->setWordWrap(true);
}

void frmCLUT::createBottomControls() {
    // The palette file controls react to nothing.
    Frame4 = Make<QGroupBox>(this, "Frame4", QRect(8, 280, 529, 89), QStringLiteral("Frame4"));
    Combo1 = Make<QComboBox>(Frame4, "Combo1", QRect(8, 16, 313, 20));
    Combo1->setEditable(true);
    Combo1->setEditText(QStringLiteral("Combo1"));
    Command4 =
        MakeButton(Frame4, "Command4", QStringLiteral("読み込む(&L)"), QRect(328, 16, 105, 25));
    Command5 =
        MakeButton(Frame4, "Command5", QStringLiteral("インポート(&I)"), QRect(328, 40, 105, 25));
    Command1 = MakeButton(Frame4, "Command1", QStringLiteral("削除(&D)"), QRect(8, 40, 89, 25));
    Command2 =
        MakeButton(Frame4, "Command2", QStringLiteral("名前を変更(&T)"), QRect(104, 40, 105, 25));
    Command3 =
        MakeButton(Frame4, "Command3", QStringLiteral("新規保存(&S)"), QRect(216, 40, 105, 25));
    cmdEXIT = MakeButton(Frame4, "cmdEXIT", QStringLiteral("閉じる(&C)"), QRect(440, 16, 81, 49));
}

void frmCLUT::wireEvents() {
    for (int i = 0; i < kEntries; ++i) {
        connect(Events(Image1[i]), &EventTap::mouseDown, this,
                [this, i](Qt::MouseButton b) { Image1_MouseDown(i, ButtonCode(b)); });
        connect(Events(Image1[i]), &EventTap::mouseMove, this, [this, i] { Image1_MouseMove(i); });
    }
    connect(tbxCOLINDEX, &QLineEdit::textChanged, this, &frmCLUT::tbxCOLINDEX_Change);
    connect(Events(tbxCOLINDEX), &EventTap::keyDown, this, &frmCLUT::tbxCOLINDEX_KeyDown);
    connect(Events(tbxCOLINDEX), &EventTap::validate, this, &frmCLUT::tbxCOLINDEX_Validate);
    for (int k = 0; k < 3; ++k) {
        connect(tbxCOLOR[k], &QLineEdit::textChanged, this, [this, k] { tbxCOLOR_Change(k); });
        connect(Events(tbxCOLOR[k]), &EventTap::keyDown, this,
                [this, k](int key) { tbxCOLOR_KeyDown(k, key); });
        connect(Events(tbxCOLOR[k]), &EventTap::validate, this,
                [this, k](bool* cancel) { tbxCOLOR_Validate(k, cancel); });
        connect(scrCOLOR[k], &QScrollBar::valueChanged, this, [this, k] { scrCOLOR_Change(k); });
        connect(scrCOLOR[k], &QScrollBar::sliderMoved, this, [this, k] { scrCOLOR_Scroll(k); });
    }
    connect(cmdGRD, &QPushButton::clicked, this, &frmCLUT::cmdGRD_Click);
    connect(cmdEXIT, &QPushButton::clicked, this, &frmCLUT::cmdEXIT_Click);
}

void frmCLUT::Form_Load() {
    Image1[0]->setGeometry(Shape1[0]->geometry());
    const QRect cell0 = Shape1[0]->geometry();
    for (int i = 1; i < kEntries; ++i) {
        const QRect cell = cell0.translated(cell0.width() * (i % 16), cell0.height() * (i / 16));
        Shape1[i]->setGeometry(cell);
        Image1[i]->setGeometry(cell);
        Shape1[i]->setFillColor(QColor(i, 0, 0));
        Shape1[i]->show();
        Image1[i]->show();
        // Drawn cell by cell; no click may reach a half-built window.
        toolkit::DoEvents(QEventLoop::ExcludeUserInputEvents);
    }
    Image1_MouseDown(ByteValue(tbxCOLINDEX->text()).value_or(0), 0);
    colorset();
}

void frmCLUT::colorset() {
    for (int i = 0; i < kEntries; ++i) {
        Shape1[i]->setFillColor(ColorOf(gCustomPal.colors[i]));
    }
}

void frmCLUT::Image1_MouseDown(int index, int button) {
    if (index < 0 || index >= kEntries) {
        return;
    }
    const bool press = !mSelecting;
    mSelecting = true;
    ShapeC->setGeometry(Shape1[index]->geometry());
    // Names the entry before the scroll bars move, so their changes write into this entry.
    tbxCOLINDEX->setText(QString::number(index));
    if (press) {
        if (button == 2) {
            optGRD[optGRD[0]->isChecked() ? 1 : 0]->setChecked(true);
        }
        (optGRD[0]->isChecked() ? tbxGRDA : tbxGRDZ)->setText(QString::number(index));
    }
    const modBITMAPinfo::RGBQUAD color = gCustomPal.colors[index];
    scrCOLOR[0]->setValue(color.rgbRed);
    scrCOLOR[1]->setValue(color.rgbGreen);
    scrCOLOR[2]->setValue(color.rgbBlue);
    FillPreview();
    mSelecting = !press;
}

void frmCLUT::Image1_MouseMove(int index) {
    Label1->setText(QString::fromStdString(modCLUT::ReadoutText(index, gCustomPal.colors[index])));
}

void frmCLUT::tbxCOLINDEX_Change() {
    const QString text = tbxCOLINDEX->text();
    if (text.isEmpty()) {
        return;  // while typing
    }
    const std::optional<int> index = ByteValue(text);
    if (!index) {
        RevertToTag(tbxCOLINDEX);
        return;
    }
    const QString normal = QString::number(*index);
    if (normal != text) {
        tbxCOLINDEX->setText(normal);  // its own change does the rest
        return;
    }
    toolkit::SetTag(tbxCOLINDEX, text);
    if (!mReverting) {
        Image1_MouseDown(*index, 0);
    }
}

void frmCLUT::tbxCOLINDEX_KeyDown(int key) {
    if (key != Qt::Key_Up && key != Qt::Key_Down) {
        return;
    }
    const std::optional<double> value = fieldRules::ParseNumber(tbxCOLINDEX->text().toStdString());
    const qint64 base =
        value ? fieldRules::WholePart(*value) : toolkit::Tag(tbxCOLINDEX).toLongLong();
    tbxCOLINDEX->setText(QString::number(base + (key == Qt::Key_Up ? 1 : -1)));
}

void frmCLUT::tbxCOLINDEX_Validate(bool* cancel) {
    const std::optional<int> index = ByteValue(tbxCOLINDEX->text());
    if (!index) {
        *cancel = true;
        return;
    }
    tbxCOLINDEX->setText(QString::number(*index));
}

void frmCLUT::tbxCOLOR_Change(int k) {
    const QString text = tbxCOLOR[k]->text();
    if (text.isEmpty()) {
        return;  // while typing
    }
    const std::optional<int> value = ByteValue(text);
    if (!value) {
        RevertToTag(tbxCOLOR[k]);
        return;
    }
    tbxCOLOR[k]->setText(QString::number(*value));
    toolkit::SetTag(tbxCOLOR[k], tbxCOLOR[k]->text());
}

void frmCLUT::tbxCOLOR_KeyDown(int k, int key) {
    const bool up = key == Qt::Key_Up || key == Qt::Key_Right;
    const bool down = key == Qt::Key_Down || key == Qt::Key_Left;
    if (!up && !down) {
        return;
    }
    QScrollBar* bar = scrCOLOR[k];
    const std::optional<double> value = fieldRules::ParseNumber(tbxCOLOR[k]->text().toStdString());
    if (value) {
        const int typed =
            static_cast<int>(std::clamp<qint64>(fieldRules::WholePart(*value), 0, 255));
        if (typed != bar->value()) {
            bar->setValue(typed);
        }
        if (up && bar->value() < 255) {
            bar->setValue(bar->value() + 1);
        } else if (down && bar->value() > 0) {
            bar->setValue(bar->value() - 1);
        }
    } else if (key == Qt::Key_Up || key == Qt::Key_Down) {
        const int last = toolkit::Tag(tbxCOLOR[k]).toInt();
        tbxCOLOR[k]->setText(QString::number(last + (key == Qt::Key_Up ? 1 : -1)));
    }
}

void frmCLUT::tbxCOLOR_Validate(int k, bool* cancel) {
    const std::optional<int> value = ByteValue(tbxCOLOR[k]->text());
    if (!value) {
        *cancel = true;
        return;
    }
    tbxCOLOR[k]->setText(QString::number(*value));
    scrCOLOR[k]->setValue(*value);
    FillPreview();
}

void frmCLUT::scrCOLOR_Change(int k) {
    ComponentChange(k);
}

void frmCLUT::scrCOLOR_Scroll(int k) {
    ComponentChange(k);
}

void frmCLUT::ComponentChange(int k) {
    // The thumb's position: while it is dragged the value has not moved yet.
    tbxCOLOR[k]->setText(QString::number(scrCOLOR[k]->sliderPosition()));
    FillPreview();
    toolkit::DoEvents(QEventLoop::ExcludeUserInputEvents);
    // No entry is named while the index field is being retyped; the palette stays as it is.
    const std::optional<int> index = ByteValue(tbxCOLINDEX->text());
    const std::optional<int> value = ByteValue(tbxCOLOR[k]->text());
    if (index && value) {
        modBITMAPinfo::RGBQUAD& entry = gCustomPal.colors[*index];
        std::uint8_t* components[] = {&entry.rgbRed, &entry.rgbGreen, &entry.rgbBlue};
        *components[k] = static_cast<std::uint8_t>(*value);
    }
    colorset();
}

void frmCLUT::FillPreview() {
    Shape2->setFillColor(QColor(scrCOLOR[0]->sliderPosition(), scrCOLOR[1]->sliderPosition(),
                                scrCOLOR[2]->sliderPosition()));
}

void frmCLUT::RevertToTag(QLineEdit* field) {
    mReverting = true;
    field->setText(toolkit::Tag(field));
    mReverting = false;
}

void frmCLUT::cmdGRD_Click() {
    const std::optional<int> a = EndIndex(tbxGRDA);
    const std::optional<int> z = EndIndex(tbxGRDZ);
    if (a && z && modCLUT::Gradient(gCustomPal.colors, *a, *z)) {
        colorset();
    }
}

void frmCLUT::cmdEXIT_Click() {
    close();
}

}  // namespace rastel
