#include "journal/journalfolder.h"

#include "journal/durablefile.h"
#include "journal/errors.h"
#include "journal/excerpt.h"
#include "journal/journalversions.h"

#include <QDir>
#include <QFileInfo>

namespace JournalFolder {

namespace {

QString nameProblem(const QString &name, const QString &what, const QString &whenEmpty)
{
    const QString t = name.trimmed();
    if (t.isEmpty())
        return whenEmpty;
    if (hasControlCharacter(t))
        return QStringLiteral("%1 %2 содержит управляющий знак.").arg(what, quotedExcerpt(t));
    if (t == QLatin1String(".") || t == QLatin1String(".."))
        return QStringLiteral("%1 %2 не может быть именем папки.").arg(what, quotedExcerpt(t));
    if (t.contains(QLatin1Char('/')) || t.contains(QLatin1Char('\\')))
        return QStringLiteral("%1 %2 содержит «/» или «\\».").arg(what, quotedExcerpt(t));
    return {};
}

// What stands at a path, by the path itself: a link is a link, whatever it points to.
enum class Kind { Missing, Link, Directory, Other };

Kind kindAt(const QString &absolute)
{
    const QFileInfo info(absolute);
    if (info.isSymLink())
        return Kind::Link;
    if (!info.exists())
        return Kind::Missing;
    return info.isDir() ? Kind::Directory : Kind::Other;
}

QString checkedFolder(const QString &dataRoot, const QString &group, const QString &folder, Needed needed)
{
    checkNames(group, folder);
    const QString problem = folderProblem(dataRoot, group, folder, needed);
    if (!problem.isEmpty())
        throw ZError(QStringLiteral("Папка журнала %1 недоступна: %2").arg(quotedExcerpt(path(group, folder)), problem));
    return path(group, folder);
}

bool isInside(const QString &path, const QString &folder)
{
    return path == folder || path.startsWith(folder.endsWith(u'/') ? folder : folder + u'/');
}

// True when the canonical path of `absolute` (which exists) lies in the
// canonical data root.
bool canonicallyInside(const QString &dataRoot, const QString &absolute)
{
    const QString root = QFileInfo(dataRoot).canonicalFilePath();
    const QString canonical = QFileInfo(absolute).canonicalFilePath();
    return !root.isEmpty() && !canonical.isEmpty() && isInside(canonical, root);
}

QString checkedDataPath(const QString &dataRoot, const QString &relative, bool wantFolder)
{
    const QDir root(dataRoot);
    const QString absolute = root.filePath(relative);
    auto refused = [&](const QString &reason) {
        return FileError((wantFolder ? QStringLiteral("Папка %1 недоступна: %2.") : QStringLiteral("Файл %1 недоступен: %2."))
                             .arg(quotedPath(relative), reason));
    };
    const QStringList parts = relative.split(u'/', Qt::SkipEmptyParts);
    QString walked;
    QString deepestFolder = root.absolutePath();
    for (qsizetype i = 0; i < parts.size(); ++i) {
        walked = walked.isEmpty() ? parts[i] : walked + u'/' + parts[i];
        const QString here = root.filePath(walked);
        const bool last = i + 1 == parts.size();
        if (last && !wantFolder) {
            const QString special = DurableFile::notRegularFile(here);
            if (!special.isEmpty())
                throw refused(special);
            break;
        }
        const Kind kind = kindAt(here);
        if (kind == Kind::Missing)
            break;
        if (kind == Kind::Link)
            throw refused(last ? QStringLiteral("это символическая ссылка, а не папка")
                               : QStringLiteral("папка %1 — символическая ссылка").arg(quotedPath(walked)));
        if (kind == Kind::Other)
            throw refused(last ? QStringLiteral("это не папка") : QStringLiteral("%1 — не папка").arg(quotedPath(walked)));
        deepestFolder = here;
    }
    if (kindAt(deepestFolder) == Kind::Directory && !canonicallyInside(dataRoot, deepestFolder))
        throw refused(wantFolder ? QStringLiteral("путь к ней выходит за пределы папки данных")
                                 : QStringLiteral("путь к нему выходит за пределы папки данных"));
    return absolute;
}

} // namespace

QString path(const QString &group, const QString &folder)
{
    return group.trimmed() + QLatin1Char('/') + folder.trimmed();
}

QString namesProblem(const QString &group, const QString &folder)
{
    QString problem = nameProblem(group, QStringLiteral("код группы"), QStringLiteral("не указан код группы."));
    // The archive of kept versions lies beside the group folders and is none of them.
    if (problem.isEmpty() && group.trimmed().compare(QString::fromUtf8(JournalVersions::kArchiveFolder), Qt::CaseInsensitive) == 0)
        problem = QStringLiteral("код группы %1 занят: так называется папка архива версий журналов.")
                      .arg(quotedExcerpt(group.trimmed()));
    if (problem.isEmpty())
        problem = nameProblem(folder, QStringLiteral("имя папки журнала"),
                              QStringLiteral("не указано имя папки журнала."));
    return problem;
}

void checkNames(const QString &group, const QString &folder)
{
    const QString problem = namesProblem(group, folder);
    if (!problem.isEmpty())
        throw ZError(QStringLiteral("Папка журнала %1 недопустима: %2").arg(quotedExcerpt(path(group, folder)), problem));
}

bool exists(const QString &dataRoot, const QString &group, const QString &folder)
{
    return kindAt(QDir(dataRoot).filePath(path(group, folder))) != Kind::Missing;
}

QString folderProblem(const QString &dataRoot, const QString &group, const QString &folder, Needed needed)
{
    const QString g = group.trimmed();
    const QDir root(dataRoot);
    switch (kindAt(root.filePath(g))) {
    case Kind::Missing:
        return needed == Needed::Nothing ? QString() : QStringLiteral("нет папки группы %1.").arg(quotedExcerpt(g));
    case Kind::Link:
        return QStringLiteral("папка группы %1 — символическая ссылка.").arg(quotedExcerpt(g));
    case Kind::Other:
        return QStringLiteral("%1 в папке данных — не папка.").arg(quotedExcerpt(g));
    case Kind::Directory:
        break;
    }
    switch (kindAt(root.filePath(path(group, folder)))) {
    case Kind::Missing:
        return needed == Needed::GroupAndFolder ? QStringLiteral("такой папки нет.") : QString();
    case Kind::Link:
        return QStringLiteral("это символическая ссылка.");
    case Kind::Other:
        return QStringLiteral("это не папка.");
    case Kind::Directory:
        break;
    }
    return {};
}

QString checked(const QString &dataRoot, const QString &group, const QString &folder)
{
    return checkedFolder(dataRoot, group, folder, Needed::GroupAndFolder);
}

QString checkedForSave(const QString &dataRoot, const QString &group, const QString &folder)
{
    return checkedFolder(dataRoot, group, folder, Needed::Group);
}

QString create(const QString &dataRoot, const QString &group, const QString &folder)
{
    const QString relative = checkedForSave(dataRoot, group, folder);
    const QDir root(dataRoot);
    if (kindAt(root.filePath(relative)) == Kind::Missing && !root.mkdir(relative))
        throw FileError(QStringLiteral("Не удалось создать папку журнала %1.").arg(quotedExcerpt(relative)));
    return relative;
}

bool sameFolder(const QString &dataRoot, const QString &a, const QString &b)
{
    if (a.isEmpty() || b.isEmpty())
        return false;
    const QDir root(dataRoot);
    const QString canonicalA = QFileInfo(root.filePath(a)).canonicalFilePath();
    return !canonicalA.isEmpty() && canonicalA == QFileInfo(root.filePath(b)).canonicalFilePath();
}

QString checkedPath(const QString &dataRoot, const QString &folderPath)
{
    const QString cleaned = QDir::cleanPath(QDir(dataRoot).absoluteFilePath(folderPath));
    const QString root = QDir::cleanPath(QDir(dataRoot).absolutePath());
    const bool inRoot = cleaned != root && isInside(cleaned, root);
    const QString shown = inRoot ? QDir(root).relativeFilePath(cleaned) : cleaned;
    auto refused = [&shown](const QString &reason) {
        return ZError(QStringLiteral("Папка журнала %1 недоступна: %2").arg(quotedPath(shown), reason));
    };
    // The folders to check, the journal folder first: inside the root every
    // one up to the root, outside it the journal folder and its group folder.
    QStringList chain{cleaned};
    for (QString up = QFileInfo(cleaned).absolutePath(); chain.size() < 2 || inRoot; up = QFileInfo(up).absolutePath()) {
        if ((inRoot && !isInside(up, root)) || up == root || up == chain.last())
            break;
        chain << up;
    }
    bool missing = false;
    for (qsizetype i = chain.size() - 1; i >= 0 && !missing; --i) {
        const QString name = QFileInfo(chain[i]).fileName();
        const QString what = i == 0 ? QString() : i == 1 ? QStringLiteral("папка группы %1").arg(quotedExcerpt(name))
                                                          : QStringLiteral("папка %1 на пути к ней").arg(quotedExcerpt(name));
        switch (kindAt(chain[i])) {
        case Kind::Missing:
            missing = true;
            break;
        case Kind::Link:
            throw refused(i == 0 ? QStringLiteral("это символическая ссылка.") : what + QStringLiteral(" — символическая ссылка."));
        case Kind::Other:
            throw refused(i == 0 ? QStringLiteral("это не папка.") : what + QStringLiteral(" — не папка."));
        case Kind::Directory:
            break;
        }
    }
    if (inRoot && !missing && !canonicallyInside(root, cleaned))
        throw refused(QStringLiteral("путь к ней выходит за пределы папки данных."));
    return cleaned;
}

QString checkedDataFile(const QString &dataRoot, const QString &relative)
{
    return checkedDataPath(dataRoot, relative, false);
}

QString checkedDataFolder(const QString &dataRoot, const QString &relative)
{
    return checkedDataPath(dataRoot, relative, true);
}

QString createdDataFolder(const QString &dataRoot, const QString &relative)
{
    const QString absolute = checkedDataFolder(dataRoot, relative);
    if (kindAt(absolute) == Kind::Missing) {
        if (!QDir().mkdir(absolute))
            throw FileError(QStringLiteral("Не удалось создать папку %1 в папке данных.").arg(quotedPath(relative)));
        checkedDataFolder(dataRoot, relative);
    }
    return absolute;
}

} // namespace JournalFolder
