#pragma once

#include <QString>

struct QMetaObject;

// The registry of classes that can be found by name: a unit enters its classes at program start
// and removes them at the end.
namespace platform::ClassRegistry {

// Enters a class under its class name; a name entered again then stands for the class entered last.
void registerClass(const QMetaObject& metaObject);

// Removes a class; a class that is not entered is ignored.
void unregisterClass(const QMetaObject& metaObject);

// The class entered under name, or null.
const QMetaObject* findClass(const QString& name);

} // namespace platform::ClassRegistry
