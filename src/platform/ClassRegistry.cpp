#include "platform/ClassRegistry.h"

#include <QHash>
#include <QMetaObject>

namespace platform::ClassRegistry {

namespace {
// Constructed on first use, so that units may register from their static initialisers; it is then
// destroyed after every registration made during start-up has been undone.
QHash<QString, const QMetaObject*>& classes()
{
    static QHash<QString, const QMetaObject*> registry;
    return registry;
}
} // namespace

void registerClass(const QMetaObject& metaObject)
{
    classes().insert(QString::fromLatin1(metaObject.className()), &metaObject);
}

void unregisterClass(const QMetaObject& metaObject)
{
    const QString name = QString::fromLatin1(metaObject.className());
    if (classes().value(name) == &metaObject)
        classes().remove(name);
}

const QMetaObject* findClass(const QString& name)
{
    return classes().value(name);
}

} // namespace platform::ClassRegistry
