#pragma once

#include <QString>

// The folder of one journal: GROUP/FOLDER under the data root, where GROUP is
// a group code and FOLDER a journal folder name, each trimmed. Every path the
// program builds from these two texts (catalogue cells, identity edits) is
// checked here, so that it never leaves the data root: GROUP must be a real
// directory (not a symbolic link) directly in the root, FOLDER one directly in
// GROUP. Paths are relative to the data root.
namespace JournalFolder {

// "GROUP/FOLDER": the group code trimmed, "/", the folder name trimmed.
QString path(const QString &group, const QString &folder);

// Why a group code and a folder name cannot name a journal folder (each
// trimmed: empty, "." or "..", holding "/", "\" or a control character), or an
// empty text when they can.
QString namesProblem(const QString &group, const QString &folder);
// ZError naming the folder with that reason.
void checkNames(const QString &group, const QString &folder);

// True when something (a folder, a file or a link) stands at GROUP/FOLDER.
bool exists(const QString &dataRoot, const QString &group, const QString &folder);

// Which parts of GROUP/FOLDER must be there.
enum class Needed { GroupAndFolder, Group, Nothing };
// Why GROUP/FOLDER (names already checked) is no journal folder: a part that
// is there but is a symbolic link or no directory, or a part that `needed`
// asks for and that is missing. An empty text when it is one.
QString folderProblem(const QString &dataRoot, const QString &group, const QString &folder, Needed needed);

// The journal folder that a load or a save may use: the names pass checkNames,
// GROUP is a directory directly in the data root and FOLDER a directory
// directly in GROUP, neither a symbolic link. Returns path(); ZError naming the
// folder and the reason otherwise.
QString checked(const QString &dataRoot, const QString &group, const QString &folder);

// As checked(), except that FOLDER may be missing (nothing at all stands
// there): the folder a save may make. Nothing is made.
QString checkedForSave(const QString &dataRoot, const QString &group, const QString &folder);

// checkedForSave(), then makes FOLDER in GROUP when it is missing: one level,
// never the group folder. Returns path(); ZError (FileError when the folder
// cannot be made) naming the folder otherwise.
QString create(const QString &dataRoot, const QString &group, const QString &folder);

// True when two folders, relative to the data root, are one folder on disk
// (equal canonical paths); false when either is empty or does not exist.
bool sameFolder(const QString &dataRoot, const QString &a, const QString &b);

} // namespace JournalFolder

