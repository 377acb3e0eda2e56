#include "shell/single_instance.h"

#include <QDir>
#include <QStandardPaths>
#include <unistd.h>

namespace zembera {

namespace {

// The user's runtime folder; should the toolkit refuse it (a folder of the wrong owner), the
// shared temporary folder with a lock name of the user's own.
QString lockPath(const QString& name) {
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (!runtime.isEmpty()) return QDir(runtime).absoluteFilePath(name + QStringLiteral(".lock"));
    return QDir::temp().absoluteFilePath(name + QStringLiteral("-%1.lock").arg(getuid()));
}

} // namespace

SingleInstance::SingleInstance(const QString& name)
    : lock_(std::make_unique<QLockFile>(lockPath(name))) {
    // A lock is stale only when its process is gone; a live copy keeps it however long it runs.
    lock_->setStaleLockTime(0);
}

bool SingleInstance::acquire() {
    if (lock_->isLocked()) return true;
    if (lock_->tryLock(0)) return true;
    // The lock's owner may have died without removing it.
    if (lock_->error() == QLockFile::LockFailedError && lock_->removeStaleLockFile()) {
        return lock_->tryLock(0);
    }
    return false;
}

QString SingleInstance::lockFileName() const {
    return lock_->fileName();
}

} // namespace zembera
