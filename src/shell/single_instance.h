#pragma once
// Detects another running copy of the program through a lock file in the user's own runtime
// folder, so that only a copy of the same user refuses a second start, never another user's.
// A copy that crashed leaves a lock whose process is gone; such a stale lock is taken over, so it
// never blocks the next start.

#include <QLockFile>
#include <QString>
#include <memory>

namespace zembera {

class SingleInstance {
  public:
    // `name` identifies the program (tests pass their own).
    explicit SingleInstance(const QString& name = QStringLiteral("zembera"));
    // True when this copy holds the lock; false when another live copy does.
    bool acquire();
    // Where the lock lies.
    QString lockFileName() const;

  private:
    std::unique_ptr<QLockFile> lock_;
};

} // namespace zembera
