// The splash: the program's identity for two seconds at a start without a file, or until
// it is clicked.
#pragma once

#include "about/Identity.h"

#include <QDialog>

class QTimer;

namespace rastel {

class frmAbout1 : public QDialog, private about::Identity {
    Q_OBJECT

  public:
    explicit frmAbout1(QWidget* parent = nullptr);

  protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

  private:  // handlers
    void Form_Load();
    void Form_Unload();
    void Form_Click();
    void picIcon_Click();
    void lblTitle_Click();
    void lblVersion_Click();
    void lblRevision_Click();
    void Label1_Click();
    void lblDescription_Click();
    void Timer1_Timer();

  private:
    void wireEvents();

    QTimer* Timer1 = nullptr;
};

}  // namespace rastel
