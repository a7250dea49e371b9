#include "doubles/recordingservices.h"

#include <QBuffer>
#include <QPageLayout>
#include <QPdfWriter>

bool RecordingMessages::question(QWidget *, const QString &caption, const QString &text, Answer byDefault)
{
    shown.append({Kind::Question, caption, text, byDefault});
    return answers.isEmpty() ? true : answers.takeFirst();
}
Messages::Answer RecordingMessages::questionWithCancel(QWidget *, const QString &caption, const QString &text)
{
    shown.append({Kind::ThreeWayQuestion, caption, text});
    return threeWayAnswers.isEmpty() ? Answer::No : threeWayAnswers.takeFirst();
}
Messages::Answer RecordingMessages::questionWithButtons(QWidget *, const QString &caption, const QString &text,
                                                        const QString &yes, const QString &no, const QString &cancel)
{
    shown.append({Kind::ChoiceQuestion, caption, text + u'\n' + yes + u'\n' + no + u'\n' + cancel});
    return choiceAnswers.isEmpty() ? Answer::Cancel : choiceAnswers.takeFirst();
}
QStringList RecordingMessages::threeWayQuestions() const
{
    QStringList out;
    for (const auto &e : shown)
        if (e.kind == Kind::ThreeWayQuestion)
            out << e.text;
    return out;
}
void RecordingMessages::warning(QWidget *, const QString &caption, const QString &text)
{
    shown.append({Kind::Warning, caption, text});
}
void RecordingMessages::information(QWidget *, const QString &caption, const QString &text)
{
    shown.append({Kind::Information, caption, text});
}
void RecordingMessages::error(QWidget *, const QString &text)
{
    shown.append({Kind::Error, QString(), text});
}
QStringList RecordingMessages::errors() const
{
    QStringList out;
    for (const auto &e : shown)
        if (e.kind == Kind::Error)
            out << e.text;
    return out;
}

bool RecordingPlatform::openPath(const QString &path)
{
    opened << path;
    return true;
}
bool RecordingPlatform::openAddress(const QString &url)
{
    addresses << url;
    return true;
}
bool RecordingPlatform::previewDocument(QWidget *, const QString &title, const QPageLayout &layout,
                                        const std::function<bool(QPagedPaintDevice *)> &paint)
{
    previews << title;
    QBuffer buffer(&previewPdf);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setPageLayout(layout);
    return paint(&writer);
}

bool RecordingPlatform::printWidget(QWidget *)
{
    ++prints;
    return true;
}

QString RecordingPlatform::saveFileName(QWidget *, const QString &caption, const QString &suggested, const QString &filter)
{
    saveQuestions << caption + u'|' + suggested + u'|' + filter;
    return saveAnswers.isEmpty() ? QString() : saveAnswers.takeFirst();
}
