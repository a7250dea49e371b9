#include "access/ui/tzapusk.h"
#include "app/commandline.h"
#include "app/program.h"
#include "app/qttranslation.h"
#include "journal/excerpt.h"
#include "controls/services.h"
#include "rating/resultscommand.h"
#include "reports/reportcommand.h"
#include "reports/ui/reportprint.h"

#include <QApplication>
#include <QGuiApplication>
#include <QDir>
#include <QIcon>
#include <QTextStream>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <functional>
#include <utility>
#include <ctime>

namespace {
// Runs a step once the window has been painted for the first time.
class AfterFirstPaint : public QObject
{
public:
    AfterFirstPaint(QWidget *window, std::function<void()> step) : QObject(window), m_step(std::move(step))
    {
        window->installEventFilter(this);
    }
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && m_step) {
            QTimer::singleShot(0, this, std::exchange(m_step, {}));
        }
        return false;
    }

private:
    std::function<void()> m_step;
};

// For the start-up benchmark (bench/bench_startup): the moment on the
// monotonic clock, and the end of the program.
void reportAndQuit()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    std::printf("login shown %lld\n", static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec);
    std::fflush(stdout);
    QCoreApplication::exit(0);
}
} // namespace

int main(int argc, char *argv[])
{
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    const CommandLine cl = parseCommandLine(args);
    QTextStream out(stdout);
    QTextStream err(stderr);
    switch (cl.action) {
    case CommandLine::Action::Help:
        out << usageText();
        return 0;
    case CommandLine::Action::Version:
        out << versionText();
        return 0;
    case CommandLine::Action::Error:
        err << cl.error << "\n";
        return 2;
    case CommandLine::Action::Results: {
        // Headless: no display is needed. The command reports its own failures.
        QCoreApplication core(argc, argv);
        return runResultsCommand(cl.resultsArgs, out, err);
    }
    case CommandLine::Action::Report: {
        const auto open = [](const QString &path) { return Services::platform().openPath(path); };
        if (reportWantsPdf(cl.reportArgs)) {
            // A PDF is laid out with fonts, which need the GUI application;
            // it needs no display, so none is asked for unless one is named.
            // The minimal platform has no fonts at all: its PDF would be blank.
            const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
            if (platform.isEmpty() || platform == "minimal")
                qputenv("QT_QPA_PLATFORM", "offscreen");
            QGuiApplication gui(argc, argv);
            return runReportCommand(cl.reportArgs, out, err, open, [](const DocumentContent &content, const QString &title) {
                return ReportPrint(content).pdf(title);
            });
        }
        // Headless too: a document written into the reports folder is opened by the desktop.
        QCoreApplication core(argc, argv);
        return runReportCommand(cl.reportArgs, out, err, [](const QString &path) { return Services::platform().openPath(path); });
    }
    case CommandLine::Action::Run:
        break;
    }

    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("zhurnal"));
    // The icon of every window and of the desktop entry (zhurnal.desktop).
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/app/zhurnal.png")));
    QGuiApplication::setDesktopFileName(QStringLiteral("zhurnal"));
    if (!installQtTranslation(&application))
        err << QStringLiteral("Русский перевод Qt не установлен (пакет qt6-translations-l10n): "
                              "стандартные кнопки и диалоги будут на английском.\n");
    if (!cl.dataRoot.isEmpty() && !QDir::setCurrent(cl.dataRoot)) {
        err << QStringLiteral("Папка с данными %1 не найдена.\n").arg(quotedExcerpt(cl.dataRoot));
        return 1;
    }
    // The login window first: the others are created while the teacher types
    // the password.
    Program program(QDir::currentPath(), true);
    if (qEnvironmentVariableIsSet("ZHURNAL_STARTUP_PROBE"))
        new AfterFirstPaint(program.zapusk, reportAndQuit);
    else
        new AfterFirstPaint(program.zapusk, [&program] { program.createWindows(); });
    program.zapusk->show();
    return application.exec();
}
