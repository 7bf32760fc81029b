#include "app/singleinstance.h"

#include <QDir>
#include <QStandardPaths>

#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

QString SingleInstance::lockPath()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir(runtime).exists())
        return runtime + u"/tessivorhyjf.lock"_s;
    return QDir::tempPath() + u"/tessivorhyjf-%1.lock"_s.arg(getuid());
}

bool SingleInstance::acquire()
{
    m_lock = std::make_unique<QLockFile>(lockPath());
    m_lock->setStaleLockTime(0); // only a dead owner makes the lock stale, never its age
    if (m_lock->tryLock(0))
        return true;
    m_lock.reset();
    return false;
}
