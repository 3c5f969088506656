#include "about/frmAbout1.h"

#include "about/Artwork.h"
#include "toolkit/Clicks.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QHideEvent>
#include <QLabel>
#include <QScreen>
#include <QShowEvent>
#include <QTimer>

namespace rastel {

using toolkit::Clicks;
using toolkit::ClickSignals;

frmAbout1::frmAbout1(QWidget* parent)
    : QDialog(parent, Qt::SplashScreen | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("frmAbout1"));
    setWindowIcon(about::WindowIcon());
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
    setAutoFillBackground(true);
    QFont font = this->font();
    font.setPointSize(9);
    setFont(font);

    setFixedSize(400, 133);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect centred(QPoint(), size());
        centred.moveCenter(screen->availableGeometry().center());
        move(centred.topLeft());
    }

    createIdentity(this, QPoint(314, 8), QPoint(301, 24));

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(2000);
    Timer1->setSingleShot(true);

    wireEvents();
}

void frmAbout1::wireEvents() {
    connect(Clicks(this), &ClickSignals::clicked, this, &frmAbout1::Form_Click);
    connect(Clicks(picIcon), &ClickSignals::clicked, this, &frmAbout1::picIcon_Click);
    connect(Clicks(lblTitle), &ClickSignals::clicked, this, &frmAbout1::lblTitle_Click);
    connect(Clicks(lblVersion), &ClickSignals::clicked, this, &frmAbout1::lblVersion_Click);
    connect(Clicks(lblRevision), &ClickSignals::clicked, this, &frmAbout1::lblRevision_Click);
    connect(Clicks(Label1), &ClickSignals::clicked, this, &frmAbout1::Label1_Click);
    connect(Clicks(lblDescription), &ClickSignals::clicked, this, &frmAbout1::lblDescription_Click);
    connect(Timer1, &QTimer::timeout, this, &frmAbout1::Timer1_Timer);
}

void frmAbout1::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) {
        Form_Load();
    }
}

void frmAbout1::hideEvent(QHideEvent* event) {
    QDialog::hideEvent(event);
    if (!event->spontaneous()) {
        Form_Unload();
    }
}

void frmAbout1::Form_Load() {
    loadIdentity();
    Timer1->start();
}

// Closed by a click, the splash must not yield to events later from its timer.
void frmAbout1::Form_Unload() {
    Timer1->stop();
}

void frmAbout1::Form_Click() {
    close();
}
void frmAbout1::picIcon_Click() {
    close();
}
void frmAbout1::lblTitle_Click() {
    close();
}
void frmAbout1::lblVersion_Click() {
    close();
}
void frmAbout1::lblRevision_Click() {
    close();
}
void frmAbout1::Label1_Click() {
    close();
}
void frmAbout1::lblDescription_Click() {
    close();
}

void frmAbout1::Timer1_Timer() {
    // Let the splash finish painting and take a click already on its way before it goes.
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    close();
}

}  // namespace rastel
