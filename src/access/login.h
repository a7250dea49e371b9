#pragma once

#include "access/accessfile.h"

#include <QList>
#include <QString>

// One user of the access table as the login keeps it (the date is not kept).
struct AccessEntry
{
    QString code;
    QString name;
    QString password;
    QString access;
};

// The login rules of a run: the access table read at start-up, the current
// user, the message line, the entry flag and the attempt counter.
class Login
{
public:
    // The first kTableSize records fill the table; the first one is the current user.
    explicit Login(const QList<AccessRecord> &records, QString messageLine = initialMessage());

    static QString initialMessage();

    // The password check: the typed text without blanks at its ends picks the
    // first user whose password it equals whole; then the current user's
    // letter decides. Returns the entry flag.
    bool check(const QString &typed);

    // After a refused check: counts the refusal and numbers the message line;
    // the fourth refusal closes the way in.
    void countRefusal();

    const QList<AccessEntry> &table() const { return m_table; }
    const AccessEntry &currentUser() const { return m_current; }
    const QString &messageLine() const { return m_message; }
    bool granted() const { return m_granted; }
    int attempts() const { return m_attempts; }
    // After the fourth refusal "Дальше" is gone for the run.
    bool closed() const { return m_attempts > 3; }
    // The current user is the administrator (letter "Z"): he alone may
    // change the grading scale and the access table.
    bool administrator() const { return m_current.access == QLatin1String("Z"); }
    bool scaleAllowed() const { return administrator(); }
    bool accessEditorAllowed() const { return administrator(); }

private:
    QList<AccessEntry> m_table;
    AccessEntry m_current;
    QString m_message;
    bool m_granted = false;
    int m_attempts = 0;
};
