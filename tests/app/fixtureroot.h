#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include "controls/services.h"

// A small data root in a temporary folder: a catalogue of two journals in the
// group "G1", the grading scale, and the first journal's three files.
class FixtureRoot
{
public:
    FixtureRoot();
    QString path() const { return m_dir.path(); }
    QString file(const QString &relative) const { return m_dir.filePath(relative); }
    QByteArray bytes(const QString &relative) const;
    void write(const QString &relative, const QByteArray &bytes) const;
    void remove(const QString &relative) const;

    // A grid text file of the given columns (each a list of cells, top to bottom).
    static QByteArray gridFile(const QList<QStringList> &columns);

private:
    QTemporaryDir m_dir;
};

// A run of the program's windows on a fresh fixture root: the working directory
// is the root, every message box and platform service is recorded.
class WindowSession
{
public:
    WindowSession();
    ~WindowSession();
    FixtureRoot root;
    RecordingMessages messages;
    RecordingPlatform platform;

private:
    QString m_oldDir;
};
