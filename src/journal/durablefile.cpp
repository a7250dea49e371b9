#include "journal/durablefile.h"

#include "journal/errors.h"
#include "journal/excerpt.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <memory>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace DurableFile {

QString reasonOf(int error, bool forWriting)
{
    switch (error) {
    case ENOENT:
        return forWriting ? QStringLiteral("нет такой папки") : QStringLiteral("файл не найден");
    case EACCES:
        return forWriting ? QStringLiteral("нет прав на запись") : QStringLiteral("нет прав на чтение");
    case EPERM:
        return QStringLiteral("файл защищён от изменения (заблокирован)");
    case ENOSPC:
        return QStringLiteral("на диске нет места");
    case EDQUOT:
        return QStringLiteral("превышена дисковая квота");
    case EROFS:
        return QStringLiteral("диск доступен только для чтения");
    case ELOOP:
        return QStringLiteral("это символическая ссылка, а не файл");
    case EISDIR:
        return QStringLiteral("это папка, а не файл");
    case ENOTDIR:
        return QStringLiteral("часть пути не является папкой");
    case ENAMETOOLONG:
        return QStringLiteral("слишком длинное имя");
    case EBUSY:
    case ETXTBSY:
    case EAGAIN:
        return QStringLiteral("файл занят другой программой");
    case EMFILE:
    case ENFILE:
        return QStringLiteral("открыто слишком много файлов");
    case EFBIG:
        return QStringLiteral("файл слишком велик");
    case ENOMEM:
        return QStringLiteral("недостаточно памяти");
    case EIO:
        return QStringLiteral("ошибка ввода-вывода на диске");
    default:
        return QStringLiteral("системная ошибка %1").arg(error);
    }
}

QString notRegularFile(const QString &path, bool *exists)
{
    const QByteArray native = QFile::encodeName(path);
    struct stat st{};
    if (::lstat(native.constData(), &st) != 0) {
        if (exists)
            *exists = false;
        return {};
    }
    if (exists)
        *exists = true;
    if (S_ISREG(st.st_mode))
        return {};
    if (S_ISLNK(st.st_mode))
        return QStringLiteral("это символическая ссылка, а не файл");
    if (S_ISDIR(st.st_mode))
        return QStringLiteral("это папка, а не файл");
    if (S_ISFIFO(st.st_mode))
        return QStringLiteral("это канал, а не файл");
    if (S_ISSOCK(st.st_mode))
        return QStringLiteral("это сокет, а не файл");
    return QStringLiteral("это устройство, а не файл");
}

QString writeFailure(const QString &path, int savedErrno, qint64 bytesNeeded)
{
    const QByteArray dir = QFile::encodeName(QFileInfo(path).absolutePath());
    switch (savedErrno) {
    case ENOSPC: case EDQUOT: case EROFS: case EPERM: case EBUSY: case ETXTBSY: case EIO: case EFBIG:
    case ENAMETOOLONG: case ENOTDIR:
        return reasonOf(savedErrno, true);
    default:
        break;
    }
    struct stat st{};
    if (::stat(dir.constData(), &st) != 0 || !S_ISDIR(st.st_mode))
        return QStringLiteral("нет папки %1").arg(quotedPath(QFileInfo(path).path()));
    struct statvfs fs{};
    if (::statvfs(dir.constData(), &fs) == 0) {
        if (fs.f_flag & ST_RDONLY)
            return reasonOf(EROFS, true);
        if (qint64(fs.f_bavail) * qint64(fs.f_frsize) < bytesNeeded + 4096)
            return reasonOf(ENOSPC, true);
    }
    if (::access(dir.constData(), W_OK) != 0)
        return QStringLiteral("папка %1 только для чтения").arg(quotedPath(QFileInfo(path).path()));
    const QByteArray native = QFile::encodeName(path);
    if (::access(native.constData(), F_OK) == 0 && ::access(native.constData(), W_OK) != 0)
        return QStringLiteral("файл только для чтения");
    return savedErrno ? reasonOf(savedErrno, true) : QStringLiteral("неизвестная ошибка записи");
}

