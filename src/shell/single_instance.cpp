#include "shell/single_instance.h"

#include <QDir>
#include <QStandardPaths>

namespace zembera {

SingleInstance::SingleInstance(const QString& name)
    : lock_(std::make_unique<QLockFile>(
          QDir(QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation))
              .absoluteFilePath(name + QStringLiteral(".lock")))) {
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
