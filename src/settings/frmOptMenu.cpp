// The settings dialog's controls: building them, their tab order, and the one place their
// events are connected. What the handlers do lives beside this file: frmOptMenuLife.cpp
// (load, OK, Cancel), frmOptMenuFields.cpp and frmOptMenuPalette.cpp.
#include "settings/frmOptMenu.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardItemModel>

#include "image/pixels/PixelFormat.h"
#include "settings/OptMenuQt.h"
#include "settings/OptMenuTexts.h"
#include "toolkit/ControlArray.h"
#include "toolkit/EventTap.h"
#include "toolkit/Fonts.h"
#include "toolkit/Validation.h"

namespace rastel {

using toolkit::ElementName;
using toolkit::Events;

namespace {

// The dialog was laid out in twips; at 96 dpi a pixel is 15 of them.
constexpr int Px(int twips) {
    return twips / 15;
}

QRect Twips(int left, int top, int width, int height) {
    return QRect(Px(left), Px(top), Px(width), Px(height));
}

QLabel* MakeLabel(QWidget* parent, const QString& text, QRect rect) {
    auto* label = new QLabel(text, parent);
    label->setGeometry(rect);
    return label;
}

QLineEdit* MakeField(QWidget* parent, const char* name, const QString& text, QRect rect) {
    auto* field = new QLineEdit(text, parent);
    field->setObjectName(name);
    field->setGeometry(rect);
    return field;
}

// Runs an option's click handler whenever it becomes selected, by a click or by the program;
// the option that loses the selection clicks nothing.
template <class Handler>
void OnSelected(QRadioButton* option, QObject* context, Handler handler) {
    QObject::connect(option, &QRadioButton::toggled, context, [handler](bool on) {
        if (on) {
            handler();
        }
    });
}

}  // namespace

frmOptMenu::frmOptMenu(QWidget* owner, const modBITMAPinfo::ViewChoice& start)
    : QDialog(owner, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                         Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      mChoice(start) {
    createControls();
    createTabOrder();
    wireEvents();
    Form_Load();
}

void frmOptMenu::createControls() {
    setObjectName("frmOptMenu");
    setWindowTitle("描写色とサイズ");
    setFont(toolkit::MsGothic(9));
    // The format's frame makes a column of its own right of the others.
    setFixedSize(Px(9975), Px(6240));

    lblNOP[1] = MakeLabel(this, "ファイル名:", QRect(16, 4, 120, 14));
    tbxFILENAME = MakeField(this, "tbxFILENAME", "", QRect(16, 19, 385, 16));
    lblNOP[0] = MakeLabel(this, "ファイルのサイズ:", QRect(16, 38, 110, 14));
    tbxFILESIZE = MakeField(this, "tbxFILESIZE", "", QRect(128, 37, 150, 16));
    for (QLineEdit* display : {tbxFILENAME, tbxFILESIZE}) {
        display->setReadOnly(true);
        display->setFrame(false);
        display->setFocusPolicy(Qt::NoFocus);
        QPalette colours = display->palette();
        colours.setColor(QPalette::Base, colours.color(QPalette::Button));
        colours.setColor(QPalette::Text, colours.color(QPalette::Highlight));
        display->setPalette(colours);
    }

    createSizeFrames();
    createDepthAndOffsetFrames();
    createPaletteFrame();
    createFormatFrame();

    cmdOK = new QPushButton("OK", this);
    cmdOK->setObjectName("cmdOK");
    cmdOK->setGeometry(Px(4440), Px(600), Px(1575), 22);
    cmdOK->setDefault(true);
    cmdCANCEL = new QPushButton("キャンセル", this);
    cmdCANCEL->setObjectName("cmdCANCEL");
    cmdCANCEL->setGeometry(Px(4440), Px(960), Px(1575), 22);
    cmdSETdef = new QPushButton("規定値(&D)", this);
    cmdSETdef->setObjectName("cmdSETdef");
    cmdSETdef->setGeometry(Px(4440), Px(1320), Px(1575), 22);
    cmdSETdef->setVisible(false);
    cmdSETdef->setEnabled(false);

    lblALLtips = MakeLabel(this, "TIPSです", QRect(Px(240), Px(6000), 10, 14));
    lblALLtips->setObjectName("lblALLtips");
    lblALLtips->adjustSize();

    for (std::size_t i = 0; i < lblNOP.size(); ++i) {
        if (lblNOP[i]) {
            lblNOP[i]->setObjectName(ElementName("lblNOP", static_cast<int>(i)));
        }
    }
    for (std::size_t i = 0; i < fraMENU.size(); ++i) {
        fraMENU[i]->setObjectName(ElementName("fraMENU", static_cast<int>(i)));
        // Frames show their own tip; a move over a frame must not reach the window beneath.
        fraMENU[i]->setMouseTracking(true);
        fraMENU[i]->setAttribute(Qt::WA_NoMousePropagation);
    }
    for (QWidget* w : {static_cast<QWidget*>(cbxSynXY), static_cast<QWidget*>(cmdOK),
                       static_cast<QWidget*>(cmdCANCEL), static_cast<QWidget*>(fraFORMAT)}) {
        w->setMouseTracking(true);
        w->setAttribute(Qt::WA_NoMousePropagation);
    }
    setMouseTracking(true);

    // These buttons must stay reachable from a field that holds a bad number.
    for (QWidget* w : {static_cast<QWidget*>(cmdCANCEL), static_cast<QWidget*>(cmdPALcustom),
                       static_cast<QWidget*>(cmdLIBedit), static_cast<QWidget*>(cmdSETdef)}) {
        toolkit::SetCausesValidation(w, false);
    }
    tbxWIDTH->setFocus();
}

void frmOptMenu::createSizeFrames() {
    fraMENU[4] = new QGroupBox("画像の幅と高さ", this);
    fraMENU[4]->setGeometry(Twips(240, 840, 4095, 615));
    // The width/height switch was never offered: its frame and options stay as hidden relics.
    fraMENU[3] = new QGroupBox(fraMENU[4]);
    fraMENU[3]->setGeometry(4, 14, 130, 24);
    fraMENU[3]->setFlat(true);
    fraMENU[3]->setStyleSheet("QGroupBox { border: none; }");
    optWIDHGT[0] = new QRadioButton("高さ(&H):", fraMENU[3]);
    optWIDHGT[1] = new QRadioButton("幅(&W):", fraMENU[3]);
    for (int i = 0; i < 2; ++i) {
        optWIDHGT[i]->setObjectName(ElementName("optWIDHGT", i));
        optWIDHGT[i]->setGeometry(0, 2, 60, 20);
        optWIDHGT[i]->setVisible(false);
    }
    optWIDHGT[0]->setEnabled(false);
    lblNOP[4] = MakeLabel(fraMENU[4], "幅(&W):", QRect(8, 18, 44, 14));
    tbxWIDTH = MakeField(fraMENU[4], "tbxWIDTH", "128", QRect(52, 15, 80, 20));
    lblNOP[5] = MakeLabel(fraMENU[4], "高さ(&H):", QRect(144, 18, 52, 14));
    tbxHEIGHT = MakeField(fraMENU[4], "tbxHEIGHT", "0", QRect(196, 15, 70, 20));
    lblNOP[4]->setBuddy(tbxWIDTH);
    lblNOP[5]->setBuddy(tbxHEIGHT);

    fraMENU[5] = new QGroupBox("倍率設定", this);
    fraMENU[5]->setGeometry(Twips(240, 1560, 4095, 765));
    lblNOP[6] = MakeLabel(fraMENU[5], "横(&X):", QRect(8, 18, 44, 14));
    tbxMagX = MakeField(fraMENU[5], "tbxMagX", "1", QRect(52, 15, 40, 20));
    cbxSynXY = new QCheckBox("⇔(&S)", fraMENU[5]);
    cbxSynXY->setObjectName("cbxSynXY");
    cbxSynXY->setGeometry(100, 15, 56, 20);
    cbxSynXY->setChecked(true);
    lblNOP[7] = MakeLabel(fraMENU[5], "縦(&Y):", QRect(160, 18, 36, 14));
    tbxMagY = MakeField(fraMENU[5], "tbxMagY", "1", QRect(196, 15, 40, 20));
    lblNOP[8] = MakeLabel(fraMENU[5], "※保存される画像は拡大されません", QRect(8, 36, 260, 14));
    lblNOP[6]->setBuddy(tbxMagX);
    lblNOP[7]->setBuddy(tbxMagY);
}

void frmOptMenu::createDepthAndOffsetFrames() {
    fraMENU[0] = new QGroupBox("単位（色数）", this);
    fraMENU[0]->setGeometry(Twips(240, 2400, 4095, 855));
    const char* depths[] = {"256色( 1 バイト) (&L)", "16色(1/2バイト) (&I)", "2色(1/8バイト) (&T)"};
    const QRect depthRects[] = {{6, 15, 142, 18}, {6, 35, 136, 18}, {142, 35, 130, 18}};
    for (int i = 0; i < 3; ++i) {
        optCOLBIT[i] = new QRadioButton(depths[i], fraMENU[0]);
        optCOLBIT[i]->setObjectName(ElementName("optCOLBIT", i));
        optCOLBIT[i]->setGeometry(depthRects[i]);
    }

    fraMENU[6] = new QGroupBox("オフセット", this);
    fraMENU[6]->setGeometry(Twips(4440, 2400, 1575, 1575));
    cbxOFFSET = new QCheckBox("オフセットを使う", fraMENU[6]);
    cbxOFFSET->setObjectName("cbxOFFSET");
    cbxOFFSET->setGeometry(3, 16, 101, 18);
    // The caption is wider than the frame at the dialog's own size.
    QFont small = cbxOFFSET->font();
    small.setPixelSize(10);
    cbxOFFSET->setFont(small);
    lblNOP[9] = MakeLabel(fraMENU[6], "開始位置(&A)", QRect(6, 38, 90, 14));
    tbxOFFa = MakeField(fraMENU[6], "tbxOFFa", "0", QRect(6, 53, 92, 20));
    lblNOP[10] = MakeLabel(fraMENU[6], "終了位置(&Z)", QRect(6, 76, 90, 14));
    tbxOFFz = MakeField(fraMENU[6], "tbxOFFz", "-", QRect(6, 80, 92, 20));
    lblNOP[9]->setBuddy(tbxOFFa);
    lblNOP[10]->setBuddy(tbxOFFz);
    for (QWidget* w : {static_cast<QWidget*>(lblNOP[9]), static_cast<QWidget*>(tbxOFFa),
                       static_cast<QWidget*>(lblNOP[10]), static_cast<QWidget*>(tbxOFFz)}) {
        w->setEnabled(false);
    }
    lblNOP[10]->setVisible(false);
    tbxOFFz->setVisible(false);

    fraMENU[1] = new QGroupBox("ピクセル配列(&P)", this);
    fraMENU[1]->setGeometry(Twips(240, 3360, 4095, 615));
    cmbPICARRAY = new QComboBox(fraMENU[1]);
    cmbPICARRAY->setObjectName("cmbPICARRAY");
    cmbPICARRAY->setGeometry(8, 15, 257, 20);
    cmbPICARRAY->addItem("格納された順番通り");
    cmbPICARRAY->setEnabled(false);
}

void frmOptMenu::createPaletteFrame() {
    fraMENU[2] = new QGroupBox("カラーパレット", this);
    fraMENU[2]->setGeometry(Twips(240, 4080, 5775, 1860));
    QGroupBox* frame = fraMENU[2];

    // The strip is 256 x 16; the box's sunken border makes up the rest of its design size.
    picPALGRAD = new QLabel(frame);
    picPALGRAD->setObjectName("picPALGRAD");
    picPALGRAD->setGeometry(Twips(1050, 195, 3900, 300));
    picPALGRAD->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    picPALGRAD->setLineWidth(2);
    picPALGRAD->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblMIN = MakeLabel(frame, "00", QRect(Px(1050) + 2, 34, 40, 12));
    lblMIN->setObjectName("lblMIN");
    lblMAX = MakeLabel(frame, "FF", QRect(Px(1050) + 2 + 256 - 40, 34, 40, 12));
    lblMAX->setObjectName("lblMAX");
    lblMAX->setAlignment(Qt::AlignRight | Qt::AlignTop);

    const char* captions[] = {"白黒(&K)",   "サーモ(&S)",     "バイナリ(&B)", "虹(&R)",
                              "アース(&E)", "ライブラリ(&Q)", "カスタム(&C)"};
    // Row one reads grey, binary, thermo, rainbow, earth; library and custom start rows two and
    // three.
    const QRect rects[] = {{8, 47, 62, 18},   {156, 47, 74, 18}, {70, 47, 86, 18},
                           {230, 47, 50, 18}, {280, 47, 80, 18}, {8, 66, 100, 18},
                           {8, 87, 88, 18}};
    for (int i = 0; i < 7; ++i) {
        optPALCOLOR[i] = new QRadioButton(captions[i], frame);
        optPALCOLOR[i]->setObjectName(ElementName("optPALCOLOR", i));
        optPALCOLOR[i]->setGeometry(rects[i]);
    }
    for (int i : {3, 4, 5}) {
        optPALCOLOR[i]->setEnabled(false);
    }
    cmbCLUT = new QComboBox(frame);
    cmbCLUT->setObjectName("cmbCLUT");
    cmbCLUT->setGeometry(110, 65, 160, 20);
    cmbCLUT->setEnabled(false);
    cmdPALcustom = new QPushButton("← 色の設定(&T)...", frame);
    cmdPALcustom->setObjectName("cmdPALcustom");
    cmdPALcustom->setGeometry(98, 85, 118, 22);
    cmdLIBedit = new QPushButton("↑ ライブラリ編集(&E)...", frame);
    cmdLIBedit->setObjectName("cmdLIBedit");
    cmdLIBedit->setGeometry(220, 85, 158, 22);
    cmdLIBedit->setEnabled(false);
    lblPALtips = MakeLabel(frame, "", QRect(8, 108, 370, 14));
    lblPALtips->setObjectName("lblPALtips");
}

void frmOptMenu::createFormatFrame() {
    fraFORMAT = new QGroupBox("ピクセルの形式(&F)", this);
    fraFORMAT->setObjectName("fraFORMAT");
    fraFORMAT->setGeometry(Twips(6120, 840, 3675, 1845));
    cmbFORMAT = new QComboBox(fraFORMAT);
    cmbFORMAT->setObjectName("cmbFORMAT");
    cmbFORMAT->setGeometry(8, 18, 229, 20);
    // Each item holds the number of its choice; the families' headings hold none and cannot be
    // chosen.
    cmbFORMAT->addItem(optMenuQt::Qs(core::kPaletteIndicesCaption), 0);
    auto* items = qobject_cast<QStandardItemModel*>(cmbFORMAT->model());
    for (const core::PixelFormat& format : core::kColourFormats) {
        for (const optMenuTexts::FormatHeading& heading : optMenuTexts::kFormatHeadings) {
            if (heading.first == format.name) {
                cmbFORMAT->addItem(optMenuQt::Qs(heading.caption), -1);
                items->item(cmbFORMAT->count() - 1)->setFlags(Qt::NoItemFlags);
            }
        }
        cmbFORMAT->addItem(optMenuQt::Qs(format.caption), core::ChoiceOf(format));
    }
    lblNOP[11] = MakeLabel(fraFORMAT, "行のバイト数", QRect(8, 49, 90, 14));
    tbxSTRIDE = MakeField(fraFORMAT, "tbxSTRIDE", "0", QRect(100, 46, 92, 20));
    lblNOP[11]->setBuddy(tbxSTRIDE);
    lblNOP[13] = MakeLabel(fraFORMAT, "フレームの高さ", QRect(8, 73, 90, 14));
    tbxFRAMEH = MakeField(fraFORMAT, "tbxFRAMEH", "0", QRect(100, 70, 92, 20));
    lblNOP[13]->setBuddy(tbxFRAMEH);
    lblNOP[12] = MakeLabel(fraFORMAT, "※0 は行の間を詰めます", QRect(8, 96, 229, 14));
    // Only a direct format has rows of bytes, and only one with planes has frames.
    for (QWidget* w :
         std::initializer_list<QWidget*>{lblNOP[11], tbxSTRIDE, lblNOP[13], tbxFRAMEH}) {
        w->setEnabled(false);
    }
}

void frmOptMenu::createTabOrder() {
    // The format's controls come last, so that the palette indices' order is kept as it was.
    QWidget* chain[] = {tbxWIDTH,       tbxMagX,        cbxSynXY,       tbxMagY,
                        optCOLBIT[0],   optCOLBIT[1],   optCOLBIT[2],   cmbPICARRAY,
                        optPALCOLOR[0], optPALCOLOR[1], optPALCOLOR[2], optPALCOLOR[3],
                        optPALCOLOR[4], optPALCOLOR[5], optPALCOLOR[6], cmdPALcustom,
                        cbxOFFSET,      tbxOFFa,        cmdOK,          cmdCANCEL,
                        cmbFORMAT,      tbxSTRIDE,      tbxFRAMEH};
    for (std::size_t i = 0; i + 1 < std::size(chain); ++i) {
        QWidget::setTabOrder(chain[i], chain[i + 1]);
    }
}

void frmOptMenu::wireEvents() {
    connect(Events(this), &toolkit::EventTap::mouseMove, this, &frmOptMenu::Form_MouseMove);
    connect(cmdOK, &QPushButton::clicked, this, &frmOptMenu::cmdOK_Click);
    connect(Events(cmdOK), &toolkit::EventTap::gotFocus, this, &frmOptMenu::cmdOK_GotFocus);
    connect(Events(cmdOK), &toolkit::EventTap::mouseMove, this, &frmOptMenu::cmdOK_MouseMove);
    connect(cmdCANCEL, &QPushButton::clicked, this, &frmOptMenu::cmdCANCEL_Click);
    connect(Events(cmdCANCEL), &toolkit::EventTap::gotFocus, this, &frmOptMenu::cmdCANCEL_GotFocus);
    connect(Events(cmdCANCEL), &toolkit::EventTap::mouseMove, this,
            &frmOptMenu::cmdCANCEL_MouseMove);

    for (int i = 0; i < 2; ++i) {
        OnSelected(optWIDHGT[i], this, [this, i] { optWIDHGT_Click(i); });
    }
    connect(tbxWIDTH, &QLineEdit::textChanged, this, &frmOptMenu::tbxWIDTH_Change);
    connect(Events(tbxWIDTH), &toolkit::EventTap::keyDown, this, &frmOptMenu::tbxWIDTH_KeyDown);
    connect(Events(tbxWIDTH), &toolkit::EventTap::validate, this, &frmOptMenu::tbxWIDTH_Validate);
    connect(tbxHEIGHT, &QLineEdit::textChanged, this, &frmOptMenu::tbxHEIGHT_Change);
    connect(tbxMagX, &QLineEdit::textChanged, this, &frmOptMenu::tbxMagX_Change);
    connect(Events(tbxMagX), &toolkit::EventTap::keyDown, this, &frmOptMenu::tbxMagX_KeyDown);
    connect(Events(tbxMagX), &toolkit::EventTap::validate, this, &frmOptMenu::tbxMagX_Validate);
    connect(Events(tbxMagX), &toolkit::EventTap::gotFocus, this, &frmOptMenu::tbxMagX_GotFocus);
    connect(tbxMagY, &QLineEdit::textChanged, this, &frmOptMenu::tbxMagY_Change);
    connect(Events(tbxMagY), &toolkit::EventTap::keyDown, this, &frmOptMenu::tbxMagY_KeyDown);
    connect(Events(tbxMagY), &toolkit::EventTap::validate, this, &frmOptMenu::tbxMagY_Validate);
    connect(Events(tbxMagY), &toolkit::EventTap::gotFocus, this, &frmOptMenu::tbxMagY_GotFocus);
    connect(tbxOFFa, &QLineEdit::textChanged, this, &frmOptMenu::tbxOFFa_Change);
    connect(Events(tbxOFFa), &toolkit::EventTap::keyDown, this, &frmOptMenu::tbxOFFa_KeyDown);
    connect(Events(tbxOFFa), &toolkit::EventTap::validate, this, &frmOptMenu::tbxOFFa_Validate);
    connect(Events(tbxOFFa), &toolkit::EventTap::gotFocus, this, &frmOptMenu::tbxOFFa_GotFocus);
    connect(cbxSynXY, &QCheckBox::toggled, this, &frmOptMenu::cbxSynXY_Click);
    connect(Events(cbxSynXY), &toolkit::EventTap::gotFocus, this, &frmOptMenu::cbxSynXY_GotFocus);
    connect(Events(cbxSynXY), &toolkit::EventTap::mouseMove, this, &frmOptMenu::cbxSynXY_MouseMove);
    connect(cbxOFFSET, &QCheckBox::toggled, this, &frmOptMenu::cbxOFFSET_Click);
    connect(Events(cbxOFFSET), &toolkit::EventTap::gotFocus, this, &frmOptMenu::cbxOFFSET_GotFocus);

    for (int i = 0; i < 3; ++i) {
        OnSelected(optCOLBIT[i], this, [this, i] { optCOLBIT_Click(i); });
        connect(Events(optCOLBIT[i]), &toolkit::EventTap::gotFocus, this,
                [this, i] { optCOLBIT_GotFocus(i); });
    }
    connect(Events(cmbPICARRAY), &toolkit::EventTap::gotFocus, this,
            &frmOptMenu::cmbPICARRAY_GotFocus);
    for (int i = 0; i < 7; ++i) {
        OnSelected(optPALCOLOR[i], this, [this, i] { optPALCOLOR_Click(i); });
        connect(Events(optPALCOLOR[i]), &toolkit::EventTap::gotFocus, this,
                [this, i] { optPALCOLOR_GotFocus(i); });
    }
    connect(cmdPALcustom, &QPushButton::clicked, this, &frmOptMenu::cmdPALcustom_Click);
    connect(Events(cmdPALcustom), &toolkit::EventTap::gotFocus, this,
            &frmOptMenu::cmdPALcustom_GotFocus);
    for (int i = 0; i < 7; ++i) {
        connect(Events(fraMENU[i]), &toolkit::EventTap::mouseMove, this,
                [this, i] { fraMENU_MouseMove(i); });
    }
    connect(cmbFORMAT, &QComboBox::currentIndexChanged, this, &frmOptMenu::cmbFORMAT_Click);
    connect(Events(cmbFORMAT), &toolkit::EventTap::gotFocus, this, &frmOptMenu::cmbFORMAT_GotFocus);
    connect(tbxSTRIDE, &QLineEdit::textChanged, this, &frmOptMenu::tbxSTRIDE_Change);
    connect(Events(tbxSTRIDE), &toolkit::EventTap::keyDown, this, &frmOptMenu::tbxSTRIDE_KeyDown);
    connect(Events(tbxSTRIDE), &toolkit::EventTap::validate, this, &frmOptMenu::tbxSTRIDE_Validate);
    connect(Events(tbxSTRIDE), &toolkit::EventTap::gotFocus, this, &frmOptMenu::tbxSTRIDE_GotFocus);
    connect(tbxFRAMEH, &QLineEdit::textChanged, this, &frmOptMenu::tbxFRAMEH_Change);
    connect(Events(tbxFRAMEH), &toolkit::EventTap::keyDown, this, &frmOptMenu::tbxFRAMEH_KeyDown);
    connect(Events(tbxFRAMEH), &toolkit::EventTap::validate, this, &frmOptMenu::tbxFRAMEH_Validate);
    connect(Events(tbxFRAMEH), &toolkit::EventTap::gotFocus, this, &frmOptMenu::tbxFRAMEH_GotFocus);
    connect(Events(fraFORMAT), &toolkit::EventTap::mouseMove, this,
            &frmOptMenu::fraFORMAT_MouseMove);
}

}  // namespace rastel
