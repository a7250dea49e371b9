#include "journal/catalogue.h"

#include "journal/errors.h"
#include "journal/excerpt.h"
#include "journal/grid.h"
#include "journal/gridops.h"
#include "journal/journalfolder.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

namespace Catalogue {

namespace {

// The canonical path of a path that may not exist yet: its parent resolved.
QString resolved(const QString &absolute)
{
    const QFileInfo info(absolute);
    if (info.exists())
        return info.canonicalFilePath();
    const QString parent = QFileInfo(info.absolutePath()).canonicalFilePath();
    if (parent.isEmpty())
        return {};
    return parent + QLatin1Char('/') + info.fileName();
}

// A listed name is inside the folder when it starts with the folder and "/"
// and none of its parts is empty, "." or "..".
bool insideFolder(const QString &name, const QString &folder)
{
    const QString prefix = folder + QLatin1Char('/');
    if (!name.startsWith(prefix) || name.size() == prefix.size())
        return false;
    const QStringList parts = name.mid(prefix.size()).split(QLatin1Char('/'));
    for (const QString &part : parts)
        if (part.isEmpty() || part == QLatin1String(".") || part == QLatin1String(".."))
            return false;
    return true;
}

struct Walk
{
    QDir root;
    QString folder; // the journal folder, for the messages
    QStringList &out;
    const std::function<void()> &between;

    void refuse(const QString &why) const
    {
        throw ZError(QStringLiteral("Папка журнала %1 не удаляется: %2").arg(quotedExcerpt(folder), why));
    }

