#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class QWidget;

// Message boxes: every question, warning, information and error box goes through
// here, so that tests can answer the questions and collect the messages.
class Messages
{
public:
    enum class Kind { Question, Warning, Information, Error };
    virtual ~Messages() = default;
    // A Yes/No question; true for Yes.
    virtual bool question(QWidget *parent, const QString &caption, const QString &text) = 0;
    virtual void warning(QWidget *parent, const QString &caption, const QString &text) = 0;
    virtual void information(QWidget *parent, const QString &caption, const QString &text) = 0;
    virtual void error(QWidget *parent, const QString &text) = 0;
};

// The platform services: opening a document, folder or address, printing a
// window's picture, the keyboard layout. Each returns false when it failed.
class Platform
{
public:
    virtual ~Platform() = default;
    virtual bool openPath(const QString &path) = 0;   // a document or folder
    virtual bool openAddress(const QString &url) = 0; // a web or mailto: address
    // Prints the widget's picture on one landscape page through the print dialog.
    virtual bool printWidget(QWidget *widget) = 0;
    virtual bool loadKeyboardLayout(const QString &id) = 0;
};

namespace Services {
Messages &messages();
Platform &platform();
// Replaces the services (tests); nullptr restores the real ones.
void setMessages(Messages *messages);
void setPlatform(Platform *platform);
} // namespace Services

// Runs a handler body: a project error ends it with the standard error box
// showing its message; no exception leaves the handler. Returns false on failure.
bool guarded(QWidget *parent, const std::function<void()> &body);

// A message box handler for tests: answers questions from a queue (Yes when
// empty) and records every box it was asked to show.
class RecordingMessages : public Messages
{
public:
    struct Entry
    {
        Kind kind;
        QString caption;
        QString text;
    };
    QList<bool> answers;
    QList<Entry> shown;
    bool question(QWidget *, const QString &caption, const QString &text) override;
    void warning(QWidget *, const QString &caption, const QString &text) override;
    void information(QWidget *, const QString &caption, const QString &text) override;
    void error(QWidget *, const QString &text) override;
    QStringList errors() const;
};

// Platform services for tests: records the requests and succeeds.
class RecordingPlatform : public Platform
{
public:
    QStringList opened;
    QStringList addresses;
    int prints = 0;
    bool openPath(const QString &path) override;
    bool openAddress(const QString &url) override;
    bool printWidget(QWidget *) override;
    bool loadKeyboardLayout(const QString &) override { return true; }
};
