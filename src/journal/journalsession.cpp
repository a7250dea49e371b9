#include "journal/journalsession.h"

#include "journal/catalogue.h"
#include "journal/cp1251.h"
#include "journal/durablefile.h"
#include "journal/errors.h"
#include "journal/excerpt.h"
#include "journal/gridfile.h"
#include "journal/gridops.h"
#include "journal/journalfolder.h"
#include "journal/journallayout.h"
#include "journal/journalplace.h"
#include "rating/resultgrids.h"
#include "themes/themes.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QLockFile>

#include <cstring>
#include <optional>

namespace {

const QString kSpStud = QStringLiteral("SpStud.txt");
const QString kSpTem = QStringLiteral("SpTem.txt");
const QString kColSpStud = QStringLiteral("ColSpStud.txt");
// "Baza/Gurnali.txt", reached through real folders of the data root only.
QString cataloguePath(const QString &root)
{
    return JournalFolder::checkedDataFile(root, QString::fromLatin1(Catalogue::kCatalogueFile));
}

// Held only while the catalogue is read again and written: a few milliseconds.
const QString kCatalogueLock = QStringLiteral("Baza/Gurnali.lock");
constexpr int kCatalogueWaitMs = 10000;
constexpr int kCatalogueStaleMs = 30000;
// What a file that is not there is taken as, beside the fingerprints of bytes.
const QByteArray kNoFile = QByteArrayLiteral("no file");

QByteArray bytesFingerprint(const QByteArray &bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha1);
}

// The catalogue file's bytes as they are now, or kNoFile.
QByteArray catalogueFingerprint(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return kNoFile;
    return bytesFingerprint(readWholeFile(path));
}

// The catalogue's lock, for one read-again-and-write: other programs wait for it.
class CatalogueLock
{
public:
    CatalogueLock(const QString &lockPath, const QString &cataloguePath) : m_file(lockPath)
    {
        m_file.setStaleLockTime(kCatalogueStaleMs);
        if (m_file.tryLock(kCatalogueWaitMs))
            return;
        if (m_file.error() == QLockFile::LockFailedError) {
            const LockHolder holder = lockHolderOf(lockPath);
            throw ZError(QStringLiteral("Список журналов %1 сейчас записывает программа на компьютере %2; "
                                        "ничего не изменено, попробуйте ещё раз.")
                             .arg(quotedPath(cataloguePath),
                                  holder.host.isEmpty() ? QStringLiteral("(неизвестном)") : quotedExcerpt(holder.host)));
        }
        throw FileError(QStringLiteral("Список журналов %1 не записан: не удалось создать файл %2: %3.")
                            .arg(quotedPath(cataloguePath), quotedPath(lockPath),
                                 DurableFile::writeFailure(lockPath, 0, 256)));
    }

private:
    QLockFile m_file;
};

QString catalogueConflict(const QString &cataloguePath)
{
    return QStringLiteral("Список журналов %1 изменён на диске другой программой, а в окне «Список журналов» "
                          "есть незаписанные правки: записать их — значит потерять записи той программы. "
                          "Ничего не изменено.")
        .arg(quotedPath(cataloguePath));
}

// A journal folder whose lock this program cannot take: what a save into it says.
QString notSavedInto(const QString &refusal, const QString &folder)
{
    return QStringLiteral("%1.\nЖурнал не записан в папку %2. Чтобы сохранить эти правки, впишите в поле «Папка» "
                          "другое имя.")
        .arg(refusal, quotedPath(folder));
}

Grid makeItogShown()
{
    // Drawn wide enough for a full name and a sum with two decimals.
    Grid itog = ResultGrids::makeItog();
    const int widths[] = {22, 130, 46, 30, 30, 30, 30, 34};
    for (int c = 0; c < ResultGrids::ItogColumns; ++c)
        itog.setColWidth(c, widths[c]);
    return itog;
}

