#include "journal/journalversions.h"

#include "journal/durablefile.h"
#include "journal/errors.h"
#include "journal/excerpt.h"
#include "journal/journalfolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <cerrno>
#include <sys/stat.h>

namespace JournalVersions {

namespace {

const QString kTimeFormat = QStringLiteral("dd.MM.yyyy HH-mm-ss");

// "09.12.2026 14-05-31" or "09.12.2026 14-05-31 (2)".
bool parseName(const QString &name, Version *version)
{
    static const QRegularExpression pattern(
        QStringLiteral("^(\\d\\d\\.\\d\\d\\.\\d\\d\\d\\d \\d\\d-\\d\\d-\\d\\d)(?: \\((\\d{1,4})\\))?$"));
    const QRegularExpressionMatch m = pattern.match(name);
    if (!m.hasMatch())
        return false;
    const QDateTime when = QDateTime::fromString(m.captured(1), kTimeFormat);
    if (!when.isValid())
        return false;
    version->name = name;
    version->when = when;
    version->suffix = m.capturedLength(2) > 0 ? m.captured(2).toInt() : 1;
    return true;
}

bool newerFirst(const Version &a, const Version &b)
{
    if (a.when != b.when)
        return a.when > b.when;
    return a.suffix > b.suffix;
}

QString refusedFolder(const QString &relative, const QString &reason)
{
    return QStringLiteral("Архив версий %1 недоступен: %2.").arg(quotedPath(relative), reason);
}

// The archive folder of the journal, checked on the whole way; made when `create`.
QString archiveFolder(const QString &dataRoot, const QString &group, const QString &folder, bool create)
{
    JournalFolder::checkNames(group, folder);
    const QString levels[] = {QString::fromUtf8(kArchiveFolder),
                              QString::fromUtf8(kArchiveFolder) + u'/' + group.trimmed(),
                              archivePath(group, folder)};
    QString absolute;
    for (const QString &level : levels)
        absolute = create ? JournalFolder::createdDataFolder(dataRoot, level)
                          : JournalFolder::checkedDataFolder(dataRoot, level);
    return absolute;
}

// Removes one old version: its own files and links (never what a link
// points to), then the folder when that left it empty. What cannot be
// removed stays; the next save tries again.
void removeVersion(const QString &folderPath)
{
    QDir dir(folderPath);
    const QFileInfoList entries = dir.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo &entry : entries)
        if (entry.isSymLink() || !entry.isDir())
            QFile::remove(entry.absoluteFilePath());
    QDir().rmdir(folderPath);
}

} // namespace

QString archivePath(const QString &group, const QString &folder)
{
    return QString::fromUtf8(kArchiveFolder) + u'/' + JournalFolder::path(group, folder);
}

QList<Version> list(const QString &dataRoot, const QString &group, const QString &folder)
{
    const QString absolute = archiveFolder(dataRoot, group, folder, false);
    QList<Version> versions;
    const QFileInfo info(absolute);
    if (!info.exists() && !info.isSymLink())
        return versions;
    const QStringList names = QDir(absolute).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString &name : names) {
        Version version;
        if (!parseName(name, &version))
            continue; // not a version: left alone
        const QFileInfo entry(QDir(absolute).filePath(name));
        if (entry.isSymLink() || !entry.isDir())
            throw ZError(refusedFolder(archivePath(group, folder) + u'/' + name,
                                       entry.isSymLink() ? QStringLiteral("это символическая ссылка, а не папка")
                                                         : QStringLiteral("это не папка")));
        versions.append(version);
    }
    std::sort(versions.begin(), versions.end(), newerFirst);
    return versions;
}

QString versionFolder(const QString &dataRoot, const QString &group, const QString &folder, const QString &name)
{
    Version version;
    if (!parseName(name, &version))
        throw ZError(QStringLiteral("Версии %1 журнала %2 нет в архиве.")
                         .arg(quotedExcerpt(name), quotedExcerpt(JournalFolder::path(group, folder))));
    archiveFolder(dataRoot, group, folder, false);
    const QString relative = archivePath(group, folder) + u'/' + name;
    const QString absolute = JournalFolder::checkedDataFolder(dataRoot, relative);
    if (!QFileInfo(absolute).isDir())
        throw ZError(refusedFolder(relative, QStringLiteral("такой папки нет")));
    return absolute;
}

