#pragma once

#include "journal/journalversions.h"

#include <QDialog>

class JournalSession;
class QLabel;
class QPushButton;
class QTableWidget;

// "Версии журнала": the kept versions of the current journal with the number
// of cells each differs in from the open journal; the selected one's
// differing cells; "Восстановить" makes it the journal again.
class VersionsDialog : public QDialog
{
    Q_OBJECT
public:
    explicit VersionsDialog(JournalSession &session, QWidget *parent = nullptr);

    // Lists the versions again.
    void showVersions();

    void RestoreClick();

private:
    void showDifferences();

    JournalSession &m_session;
    QList<JournalVersions::Version> m_versions;
    QTableWidget *VersionList = nullptr;
    QTableWidget *DiffTable = nullptr;
    QLabel *DiffLabel = nullptr;
    QPushButton *Restore = nullptr;
};