// What a save would write of grids, as a hash: their counts, every cell and
// the column widths. The fixed counts are left out: the files do not hold them.
// The bytes are gathered in a buffer first: a hash call, or a growing array,
// per cell would cost more than the hashing itself.
class Fingerprint
{
public:
    void add(const Grid &grid)
    {
        addNumber(grid.colCount());
        addNumber(grid.rowCount());
        for (int c = 0; c < grid.colCount(); ++c) {
            addNumber(grid.colWidth(c));
            for (const QString &cell : grid.column(c)) {
                addNumber(cell.size());
                addBytes(cell.constData(), cell.size() * qsizetype(sizeof(QChar)));
            }
        }
    }
    QByteArray result()
    {
        flush();
        return m_hash.result();
    }

private:
    void addNumber(qint64 n) { addBytes(&n, sizeof n); }
    void addBytes(const void *data, qsizetype size)
    {
        if (m_used + size > qsizetype(sizeof m_buffer)) {
            flush();
            if (size > qsizetype(sizeof m_buffer)) {
                m_hash.addData(QByteArrayView(static_cast<const char *>(data), size));
                return;
            }
        }
        std::memcpy(m_buffer + m_used, data, size_t(size));
        m_used += size;
    }
    void flush()
    {
        m_hash.addData(QByteArrayView(m_buffer, m_used));
        m_used = 0;
    }

    QCryptographicHash m_hash{QCryptographicHash::Sha1};
    char m_buffer[1 << 15];
    qsizetype m_used = 0;
};

QByteArray fingerprint(std::initializer_list<const Grid *> grids)
{
    Fingerprint f;
    for (const Grid *grid : grids)
        f.add(*grid);
    return f.result();
}

// The journal's cells named as the teacher sees them, for the save's messages.
CellNamer journalCellNamer(const Grid &journal)
{
    return [&journal](int col, int row) { return JournalPlace::describe(journal, col, row); };
}

} // namespace

JournalSession::JournalSession(const QString &dataRoot, QObject *parent)
    : QObject(parent),
      m_root(QDir(dataRoot).absolutePath()),
      m_catalogue(Catalogue::makeGrid()),
      m_journal(JournalLayout::makeJournalGrid()),
      m_themes(Themes::makeGrid()),
      m_summi(ResultGrids::makeSummi()),
      m_itog(makeItogShown()),
      m_uspev(ResultGrids::makeUspev())
{
    markJournalUnchanged();
    markCatalogueUnchanged();
}

bool JournalSession::journalModified() const
{
    return fingerprint({&m_journal, &m_themes}) != m_unchangedJournal;
}

bool JournalSession::catalogueModified() const
{
    return fingerprint({&m_catalogue}) != m_unchangedCatalogue;
}

void JournalSession::markJournalUnchanged()
{
    m_unchangedJournal = fingerprint({&m_journal, &m_themes});
}

void JournalSession::markCatalogueUnchanged()
{
    m_unchangedCatalogue = fingerprint({&m_catalogue});
}

QString JournalSession::rootPath(const QString &relative) const
{
    return QDir(m_root).filePath(relative);
}

void JournalSession::readCatalogue()
{
    const QString path = cataloguePath(m_root);
    const QByteArray bytes = readWholeFile(path);
    parseGridFile(path, bytes, m_catalogue);
    m_catalogueOnDisk = bytesFingerprint(bytes);
    markCatalogueUnchanged();
}

void JournalSession::saveCatalogue()
{
    const QString path = cataloguePath(m_root);
    // The lock file lies beside the catalogue, in the checked "Baza" folder.
    const CatalogueLock lock(rootPath(kCatalogueLock), path);
    if (!m_catalogueOnDisk.isEmpty() && catalogueFingerprint(path) != m_catalogueOnDisk)
        throw ZError(QStringLiteral("Список журналов %1 не записан: его изменила другая программа после того, "
                                    "как он был прочитан здесь, и её записи пропали бы. Закройте окно без "
                                    "сохранения: список будет прочитан заново, и правки можно будет повторить.")
                         .arg(quotedPath(path)));
    writeCatalogue(m_catalogue);
}

void JournalSession::writeCatalogue(const Grid &catalogue)
{
    const QString path = cataloguePath(m_root);
    const QByteArray bytes = gridFileBytes(path, catalogue);
    writeWholeFile(path, bytes);
    if (&catalogue != &m_catalogue)
        m_catalogue = catalogue;
    m_catalogueOnDisk = bytesFingerprint(bytes);
    markCatalogueUnchanged();
}

