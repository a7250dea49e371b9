#include "controls/services.h"

#include "journal/errors.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPainter>
#include <QGuiApplication>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QScreen>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QUrl>
#include <QWidget>

namespace {

class BoxMessages : public Messages
{
public:
    bool question(QWidget *parent, const QString &caption, const QString &text, Answer byDefault = Answer::No) override
    {
        const QMessageBox::StandardButton enter = byDefault == Answer::Yes ? QMessageBox::Yes : QMessageBox::No;
        return QMessageBox::question(parent, caption, text, QMessageBox::Yes | QMessageBox::No, enter) == QMessageBox::Yes;
    }
    Answer questionWithCancel(QWidget *parent, const QString &caption, const QString &text) override
    {
        // Enter saves (the usual answer); Escape and the close box keep everything as it is.
        switch (QMessageBox::question(parent, caption, text, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                                      QMessageBox::Yes)) {
        case QMessageBox::Yes:
            return Answer::Yes;
        case QMessageBox::No:
            return Answer::No;
        default:
            return Answer::Cancel;
        }
    }
    Answer questionWithButtons(QWidget *parent, const QString &caption, const QString &text, const QString &yes,
                               const QString &no, const QString &cancel) override
    {
        QMessageBox box(QMessageBox::Question, caption, text, QMessageBox::NoButton, parent);
        QPushButton *yesButton = box.addButton(yes, QMessageBox::YesRole);
        QPushButton *noButton = box.addButton(no, QMessageBox::NoRole);
        QPushButton *cancelButton = box.addButton(cancel, QMessageBox::RejectRole);
        // Both other answers change something: Enter must not pick one by accident.
        box.setDefaultButton(cancelButton);
        box.setEscapeButton(cancelButton);
        box.exec();
        if (box.clickedButton() == yesButton)
            return Answer::Yes;
        if (box.clickedButton() == noButton)
            return Answer::No;
        return Answer::Cancel;
    }
    void warning(QWidget *parent, const QString &caption, const QString &text) override
    {
        QMessageBox::warning(parent, caption, text);
    }
    void information(QWidget *parent, const QString &caption, const QString &text) override
    {
        QMessageBox::information(parent, caption, text);
    }
    void error(QWidget *parent, const QString &text) override
    {
        QMessageBox::critical(parent, QStringLiteral("Ошибка"), text);
    }
};

class DesktopPlatform : public Platform
{
public:
    bool openPath(const QString &path) override { return startOpener(path); }
    bool openAddress(const QString &url) override { return startOpener(url); }

    bool printWidget(QWidget *widget) override
    {
        QPrinter printer(QPrinter::HighResolution);
        printer.setPageOrientation(QPageLayout::Landscape);
        QPrintDialog dialog(&printer, widget);
        dialog.setWindowTitle(QStringLiteral("Печать"));
        if (dialog.exec() != QDialog::Accepted)
            return true; // the teacher changed their mind: not a failure
        const QPixmap picture = widget->grab();
        QPainter painter;
        if (!painter.begin(&printer))
            return false;
        // Screen pixels to printer pixels, kept within one page.
        const QRect page = painter.viewport();
        const double screenDpi = widget->logicalDpiX() > 0 ? widget->logicalDpiX() : 96.0;
        double scale = printer.resolution() / screenDpi;
        scale = std::min({scale, page.width() / double(picture.width()), page.height() / double(picture.height())});
        painter.scale(scale, scale);
        painter.drawPixmap(0, 0, picture);
        return painter.end();
    }

    bool previewDocument(QWidget *parent, const QString &title, const QPageLayout &layout,
                         const std::function<bool(QPagedPaintDevice *)> &paint) override
    {
        QPrinter printer(QPrinter::HighResolution);
        printer.setFullPage(true);
        printer.setPageLayout(layout);
        printer.setDocName(title);
        QPrintPreviewDialog dialog(&printer, parent);
        dialog.setWindowTitle(QStringLiteral("Просмотр: ") + title);
        // Large enough for a page to be read, never beyond the screen.
        if (const QScreen *screen = parent ? parent->screen() : QGuiApplication::primaryScreen()) {
            const QRect area = screen->availableGeometry();
            dialog.resize(area.width() * 4 / 5, area.height() * 9 / 10);
        }
        bool painted = true;
        QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                         [&](QPrinter *target) { painted = paint(target) && painted; });
        dialog.exec();
        return painted;
    }

    // Switching the keyboard layout is the desktop's business on Linux.
    bool loadKeyboardLayout(const QString &) override { return true; }

    QString saveFileName(QWidget *parent, const QString &caption, const QString &suggested, const QString &filter) override
    {
        // The dialog asks itself before a file is replaced.
        return QFileDialog::getSaveFileName(parent, caption, suggested, filter);
    }

private:
    // xdg-open hands the target to the desktop's program and ends; its exit
    // code tells whether anything could open it. One that keeps running is
    // taken as a success and left to finish on its own.
    static bool startOpener(const QString &target)
    {
        auto *process = new QProcess(QCoreApplication::instance());
        process->start(QStringLiteral("xdg-open"), {target});
        if (!process->waitForStarted(3000)) {
            delete process;
            return false;
        }
        if (process->waitForFinished(3000)) {
            const bool ok = process->exitStatus() == QProcess::NormalExit && process->exitCode() == 0;
            process->deleteLater();
            return ok;
        }
        QObject::connect(process, &QProcess::finished, process, &QObject::deleteLater);
        return true;
    }
};

BoxMessages g_boxes;
DesktopPlatform g_desktop;
Messages *g_messages = &g_boxes;
Platform *g_platform = &g_desktop;

} // namespace

namespace Services {
Messages &messages() { return *g_messages; }
Platform &platform() { return *g_platform; }
void setMessages(Messages *messages) { g_messages = messages ? messages : &g_boxes; }
void setPlatform(Platform *platform) { g_platform = platform ? platform : &g_desktop; }
} // namespace Services

bool guarded(QWidget *parent, const std::function<void()> &body)
{
    try {
        body();
        return true;
    } catch (const ZError &e) {
        Services::messages().error(parent, e.message());
    } catch (const std::bad_alloc &) {
        Services::messages().error(parent, QStringLiteral("Не хватает памяти для этой операции."));
    } catch (const std::exception &e) {
        Services::messages().error(parent, QStringLiteral("Внутренняя ошибка: %1").arg(QString::fromLocal8Bit(e.what())));
    }
    return false;
}
