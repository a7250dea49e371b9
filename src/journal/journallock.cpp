#include "journal/journallock.h"

#include "journal/durablefile.h"
#include "journal/excerpt.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSet>
#include <QSysInfo>

#include <fcntl.h>
#include <sys/stat.h>

#include <vector>

namespace {

// The lock files this process holds. A lock file that names this process but
// is none of these was copied along with its folder (a file manager copying a
// journal that is open here): nobody holds it.
QSet<QString> &heldHere()
{
    static QSet<QString> held;
    return held;
}

QString lockPathOf(const QString &folder)
{
    return QDir(folder).filePath(QString::fromLatin1(JournalLock::kFileName));
}

bool namesThisProcess(const QString &lockFilePath)
{
    qint64 pid = 0;
    QString host;
    QString app;
    return QLockFile(lockFilePath).getLockInfo(&pid, &host, &app) && pid == QCoreApplication::applicationPid()
        && host == QSysInfo::machineHostName();
}

} // namespace

LockHolder lockHolderOf(const QString &lockFilePath)
{
    LockHolder holder;
    qint64 pid = 0;
    QString app;
    if (!QLockFile(lockFilePath).getLockInfo(&pid, &holder.host, &app))
        holder.host.clear();
    // The holder renews the modification time while it runs; the birth time,
    // where the file system keeps one, is when the journal was opened.
    const QFileInfo info(lockFilePath);
    holder.since = info.birthTime();
    if (!holder.since.isValid())
        holder.since = info.lastModified();
    return holder;
}

JournalLock::JournalLock(QObject *parent) : QObject(parent)
{
    m_renewal.setInterval(kRenewEveryMs);
    connect(&m_renewal, &QTimer::timeout, this, &JournalLock::renew);
}

JournalLock::~JournalLock()
{
    release();
}

QString JournalLock::holderMessage(const LockHolder &holder)
{
    if (holder.host.isEmpty())
        return QStringLiteral("Журнал открыт другой программой");
    QString text = QStringLiteral("Журнал открыт на компьютере %1").arg(excerpt(holder.host));
    if (holder.since.isValid())
        text += QStringLiteral(" с %1").arg(holder.since.toLocalTime().toString(QStringLiteral("HH:mm")));
    return text;
}

QString JournalLock::heldElsewhereMessage(const QString &folder)
{
    const QFileInfo info(folder);
    if (!info.isDir() || info.isSymLink())
        return {};
    JournalLock probe;
    if (probe.claim(folder) || !probe.heldElsewhere())
        return {};
    return probe.refusal();
}

bool JournalLock::claim(const QString &folder)
{
    const QString path = lockPathOf(folder);
    if (m_file && m_file->fileName() == path && isHeld())
        return true;
    release();
    m_folder = folder;
    m_refusal.clear();
    m_heldElsewhere = false;
    auto file = std::make_unique<QLockFile>(path);
    file->setStaleLockTime(kStaleAfterMs);
    bool locked = file->tryLock(0);
    if (!locked && file->error() == QLockFile::LockFailedError && !heldHere().contains(path) && namesThisProcess(path)
        && file->removeStaleLockFile())
        locked = file->tryLock(0);
    if (!locked) {
        switch (file->error()) {
        case QLockFile::LockFailedError:
            m_refusal = holderMessage(lockHolderOf(path));
            m_heldElsewhere = true;
            break;
        default:
            m_refusal = QStringLiteral("В папке %1 не удалось создать файл %2: %3")
                            .arg(quotedPath(folder), quotedExcerpt(QString::fromLatin1(kFileName)),
                                 DurableFile::writeFailure(path, 0, 256));
            break;
        }
        return false;
    }
    m_file = std::move(file);
    heldHere().insert(path);
    m_renewal.start();
    return true;
}

void JournalLock::release()
{
    m_renewal.stop();
    if (!m_file)
        return;
    const QString path = m_file->fileName();
    heldHere().remove(path);
    // A lock file that another program has taken over meanwhile is its own:
    // QLockFile would remove it by its name on unlocking, so the stale object
    // is kept, never destroyed, until the program ends (one handle each).
    if (namesThisProcess(path)) {
        m_file.reset();
    } else {
        static auto *const abandoned = new std::vector<std::unique_ptr<QLockFile>>;
        abandoned->push_back(std::move(m_file));
    }
}

bool JournalLock::isHeld() const
{
    return m_file && m_file->isLocked() && namesThisProcess(m_file->fileName());
}

void JournalLock::renew()
{
    if (!isHeld())
        return;
    // Only the time changes: the file keeps its holder's lines.
    ::utimensat(AT_FDCWD, QFile::encodeName(m_file->fileName()).constData(), nullptr, 0);
}