bool JournalSession::catalogueChangedOnDisk() const
{
    return !m_catalogueOnDisk.isEmpty()
        && catalogueFingerprint(cataloguePath(m_root)) != m_catalogueOnDisk;
}

bool JournalSession::refreshCatalogue()
{
    if (catalogueModified() || !catalogueChangedOnDisk())
        return false;
    readCatalogue();
    return true;
}

void JournalSession::checkCatalogueChangeable() const
{
    if (catalogueModified() && catalogueChangedOnDisk())
        throw ZError(catalogueConflict(cataloguePath(m_root)));
}

void JournalSession::changeCatalogue(const std::function<void(Grid &)> &change)
{
    const QString path = cataloguePath(m_root);
    const CatalogueLock lock(rootPath(kCatalogueLock), path);
    Grid catalogue = m_catalogue;
    if (!m_catalogueOnDisk.isEmpty()) {
        const QFileInfo info(path);
        const bool present = info.exists() || info.isSymLink();
        const QByteArray bytes = present ? readWholeFile(path) : QByteArray();
        if ((present ? bytesFingerprint(bytes) : kNoFile) != m_catalogueOnDisk) {
            if (catalogueModified())
                throw ZError(catalogueConflict(path));
            if (present)
                parseGridFile(path, bytes, catalogue);
        }
    }
    change(catalogue);
    writeCatalogue(catalogue);
}

void JournalSession::removeFromCatalogue(int row, const QString &group, const QString &folder)
{
    changeCatalogue([&](Grid &catalogue) {
        auto holds = [&](int r) {
            return r >= 1 && r < catalogue.rowCount() && catalogue.cell(Catalogue::GroupCol, r) == group
                && catalogue.cell(Catalogue::FolderCol, r) == folder;
        };
        int r = row;
        if (!holds(r))
            for (r = 1; r < catalogue.rowCount() && !holds(r); ++r) {
            }
        if (holds(r))
            GridOps::deleteRow(catalogue, r);
    });
}

JournalIdentity JournalSession::catalogueEntry(int row) const
{
    JournalIdentity id;
    id.group = m_catalogue.cell(Catalogue::GroupCol, row);
    id.subject = m_catalogue.cell(Catalogue::SubjectCol, row);
    id.folder = m_catalogue.cell(Catalogue::FolderCol, row);
    id.term = m_catalogue.cell(Catalogue::TermCol, row);
    id.year = m_catalogue.cell(Catalogue::YearCol, row);
    id.comment = m_catalogue.cell(Catalogue::CommentCol, row);
    return id;
}

void JournalSession::load(const JournalIdentity &identity)
{
    loadFolder(identity.group, identity.folder, &identity);
}

void JournalSession::reload()
{
    const qsizetype slash = m_folderPath.indexOf(u'/');
    loadFolder(m_folderPath.left(slash), slash < 0 ? QString() : m_folderPath.mid(slash + 1), nullptr);
}

