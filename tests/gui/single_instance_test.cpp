#include "shell/single_instance.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QSysInfo>
#include <sys/wait.h>
#include <unistd.h>

namespace zembera {
namespace {

QString lockPath(const QString& name) {
    return QDir::temp().absoluteFilePath(name + QStringLiteral(".lock"));
}

TEST(SingleInstance, ASecondCopyIsRefusedWhileTheFirstRuns) {
    const QString name = QStringLiteral("zembera_single_%1").arg(getpid());
    {
        SingleInstance first(name);
        ASSERT_TRUE(first.acquire());
        SingleInstance second(name);
        EXPECT_FALSE(second.acquire());
    }
    // The first copy ended: the next start runs.
    SingleInstance third(name);
    EXPECT_TRUE(third.acquire());
}

TEST(SingleInstance, ALockLeftByACrashedCopyDoesNotBlockTheNextStart) {
    const QString name = QStringLiteral("zembera_crashed_%1").arg(getpid());
    // A process that has ended leaves its lock file behind, as a crash would.
    const pid_t child = fork();
    if (child == 0) _exit(0);
    ASSERT_GT(child, 0);
    waitpid(child, nullptr, 0);
    QFile lock(lockPath(name));
    ASSERT_TRUE(lock.open(QIODevice::WriteOnly));
    lock.write(QByteArray::number(child) + "\nzembera\n" + QSysInfo::machineHostName().toUtf8() +
               "\n");
    lock.close();

    SingleInstance next(name);
    EXPECT_TRUE(next.acquire());
}

} // namespace
} // namespace zembera
