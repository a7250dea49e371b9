#pragma once

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>

class QLockFile;

// Who holds a lock file, as its file says: the computer and since when.
struct LockHolder
{
    QString host;     // empty when the file could not be read
    QDateTime since;  // the lock file's birth time, or its last modification
};

// The lock file at a path: who holds it (nothing when there is no readable file).
LockHolder lockHolderOf(const QString &lockFilePath);

// The mark that one program has a journal open for writing: the lock file
// "zhurnal.lock" in the journal folder, so that it goes wherever the folder
// goes and names the same folder however a path spells it. Computers of a
// school share the data root: a second program that finds the lock opens the
// journal for reading only. A lock left by a program that ended without
// releasing it is taken over: at once on the same computer when that process
// is gone, after kStaleAfter otherwise. The holder renews the file's time
// every kRenewEvery while it runs, so a live lock never looks stale.
class JournalLock : public QObject
{
    Q_OBJECT
public:
    static constexpr char kFileName[] = "zhurnal.lock";
    static constexpr int kStaleAfterMs = 10 * 60 * 1000;
    static constexpr int kRenewEveryMs = 60 * 1000;

    explicit JournalLock(QObject *parent = nullptr);
    ~JournalLock() override;

    // Takes the lock of a folder (an absolute path), releasing the one held
    // before. True when it is held now; otherwise refusal() says why not.
    bool claim(const QString &folder);
    // Gives the lock up (the file goes); nothing when none is held.
    void release();

    // The folder of the last claim, held or not.
    const QString &folder() const { return m_folder; }
    // True when the lock is held and its file still names this program: a
    // file removed by hand and made again by another program is not ours.
    bool isHeld() const;
    // Why the last claim failed: "Журнал открыт на компьютере HOST с ЧЧ:ММ",
    // or what kept the lock file from being made. Empty when held.
    const QString &refusal() const { return m_refusal; }
    // True when the last claim failed because another program holds the lock.
    bool heldElsewhere() const { return m_heldElsewhere; }

    // The text that names the holder of a journal's lock file.
    static QString holderMessage(const LockHolder &holder);
    // The holder message when another program holds the lock of an existing
    // folder (an absolute path), or an empty text: what a deletion of the
    // folder must check first. A free folder's lock is taken and given up again.
    static QString heldElsewhereMessage(const QString &folder);

private:
    void renew();

    std::unique_ptr<QLockFile> m_file;
    QString m_folder;
    QString m_refusal;
    bool m_heldElsewhere = false;
    QTimer m_renewal;
};