void JournalSession::loadFolder(const QString &group, const QString &folder, const JournalIdentity *identity)
{
    const QString path = JournalFolder::checked(m_root, group, folder);
    const QDir dir(rootPath(path));
    // Both grids are read before either changes: a journal whose theme file
    // is missing must not stand on screen under the previous identity.
    Grid journal = m_journal;
    Grid themes = m_themes;
    // The bytes read are what a save later compares the files on disk with.
    const QByteArray journalBytes = readWholeFile(dir.filePath(kSpStud));
    parseGridFile(dir.filePath(kSpStud), journalBytes, journal);
    const QByteArray themeBytes = readWholeFile(dir.filePath(kSpTem));
    parseGridFile(dir.filePath(kSpTem), themeBytes, themes);
    const DiskFile journalState = diskFileOf(dir.filePath(kSpStud), &journalBytes);
    const DiskFile themeState = diskFileOf(dir.filePath(kSpTem), &themeBytes);
    m_journal = std::move(journal);
    m_themes = std::move(themes);
    m_folderPath = path;
    if (identity)
        m_identity = *identity;
    lockCurrentFolder();
    clearResults();
    Q_EMIT journalSwitched(identity != nullptr);
    m_summi.setColCount(m_journal.colCount());
    // Read as ReadColumnWidths() does: only a path where nothing is keeps the widths.
    const QString widthsPath = dir.filePath(kColSpStud);
    const QFileInfo widthsInfo(widthsPath);
    DiskFile widths;
    try {
        if (widthsInfo.exists() || widthsInfo.isSymLink()) {
            const QByteArray widthBytes = readWholeFile(widthsPath);
            parseColumnWidths(widthsPath, widthBytes, m_journal, &m_summi);
            widths = diskFileOf(widthsPath, &widthBytes);
        }
    } catch (...) {
        // The journal stands as read, without the widths: that is its unchanged state.
        markJournalUnchanged();
        throw;
    }
    m_diskStateFolder = path;
    m_diskState = {{kSpStud, journalState}, {kColSpStud, widths}, {kSpTem, themeState}};
    m_savedJournal = m_journal;
    m_savedFolder = path;
    markJournalUnchanged();
    ResultGrids::writeSummiCodes(m_journal, m_summi);
    // The scale comes before the recalculation, so that the grades on screen
    // follow the thresholds the scale window shows. A scale file that cannot
    // be read leaves the thresholds as they stand; the journal is still
    // recalculated with them, and the failure is reported at the end.
    std::optional<ZError> scaleFailure;
    try {
        m_thresholds = GradingScale::readFile(GradingScale::scaleFile(m_root));
        Q_EMIT thresholdsRead();
    } catch (const ZError &e) {
        scaleFailure = e;
    }
    recalculate();
    Q_EMIT journalLoaded();
    const QString readOnly = readOnlyReason();
    if (!readOnly.isEmpty())
        Q_EMIT journalReadOnly(readOnly);
    if (scaleFailure)
        throw *scaleFailure;
}

void JournalSession::clearResults()
{
    m_itog.setRowCount(2);
    for (int c = 0; c < m_itog.colCount(); ++c)
        m_itog.setCell(c, 1, QString());
    for (int c = 1; c < m_uspev.colCount(); ++c)
        for (int r = 1; r < m_uspev.rowCount(); ++r)
            m_uspev.setCell(c, r, QStringLiteral("0"));
    m_indicators = Indicators();
    // The dynamics grid keeps its labels; the student shown and every figure go.
    m_summi.setCell(1, ResultGrids::StudentRow, QString());
    m_summi.setCell(1, ResultGrids::StudentAccumulatedRow, QString());
    for (int c = JournalLayout::kFirstLessonCol; c < m_summi.colCount(); ++c)
        for (int r = ResultGrids::StudentRow; r < m_summi.rowCount(); ++r)
            m_summi.setCell(c, r, QString());
}

void JournalSession::loadJournalFile(const QString &folder, const GridReader &read)
{
    read(QDir(rootPath(folder)).filePath(kSpStud), m_journal);
    markJournalUnchanged();
    m_summi.setColCount(m_journal.colCount());
    ResultGrids::writeSummiCodes(m_journal, m_summi);
}

void JournalSession::recalculate()
{
    m_leftOutCells = -1;
    m_leftOutCells = ::recalculate(m_journal, m_thresholds, m_itog, m_uspev, m_summi, m_indicators);
}

