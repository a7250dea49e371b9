#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include "app/program.h"
#include "doubles/recordingservices.h"
#include "journal/journalsession.h"

#include <QAction>
#include <QWidget>

#include <memory>
#include <type_traits>

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
    std::unique_ptr<Program> program;
    // The program started anew on another data root (the working directory too).
    void restartOn(const QString &dataRoot);

private:
    QString m_oldDir;
};

// The program of the window session that runs now.
Program &running();
inline JournalSession &session()
{
    return running().session();
}

// A named control of a window (not of a window it owns), as a test finds it.
template <class T>
T *ctl(QObject *window, const QString &name)
{
    if constexpr (std::is_base_of_v<QWidget, T>) {
        const auto all = window->findChildren<T *>(name);
        for (T *c : all)
            if (c->window() == window)
                return c;
        return nullptr;
    } else {
        return window->findChild<T *>(name, Qt::FindDirectChildrenOnly);
    }
}
