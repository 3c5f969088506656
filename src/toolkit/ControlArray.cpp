#include "toolkit/ControlArray.h"

#include <algorithm>
#include <optional>
#include <utility>

namespace rastel::toolkit {

QString ElementName(QAnyStringView array, int index) {
    return array.toString() + u'(' + QString::number(index) + u')';
}

namespace {

// The index that name gives an element of array; none for a name of anything else.
std::optional<int> ElementIndex(const QString& name, QAnyStringView array) {
    const QString prefix = array.toString() + u'(';
    if (!name.startsWith(prefix) || !name.endsWith(u')')) {
        return std::nullopt;
    }
    bool ok = false;
    const int index =
        QStringView(name).sliced(prefix.size(), name.size() - prefix.size() - 1).toInt(&ok);
    // Only the name ElementName gives: no sign, no leading zeros, no spaces.
    if (!ok || index < 0 || ElementName(array, index) != name) {
        return std::nullopt;
    }
    return index;
}

}  // namespace

QList<QObject*> ElementObjects(const QObject* parent, QAnyStringView array) {
    QList<std::pair<int, QObject*>> found;
    for (QObject* child : parent->findChildren<QObject*>()) {
        if (const std::optional<int> index = ElementIndex(child->objectName(), array)) {
            found.append({*index, child});
        }
    }
    std::stable_sort(found.begin(), found.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    QList<QObject*> objects;
    for (const auto& [index, object] : found) {
        objects.append(object);
    }
    return objects;
}

}  // namespace rastel::toolkit