void JournalSession::prepareSave(const JournalIdentity &target)
{
    JournalFolder::checkNames(target.group, target.folder);
    // The identity goes into the catalogue file: a text it cannot hold is
    // refused here, before a folder or an entry is made.
    const std::pair<const QString *, const char *> texts[] = {
        {&target.group, "Группа"}, {&target.folder, "Папка"}, {&target.term, "Семестр"}, {&target.subject, "Предмет"}};
    for (const auto &[text, caption] : texts) {
        const qsizetype at = Cp1251::firstUnencodable(*text);
        if (at >= 0)
            throw ZError(QStringLiteral("Журнал не записан: в поле «%1» есть знак %2, которого нет в кодировке cp1251.")
                             .arg(QString::fromUtf8(caption),
                                  quotedExcerpt(text->mid(at, text->at(at).isHighSurrogate() ? 2 : 1))));
        if (hasControlCharacter(*text))
            throw ZError(QStringLiteral("Журнал не записан: в поле «%1» текст %2 содержит управляющий знак.")
                             .arg(QString::fromUtf8(caption), quotedExcerpt(*text)));
    }
    // A cell that the files cannot hold stops the save before anything is asked or written.
    const QString path = JournalFolder::path(target.group, target.folder);
    gridFileBytes(path + u'/' + kSpStud, m_journal, journalCellNamer(m_journal));
    gridFileBytes(path + u'/' + kSpTem, m_themes);
    // So does a folder that is no real journal folder inside the data root.
    JournalFolder::checkedForSave(m_root, target.group, target.folder);
}

int JournalSession::catalogueEntryOf(const JournalIdentity &target) const
{
    return Catalogue::findEntry(m_catalogue, JournalFolder::path(target.group, target.folder));
}

void JournalSession::addToCatalogue(const JournalIdentity &target)
{
    const QString folder = JournalFolder::create(m_root, target.group, target.folder);
    if (m_lockJournals && !JournalFolder::sameFolder(m_root, folder, m_folderPath)) {
        JournalLock probe;
        if (!probe.claim(rootPath(folder)))
            throw ZError(notSavedInto(probe.refusal(), folder));
    }
    changeCatalogue([&](Grid &catalogue) {
        // Another program may have made this journal's entry since this one read the file.
        if (Catalogue::findEntry(catalogue, folder) < 0)
            Catalogue::addEntryAtTop(catalogue, target.folder, target.group, target.term, target.subject);
    });
    m_folderPath = folder;
}

void JournalSession::writeJournal(const JournalIdentity &target)
{
    // Checked again: the catalogue window may have run since prepareSave().
    m_folderPath = JournalFolder::create(m_root, target.group, target.folder);
    const QDir dir(rootPath(m_folderPath));
    const QString spStud = dir.filePath(kSpStud);
    const QString spTem = dir.filePath(kSpTem);
    const QList<JournalVersions::File> written = {
        {kSpStud, gridFileBytes(spStud, m_journal, journalCellNamer(m_journal))},
        {kColSpStud, columnWidthsBytes(m_journal)},
        {kSpTem, gridFileBytes(spTem, m_themes)}};
    const QDateTime now = QDateTime::currentDateTime();
    // The files the save replaces are kept first, as a version: a save that
    // cannot keep them writes nothing.
    QList<JournalVersions::File> previous;
    bool differs = false;
    for (const JournalVersions::File &file : written) {
        const QString path = dir.filePath(file.name);
        const QFileInfo info(path);
        if (!info.exists() && !info.isSymLink())
            continue; // a file the save adds: nothing of it to keep
        previous.append({file.name, readWholeFile(path)});
        differs = differs || previous.last().bytes != file.bytes;
    }
    // What cannot be replaced stops the save before a version is kept.
    const QString historyPath = dir.filePath(QString::fromUtf8(JournalHistory::kFileName));
    for (const JournalVersions::File &file : written)
        DurableFile::checkReplaceable(dir.filePath(file.name));
    DurableFile::checkReplaceable(historyPath);
    QString version;
    if (!previous.isEmpty() && differs) {
        try {
            version = JournalVersions::keep(m_root, target.group, target.folder, previous, now);
        } catch (const ZError &e) {
            throw FileError(QStringLiteral("Журнал %1 не записан: не удалось сохранить его прежнюю версию в архиве %2.\n%3")
                                .arg(quotedPath(spStud),
                                     quotedPath(rootPath(JournalVersions::archivePath(target.group, target.folder))),
                                     e.message()));
        }
    }
    // The history's lines: the difference from what the last load or save of
    // this folder left; for another folder, from the journal its file holds.
    Grid before = JournalLayout::makeJournalGrid();
    before.setRowCount(JournalLayout::kFirstStudentRow);
    before.setColCount(JournalLayout::kFirstLessonCol);
    if (m_savedFolder == m_folderPath) {
        before = m_savedJournal;
    } else if (QFileInfo::exists(spStud)) {
        try {
            parseGridFile(spStud, readWholeFile(spStud), before);
        } catch (const ZError &) {
            // An unreadable journal is replaced whole: every cell is a change.
        }
    }
    const std::vector<JournalHistory::Change> changes = JournalHistory::changes(before, m_journal);
    // The three files and the history are one save: all of them are written
    // under temporary names before any takes its place, so a failure leaves
    // the journal and its history as they were.
    DurableFile::StagedWrites save;
    for (const JournalVersions::File &file : written)
        save.add(dir.filePath(file.name), file.bytes);
    try {
        if (!changes.empty()) {
            const QFileInfo info(historyPath);
            const QByteArray existing = info.exists() || info.isSymLink() ? readWholeFile(historyPath) : QByteArray();
            save.add(historyPath, JournalHistory::appended(existing, changes, before, m_journal, now, m_userCode));
        }
        save.commit();
    } catch (...) {
        // The journal stays as it was: so does its archive. A save stopped
        // after one of its files took its place keeps the version: it alone
        // holds what that file replaced.
        const auto untouched = [&] {
            for (const JournalVersions::File &file : previous) {
                try {
                    if (readWholeFile(dir.filePath(file.name)) != file.bytes)
                        return false;
                } catch (const ZError &) {
                    return false;
                }
            }
            return true;
        };
        if (!version.isEmpty() && untouched())
            JournalVersions::discard(m_root, target.group, target.folder, version);
        throw;
    }
    m_savedJournal = m_journal;
    m_savedFolder = m_folderPath;
    markJournalUnchanged();
}

