#pragma once
// Finds a window's control by its object name, as the window tests click and read them.

#include <QString>
#include <QWidget>

// The control of type T named `name` below `window`; null, with a warning naming
// it, when there is none, so a renamed control shows in the test log.
template <typename T>
T* Child(QWidget* window, const QString& name) {
    T* child = window->findChild<T*>(name);
    if (child == nullptr) qWarning("no control %s", qPrintable(name));
    return child;
}

template <typename T>
T* Child(QWidget* window, const char* name) {
    return Child<T>(window, QString::fromLatin1(name));
}
