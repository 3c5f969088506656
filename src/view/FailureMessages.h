// What the main window says when something fails: one table from where it failed and the
// failure's kind to the box's text, title and icon.
#pragma once

#include <QString>

#include "image/base/Outcome.h"

class QWidget;

namespace rastel {

// Where in the window's work a failure came.
enum class FailedStep {
    kLoad,   // checking and reading a file
    kDraw,   // making its picture from the settings
    kWrite,  // exporting the picture
};

// Shows failure's box for the step; a cancel shows nothing. path names the file for a failure
// the system reports on its own terms.
void ReportFailure(QWidget* owner, FailedStep step, const core::Outcome& failure,
                   const QString& path = {});

}  // namespace rastel
