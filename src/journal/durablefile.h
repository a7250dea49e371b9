#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// Writing data files so that a failed write changes nothing. The new bytes go
// into a temporary file in the target's folder, written without a buffer so
// that every byte is checked on its way to the disk (a full disk shows at the
// write, not in a flush nobody looks at), synced, closed, and only then given
// the target's name by a rename. Errors are FileError naming the target file
// and the reason in words a teacher reads; the old file stays byte for byte.
namespace DurableFile {

// The access bits of a written file.
enum class Permissions {
    Kept,      // those of the file it replaces; the usual ones for a new file
    OwnerOnly, // readable and writable by the owner alone, from the first byte on
    New,       // the usual ones for a new file, whatever stands at the target
};

// Why a system call on a file failed (an errno value), in the words of the
// program's messages ("на диске нет места", "нет прав на запись" ...).
QString reasonOf(int error, bool forWriting);

// What stands at a path, not following a link: the reason it is no regular
// file ("это символическая ссылка, а не файл", "это канал, а не файл" ...), or
// an empty text when it is one or when nothing is there (`exists` tells).
QString notRegularFile(const QString &path, bool *exists = nullptr);

// Why writing `bytesNeeded` bytes into the folder of `path` failed with the
// saved errno: that error when it says something, otherwise what the folder
// and its disk show now.
QString writeFailure(const QString &path, int savedErrno, qint64 bytesNeeded);

// FileError unless `path` may be replaced: nothing stands there, or a regular
// file (not a link) that is not read-only.
void checkReplaceable(const QString &path);

// One file written in full under a temporary name in the folder of its target.
// Until it takes a name, the target is untouched; the destructor removes the
// temporary file when it has taken none.
class StagedFile
{
public:
    explicit StagedFile(const QString &target, Permissions permissions = Permissions::Kept);
    ~StagedFile();
    StagedFile(const StagedFile &) = delete;
    StagedFile &operator=(const StagedFile &) = delete;

    // Creates the temporary file and writes, syncs and closes it; FileError
    // naming the target when any byte does not reach the disk.
    void write(const QByteArray &bytes);
    // Gives the written file the target's name, replacing the file there.
    void replaceTarget();
    // Gives the written file the name `path` (in the same folder) only when
    // nothing stands there; false, and nothing changed, when something does.
    bool takeNameIfFree(const QString &path);

    const QString &target() const { return m_target; }

private:
    void failed(const QString &what, int error);
    void syncFolder() const;

    QString m_target;
    Permissions m_permissions;
    QByteArray m_temp; // the temporary file's native path, while it exists
    qint64 m_size = 0;
};

// Writes one file: checkReplaceable, then StagedFile.
void write(const QString &path, const QByteArray &bytes, Permissions permissions = Permissions::Kept);

// Several files saved as one: every target is checked before the first byte
// is written, then every file is written in full under its temporary name,
// and only then do they all take their names. A failure before the renames
// leaves every target as it was.
class StagedWrites
{
public:
    StagedWrites();
    ~StagedWrites();
    void add(const QString &path, QByteArray bytes, Permissions permissions = Permissions::Kept);
    void commit();

private:
    struct Item
    {
        QString path;
        QByteArray bytes;
        Permissions permissions;
    };
    QList<Item> m_items;
};

} // namespace DurableFile
