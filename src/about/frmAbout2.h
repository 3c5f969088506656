// The about window: the program's identity, and a box that opens the project's web page.
#pragma once

#include "about/Identity.h"

#include <QDialog>

#include <array>

class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace rastel {

class frmAbout2 : public QDialog, private about::Identity {
    Q_OBJECT

  public:
    explicit frmAbout2(QWidget* owner = nullptr);

  protected:
    void showEvent(QShowEvent* event) override;

  private:  // handlers
    void Form_Load();
    void imgURLlogo_Click();
    void lblURL_Click(int index);
    void tbxURL_DblClick();
    void cmdCLOSE_Click();

  private:
    void wireEvents();
    void createLinkBox();
    void OpenProjectPage();

    QFrame* Frame1 = nullptr;
    std::array<QFrame*, 2> linBR{};
    QPushButton* cmdCLOSE = nullptr;
    QGroupBox* Frame2 = nullptr;
    QLabel* imgURLlogo = nullptr;
    std::array<QLabel*, 3> lblURL{};
    QLineEdit* tbxURL = nullptr;
};

}  // namespace rastel