QString keep(const QString &dataRoot, const QString &group, const QString &folder, const QList<File> &files,
             const QDateTime &when, int kept)
{
    JournalFolder::checkNames(group, folder);
    // The archive's folders this call makes go again when the version cannot be kept.
    QStringList made;
    const auto undo = [&made] {
        for (qsizetype i = made.size() - 1; i >= 0; --i)
            QDir().rmdir(made[i]);
    };
    QString archive;
    const QString levels[] = {QString::fromUtf8(kArchiveFolder),
                              QString::fromUtf8(kArchiveFolder) + u'/' + group.trimmed(),
                              archivePath(group, folder)};
    try {
        for (const QString &level : levels) {
            const QString absolute = JournalFolder::checkedDataFolder(dataRoot, level);
            const QFileInfo info(absolute);
            const bool missing = !info.exists() && !info.isSymLink();
            archive = JournalFolder::createdDataFolder(dataRoot, level);
            if (missing)
                made << archive;
        }
    } catch (...) {
        undo();
        throw;
    }
    // The name is taken by making the folder: two saves in one second (this
    // program's or another's) never share one.
    const QString stamp = when.toString(kTimeFormat);
    // After every version of the same second, so that the newest sorts first
    // even when older ones of that second have been removed.
    int first = 1;
    try {
        for (const Version &v : list(dataRoot, group, folder))
            if (v.name.startsWith(stamp))
                first = std::max(first, v.suffix + 1);
    } catch (...) {
        undo();
        throw;
    }
    QString name;
    QString absolute;
    for (int n = first;; ++n) {
        // Beyond " (9999)" a name no longer reads as a version: it would be
        // kept where no list shows it and no limit removes it.
        if (n > 9999) {
            undo();
            throw FileError(QStringLiteral("Не удалось создать папку версии в %1: там уже есть версия %2.")
                                .arg(quotedPath(archive), quotedExcerpt(stamp + QStringLiteral(" (9999)"))));
        }
        name = n == 1 ? stamp : QStringLiteral("%1 (%2)").arg(stamp).arg(n);
        absolute = QDir(archive).filePath(name);
        if (::mkdir(QFile::encodeName(absolute).constData(), 0777) == 0)
            break;
        const int error = errno;
        if (error != EEXIST) {
            undo();
            throw FileError(QStringLiteral("Не удалось создать папку версии %1: %2.")
                                .arg(quotedPath(absolute), DurableFile::reasonOf(error, true)));
        }
    }
    made << absolute;
    try {
        DurableFile::StagedWrites save;
        for (const File &file : files)
            save.add(QDir(absolute).filePath(file.name), file.bytes, DurableFile::Permissions::New);
        save.commit();
    } catch (...) {
        undo(); // the version's folder is empty: nothing took its name
        throw;
    }
    // The version just kept is one of the `kept` and never goes, even when
    // other names show a later time (a clock set back, a folder copied in):
    // the oldest of the others do.
    QList<Version> others = list(dataRoot, group, folder);
    others.removeIf([&name](const Version &v) { return v.name == name; });
    for (qsizetype i = std::max(kept - 1, 0); i < others.size(); ++i)
        removeVersion(QDir(archive).filePath(others[i].name));
    return name;
}

void discard(const QString &dataRoot, const QString &group, const QString &folder, const QString &name)
{
    removeVersion(versionFolder(dataRoot, group, folder, name));
}

QString shownTime(const Version &version)
{
    const QString time = version.when.toString(QStringLiteral("dd.MM.yyyy HH:mm:ss"));
    return version.suffix > 1 ? QStringLiteral("%1 (%2)").arg(time).arg(version.suffix) : time;
}

} // namespace JournalVersions
