#include "QuilloToDo/Controllers/UserDefaults.h"

#include "testing/TemporaryDirectory.h"

#include <QFile>
#include <QSettings>

#include <gtest/gtest.h>

TEST(UserDefaults, OneINIFileUnderTheUsersConfigurationFolder) {
    quillo::testing::TemporaryDirectory dir;
    const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
    const QString config = QFile::decodeName(QByteArray::fromStdString(dir.path().native()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config));
    const QString path = quillo::userDefaultsPath();
    {
        auto settings = quillo::openUserDefaults();
        settings->setValue("QuilloToDo.ListGrouping", "event");
    }
    if (saved.isNull()) {
        qunsetenv("XDG_CONFIG_HOME");
    } else {
        qputenv("XDG_CONFIG_HOME", saved);
    }

    EXPECT_EQ(path, config + "/QuilloToDo/QuilloToDo.conf");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().contains("QuilloToDo.ListGrouping=event"));
}
