#include "toolkit/Tag.h"

#include <QObject>
#include <QVariant>

namespace rastel::toolkit {

namespace {
constexpr char kTag[] = "rastelTag";
}

QString Tag(const QObject* control) {
    return control->property(kTag).toString();
}

void SetTag(QObject* control, const QString& text) {
    control->setProperty(kTag, text);
}

}  // namespace rastel::toolkit
