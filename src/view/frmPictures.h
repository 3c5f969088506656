// Lists the pictures found inside the file, best first, for the user to go to one.
#pragma once

#include <QDialog>
#include <vector>

#include "image/search/PictureScan.h"

class QLabel;
class QListWidget;
class QListWidgetItem;
class QPushButton;

namespace rastel {

class frmPictures : public QDialog {
    Q_OBJECT

  public:
    // regions must not be empty.
    frmPictures(QWidget* owner, const std::vector<core::PictureRegion>& regions);

    // Once accepted: the region picked.
    const core::PictureRegion& Chosen() const { return mChosen; }

    // The line that names a region: its start, its size in the format's pixels, the format
    // and the score.
    static QString Line(const core::PictureRegion& region);

  private:  // handlers
    void cmdOK_Click();
    void lstPICTURE_DblClick(QListWidgetItem* item);

  private:
    void wireEvents();

    QLabel* lblPICTURE = nullptr;
    QListWidget* lstPICTURE = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCANCEL = nullptr;

    std::vector<core::PictureRegion> mRegions;
    core::PictureRegion mChosen;
};

}  // namespace rastel