namespace {

// A read-only file is not replaced, also when the program runs as root, who
// could write it anyway: the mark is the owner's word that it stays.
bool readOnly(const QByteArray &native, const struct stat &st)
{
    return ::access(native.constData(), W_OK) != 0 || (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

// write() until every byte is written; false with errno set when one is not.
bool writeAll(int fd, const char *data, qint64 size)
{
    while (size > 0) {
        const ssize_t done = ::write(fd, data, size_t(std::min<qint64>(size, qint64(1) << 30)));
        if (done < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (done == 0) {
            errno = EIO;
            return false;
        }
        data += done;
        size -= done;
    }
    return true;
}

} // namespace

void checkReplaceable(const QString &path)
{
    // A link or a special file in the place of a data file is never written
    // through, nor replaced: the save stops before anything is written.
    bool exists = false;
    const QString special = notRegularFile(path, &exists);
    if (!special.isEmpty())
        throw FileError(QStringLiteral("Файл %1 не записан: %2.").arg(quotedPath(path), special));
    const QByteArray native = QFile::encodeName(path);
    struct stat st{};
    if (exists && ::lstat(native.constData(), &st) == 0 && readOnly(native, st))
        throw FileError(QStringLiteral("Файл %1 не записан: файл только для чтения.").arg(quotedPath(path)));
}

StagedFile::StagedFile(const QString &target, Permissions permissions) : m_target(target), m_permissions(permissions) {}

StagedFile::~StagedFile()
{
    if (!m_temp.isEmpty())
        ::unlink(m_temp.constData());
}

void StagedFile::failed(const QString &what, int error)
{
    if (!m_temp.isEmpty()) {
        ::unlink(m_temp.constData());
        m_temp.clear();
    }
    const QString reason = writeFailure(m_target, error, m_size);
    // A new file (a report under a free name) has no previous file to keep.
    const bool existed = m_permissions != Permissions::New && (QFileInfo::exists(m_target) || QFileInfo(m_target).isSymLink());
    throw FileError(what.arg(quotedPath(m_target), reason)
                    + (existed ? QStringLiteral(" Прежний файл сохранён.") : QStringLiteral(" Файл не создан.")));
}

void StagedFile::write(const QByteArray &bytes)
{
    Q_ASSERT(m_temp.isEmpty());
    m_size = bytes.size();
    const QString folder = QFileInfo(m_target).absolutePath();
    const QByteArray targetNative = QFile::encodeName(m_target);
    struct stat old{};
    const bool replacing = ::lstat(targetNative.constData(), &old) == 0 && S_ISREG(old.st_mode);

    // A hidden name of our own beside the target, made only when free.
    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
        const QByteArray name = QFile::encodeName(folder) + "/.zhurnal-"
                                + QByteArray::number(QRandomGenerator::global()->generate64() & 0xffffffffffULL, 16) + ".tmp";
        errno = 0;
        fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                    m_permissions == Permissions::OwnerOnly ? 0600 : 0666);
        if (fd >= 0)
            m_temp = name;
        else if (errno != EEXIST)
            break;
    }
    if (fd < 0) {
        const int error = errno;
        throw FileError(QStringLiteral("Не удалось создать файл %1: %2.").arg(quotedPath(m_target), writeFailure(m_target, error, m_size)));
    }
    // The access bits before the first byte: a file of passwords is never
    // readable by others, not even for a moment.
    if (m_permissions == Permissions::OwnerOnly) {
        if (::fchmod(fd, 0600) != 0) {
            const int error = errno;
            ::close(fd);
            failed(QStringLiteral("Не удалось закрыть файл %1 от других пользователей: %2."), error);
        }
    } else if (replacing && m_permissions == Permissions::Kept) {
        // The file keeps its owner (when we may give it) and its access bits.
        if (::geteuid() == 0)
            (void)::fchown(fd, old.st_uid, old.st_gid);
        (void)::fchmod(fd, old.st_mode & 07777);
    }
    errno = 0;
    if (!writeAll(fd, bytes.constData(), bytes.size())) {
        const int error = errno;
        ::close(fd);
        failed(QStringLiteral("Ошибка записи файла %1: %2."), error);
    }
    // The bytes must be on the disk before the name moves to them: a write
    // the file system deferred fails here, and a crash after the rename
    // finds the whole new file, never an empty one.
    if (::fsync(fd) != 0) {
        const int error = errno;
        ::close(fd);
        failed(QStringLiteral("Не удалось записать файл %1: %2."), error);
    }
    if (::close(fd) != 0)
        failed(QStringLiteral("Не удалось записать файл %1: %2."), errno);
}

void StagedFile::syncFolder() const
{
    // The new name itself on the disk. A file system that cannot sync a
    // folder has done all it can; the file's bytes were synced already.
    const int dirFd = ::open(QFile::encodeName(QFileInfo(m_target).absolutePath()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        (void)::fsync(dirFd);
        ::close(dirFd);
    }
}

void StagedFile::replaceTarget()
{
    Q_ASSERT(!m_temp.isEmpty());
    if (::rename(m_temp.constData(), QFile::encodeName(m_target).constData()) != 0)
        failed(QStringLiteral("Не удалось записать файл %1: %2."), errno);
    m_temp.clear();
    syncFolder();
}

bool StagedFile::takeNameIfFree(const QString &path)
{
    Q_ASSERT(!m_temp.isEmpty());
    const QByteArray native = QFile::encodeName(path);
    if (::renameat2(AT_FDCWD, m_temp.constData(), AT_FDCWD, native.constData(), RENAME_NOREPLACE) != 0) {
        if (errno == EEXIST)
            return false;
        if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) {
            m_target = path;
            failed(QStringLiteral("Не удалось записать файл %1: %2."), errno);
        }
        // A file system without renameat2's flags: a second name that is
        // made only when free, then the temporary name goes.
        if (::link(m_temp.constData(), native.constData()) != 0) {
            if (errno == EEXIST)
                return false;
            m_target = path;
            failed(QStringLiteral("Не удалось записать файл %1: %2."), errno);
        }
        ::unlink(m_temp.constData());
    }
    m_temp.clear();
    m_target = path;
    syncFolder();
    return true;
}

void write(const QString &path, const QByteArray &bytes, Permissions permissions)
{
    checkReplaceable(path);
    StagedFile file(path, permissions);
    file.write(bytes);
    file.replaceTarget();
}

StagedWrites::StagedWrites() = default;
StagedWrites::~StagedWrites() = default;

void StagedWrites::add(const QString &path, QByteArray bytes, Permissions permissions)
{
    m_items.append({path, std::move(bytes), permissions});
}

void StagedWrites::commit()
{
    for (const Item &item : std::as_const(m_items))
        checkReplaceable(item.path);
    std::vector<std::unique_ptr<StagedFile>> staged;
    staged.reserve(size_t(m_items.size()));
    for (const Item &item : std::as_const(m_items)) {
        staged.push_back(std::make_unique<StagedFile>(item.path, item.permissions));
        staged.back()->write(item.bytes);
    }
    for (const auto &file : staged)
        file->replaceTarget();
    m_items.clear();
}

} // namespace DurableFile
