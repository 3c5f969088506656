// Click and double-click signals for widgets that have none of their own: labels, pictures,
// the background of a window, a line edit.
#pragma once

#include <QObject>

class QWidget;

namespace rastel::toolkit {

class ClickSignals : public QObject {
    Q_OBJECT

  public:
    // Watches the widget, which owns this object. A click on the widget is not passed on to
    // the widgets beneath it, so one click never runs two handlers.
    explicit ClickSignals(QWidget* widget);

  signals:
    // A left press and release, both on the widget.
    void clicked();
    void doubleClicked();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    bool mPressed = false;
};

// The click signals of a widget, made on first use.
ClickSignals* Clicks(QWidget* widget);

}  // namespace rastel::toolkit