    // Lists one folder's entries in name order, then walks its subfolders. The
    // names of one folder are read up to the bound, so a huge folder costs no
    // more than the bound.
    void walk(const QString &path, int depth)
    {
        QStringList names;
        QDirIterator it(root.filePath(path), QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
        while (it.hasNext()) {
            it.next();
            if (out.size() + names.size() >= kMaxDeletedEntries)
                refuse(QStringLiteral("в ней больше %1 файлов и папок.").arg(kMaxDeletedEntries));
            names << it.fileName();
        }
        names.sort();
        for (const QString &name : std::as_const(names)) {
            const QString entry = path + QLatin1Char('/') + name;
            const QFileInfo info(root.filePath(entry));
            if (info.isDir() && !info.isSymLink()) {
                if (depth >= kMaxDeletedDepth)
                    refuse(QStringLiteral("в ней папки вложены глубже %1 уровней.").arg(kMaxDeletedDepth));
                out << entry + QLatin1Char('/');
                if (between)
                    between();
                walk(entry, depth + 1);
            } else {
                out << entry;
                if (between)
                    between();
            }
        }
    }
};

} // namespace

Grid makeGrid()
{
    Grid grid(8, 2, 0, 1);
    const int widths[8] = {20, 109, 64, 72, 375, 124, 44, 127};
    const char *headers[8] = {"№", "Папка", "Группа", "Семестр", "Предмет", "Преподаватель", "Год", "Комментарий"};
    for (int c = 0; c < 8; ++c) {
        grid.setColWidth(c, widths[c]);
        grid.setCell(c, 0, QString::fromUtf8(headers[c]));
    }
    grid.setCell(NumberCol, 1, QStringLiteral("1"));
    grid.setRowHeight(18);
    return grid;
}

QString entryFolderPath(const Grid &catalogue, int row)
{
    return JournalFolder::path(catalogue.cell(GroupCol, row), catalogue.cell(FolderCol, row));
}

int findEntry(const Grid &catalogue, const QString &path)
{
    for (int r = 1; r < catalogue.rowCount(); ++r)
        if (entryFolderPath(catalogue, r) == path)
            return r;
    return -1;
}

void addEntryAtTop(Grid &catalogue, const QString &papkaName, const QString &gruppa, const QString &semestr,
                   const QString &predmNaz)
{
    if (!Grid::sizeAllowed(catalogue.colCount(), qint64(catalogue.rowCount()) + 1))
        throw ZError(QStringLiteral("В списке журналов нет места для ещё одной строки (строк: %1).")
                         .arg(catalogue.rowCount()));
    const int last = catalogue.rowCount();
    catalogue.setRowCount(last + 1);
    catalogue.setCell(NumberCol, last, QString::number(last));
    GridOps::shiftRowsDown(catalogue, 1);
    catalogue.setCell(FolderCol, 1, papkaName);
    catalogue.setCell(GroupCol, 1, gruppa);
    catalogue.setCell(TermCol, 1, semestr);
    catalogue.setCell(SubjectCol, 1, predmNaz);
}

QString checkDeletableFolder(const QString &dataRoot, const QString &group, const QString &folder,
                             const QString &openFolder)
{
    JournalFolder::checkNames(group, folder);
    const QString relative = JournalFolder::path(group, folder);
    const QString refused = QStringLiteral("Папка журнала %1 не удаляется: ").arg(quotedExcerpt(relative));
    const QString rootPath = QFileInfo(dataRoot).canonicalFilePath();
    if (rootPath.isEmpty())
        throw ZError(refused + QStringLiteral("не найдена папка данных %1.").arg(quotedExcerpt(dataRoot)));
    // A folder that is not there holds nothing to delete; one that is there
    // must be a journal folder as a load would take it.
    const QString problem = JournalFolder::folderProblem(rootPath, group, folder, JournalFolder::Needed::Nothing);
    if (!problem.isEmpty())
        throw ZError(refused + problem);
    if (JournalFolder::sameFolder(rootPath, relative, openFolder))
        throw ZError(refused + QStringLiteral("это открытый журнал."));
    return relative;
}

QStringList listFolder(const QString &dataRoot, const QString &folder, const std::function<void()> &between)
{
    QStringList names;
    Walk{QDir(dataRoot), folder, names, between}.walk(folder, 0);
    return names;
}

Deletion deleteJournalFiles(const QString &dataRoot, const QString &group, const QString &folder,
                            const QString &openFolder, const QStringList &names)
{
    const QString relative = checkDeletableFolder(dataRoot, group, folder, openFolder);
    const QDir root(QFileInfo(dataRoot).canonicalFilePath());
    const QString folderTarget = resolved(root.filePath(relative));

    Deletion result;
    for (const QString &name : names) {
        if (name.endsWith(QLatin1Char('/')))
            continue; // a subfolder stays
        if (!insideFolder(name, relative)) {
            result.failed << name;
            continue;
        }
        // The name's own folder must still lie inside the journal folder: a
        // subfolder replaced by a link since the walk is not followed.
        const QString absolute = root.filePath(name);
        const QString parent = QFileInfo(QFileInfo(absolute).absolutePath()).canonicalFilePath();
        if (parent.isEmpty() || (parent != folderTarget && !parent.startsWith(folderTarget + QLatin1Char('/')))) {
            result.failed << name;
            continue;
        }
        const QFileInfo info(absolute);
        if (!info.exists() && !info.isSymLink())
            continue; // gone since the walk
        if (QFile::remove(absolute))
            result.deleted << name;
        else
            result.failed << name;
    }

    const QFileInfo folderInfo(root.filePath(relative));
    if (folderInfo.isDir() && !folderInfo.isSymLink()) {
        QDir dir(folderInfo.absoluteFilePath());
        const bool empty = dir.isEmpty(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
        if (empty) {
            result.folderRemoved = root.rmdir(relative);
            if (!result.folderRemoved)
                result.failed << relative + QLatin1Char('/');
        }
    }
    return result;
}

QString deletionFailureMessage(const Deletion &deletion)
{
    if (deletion.failed.isEmpty())
        return {};
    // A name from the disk may hold a line break: each is quoted as an excerpt,
    // and a long list is cut so that the box stays on the screen.
    constexpr int kShown = 20;
    QStringList lines;
    for (const QString &name : deletion.failed.mid(0, kShown))
        lines << excerpt(name);
    if (deletion.failed.size() > kShown)
        lines << QStringLiteral("… и ещё %1").arg(deletion.failed.size() - kShown);
    return QStringLiteral("Не удалось удалить:\n%1").arg(lines.join(QLatin1Char('\n')));
}

} // namespace Catalogue
