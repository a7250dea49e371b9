#pragma once

#include "controls/services.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// A message box handler for tests: answers Yes/No questions from a queue (Yes
// when empty) and Yes/No/Cancel questions from another (No when empty: go on
// without saving, as the program did before it asked), and records every box
// it was asked to show.
class RecordingMessages : public Messages
{
public:
    struct Entry
    {
        Kind kind;
        QString caption;
        QString text;
        // The button Enter would press (Yes/No questions; Yes for the others).
        Answer byDefault = Answer::Yes;
    };
    QList<bool> answers;
    QList<Answer> threeWayAnswers;
    QList<Answer> choiceAnswers; // for questionWithButtons(); Cancel when empty
    QList<Entry> shown;
    bool question(QWidget *, const QString &caption, const QString &text, Answer byDefault = Answer::No) override;
    Answer questionWithCancel(QWidget *, const QString &caption, const QString &text) override;
    // Recorded with the text followed by the three captions, one a line.
    Answer questionWithButtons(QWidget *, const QString &caption, const QString &text, const QString &yes,
                               const QString &no, const QString &cancel) override;
    // The texts of the Yes/No/Cancel questions asked so far.
    QStringList threeWayQuestions() const;
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
    // A preview is recorded by its title; its pages are drawn into a PDF kept here.
    QStringList previews;
    QByteArray previewPdf;
    bool previewDocument(QWidget *, const QString &title, const QPageLayout &layout,
                         const std::function<bool(QPagedPaintDevice *)> &paint) override;
    bool loadKeyboardLayout(const QString &) override { return true; }
    // "Save as" answers from a queue (cancelled when empty); each question is
    // recorded as "CAPTION|SUGGESTED|FILTER".
    QStringList saveAnswers;
    QStringList saveQuestions;
    QString saveFileName(QWidget *, const QString &caption, const QString &suggested, const QString &filter) override;
};
