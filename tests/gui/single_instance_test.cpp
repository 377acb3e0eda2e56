#include "shell/single_instance.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QSysInfo>
#include <QTemporaryDir>
#include <sys/wait.h>
#include <unistd.h>

namespace zembera {
namespace {

// A copy run by another user (each has a runtime folder of their own) never blocks this user's
// start; a second copy of the same user is refused while the first runs; an ended copy, and a
// lock left by a crashed one, do not block the next start.
TEST(SingleInstance, OnlyARunningCopyOfTheSameUserRefusesTheStart) {
    const QString name = QStringLiteral("zembera_single_%1").arg(getpid());
    const QByteArray own = qgetenv("XDG_RUNTIME_DIR");
    QTemporaryDir otherUser, thisUser;
    for (QTemporaryDir* d : {&otherUser, &thisUser})
        QFile::setPermissions(d->path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", otherUser.path().toUtf8());
    SingleInstance other(name);
    ASSERT_TRUE(other.acquire());
    EXPECT_TRUE(other.lockFileName().startsWith(otherUser.path()));
    qputenv("XDG_RUNTIME_DIR", thisUser.path().toUtf8());
    {
        SingleInstance first(name);
        ASSERT_TRUE(first.acquire());
        EXPECT_TRUE(first.lockFileName().startsWith(thisUser.path()));
        EXPECT_FALSE(SingleInstance(name).acquire());
    }
    EXPECT_TRUE(SingleInstance(name).acquire());

    const pid_t child = fork();
    if (child == 0) _exit(0);
    ASSERT_GT(child, 0);
    waitpid(child, nullptr, 0);
    QFile lock(SingleInstance(name).lockFileName());
    ASSERT_TRUE(lock.open(QIODevice::WriteOnly));
    lock.write(QByteArray::number(child) + "\nzembera\n" + QSysInfo::machineHostName().toUtf8() +
               "\n");
    lock.close();
    EXPECT_TRUE(SingleInstance(name).acquire());
    own.isNull() ? qunsetenv("XDG_RUNTIME_DIR") : qputenv("XDG_RUNTIME_DIR", own);
}

} // namespace
} // namespace zembera
