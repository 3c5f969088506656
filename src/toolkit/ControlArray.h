// Control arrays: an element's objectName is the array's name with its index in parentheses,
// "optCOLBIT(1)", in every window, so one lookup finds any element and a name in a failure
// message says both the array and the element. Elements are cast with dynamic_cast: some
// controls are plain widgets without Q_OBJECT, which qobject_cast cannot tell apart.
#pragma once

#include <QAnyStringView>
#include <QList>
#include <QObject>
#include <QString>

namespace rastel::toolkit {

QString ElementName(QAnyStringView array, int index);

// The element of array at index among parent's descendants; null when there is none.
template <class T>
T* Element(const QObject* parent, QAnyStringView array, int index) {
    return dynamic_cast<T*>(parent->findChild<QObject*>(ElementName(array, index)));
}

// Every element of array among parent's descendants, in index order; an index the window
// leaves out is simply not in the list.
QList<QObject*> ElementObjects(const QObject* parent, QAnyStringView array);

template <class T>
QList<T*> Elements(const QObject* parent, QAnyStringView array) {
    QList<T*> elements;
    for (QObject* object : ElementObjects(parent, array)) {
        if (T* element = dynamic_cast<T*>(object)) {
            elements.append(element);
        }
    }
    return elements;
}

}  // namespace rastel::toolkit
