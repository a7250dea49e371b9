#pragma once

#include <QString>
#include <functional>

class QPageLayout;
class QPagedPaintDevice;
class QWidget;

// Message boxes: every question, warning, information and error box goes through
// here, so that tests can answer the questions and collect the messages.
class Messages
{
public:
    enum class Kind { Question, ThreeWayQuestion, ChoiceQuestion, Warning, Information, Error };
    enum class Answer { Yes, No, Cancel };
    virtual ~Messages() = default;
    // A Yes/No question; true for Yes. Enter gives byDefault: "Нет" before a
    // step that destroys or creates something, "Да" where the teacher has just
    // asked for the step and the question only confirms it.
    virtual bool question(QWidget *parent, const QString &caption, const QString &text, Answer byDefault = Answer::No) = 0;
    // A Yes/No/Cancel question ("Да", "Нет", "Отмена"); closing the box is Cancel.
    virtual Answer questionWithCancel(QWidget *parent, const QString &caption, const QString &text) = 0;
    // A question with three buttons of the given captions, answered Yes, No and
    // Cancel in that order; Escape and the close box are Cancel, the default.
    virtual Answer questionWithButtons(QWidget *parent, const QString &caption, const QString &text,
                                       const QString &yes, const QString &no, const QString &cancel) = 0;
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
    // Shows a document of pages in the print preview, from which the teacher
    // prints it; `paint` draws every page on the device it is given.
    virtual bool previewDocument(QWidget *parent, const QString &title, const QPageLayout &layout,
                                 const std::function<bool(QPagedPaintDevice *device)> &paint) = 0;
    virtual bool loadKeyboardLayout(const QString &id) = 0;
    // Asks where to save a file (the desktop's "save as" dialog, starting at
    // `suggested`, offering `filter` such as "Книга Excel (*.xlsx)"); the path
    // chosen, or an empty text when the teacher cancelled.
    virtual QString saveFileName(QWidget *parent, const QString &caption, const QString &suggested, const QString &filter) = 0;
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
