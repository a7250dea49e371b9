#include "journal/journalfolder.h"

#include "journal/errors.h"
#include "journal/excerpt.h"

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

} // namespace

QString path(const QString &group, const QString &folder)
{
    return group.trimmed() + QLatin1Char('/') + folder.trimmed();
}

QString namesProblem(const QString &group, const QString &folder)
{
    QString problem = nameProblem(group, QStringLiteral("код группы"), QStringLiteral("не указан код группы."));
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

} // namespace JournalFolder
