#include "settings/frmOptMenu.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <cstring>

#include "image/PaletteBuilder.h"
#include "palette/frmCLUT.h"
#include "palette/modCLUT.h"
#include "settings/FieldRules.h"
#include "settings/OptMenuTexts.h"
#include "toolkit/DoEvents.h"
#include "toolkit/EventTap.h"
#include "toolkit/Fonts.h"
#include "toolkit/Tag.h"
#include "toolkit/Validation.h"

namespace rastel {

using modBITMAPinfo::gDib;
using toolkit::Events;
using toolkit::SetTag;
using toolkit::Tag;

namespace {

// The dialog was laid out in twips; at 96 dpi a pixel is 15 of them.
constexpr int Px(int twips) {
    return twips / 15;
}

QRect Twips(int left, int top, int width, int height) {
    return QRect(Px(left), Px(top), Px(width), Px(height));
}

QString Qs(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string Std(const QString& text) {
    return text.toStdString();
}

QString Number(std::int64_t value) {
    return QString::number(value);
}

// The number an accepted field holds; only called once the field's rules accepted its text.
std::int64_t FieldValue(const QLineEdit* field) {
    return fieldRules::WholePart(fieldRules::ParseNumber(Std(field->text())).value_or(0));
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

// A palette strip as a Qt image: rows are stored bottom-up, colours as B, G, R.
QImage StripImage(const modBITMAPinfo::DibImage& strip) {
    const int width = strip.bmiHeader.biWidth;
    const int height = strip.bmiHeader.biHeight;
    const std::int64_t stride = modBITMAPinfo::RowStride(width);
    if (width <= 0 || height <= 0 ||
        strip.bits.size() < static_cast<std::size_t>(stride * height)) {
        return {};
    }
    QImage image(width, height, QImage::Format_Indexed8);
    QList<QRgb> colours(modBITMAPinfo::kPaletteSize);
    for (int i = 0; i < modBITMAPinfo::kPaletteSize; ++i) {
        const modBITMAPinfo::RGBQUAD& c = strip.bmiColors[i];
        colours[i] = qRgb(c.rgbRed, c.rgbGreen, c.rgbBlue);
    }
    image.setColorTable(colours);
    for (int y = 0; y < height; ++y) {
        std::memcpy(image.scanLine(y), &strip.bits[(height - 1 - y) * stride], width);
    }
    return image;
}

void RunPaletteEditor(QWidget* owner) {
    frmCLUT editor(owner);
    editor.exec();
}

}  // namespace

frmOptMenu::frmOptMenu(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                         Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint) {
    buildControls();
    setTabOrder();
    wireEvents();
    Form_Load();
}

void frmOptMenu::buildControls() {
    setObjectName("frmOptMenu");
    setWindowTitle("描写色とサイズ");
    setFont(toolkit::MsGothic(9));
    setFixedSize(Px(6195), Px(6240));

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

    buildSizeFrames();
    buildDepthAndOffsetFrames();
    buildPaletteFrame();

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
            lblNOP[i]->setObjectName(QString("lblNOP(%1)").arg(i));
        }
    }
    for (std::size_t i = 0; i < fraMENU.size(); ++i) {
        fraMENU[i]->setObjectName(QString("fraMENU(%1)").arg(i));
        // Frames show their own tip; a move over a frame must not reach the window beneath.
        fraMENU[i]->setMouseTracking(true);
        fraMENU[i]->setAttribute(Qt::WA_NoMousePropagation);
    }
    for (QWidget* w : {static_cast<QWidget*>(cbxSynXY), static_cast<QWidget*>(cmdOK),
                       static_cast<QWidget*>(cmdCANCEL)}) {
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

void frmOptMenu::buildSizeFrames() {
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
        optWIDHGT[i]->setObjectName(QString("optWIDHGT(%1)").arg(i));
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

void frmOptMenu::buildDepthAndOffsetFrames() {
    fraMENU[0] = new QGroupBox("単位（色数）", this);
    fraMENU[0]->setGeometry(Twips(240, 2400, 4095, 855));
    const char* depths[] = {"256色( 1 バイト) (&L)", "16色(1/2バイト) (&I)", "2色(1/8バイト) (&T)"};
    const QRect depthRects[] = {{6, 15, 142, 18}, {6, 35, 136, 18}, {142, 35, 130, 18}};
    for (int i = 0; i < 3; ++i) {
        optCOLBIT[i] = new QRadioButton(depths[i], fraMENU[0]);
        optCOLBIT[i]->setObjectName(QString("optCOLBIT(%1)").arg(i));
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

void frmOptMenu::buildPaletteFrame() {
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
        optPALCOLOR[i]->setObjectName(QString("optPALCOLOR(%1)").arg(i));
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

void frmOptMenu::setTabOrder() {
    QWidget* chain[] = {tbxWIDTH,       tbxMagX,        cbxSynXY,       tbxMagY,
                        optCOLBIT[0],   optCOLBIT[1],   optCOLBIT[2],   cmbPICARRAY,
                        optPALCOLOR[0], optPALCOLOR[1], optPALCOLOR[2], optPALCOLOR[3],
                        optPALCOLOR[4], optPALCOLOR[5], optPALCOLOR[6], cmdPALcustom,
                        cbxOFFSET,      tbxOFFa,        cmdOK,          cmdCANCEL};
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
        connect(optWIDHGT[i], &QRadioButton::toggled, this, [this, i](bool on) {
            if (on) {
                optWIDHGT_Click(i);
            }
        });
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
        connect(optCOLBIT[i], &QRadioButton::toggled, this, [this, i](bool on) {
            if (on) {
                optCOLBIT_Click(i);
            }
        });
        connect(Events(optCOLBIT[i]), &toolkit::EventTap::gotFocus, this,
                [this, i] { optCOLBIT_GotFocus(i); });
    }
    connect(Events(cmbPICARRAY), &toolkit::EventTap::gotFocus, this,
            &frmOptMenu::cmbPICARRAY_GotFocus);
    for (int i = 0; i < 7; ++i) {
        connect(optPALCOLOR[i], &QRadioButton::toggled, this, [this, i](bool on) {
            if (on) {
                optPALCOLOR_Click(i);
            }
        });
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
}

void frmOptMenu::Form_Load() {
    modBITMAPinfo::ViewSettings& s = gDib.settings;
    optOKCancel = false;
    cmbPICARRAY->setCurrentIndex(0);
    tbxFILENAME->setText(QString::fromStdString(s.gFileName));
    tbxFILESIZE->setText(Number(s.gFileSize) + " バイト");
    tbxWIDTH->setText(Number(s.gPicWidth));
    SetTag(tbxWIDTH, Number(s.gPicWidth));
    tbxHEIGHT->setText(Number(s.gPicHeight));
    SetTag(tbxHEIGHT, Number(s.gPicHeight));
    // The very first opening turns the unset magnifications into 1, before any OK.
    if (s.gMagX == 0) {
        s.gMagX = 1;
    }
    if (s.gMagY == 0) {
        s.gMagY = 1;
    }
    tbxMagX->setText(Number(s.gMagX));
    tbxMagY->setText(Number(s.gMagY));
    SetTag(tbxMagX, Number(s.gMagX));
    SetTag(tbxMagY, Number(s.gMagY));
    cbxSynXY->setChecked(s.gSynXY);
    if (s.gPalColor >= 0 && s.gPalColor < static_cast<int>(optPALCOLOR.size())) {
        optPALCOLOR[s.gPalColor]->setChecked(true);
    }
    if (s.gColBit >= 0 && s.gColBit < static_cast<int>(optCOLBIT.size())) {
        optCOLBIT[s.gColBit]->setChecked(true);
    }
    optWIDHGT[0]->setChecked(s.gEditHeight != 0);
    optWIDHGT[1]->setChecked(s.gEditHeight == 0);
    cbxOFFSET->setChecked(s.gUseOffset);
    tbxOFFa->setText(Number(s.gOffA));
    SetTag(tbxOFFa, Number(s.gOffA));
}

void frmOptMenu::Form_QueryUnload(bool& cancel, UnloadMode mode) {
    // Closing the window any other way than by OK or Cancel counts as Cancel.
    if (mode != UnloadMode::Code) {
        optOKCancel = false;
    }
    cancel = false;
}

void frmOptMenu::Form_MouseMove() {
    showTip(Qs(optMenuTexts::kDefaultTip));
}

void frmOptMenu::cmdOK_Click() {
    // Enter in a field, or OK after a button that skips the checks, can arrive with a field
    // that holds no acceptable number: store nothing and send the user back to it.
    if (QLineEdit* bad = firstUnacceptableField()) {
        bad->setFocus();
        bad->selectAll();
        return;
    }
    const std::int32_t depth = selectedDepth().value_or(modBITMAPinfo::kDepth256);
    optOKCancel = true;
    modBITMAPinfo::ViewSettings& s = gDib.settings;
    for (int i = 0; i < static_cast<int>(optPALCOLOR.size()); ++i) {
        if (optPALCOLOR[i]->isChecked()) {
            modBITMAPinfo::BuildPalette(gDib, i, depth, modCLUT::gCustomPal.colors);
            s.gPalColor = i;
        }
    }
    s.gPicWidth = FieldValue(tbxWIDTH);
    s.gPicHeight = FieldValue(tbxHEIGHT);
    s.gColBit = depth;
    s.gMagX = static_cast<std::int32_t>(FieldValue(tbxMagX));
    s.gMagY = static_cast<std::int32_t>(FieldValue(tbxMagY));
    s.gSynXY = cbxSynXY->checkState() != Qt::Unchecked;
    s.gUseOffset = cbxOFFSET->checkState() != Qt::Unchecked;
    // A disabled offset field may hold a half-typed text; its last good value is what counts.
    s.gOffA = fieldRules::OffsetEdit(Std(tbxOFFa->text())).kind == fieldRules::Edit::kAccept
                  ? FieldValue(tbxOFFa)
                  : fieldRules::WholePart(fieldRules::ParseNumber(Std(Tag(tbxOFFa))).value_or(0));
    const std::int32_t order = std::max(cmbPICARRAY->currentIndex(), 0);
    switch (depth) {
        case modBITMAPinfo::kDepth16:
            s.gArray16 = order;
            break;
        case modBITMAPinfo::kDepth2:
            s.gArray2 = order;
            break;
        default:
            s.gArray256 = order;
            break;
    }
    unload();
}

void frmOptMenu::cmdCANCEL_Click() {
    optOKCancel = false;
    unload();
}

void frmOptMenu::closeEvent(QCloseEvent* event) {
    bool cancel = false;
    Form_QueryUnload(cancel, mUnloadingByCode ? UnloadMode::Code : UnloadMode::ControlMenu);
    mUnloadingByCode = false;
    if (cancel) {
        event->ignore();
        return;
    }
    event->accept();
    QDialog::done(optOKCancel ? Accepted : Rejected);
}

void frmOptMenu::reject() {
    // Esc presses Cancel.
    if (cmdCANCEL->isEnabled()) {
        cmdCANCEL->click();
    }
}

void frmOptMenu::unload() {
    mUnloadingByCode = true;
    close();
}

void frmOptMenu::optWIDHGT_Click(int /*index*/) {
    // Only width mode exists: the width is typed, the height follows and is only shown.
    tbxWIDTH->setEnabled(true);
    QPalette widthColours = tbxWIDTH->palette();
    widthColours.setColor(QPalette::Base, widthColours.color(QPalette::Active, QPalette::Base));
    tbxWIDTH->setPalette(widthColours);
    tbxHEIGHT->setEnabled(false);
    QPalette heightColours = tbxHEIGHT->palette();
    heightColours.setColor(QPalette::Base, heightColours.color(QPalette::Button));
    tbxHEIGHT->setPalette(heightColours);
}

void frmOptMenu::tbxWIDTH_Change() {
    const std::optional<std::int64_t> pixels = pixelCount();
    const fieldRules::Edit edit = fieldRules::WidthEdit(Std(tbxWIDTH->text()), pixels);
    if (edit.kind == fieldRules::Edit::kLeave) {
        return;
    }
    if (edit.kind == fieldRules::Edit::kPutBack) {
        putBackSize();
        return;
    }
    tbxWIDTH->setText(Number(edit.value));
    if (!pixels) {
        return;
    }
    tbxHEIGHT->setText(Number(fieldRules::HeightForWidth(*pixels, edit.value)));
    SetTag(tbxWIDTH, tbxWIDTH->text());
    SetTag(tbxHEIGHT, tbxHEIGHT->text());
}

void frmOptMenu::tbxWIDTH_KeyDown(int key) {
    stepField(tbxWIDTH, key);
}

void frmOptMenu::tbxWIDTH_Validate(bool* cancel) {
    if (!fieldRules::WidthOnLeave(Std(tbxWIDTH->text()))) {
        *cancel = true;
    }
}

void frmOptMenu::tbxHEIGHT_Change() {
    fraMENU_MouseMove(4);
}

void frmOptMenu::tbxMagX_Change() {
    magnificationChange(tbxMagX);
}

void frmOptMenu::tbxMagX_KeyDown(int key) {
    stepField(tbxMagX, key);
}

void frmOptMenu::tbxMagX_Validate(bool* cancel) {
    magnificationValidate(tbxMagX, tbxMagY, cancel);
}

void frmOptMenu::tbxMagX_GotFocus() {
    fraMENU_MouseMove(5);
}

void frmOptMenu::tbxMagY_Change() {
    magnificationChange(tbxMagY);
}

void frmOptMenu::tbxMagY_KeyDown(int key) {
    stepField(tbxMagY, key);
}

void frmOptMenu::tbxMagY_Validate(bool* cancel) {
    magnificationValidate(tbxMagY, tbxMagX, cancel);
}

void frmOptMenu::tbxMagY_GotFocus() {
    fraMENU_MouseMove(5);
}

void frmOptMenu::tbxOFFa_Change() {
    const fieldRules::Edit edit = fieldRules::OffsetEdit(Std(tbxOFFa->text()));
    if (edit.kind == fieldRules::Edit::kPutBack) {
        tbxOFFa->setText(Tag(tbxOFFa));
    } else if (edit.kind == fieldRules::Edit::kAccept) {
        tbxOFFa->setText(Number(edit.value));
        SetTag(tbxOFFa, tbxOFFa->text());
    }
}

void frmOptMenu::tbxOFFa_KeyDown(int key) {
    stepField(tbxOFFa, key);
}

void frmOptMenu::tbxOFFa_Validate(bool* cancel) {
    const std::optional<std::int64_t> value = fieldRules::OffsetOnLeave(Std(tbxOFFa->text()));
    if (!value) {
        *cancel = true;
        return;
    }
    tbxOFFa->setText(Number(*value));
}

void frmOptMenu::tbxOFFa_GotFocus() {
    fraMENU_MouseMove(6);
}

void frmOptMenu::cbxSynXY_Click() {
    if (cbxSynXY->checkState() != Qt::Unchecked) {
        tbxMagY->setText(tbxMagX->text());
    }
}

void frmOptMenu::cbxSynXY_GotFocus() {
    showTip(Qs(optMenuTexts::kSynXYTip));
}

void frmOptMenu::cbxSynXY_MouseMove() {
    showTip(Qs(optMenuTexts::kSynXYTip));
}

void frmOptMenu::cbxOFFSET_Click() {
    const bool on = cbxOFFSET->checkState() != Qt::Unchecked;
    tbxOFFa->setEnabled(on);
    lblNOP[9]->setEnabled(on);
}

void frmOptMenu::cbxOFFSET_GotFocus() {
    fraMENU_MouseMove(6);
}

void frmOptMenu::optCOLBIT_Click(int index) {
    for (int i = 0; i < static_cast<int>(optPALCOLOR.size()); ++i) {
        if (optPALCOLOR[i]->isChecked()) {
            optPALCOLOR_Click(i);
        }
    }
    cmbPICARRAY->clear();
    for (std::string_view item : optMenuTexts::OrderItems(index)) {
        cmbPICARRAY->addItem(Qs(item));
    }
    cmbPICARRAY->setEnabled(true);
    const modBITMAPinfo::ViewSettings& s = gDib.settings;
    const std::int32_t stored = index == modBITMAPinfo::kDepth16  ? s.gArray16
                                : index == modBITMAPinfo::kDepth2 ? s.gArray2
                                                                  : s.gArray256;
    // A stored order the list does not have falls back to the first one.
    cmbPICARRAY->setCurrentIndex(stored >= 0 && stored < cmbPICARRAY->count() ? stored : 0);
    lblMIN->setText(Qs(optMenuTexts::MinIndexText(index)));
    lblMAX->setText(Qs(optMenuTexts::MaxIndexText(index)));
    tbxWIDTH_Change();
}

void frmOptMenu::optCOLBIT_GotFocus(int /*index*/) {
    fraMENU_MouseMove(0);
}

void frmOptMenu::cmbPICARRAY_GotFocus() {
    fraMENU_MouseMove(1);
}

void frmOptMenu::optPALCOLOR_Click(int index) {
    cmdPALcustom->setEnabled(false);
    const std::int32_t depth = selectedDepth().value_or(modBITMAPinfo::kDepth256);
    const bool hasPalette =
        index == modBITMAPinfo::kPalGrey || index == modBITMAPinfo::kPalThermo ||
        index == modBITMAPinfo::kPalBinary || index == modBITMAPinfo::kPalCustom;
    if (index == modBITMAPinfo::kPalCustom) {
        cmdPALcustom->setEnabled(true);
    }
    if (hasPalette) {
        lblPALtips->setText(Qs(optMenuTexts::PaletteDescription(index, depth)));
        modBITMAPinfo::BuildPaletteStrip(mPaletteStrip, depth);
        modBITMAPinfo::BuildPalette(mPaletteStrip, index, depth, modCLUT::gCustomPal.colors);
    }
    drawPaletteStrip();
}

void frmOptMenu::optPALCOLOR_GotFocus(int /*index*/) {
    fraMENU_MouseMove(2);
}

void frmOptMenu::cmdPALcustom_Click() {
    RunPaletteEditor(this);
    for (int i = 0; i < static_cast<int>(optPALCOLOR.size()); ++i) {
        if (optPALCOLOR[i]->isChecked()) {
            optPALCOLOR_Click(i);
        }
    }
}

void frmOptMenu::cmdPALcustom_GotFocus() {
    fraMENU_MouseMove(2);
}

void frmOptMenu::cmdOK_GotFocus() {
    showTip(Qs(optMenuTexts::kOKTip));
}

void frmOptMenu::cmdOK_MouseMove() {
    showTip(Qs(optMenuTexts::kOKTip));
}

void frmOptMenu::cmdCANCEL_GotFocus() {
    showTip(Qs(optMenuTexts::kCancelTip));
}

void frmOptMenu::cmdCANCEL_MouseMove() {
    showTip(Qs(optMenuTexts::kCancelTip));
}

void frmOptMenu::fraMENU_MouseMove(int index) {
    const std::string_view tip = optMenuTexts::Tip(index);
    if (!tip.empty()) {
        showTip(Qs(tip));
    }
}

std::optional<std::int32_t> frmOptMenu::selectedDepth() const {
    for (int i = 0; i < static_cast<int>(optCOLBIT.size()); ++i) {
        if (optCOLBIT[i]->isChecked()) {
            return i;
        }
    }
    return std::nullopt;
}

std::optional<std::int64_t> frmOptMenu::pixelCount() const {
    const std::optional<std::int32_t> depth = selectedDepth();
    if (!depth) {
        return std::nullopt;
    }
    return fieldRules::PixelCount(gDib.settings.gFileSize, *depth);
}

void frmOptMenu::putBackSize() {
    tbxWIDTH->setText(Tag(tbxWIDTH));
    tbxHEIGHT->setText(Tag(tbxHEIGHT));
}

void frmOptMenu::magnificationChange(QLineEdit* field) {
    const fieldRules::Edit edit = fieldRules::MagnificationEdit(Std(field->text()));
    if (edit.kind == fieldRules::Edit::kPutBack) {
        field->setText(Tag(field));
    } else if (edit.kind == fieldRules::Edit::kAccept) {
        field->setText(Number(edit.value));
        SetTag(field, field->text());
    }
}

void frmOptMenu::magnificationValidate(QLineEdit* field, QLineEdit* other, bool* cancel) {
    const std::optional<std::int64_t> value = fieldRules::MagnificationOnLeave(Std(field->text()));
    if (!value) {
        *cancel = true;
        return;
    }
    field->setText(Number(*value));
    if (cbxSynXY->checkState() != Qt::Unchecked) {
        other->setText(field->text());
    }
}

void frmOptMenu::stepField(QLineEdit* field, int key) {
    if (key != Qt::Key_Up && key != Qt::Key_Down) {
        return;
    }
    const int delta = key == Qt::Key_Up ? 1 : -1;
    field->setText(
        QString::fromStdString(fieldRules::StepText(Std(field->text()), Std(Tag(field)), delta)));
}

void frmOptMenu::drawPaletteStrip() {
    const QImage image = StripImage(mPaletteStrip);
    if (!image.isNull()) {
        picPALGRAD->setPixmap(QPixmap::fromImage(image));
    }
    picPALGRAD->repaint();
    // Paint at once, but let no click start another handler in the middle of this one.
    toolkit::DoEvents(QEventLoop::ExcludeUserInputEvents);
}

void frmOptMenu::showTip(const QString& text) {
    lblALLtips->setText(text);
    lblALLtips->adjustSize();
}

QLineEdit* frmOptMenu::firstUnacceptableField() const {
    using fieldRules::Edit;
    // The width is checked against the 32-bit bound only: a width kept from a depth with more
    // pixels per byte is legitimately above the current pixel count.
    if (fieldRules::WidthEdit(Std(tbxWIDTH->text()), std::nullopt).kind != Edit::kAccept ||
        !fieldRules::IsNumeric(Std(tbxHEIGHT->text()))) {
        return tbxWIDTH;
    }
    if (fieldRules::MagnificationEdit(Std(tbxMagX->text())).kind != Edit::kAccept) {
        return tbxMagX;
    }
    if (fieldRules::MagnificationEdit(Std(tbxMagY->text())).kind != Edit::kAccept) {
        return tbxMagY;
    }
    if (tbxOFFa->isEnabled() &&
        fieldRules::OffsetEdit(Std(tbxOFFa->text())).kind != Edit::kAccept) {
        return tbxOFFa;
    }
    return nullptr;
}

bool RunOptMenu(QWidget* owner) {
    frmOptMenu dialog(owner);
    dialog.cmdCANCEL->setEnabled(true);
    dialog.exec();
    return dialog.optOKCancel;
}

}  // namespace rastel
