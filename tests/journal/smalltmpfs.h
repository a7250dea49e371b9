#pragma once

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>

#include <sys/mount.h>
#include <unistd.h>

// A small file system of a test's own (64 KB of tmpfs), unmounted when the
// test ends. Mounting needs root: a test skips when mounted() is false.
class SmallTmpfs
{
public:
    SmallTmpfs() : m_point(QFile::encodeName(m_dir.path()))
    {
        m_mounted = geteuid() == 0 && mount("tmpfs", m_point.constData(), "tmpfs", 0, "size=64k") == 0;
    }
    ~SmallTmpfs()
    {
        if (m_mounted)
            umount2(m_point.constData(), MNT_DETACH);
    }
    SmallTmpfs(const SmallTmpfs &) = delete;
    SmallTmpfs &operator=(const SmallTmpfs &) = delete;

    bool mounted() const { return m_mounted; }
    QString path() const { return m_dir.path(); }
    QString filePath(const QString &name) const { return m_dir.filePath(name); }
    // Makes the file system read-only; false when that failed.
    bool makeReadOnly() const
    {
        return mount("tmpfs", m_point.constData(), "tmpfs", MS_REMOUNT | MS_RDONLY, "size=64k") == 0;
    }

private:
    QTemporaryDir m_dir;
    QByteArray m_point;
    bool m_mounted = false;
};