QList<JournalHistory::Entry> JournalSession::readHistory() const
{
    if (m_folderPath.isEmpty())
        return {};
    const QString path = QDir(rootPath(m_folderPath)).filePath(QString::fromUtf8(JournalHistory::kFileName));
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return {};
    return JournalHistory::parse(readWholeFile(path));
}

namespace {
std::pair<QString, QString> groupAndFolder(const QString &folderPath)
{
    const qsizetype slash = folderPath.indexOf(u'/');
    return {folderPath.left(slash), slash < 0 ? QString() : folderPath.mid(slash + 1)};
}
} // namespace

QList<JournalVersions::Version> JournalSession::versions() const
{
    if (m_folderPath.isEmpty())
        return {};
    const auto [group, folder] = groupAndFolder(m_folderPath);
    return JournalVersions::list(m_root, group, folder);
}

Grid JournalSession::versionJournal(const QString &name) const
{
    const auto [group, folder] = groupAndFolder(m_folderPath);
    const QString path = QDir(JournalVersions::versionFolder(m_root, group, folder, name)).filePath(kSpStud);
    Grid journal = m_journal;
    parseGridFile(path, readWholeFile(path), journal);
    return journal;
}

void JournalSession::restoreVersion(const QString &name)
{
    const auto [group, folder] = groupAndFolder(m_folderPath);
    JournalIdentity target = m_identity;
    target.group = group;
    target.folder = folder;
    claimForSave(target);
    const QDir version(JournalVersions::versionFolder(m_root, group, folder, name));
    // Both grids are read before either changes, as a load reads them.
    Grid journal = m_journal;
    Grid themes = m_themes;
    parseGridFile(version.filePath(kSpStud), readWholeFile(version.filePath(kSpStud)), journal);
    parseGridFile(version.filePath(kSpTem), readWholeFile(version.filePath(kSpTem)), themes);
    const QString widthsPath = version.filePath(kColSpStud);
    if (QFileInfo(widthsPath).exists() || QFileInfo(widthsPath).isSymLink())
        parseColumnWidths(widthsPath, readWholeFile(widthsPath), journal, nullptr);
    std::swap(m_journal, journal);
    std::swap(m_themes, themes);
    try {
        prepareSave(target);
        saveJournal(target);
    } catch (...) {
        // Not restored: the journal stays as it was open.
        std::swap(m_journal, journal);
        std::swap(m_themes, themes);
        throw;
    }
    reload();
}

