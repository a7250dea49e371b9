#include "reports/reportcommand.h"

#include "journal/catalogue.h"
#include "journal/errors.h"
#include "journal/excerpt.h"
#include "journal/gridfile.h"
#include "journal/journalfolder.h"
#include "journal/journalsession.h"
#include "rating/commandwords.h"
#include "rating/dynamics.h"
#include "rating/resultgrids.h"
#include "rating/resultscommand.h"
#include "reports/docxdocument.h"
#include "reports/reports.h"

#include <QDir>
#include <QFileInfo>

#include <memory>
#include <new>
#include <optional>

namespace {

enum class Kind { Journal, Dossier, Ticket, Themes, Plan, Catalogue };

const std::pair<const char *, Kind> kKinds[] = {
    {"journal", Kind::Journal}, {"dossier", Kind::Dossier}, {"ticket", Kind::Ticket},
    {"themes", Kind::Themes},   {"plan", Kind::Plan},       {"catalogue", Kind::Catalogue},
};

struct Options
{
    Kind kind = Kind::Journal;
    QString folder;
    QString root;
    bool rootGiven = false;
    std::optional<QString> t3, t4, t5, student, date, output;
    bool help = false;
    bool pdf = false;
};

QString parseOptions(const QStringList &args, Options &o)
{
    if (args.isEmpty())
        return QStringLiteral("Не задан вид отчёта.");
    const QString &first = args.first();
    if (first == QLatin1String("-h") || first == QLatin1String("--help")) {
        o.help = true;
        return {};
    }
    if (first.startsWith(u'-'))
        return QStringLiteral("Не задан вид отчёта: сразу после report пишется journal, dossier, ticket, themes, plan или catalogue.");
    bool known = false;
    for (const auto &[name, kind] : kKinds)
        if (first == QLatin1String(name)) {
            o.kind = kind;
            known = true;
        }
    if (!known)
        return QStringLiteral("Неизвестный вид отчёта %1: допускаются journal, dossier, ticket, themes, plan и catalogue.")
            .arg(quotedExcerpt(first));

    const QString error = CommandWords::walk(args, 1, o.folder, o.help, [&o](const CommandWords::Option &opt, const CommandWords::ValueReader &value) -> QString {
        const QString &name = opt.name;
        if (name == QLatin1String("--pdf")) {
            o.pdf = true;
            return QString();
        }
        if (name == QLatin1String("--data")) {
            o.rootGiven = true;
            return value(o.root);
        }
        std::optional<QString> *slot = name == QLatin1String("--t3")        ? &o.t3
                                       : name == QLatin1String("--t4")      ? &o.t4
                                       : name == QLatin1String("--t5")      ? &o.t5
                                       : name == QLatin1String("--student") ? &o.student
                                       : name == QLatin1String("--date")    ? &o.date
                                       : name == QLatin1String("-o") || name == QLatin1String("--output") ? &o.output
                                                                                                         : nullptr;
        if (!slot)
            return CommandWords::unknownOption(opt.word);
        QString text;
        const QString e = value(text);
        if (e.isEmpty())
            *slot = text;
        return e;
    });
    if (!error.isEmpty() || o.help)
        return error;
    if (o.kind != Kind::Catalogue && o.folder.isEmpty())
        return QStringLiteral("Не задана папка журнала.");
    if ((o.kind == Kind::Dossier || o.kind == Kind::Ticket) && !o.student)
        return QStringLiteral("Для отчёта %1 нужен параметр --student ФИО.").arg(first);
    if (o.pdf && !o.output)
        return QStringLiteral("Для --pdf нужен параметр -o ФАЙЛ.pdf: куда записать документ PDF.");
    if (o.output && o.output->isEmpty())
        return QStringLiteral("После -o указан пустой текст вместо имени файла.");
    if (o.date && !QDate::fromString(*o.date, QStringLiteral("dd.MM.yyyy")).isValid())
        return QStringLiteral("Дата %1 не в виде ДД.ММ.ГГГГ.").arg(quotedExcerpt(*o.date));
    return {};
}

// The heading of the journal in `folder` (absolute) as the window shows it
// after the load: the catalogue entry of the folder when the data root's
// catalogue has one, else the group and folder names alone.
JournalIdentity headingOf(JournalSession &session, const QString &folder)
{
    const QFileInfo info(folder);
    JournalIdentity id;
    id.folder = info.fileName();
    id.group = QFileInfo(info.absolutePath()).fileName();
    const QString catalogueFile = session.rootPath(QString::fromLatin1(Catalogue::kCatalogueFile));
    if (!QFileInfo::exists(catalogueFile))
        return id;
    session.readCatalogue();
    const QString relative = QDir(session.dataRoot()).relativeFilePath(info.absoluteFilePath());
    const int row = Catalogue::findEntry(session.catalogue(), relative);
    if (row < 1)
        return id;
    id = session.catalogueEntry(row);
    // The first entry is the journal the window opens at start-up, its folder name trimmed.
    if (row == 1)
        id.folder = id.folder.trimmed();
    return id;
}

QString buildReport(const Options &o, const std::function<bool(const QString &)> &open, const ReportPdfMaker &pdf)
{
    const QString root = o.root.isEmpty() ? QDir::currentPath() : o.root;
    JournalSession session(root);
    const QDate date = o.date ? QDate::fromString(*o.date, QStringLiteral("dd.MM.yyyy")) : QDate::currentDate();

    JournalIdentity heading;
    if (o.kind == Kind::Catalogue) {
        session.readCatalogue();
    } else {
        const QString folder = commandJournalFolder(o.folder, o.root);
        session.loadJournalFile(folder, &ReadGridFile);
        if (o.kind != Kind::Journal)
            ReadGridFile(QDir(folder).filePath(QStringLiteral("SpTem.txt")), session.themes());
        heading = headingOf(session, folder);
        session.thresholds() = commandThresholds(root, o.t3, o.t4, o.t5);
        ResultGrids::writeSummiLabels(session.summi());
        session.recalculate();
    }

    const QString student = o.student.value_or(QString());
    QString name;
    switch (o.kind) {
    case Kind::Journal: name = Reports::journalTableName(); break;
    case Kind::Dossier: name = Reports::dossierName(student); break;
    case Kind::Ticket: name = Reports::ticketName(student); break;
    case Kind::Themes: name = Reports::themesDoneName(); break;
    case Kind::Plan: name = Reports::thematicPlanName(); break;
    case Kind::Catalogue: name = Reports::catalogueName(); break;
    }
    std::unique_ptr<DocxDocument> doc = o.output ? std::make_unique<DocxDocument>(*o.output, root)
                                                 : std::make_unique<DocxDocument>(root, name, QDateTime::currentDateTime(), open);
    doc->setTitle(name);
    if (o.pdf) {
        if (!pdf)
            throw ZError(QStringLiteral("Отчёт в PDF не составлен: эта сборка программы не умеет делать PDF."));
        doc->setEncoder(pdf);
    }

    const Reports::MainWindowView view{session.journal(), session.themes(), session.summi(), session.itog(),
                                       session.uspev(),   heading,          student,         session.indicators(),
                                       session.thresholds(), date};
    switch (o.kind) {
    case Kind::Journal:
        Reports::journalTable(*doc, view);
        break;
    case Kind::Dossier:
    case Kind::Ticket: {
        Reports::runDynamicsAndRanking(session.journal(), student, session.summi(), session.itog());
        const int row = Reports::studentRow(session.journal(), student);
        if (o.kind == Kind::Dossier)
            Reports::dossier(*doc, view, row);
        else
            Reports::ticket(*doc, view, row);
        break;
    }
    case Kind::Themes:
        Dynamics::fillDynamics(session.journal(), student, session.summi());
        Reports::themesDone(*doc, view);
        break;
    case Kind::Plan:
        Reports::thematicPlan(*doc, session.themes(), heading, date);
        break;
    case Kind::Catalogue:
        Reports::catalogue(*doc, session.catalogue(), date);
        break;
    }
    return doc->writtenPath();
}

} // namespace

