#include "journal/ui/versionsdialog.h"

#include "controls/handler.h"
#include "controls/services.h"
#include "journal/errors.h"
#include "journal/excerpt.h"
#include "journal/journalhistory.h"
#include "journal/journalsession.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

QTableWidget *makeTable(QWidget *parent, const QString &name, const QStringList &captions)
{
    auto *table = new QTableWidget(0, int(captions.size()), parent);
    table->setObjectName(name);
    table->setHorizontalHeaderLabels(captions);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->verticalHeader()->hide();
    table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 6);
    table->setWordWrap(false);
    table->horizontalHeader()->setStretchLastSection(true);
    return table;
}

QTableWidgetItem *item(const QString &text)
{
    return new QTableWidgetItem(hasControlCharacter(text) ? JournalHistory::escaped(text) : text);
}

// What the version differs in from the open journal: its cells and its rows and lessons.
std::vector<JournalHistory::Change> differences(JournalSession &session, const QString &name, Grid *version)
{
    *version = session.versionJournal(name);
    return JournalHistory::changes(*version, session.journal());
}

} // namespace

VersionsDialog::VersionsDialog(JournalSession &session, QWidget *parent) : QDialog(parent), m_session(session)
{
    setObjectName(QStringLiteral("VersionsDialog"));
    setWindowTitle(QStringLiteral("Версии журнала"));
    auto *layout = new QVBoxLayout(this);
    auto *tables = new QHBoxLayout;
    auto *left = new QVBoxLayout;
    auto *listLabel = new QLabel(QStringLiteral("&Сохранённые версии (новые сверху):"), this);
    VersionList = makeTable(this, QStringLiteral("VersionList"),
                            {QStringLiteral("Дата и время"), QStringLiteral("Отличий")});
    VersionList->setColumnWidth(0, 160);
    VersionList->setToolTip(QStringLiteral("Отличий: сколько ячеек, строк и уроков версии не совпадают с открытым журналом"));
    listLabel->setBuddy(VersionList);
    left->addWidget(listLabel);
    left->addWidget(VersionList, 1);
    auto *right = new QVBoxLayout;
    DiffLabel = new QLabel(QStringLiteral("Отличия выбранной версии от открытого журнала:"), this);
    DiffLabel->setObjectName(QStringLiteral("DiffLabel"));
    DiffTable = makeTable(this, QStringLiteral("DiffTable"),
                          {QStringLiteral("Ученик"), QStringLiteral("Урок"), QStringLiteral("Действие"),
                           QStringLiteral("В версии"), QStringLiteral("Сейчас")});
    const int widths[] = {200, 110, 120, 120};
    for (int c = 0; c < 4; ++c)
        DiffTable->setColumnWidth(c, widths[c]);
    right->addWidget(DiffLabel);
    right->addWidget(DiffTable, 1);
    tables->addLayout(left, 2);
    tables->addLayout(right, 5);
    layout->addLayout(tables, 1);
    auto *buttons = new QDialogButtonBox(this);
    Restore = buttons->addButton(QStringLiteral("&Восстановить"), QDialogButtonBox::ActionRole);
    Restore->setObjectName(QStringLiteral("Restore"));
    Restore->setToolTip(QStringLiteral("Сделать выбранную версию журналом; журнал, каким он записан сейчас, "
                                       "сохранится как версия"));
    QPushButton *close = buttons->addButton(QStringLiteral("&Закрыть"), QDialogButtonBox::RejectRole);
    close->setObjectName(QStringLiteral("CloseButton"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(Restore, &QPushButton::clicked, this, &VersionsDialog::RestoreClick);
    connect(VersionList, &QTableWidget::itemSelectionChanged, this, &VersionsDialog::showDifferences);
    layout->addWidget(buttons);
    resize(1000, 600);
}

void VersionsDialog::showVersions()
{
    m_versions.clear();
    VersionList->setRowCount(0);
    DiffTable->setRowCount(0);
    runHandler(this, [this] {
        m_versions = m_session.versions();
        VersionList->setRowCount(int(m_versions.size()));
        for (int i = 0; i < m_versions.size(); ++i) {
            VersionList->setItem(i, 0, item(JournalVersions::shownTime(m_versions[i])));
            QString count;
            try {
                Grid version;
                count = QString::number(differences(m_session, m_versions[i].name, &version).size());
            } catch (const ZError &) {
                count = QStringLiteral("не читается");
            }
            VersionList->setItem(i, 1, item(count));
        }
    });
    Restore->setEnabled(false);
    if (!m_versions.isEmpty())
        VersionList->selectRow(0);
    else
        DiffLabel->setText(QStringLiteral("У этого журнала ещё нет сохранённых версий: версия появляется при каждой записи журнала."));
}

void VersionsDialog::showDifferences()
{
    DiffTable->setRowCount(0);
    const int row = VersionList->currentRow();
    Restore->setEnabled(row >= 0 && row < m_versions.size());
    if (row < 0 || row >= m_versions.size())
        return;
    runHandler(this, [this, row] {
        Grid version;
        const std::vector<JournalHistory::Change> changes = differences(m_session, m_versions[row].name, &version);
        // The table shows at most this many; the count says how many there are.
        constexpr size_t kShown = 5000;
        DiffLabel->setText(QStringLiteral("Отличия версии %1 от открытого журнала: %2%3")
                               .arg(JournalVersions::shownTime(m_versions[row]))
                               .arg(changes.size())
                               .arg(changes.size() > kShown ? QStringLiteral(" (показаны первые %1)").arg(kShown) : QString()));
        const int shown = int(std::min(changes.size(), kShown));
        DiffTable->setRowCount(shown);
        for (int i = 0; i < shown; ++i) {
            const JournalHistory::Entry e =
                JournalHistory::entryOf(changes[size_t(i)], version, m_session.journal(), QString(), QString());
            const QString student = e.studentNumber.isEmpty() ? e.student : e.studentNumber + QStringLiteral(". ") + e.student;
            const QString lesson = e.lessonNumber.isEmpty()
                ? QString()
                : (e.lessonDate.isEmpty() ? e.lessonNumber : e.lessonNumber + QStringLiteral(" от ") + e.lessonDate);
            DiffTable->setItem(i, 0, item(student));
            DiffTable->setItem(i, 1, item(lesson));
            DiffTable->setItem(i, 2, item(e.operation));
            DiffTable->setItem(i, 3, item(e.oldText));
            DiffTable->setItem(i, 4, item(e.newText));
        }
    });
}

void VersionsDialog::RestoreClick()
{
    const int row = VersionList->currentRow();
    if (row < 0 || row >= m_versions.size())
        return;
    const JournalVersions::Version version = m_versions[row];
    if (!Services::messages().question(
            this, QStringLiteral("Восстановление версии"),
            QStringLiteral("Восстановить журнал из версии %1?\nЖурнал, каким он записан сейчас, сохранится как "
                           "новая версия: восстановление можно будет отменить, восстановив её.%2")
                .arg(JournalVersions::shownTime(version),
                     m_session.journalModified()
                         ? QStringLiteral("\nНезаписанные правки открытого журнала пропадут.")
                         : QString())))
        return;
    if (runHandler(this, [this, &version] { m_session.restoreVersion(version.name); }))
        Services::messages().information(this, QStringLiteral("Версии журнала"),
                                         QStringLiteral("Журнал восстановлен из версии %1.").arg(JournalVersions::shownTime(version)));
    showVersions();
}