void JournalSession::setJournalLocking(bool on)
{
    m_lockJournals = on;
    if (on)
        lockCurrentFolder();
    else
        m_lock.release();
}

void JournalSession::lockCurrentFolder()
{
    if (!m_lockJournals || m_folderPath.isEmpty())
        return;
    m_lock.claim(rootPath(m_folderPath));
}

QString JournalSession::readOnlyReason() const
{
    if (!m_lockJournals || m_folderPath.isEmpty())
        return {};
    const QString folder = rootPath(m_folderPath);
    if (m_lock.folder() == folder) {
        if (m_lock.isHeld())
            return {};
        if (!m_lock.refusal().isEmpty())
            return m_lock.refusal();
    }
    // Held once and lost: another program has taken the lock over since.
    return JournalLock::holderMessage(lockHolderOf(QDir(folder).filePath(QString::fromLatin1(JournalLock::kFileName))));
}

void JournalSession::claimForSave(const JournalIdentity &target)
{
    refreshCatalogue();
    // A new journal's entry could not be added: refused before its folder is made.
    if (catalogueEntryOf(target) < 0)
        checkCatalogueChangeable();
    if (!m_lockJournals)
        return;
    const QString path = JournalFolder::path(target.group, target.folder);
    if (!QFileInfo(rootPath(path)).isDir())
        return; // the save makes it, and locks it then
    if (!m_folderPath.isEmpty() && (path == m_folderPath || JournalFolder::sameFolder(m_root, path, m_folderPath))) {
        // Another program that had it may have ended meanwhile.
        if (!m_lock.claim(rootPath(m_folderPath)))
            throw ZError(notSavedInto(m_lock.refusal(), m_folderPath));
        return;
    }
    JournalLock probe;
    if (!probe.claim(rootPath(path)))
        throw ZError(notSavedInto(probe.refusal(), path));
}

JournalSession::DiskFile JournalSession::diskFileOf(const QString &path, const QByteArray *bytes)
{
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return {};
    DiskFile file{true, info.size(), info.lastModified(), {}};
    if (bytes) {
        file.fingerprint = bytesFingerprint(*bytes);
        return file;
    }
    try {
        file.fingerprint = bytesFingerprint(readWholeFile(path));
    } catch (const ZError &) {
        // Unreadable: certainly not what was loaded.
        file.fingerprint = QByteArrayLiteral("unreadable");
    }
    return file;
}

QStringList JournalSession::changedOnDisk(const JournalIdentity &target) const
{
    QStringList changed;
    const QString path = JournalFolder::path(target.group, target.folder);
    if (m_folderPath.isEmpty() || m_diskStateFolder != m_folderPath
        || (path != m_folderPath && !JournalFolder::sameFolder(m_root, path, m_folderPath)))
        return changed;
    const QDir dir(rootPath(m_folderPath));
    for (const auto &[name, recorded] : m_diskState) {
        // A file that is gone holds nothing of another program that a save could overwrite.
        const DiskFile now = diskFileOf(dir.filePath(name));
        if (now.present && now != recorded)
            changed << name;
    }
    return changed;
}

void JournalSession::recordDiskState()
{
    // The bytes the save has just written, made again: a program that rewrote
    // a file meanwhile does not pass for this one.
    const QDir dir(rootPath(m_folderPath));
    const QByteArray written[] = {gridFileBytes(dir.filePath(kSpStud), m_journal), columnWidthsBytes(m_journal),
                                  gridFileBytes(dir.filePath(kSpTem), m_themes)};
    const QString names[] = {kSpStud, kColSpStud, kSpTem};
    m_diskStateFolder = m_folderPath;
    m_diskState.clear();
    for (int i = 0; i < 3; ++i)
        m_diskState.append({names[i], diskFileOf(dir.filePath(names[i]), &written[i])});
}

void JournalSession::saveJournal(const JournalIdentity &target)
{
    try {
        writeJournal(target);
    } catch (...) {
        // A folder made by the failed save is still the current one.
        lockCurrentFolder();
        throw;
    }
    lockCurrentFolder();
    recordDiskState();
}
