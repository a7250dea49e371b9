#include "journal/ui/historydialog.h"

#include "controls/handler.h"
#include "journal/excerpt.h"
#include "journal/journalsession.h"

#include <QAbstractTableModel>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include <set>

// The filtered lines, newest first, as a table: one text per field, control
// characters shown escaped so that a line of the file stays one row.
class HistoryModel : public QAbstractTableModel
{
public:
    using QAbstractTableModel::QAbstractTableModel;

    void setRows(const QList<JournalHistory::Entry> *entries, std::vector<int> rows)
    {
        beginResetModel();
        m_entries = entries;
        m_rows = std::move(rows);
        endResetModel();
    }
    const JournalHistory::Entry &entry(int row) const { return (*m_entries)[m_rows[size_t(row)]]; }

    int rowCount(const QModelIndex &parent = {}) const override { return parent.isValid() ? 0 : int(m_rows.size()); }
    int columnCount(const QModelIndex &parent = {}) const override { return parent.isValid() ? 0 : 8; }
    QVariant data(const QModelIndex &index, int role) const override
    {
        if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::ToolTipRole))
            return {};
        const JournalHistory::Entry &e = entry(index.row());
        QString text;
        switch (index.column()) {
        case 0: text = e.when; break;
        case 1: text = e.user; break;
        case 2: text = e.operation; break;
        case 3: text = e.studentNumber.isEmpty() ? e.student : e.studentNumber + QStringLiteral(". ") + e.student; break;
        case 4: text = e.lessonNumber; break;
        case 5: text = e.lessonDate; break;
        case 6: text = e.oldText; break;
        case 7: text = e.newText; break;
        }
        if (hasControlCharacter(text))
            text = JournalHistory::escaped(text);
        return text;
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
            return {};
        static const char *const captions[] = {"Дата и время", "Пользователь", "Действие", "Ученик",
                                               "Урок",         "Дата урока",   "Было",     "Стало"};
        return QString::fromUtf8(captions[section]);
    }

private:
    const QList<JournalHistory::Entry> *m_entries = nullptr;
    std::vector<int> m_rows;
};

HistoryDialog::HistoryDialog(JournalSession &session, QWidget *parent) : QDialog(parent), m_session(session)
{
    setObjectName(QStringLiteral("HistoryDialog"));
    setWindowTitle(QStringLiteral("История изменений"));
    auto *layout = new QVBoxLayout(this);
    auto *filters = new QHBoxLayout;
    auto *studentLabel = new QLabel(QStringLiteral("&Ученик:"), this);
    StudentFilter = new QComboBox(this);
    StudentFilter->setObjectName(QStringLiteral("StudentFilter"));
    StudentFilter->setMinimumContentsLength(24);
    StudentFilter->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    studentLabel->setBuddy(StudentFilter);
    auto *lessonLabel = new QLabel(QStringLiteral("У&рок:"), this);
    LessonFilter = new QComboBox(this);
    LessonFilter->setObjectName(QStringLiteral("LessonFilter"));
    LessonFilter->setMinimumContentsLength(10);
    LessonFilter->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    lessonLabel->setBuddy(LessonFilter);
    CountLabel = new QLabel(this);
    CountLabel->setObjectName(QStringLiteral("CountLabel"));
    filters->addWidget(studentLabel);
    filters->addWidget(StudentFilter);
    filters->addSpacing(12);
    filters->addWidget(lessonLabel);
    filters->addWidget(LessonFilter);
    filters->addStretch(1);
    filters->addWidget(CountLabel);
    layout->addLayout(filters);
    HistoryTable = new QTableView(this);
    HistoryTable->setObjectName(QStringLiteral("HistoryTable"));
    m_model = new HistoryModel(this);
    HistoryTable->setModel(m_model);
    HistoryTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    HistoryTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    HistoryTable->verticalHeader()->hide();
    HistoryTable->verticalHeader()->setDefaultSectionSize(HistoryTable->fontMetrics().height() + 6);
    HistoryTable->setWordWrap(false);
    const int widths[] = {130, 95, 130, 190, 45, 80, 120, 120};
    for (int c = 0; c < 8; ++c)
        HistoryTable->setColumnWidth(c, widths[c]);
    // The time stands whole, in the table's own font.
    HistoryTable->setColumnWidth(0, HistoryTable->fontMetrics().horizontalAdvance(QStringLiteral("00.00.0000 00:00:00")) + 16);
    HistoryTable->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(HistoryTable, 1);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->button(QDialogButtonBox::Close)->setText(QStringLiteral("&Закрыть"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    resize(1000, 600);
    connect(StudentFilter, &QComboBox::currentIndexChanged, this, &HistoryDialog::applyFilter);
    connect(LessonFilter, &QComboBox::currentIndexChanged, this, &HistoryDialog::applyFilter);
}

void HistoryDialog::showHistory(const QString &student, const QString &lesson)
{
    m_entries.clear();
    runHandler(this, [this] { m_entries = m_session.readHistory(); });
    const QSignalBlocker blockStudents(StudentFilter);
    const QSignalBlocker blockLessons(LessonFilter);
    StudentFilter->clear();
    LessonFilter->clear();
    StudentFilter->addItem(QStringLiteral("Все ученики"), QString());
    LessonFilter->addItem(QStringLiteral("Все уроки"), QString());
    std::set<QString> students;
    std::set<int> lessons;
    for (const JournalHistory::Entry &e : m_entries) {
        if (!e.student.trimmed().isEmpty())
            students.insert(e.student.trimmed());
        bool ok = false;
        const int n = e.lessonNumber.toInt(&ok);
        if (ok && n > 0)
            lessons.insert(n);
    }
    const QString wantedStudent = student.trimmed();
    if (!wantedStudent.isEmpty())
        students.insert(wantedStudent);
    for (const QString &name : students)
        StudentFilter->addItem(hasControlCharacter(name) ? JournalHistory::escaped(name) : name, name);
    bool ok = false;
    const int wantedLesson = lesson.toInt(&ok);
    if (ok && wantedLesson > 0)
        lessons.insert(wantedLesson);
    for (int n : lessons)
        LessonFilter->addItem(QStringLiteral("Урок %1").arg(n), QString::number(n));
    StudentFilter->setCurrentIndex(std::max(0, StudentFilter->findData(wantedStudent)));
    LessonFilter->setCurrentIndex(std::max(0, LessonFilter->findData(ok ? QString::number(wantedLesson) : QString())));
    applyFilter();
}

void HistoryDialog::applyFilter()
{
    const QString student = StudentFilter->currentData().toString();
    const QString lesson = LessonFilter->currentData().toString();
    std::vector<int> rows;
    for (qsizetype i = m_entries.size() - 1; i >= 0; --i) {
        const JournalHistory::Entry &e = m_entries[i];
        if (!student.isEmpty() && e.student.trimmed() != student)
            continue;
        // A lesson's own lines (inserted, deleted) and its cells; a student's
        // lines without a lesson (moved, inserted) stay with the student.
        if (!lesson.isEmpty() && e.lessonNumber != lesson)
            continue;
        rows.push_back(int(i));
    }
    m_model->setRows(&m_entries, std::move(rows));
    CountLabel->setText(QStringLiteral("Показано строк: %1 из %2").arg(m_model->rowCount()).arg(m_entries.size()));
}

int HistoryDialog::shownCount() const
{
    return m_model->rowCount();
}

const JournalHistory::Entry &HistoryDialog::shownEntry(int row) const
{
    return m_model->entry(row);
}
