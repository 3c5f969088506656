// A control's tag: a string kept with it, such as a number field's last accepted text.
#pragma once

#include <QString>

class QObject;

namespace rastel::toolkit {

QString Tag(const QObject* control);
void SetTag(QObject* control, const QString& text);

}  // namespace rastel::toolkit
