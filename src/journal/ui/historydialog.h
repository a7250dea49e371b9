#pragma once

#include "journal/journalhistory.h"

#include <QDialog>

class JournalSession;
class QComboBox;
class QLabel;
class QTableView;
class HistoryModel;

// "История изменений": the current journal's history, newest line first,
// filtered by student and by lesson.
class HistoryDialog : public QDialog
{
    Q_OBJECT
public:
    explicit HistoryDialog(JournalSession &session, QWidget *parent = nullptr);

    // Reads the history again and shows it with these filters: a student's
    // name (trimmed; empty: every student) and a lesson number (empty: every lesson).
    void showHistory(const QString &student = {}, const QString &lesson = {});

    // The rows shown (for the window's users: the list and its filters).
    int shownCount() const;
    // The entry shown in row `row`, newest first.
    const JournalHistory::Entry &shownEntry(int row) const;

private:
    void applyFilter();

    JournalSession &m_session;
    QList<JournalHistory::Entry> m_entries;
    QComboBox *StudentFilter = nullptr;
    QComboBox *LessonFilter = nullptr;
    QTableView *HistoryTable = nullptr;
    QLabel *CountLabel = nullptr;
    HistoryModel *m_model = nullptr;
};