QString reportUsageText()
{
    return QStringLiteral(
        "  zhurnal report ВИД [ПАПКА_ЖУРНАЛА] [--data КОРЕНЬ] [--student ФИО]\n"
        "                 [--t3 ТЕКСТ --t4 ТЕКСТ --t5 ТЕКСТ] [--date ДД.ММ.ГГГГ] [-o ФАЙЛ.docx]\n"
        "                 [--pdf -o ФАЙЛ.pdf]\n"
        "      составить отчёт без окна, такой же, какой окно печатает сразу после загрузки\n"
        "      журнала, и вывести путь записанного документа. ВИД — один из:\n"
        "        journal    накопленный рейтинг (таблица итогов)\n"
        "        dossier    досье ученика --student\n"
        "        ticket     экзаменационный билет ученика --student\n"
        "        themes     темы выполнено\n"
        "        plan       тематический план\n"
        "        catalogue  список журналов (папка журнала не нужна)\n"
        "      ПАПКА_ЖУРНАЛА, --data и пороги --t3, --t4, --t5 — как у команды results\n"
        "      --student ФИО      ученик досье и билета\n"
        "      --date ДД.ММ.ГГГГ  дата в заголовке вместо сегодняшней\n"
        "      -o ФАЙЛ.docx       записать в этот файл и не открывать его (без -o —\n"
        "                         в папку «Отчёты» КОРНЯ и открыть в текстовом редакторе)\n"
        "      --pdf -o ФАЙЛ.pdf  записать отчёт в файл PDF (текстовый редактор не нужен)\n"
        "      -h, --help         эта справка по команде report\n");
}

bool reportWantsPdf(const QStringList &args)
{
    return args.contains(QStringLiteral("--pdf"));
}

int runReportCommand(const QStringList &args, QTextStream &out, QTextStream &err,
                     const std::function<bool(const QString &)> &open, const ReportPdfMaker &pdf)
{
    out.setEncoding(QStringConverter::Utf8);
    err.setEncoding(QStringConverter::Utf8);
    Options o;
    QString argError;
    try {
        argError = parseOptions(args, o);
        if (argError.isEmpty() && !o.help)
            argError = commandDataRootProblem(o.root, o.rootGiven);
    } catch (...) {
        argError = QStringLiteral("Параметры команды report не разобраны.");
    }
    if (!argError.isEmpty()) {
        err << argError << "\n" << QStringLiteral("Использование:\n") << reportUsageText();
        err.flush();
        return 2;
    }
    if (o.help) {
        out << QStringLiteral("Использование:\n") << reportUsageText();
        out.flush();
        return 0;
    }
    try {
        QString written;
        try {
            written = buildReport(o, open, pdf);
        } catch (const ReportNotOpened &e) {
            // The document is written: that is the result; the desktop's failure is a note.
            err << e.message() << "\n";
            err.flush();
            written = e.path();
        }
        out << written << "\n";
        out.flush();
        return 0;
    } catch (const ZError &e) {
        err << e.message() << "\n";
    } catch (const std::bad_alloc &) {
        err << QStringLiteral("Отчёт не составлен: недостаточно памяти.\n");
    } catch (...) {
        err << QStringLiteral("Отчёт не составлен: непредвиденная ошибка программы.\n");
    }
    err.flush();
    return 1;
}
