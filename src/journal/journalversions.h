#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

// The kept versions of a journal: before a save replaces the journal's files,
// they are copied into "Архив/GROUP/FOLDER/ДД.ММ.ГГГГ ЧЧ-ММ-СС/" of the data
// root (a second save in the same second gets " (2)", " (3)" ...). The last
// kKept versions stay, older ones go. No folder on the way may be a symbolic
// link or anything but a directory, and every one must lie inside the
// canonical data root: a version is never written or read through a link.
namespace JournalVersions {

inline constexpr char kArchiveFolder[] = "Архив";
inline constexpr int kKept = 30;

struct Version
{
    QString name;   // the folder's name
    QDateTime when; // read from the name
    int suffix = 1; // 2 for " (2)"
};

// One file of a journal: its name in the folder and its bytes.
struct File
{
    QString name;
    QByteArray bytes;
};

// "Архив/GROUP/FOLDER", relative to the data root (names as JournalFolder takes them).
QString archivePath(const QString &group, const QString &folder);

// Keeps `files` as a new version of the journal GROUP/FOLDER, made at `when`,
// written through DurableFile all at once, then removes the versions beyond
// `kept`. Returns the version's folder name. ZError naming the folder at
// fault and why (a link, no directory, no room, no rights): nothing is kept then.
QString keep(const QString &dataRoot, const QString &group, const QString &folder, const QList<File> &files,
             const QDateTime &when, int kept = kKept);

// Removes a version just kept, whose save then failed.
void discard(const QString &dataRoot, const QString &group, const QString &folder, const QString &name);

// The journal's versions, newest first; an empty list without an archive
// folder. ZError when a folder on the way, or a version's folder, is a link
// or no directory.
QList<Version> list(const QString &dataRoot, const QString &group, const QString &folder);

// The absolute, checked folder of one version; ZError when it is not there,
// or is a link, or no directory.
QString versionFolder(const QString &dataRoot, const QString &group, const QString &folder, const QString &name);

// The time a version's name shows, as the window lists it: "09.12.2026 14:05:31".
QString shownTime(const Version &version);

} // namespace JournalVersions
