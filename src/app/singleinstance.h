#pragma once

#include <QLockFile>
#include <QString>

#include <memory>

// One running copy per user. The lock lives in the user's runtime folder under the name
// tessivorhyjf and goes away with the process, also after a crash (QLockFile sees the dead PID).
class SingleInstance
{
public:
    // The lock file's path: $XDG_RUNTIME_DIR, else the temporary folder with the user ID.
    static QString lockPath();

    // True when this process now holds the lock; false when another copy holds it.
    bool acquire();

private:
    std::unique_ptr<QLockFile> m_lock;
};
