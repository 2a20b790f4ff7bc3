#include "platform/ClassRegistry.h"

#include <QMetaObject>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

TEST(ClassRegistry, FindsAnEnteredClassByNameUntilItIsRemoved)
{
    namespace registry = platform::ClassRegistry;
    EXPECT_EQ(registry::findClass(QStringLiteral("QTimer")), nullptr);
    registry::registerClass(QTimer::staticMetaObject);
    registry::registerClass(QTimer::staticMetaObject);
    EXPECT_EQ(registry::findClass(QStringLiteral("QTimer")), &QTimer::staticMetaObject);
    // Removing another class of the same name leaves the entry alone.
    QMetaObject other = QTimer::staticMetaObject;
    registry::unregisterClass(other);
    EXPECT_EQ(registry::findClass(QStringLiteral("QTimer")), &QTimer::staticMetaObject);
    registry::unregisterClass(QTimer::staticMetaObject);
    EXPECT_EQ(registry::findClass(QStringLiteral("QTimer")), nullptr);
    registry::unregisterClass(QTimer::staticMetaObject);
}

} // namespace
