#include "../app/fixtureroot.h"
#include "docxreader.h"

#include "app/commandline.h"
#include "reports/reportcommand.h"

#include <QDir>
#include <QDirIterator>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

// "zhurnal report" as the teacher or a script runs it: the built program,
// without a display, on a fixture data root.
class TestReportCommand : public QObject
{
    Q_OBJECT

    struct Run
    {
        int code = -1;
        QString out;
        QString err;
    };

    static Run run(const QStringList &args)
    {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(u"DISPLAY"_s);
        env.remove(u"WAYLAND_DISPLAY"_s);
        env.insert(u"QT_QPA_PLATFORM"_s, u"minimal"_s);
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(ZHURNAL_BINARY), QStringList{u"report"_s} + args);
        if (!p.waitForFinished(60000))
            return {};
        return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromUtf8(p.readAllStandardOutput()),
                QString::fromUtf8(p.readAllStandardError())};
    }

private Q_SLOTS:
    void parsesAsItsOwnCommand()
    {
        const CommandLine cl = parseCommandLine({u"report"_s, u"journal"_s, u"G/J"_s, u"--data"_s, u"d"_s});
        QCOMPARE(int(cl.action), int(CommandLine::Action::Report));
        QCOMPARE(cl.reportArgs, (QStringList{u"journal"_s, u"G/J"_s, u"--data"_s, u"d"_s}));
        const CommandLine late = parseCommandLine({u"--data"_s, u"d"_s, u"report"_s, u"journal"_s});
        QCOMPARE(int(late.action), int(CommandLine::Action::Error));
        QVERIFY(late.error.contains(u"zhurnal report ВИД"_s));
        QVERIFY(usageText().contains(reportUsageText()));
    }

    // Every report of the fixture journal, written with -o and read back.
    void everyReport_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QStringList>("heading"); // the first paragraphs
        QTest::addColumn<int>("rows");            // of the first table
        QTest::addColumn<int>("columns");
        QTest::addColumn<QStringList>("lastRow");
        QTest::newRow("journal") << QStringList{u"journal"_s, u"G1/Inf"_s}
                                 << QStringList{u"Накопленный рейтинг     На 08.12.2026   Папка Inf"_s, u"Группа  G1 "_s,
                                                u"Информатика   Семестр 1"_s}
                                 << 5 << 10 << QStringList{u""_s, u""_s, u""_s, u""_s, u""_s, u"Итого"_s, u"1"_s, u"17"_s, u""_s, u""_s};
        QTest::newRow("dossier") << QStringList{u"dossier"_s, u"G1/Inf"_s, u"--student"_s, u" Борисова Вера "_s}
                                 << QStringList{u" Борисова Вера        На 08.12.2026"_s,
                                                u"Группа  G1    Семестр 1   Предмет Информатика   Папка Inf"_s}
                                 << 4 << 9
                                 << QStringList{u"3"_s, u"15.09"_s, u"Т2"_s, u"1,5"_s, u""_s, u"4,2"_s, u"6"_s, u"12,5"_s, u"*** Циклы"_s};
        QTest::newRow("ticket") << QStringList{u"ticket"_s, u"G1/Inf"_s, u"--student=Васильев Глеб"_s}
                                << QStringList{u"Васильев Глеб   Билет 08.12.2026"_s, u"Группа  G1    Семестр 1   Предмет"_s,
                                               u"Информатика   Папка Inf"_s}
                                << 2 << 9
                                << QStringList{u"1"_s, u"01.09"_s, u"Т1"_s, u"2"_s, u""_s, u"5,3"_s, u"0"_s, u"5,3"_s, u"*** Алгоритмы"_s};
        QTest::newRow("themes") << QStringList{u"themes"_s, u"G1/Inf"_s}
                                << QStringList{u"Группа  G1    Семестр 1    год 2026  осень"_s, u"Информатика"_s,
                                               u"   Папка Inf     Темы: выполнено На 08.12.2026"_s}
                                << 4 << 7 << QStringList{u"3"_s, u"15.09"_s, u"Т2"_s, u"1,5"_s, u"6,75"_s, u"4,2"_s, u"Циклы"_s};
        QTest::newRow("plan") << QStringList{u"plan"_s, u"G1/Inf"_s}
                              << QStringList{u"Темы: План На 08.12.2026"_s, u"Группа  G1    Семестр 1   Предмет Информатика   Папка Inf"_s}
                              << 4 << 4 << QStringList{u"3"_s, u"Т2"_s, u"1,5"_s, u"Циклы"_s};
        QTest::newRow("catalogue") << QStringList{u"catalogue"_s}
                                   << QStringList{u"Список Предметов / Папка  На 08.12.2026"_s} << 3 << 9
                                   << QStringList{u"2"_s, u"Math"_s, u"G1"_s, u"2"_s, u"Математика"_s, u"2027"_s, u""_s, u""_s, u"вес"_s};
    }
    void everyReport()
    {
        QFETCH(QStringList, args);
        QFETCH(QStringList, heading);
        QFETCH(int, rows);
        QFETCH(int, columns);
        QFETCH(QStringList, lastRow);
        FixtureRoot root;
        const QString file = root.file(u"вывод отчёта.docx"_s);
        const Run r = run(args + QStringList{u"--data"_s, root.path(), u"--date"_s, u"08.12.2026"_s, u"-o"_s, file});
        QVERIFY2(r.code == 0, qPrintable(r.err));
        QCOMPARE(r.out, file + u'\n');
        QCOMPARE(r.err, QString());
        const ReadDocx d = readDocxFile(file);
        QVERIFY2(d.ok, qPrintable(d.error));
        QCOMPARE(d.paragraphs().mid(0, heading.size()), heading);
        QCOMPARE(d.tables.at(0).cells.size(), rows);
        QCOMPARE(d.tables.at(0).cells.at(0).size(), columns);
        QCOMPARE(d.tables.at(0).cells.last(), lastRow);
        QVERIFY(!QFileInfo::exists(root.file(u"Отчёты"_s))); // -o writes only there
    }

    // Thresholds given on the command line replace the scale file's.
    void thresholdsAsForResults()
    {
        FixtureRoot root;
        const QString file = root.file(u"j.docx"_s);
        const Run r = run({u"journal"_s, u"G1/Inf"_s, u"--data"_s, root.path(), u"--t3"_s, u"60,5"_s, u"-o"_s, file});
        QVERIFY2(r.code == 0, qPrintable(r.err));
        const ReadDocx d = readDocxFile(file);
        QCOMPARE(d.tables.at(1).cells.at(1).at(3), u">= 90"_s); // from Baza/Pasport.txt
        QCOMPARE(d.tables.at(1).cells.at(3).at(3), u">= 60,5"_s);
        QCOMPARE(d.tables.at(1).cells.at(4).at(3), u"<  60,5"_s);
        QVERIFY(d.paragraphs().at(0).contains(QDate::currentDate().toString(u"dd.MM.yyyy"_s)));
    }

    void refusals_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("message");
        QTest::newRow("no kind") << QStringList{} << 2 << u"Не задан вид отчёта"_s;
        QTest::newRow("unknown kind") << QStringList{u"rating"_s, u"G1/Inf"_s} << 2 << u"Неизвестный вид отчёта «rating»"_s;
        QTest::newRow("no folder") << QStringList{u"journal"_s} << 2 << u"Не задана папка журнала"_s;
        QTest::newRow("dossier without student") << QStringList{u"dossier"_s, u"G1/Inf"_s} << 2 << u"нужен параметр --student"_s;
        QTest::newRow("bad date") << QStringList{u"plan"_s, u"G1/Inf"_s, u"--date"_s, u"2026-12-08"_s} << 2
                                  << u"Дата «2026-12-08» не в виде ДД.ММ.ГГГГ"_s;
        QTest::newRow("no such data root") << QStringList{u"plan"_s, u"G1/Inf"_s, u"--data"_s, u"/нет/такой"_s} << 2
                                           << u"Папка данных «/нет/такой» не найдена"_s;
        QTest::newRow("option without value") << QStringList{u"ticket"_s, u"G1/Inf"_s, u"--student"_s} << 2
                                              << u"После «--student» нужно значение"_s;
        QTest::newRow("nobody of that name") << QStringList{u"ticket"_s, u"G1/Inf"_s, u"--student"_s, u"Никто"_s} << 1
                                             << u"Ученик «Никто» не найден в журнале"_s;
        QTest::newRow("blank student") << QStringList{u"dossier"_s, u"G1/Inf"_s, u"--student"_s, u"  "_s} << 1
                                       << u"Сначала выберите ученика"_s;
        QTest::newRow("missing journal") << QStringList{u"journal"_s, u"G1/Nothing"_s} << 1 << u"SpStud.txt"_s;
        QTest::newRow("pdf of a missing journal") << QStringList{u"journal"_s, u"G1/Nothing"_s, u"--pdf"_s} << 1 << u"SpStud.txt"_s;
    }
    void refusals()
    {
        QFETCH(QStringList, args);
        QFETCH(int, code);
        QFETCH(QString, message);
        FixtureRoot root;
        const QString file = root.file(u"out.docx"_s);
        QStringList all = args;
        if (!args.contains(u"--data"_s))
            all << u"--data"_s << root.path();
        all << u"-o"_s << file;
        const Run r = run(all);
        QCOMPARE(r.code, code);
        QVERIFY2(r.err.contains(message), qPrintable(r.err));
        QCOMPARE(r.out, QString());
        QVERIFY(!QFileInfo::exists(file));
    }

    // The words of a document as the teacher reads them: paragraphs and table
    // cells; the repeated title rows and the page footers of a PDF aside.
    static QStringList words(const QString &text)
    {
        return text.split(QRegularExpression(u"\\s+"_s), Qt::SkipEmptyParts);
    }
    // The letters of a text, sorted, blanks and line breaks left out.
    static QString letters(const QString &text)
    {
        QString out = text;
        out.remove(QRegularExpression(u"\\s+"_s));
        std::sort(out.begin(), out.end());
        return out;
    }

    // Every report of the demo journal as a PDF, made without a word
    // processor: the same words as the .docx of the same command, the title
    // rows repeated on the later pages and "Стр. N из M" at each page's foot.
    void pdfHasTheDocumentsText_data()
    {
        QTest::addColumn<QStringList>("args");
        const QString journal = u"ИВТ-21/Информатика"_s;
        QTest::newRow("journal") << QStringList{u"journal"_s, journal};
        QTest::newRow("dossier") << QStringList{u"dossier"_s, journal, u"--student"_s, u"Зайцев Дмитрий"_s};
        QTest::newRow("ticket") << QStringList{u"ticket"_s, journal, u"--student"_s, u"Зайцев Дмитрий"_s};
        QTest::newRow("themes") << QStringList{u"themes"_s, journal};
        QTest::newRow("plan") << QStringList{u"plan"_s, journal};
        QTest::newRow("catalogue") << QStringList{u"catalogue"_s};
    }
    void pdfHasTheDocumentsText()
    {
        QFETCH(QStringList, args);
        if (QStandardPaths::findExecutable(u"pdftotext"_s).isEmpty())
            QSKIP("pdftotext (poppler-utils) is not installed");
        QTemporaryDir dir;
        const QString root = dir.filePath(u"demo"_s);
        QDirIterator it(QStringLiteral(ZHURNAL_SOURCE_DIR "/examples/demo"), QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString from = it.next();
            const QString to = root + from.mid(QStringLiteral(ZHURNAL_SOURCE_DIR "/examples/demo").size());
            QVERIFY(QDir().mkpath(QFileInfo(to).absolutePath()));
            QVERIFY(QFile::copy(from, to));
        }
        const QStringList common = args + QStringList{u"--data"_s, root, u"--date"_s, u"08.12.2026"_s};
        const QString docxFile = dir.filePath(u"report.docx"_s);
        const QString pdfFile = dir.filePath(u"report.pdf"_s);
        const Run docx = run(common + QStringList{u"-o"_s, docxFile});
        QCOMPARE(docx.code, 0);
        const Run pdf = run(common + QStringList{u"--pdf"_s, u"-o"_s, pdfFile});
        QVERIFY2(pdf.code == 0, qPrintable(pdf.err));
        QCOMPARE(pdf.out.trimmed(), QFileInfo(pdfFile).absoluteFilePath());
        QFile pdfBytes(pdfFile);
        QVERIFY(pdfBytes.open(QIODevice::ReadOnly));
        QVERIFY(pdfBytes.read(5) == "%PDF-");

        const ReadDocx d = readDocxFile(docxFile);
        QVERIFY2(d.ok, qPrintable(d.error));
        QStringList expected;
        QStringList titleWords;
        for (const QString &b : d.blocks)
            if (!b.startsWith(u"[table "_s))
                expected << words(b);
        for (const ReadDocx::Table &t : d.tables) {
            for (const QStringList &row : t.cells)
                for (const QString &cell : row)
                    expected << words(cell);
            for (const QString &cell : t.cells.first())
                titleWords << words(cell);
        }

        QProcess text;
        text.start(u"pdftotext"_s, {u"-enc"_s, u"UTF-8"_s, pdfFile, u"-"_s});
        QVERIFY(text.waitForFinished(30000));
        QCOMPARE(text.exitCode(), 0);
        QString printed = QString::fromUtf8(text.readAllStandardOutput());
        // One footer per page, numbered through.
        const QRegularExpression footer(u"Стр\\.\\s+(\\d+)\\s+из\\s+(\\d+)"_s);
        QRegularExpressionMatchIterator footers = footer.globalMatch(printed);
        QStringList numbers;
        QString pages;
        while (footers.hasNext()) {
            const QRegularExpressionMatch m = footers.next();
            numbers << m.captured(1);
            pages = m.captured(2);
        }
        QVERIFY(!numbers.isEmpty());
        QCOMPARE(numbers.size(), pages.toInt());
        for (int i = 0; i < numbers.size(); ++i)
            QCOMPARE(numbers.at(i), QString::number(i + 1));
        printed.remove(footer);

        // The PDF holds every letter of the .docx, however its lines broke (a
        // word wider than its column breaks inside, as in the word processor);
        // what it has beyond them are the title rows atop the later pages.
        QString extra = letters(printed);
        for (QChar ch : letters(expected.join(QString()))) {
            const qsizetype at = extra.indexOf(ch);
            QVERIFY2(at >= 0, qPrintable(u"missing from the PDF: "_s + ch));
            extra.remove(at, 1);
        }
        QString spare = QString(titleWords.join(QString())).repeated(pages.toInt() - 1);
        for (QChar ch : std::as_const(extra)) {
            const qsizetype at = spare.indexOf(ch);
            QVERIFY2(at >= 0, qPrintable(u"not in the document: "_s + ch));
            spare.remove(at, 1);
        }
        if (pages.toInt() == 1)
            QCOMPARE(letters(printed), letters(expected.join(QString())));
    }

    // What -o may replace: a regular file outside the data root or in its
    // reports folder; never a device, a pipe, a link or a data file of the root.
    void outputTargets_data()
    {
        QTest::addColumn<QString>("target"); // "@" stands for the data root, "~" for a folder outside it
        QTest::addColumn<QString>("make");   // what stands there first
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("message");
        QTest::newRow("device") << u"~/null"_s << u"device"_s << 1 << u"это устройство, а не файл"_s;
        QTest::newRow("pipe") << u"~/pipe"_s << u"pipe"_s << 1 << u"это канал, а не файл"_s;
        QTest::newRow("link to a file outside the root") << u"~/link.docx"_s << u"link"_s << 1 << u"это символическая ссылка, а не файл"_s;
        QTest::newRow("the journal's own file") << u"@/G1/Inf/SpStud.txt"_s << u""_s << 1 << u"лежит в папке данных"_s;
        QTest::newRow("the scale") << u"@/Baza/Pasport.txt"_s << u""_s << 1 << u"лежит в папке данных"_s;
        QTest::newRow("a data file's name, not there yet") << u"@/Dostup.dat"_s << u""_s << 1 << u"имя файла данных"_s;
        QTest::newRow("a report in the reports folder") << u"@/Отчёты/старый.docx"_s << u"file"_s << 0 << u""_s;
        QTest::newRow("a file outside the root") << u"~/старый.docx"_s << u"file"_s << 0 << u""_s;
    }
    void outputTargets()
    {
        QFETCH(QString, target);
        QFETCH(QString, make);
        QFETCH(int, code);
        QFETCH(QString, message);
        FixtureRoot root;
        QTemporaryDir outside;
        target.replace(u"@"_s, root.path()).replace(u"~"_s, outside.path());
        const QByteArray native = QFile::encodeName(target);
        QVERIFY(QDir().mkpath(QFileInfo(target).path()));
        if (make == u"device" && (geteuid() != 0 || ::mknod(native.constData(), S_IFCHR | 0666, makedev(1, 3)) != 0))
            QSKIP("no device can be made here");
        if (make == u"pipe")
            QVERIFY(::mkfifo(native.constData(), 0666) == 0);
        if (make == u"link") {
            QFile f(outside.filePath(u"поодаль.docx"_s));
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write("чужой файл") > 0);
            f.close();
            QVERIFY(QFile::link(f.fileName(), target));
        }
        if (make == u"file")
            QVERIFY(QFile(target).open(QIODevice::WriteOnly));
        // What stands at the path, not following a link.
        const auto state = [&] {
            struct stat st{};
            if (::lstat(native.constData(), &st) != 0)
                return u"nothing"_s;
            QFile f(target);
            const QString bytes = S_ISREG(st.st_mode) && f.open(QIODevice::ReadOnly) ? QString::fromLatin1(f.readAll().toHex()) : QString();
            return u"%1 %2 %3 %4"_s.arg(st.st_mode, 0, 8).arg(st.st_rdev).arg(QFileInfo(target).symLinkTarget(), bytes);
        };
        const QString before = state();
        const QString outsideFile = outside.filePath(u"поодаль.docx"_s);
        const QByteArray outsideBytes = QFile::exists(outsideFile) ? [&] { QFile f(outsideFile); f.open(QIODevice::ReadOnly); return f.readAll(); }() : QByteArray();

        const Run r = run({u"plan"_s, u"G1/Inf"_s, u"--data"_s, root.path(), u"-o"_s, target});
        QCOMPARE(r.code, code);
        if (code != 0) {
            QVERIFY2(r.err.contains(target) && r.err.contains(message), qPrintable(r.err));
            QCOMPARE(state(), before);
        } else {
            QVERIFY2(readDocxFile(target).ok, qPrintable(r.err));
        }
        if (!outsideBytes.isEmpty()) {
            QFile f(outsideFile);
            QVERIFY(f.open(QIODevice::ReadOnly));
            QCOMPARE(f.readAll(), outsideBytes);
        }
        // No temporary file stays beside the target.
        const auto hidden = QDir(QFileInfo(target).path()).entryList(QDir::Hidden | QDir::Files | QDir::System).filter(u".zhurnal-"_s);
        QCOMPARE(hidden, QStringList());
    }

    // A group folder, a journal folder or "Baza" that is a link to a copy
    // outside the root: the command refuses as the window does, naming it, and
    // writes no document; the copy keeps every byte.
    void linksOutOfTheRoot_data()
    {
        QTest::addColumn<QString>("linked"); // in the root, to the same path outside
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("message");
        QTest::newRow("group linked") << u"G2"_s << QStringList{u"journal"_s, u"G2/Inf"_s}
                                      << u"Папка журнала «G2/Inf» недоступна: папка группы «G2» — символическая ссылка."_s;
        QTest::newRow("group linked, absolute path") << u"G2"_s << QStringList{u"themes"_s, u"@/G2/Inf"_s}
                                                     << u"Папка журнала «G2/Inf» недоступна: папка группы «G2» — символическая ссылка."_s;
        QTest::newRow("journal folder linked") << u"G1/Ext"_s << QStringList{u"plan"_s, u"G1/Ext"_s}
                                               << u"Папка журнала «G1/Ext» недоступна: это символическая ссылка."_s;
        QTest::newRow("Baza linked, catalogue") << u"Baza"_s << QStringList{u"catalogue"_s}
                                                << u"Файл «Baza/Gurnali.txt» недоступен: папка «Baza» — символическая ссылка."_s;
        QTest::newRow("Baza linked, journal") << u"Baza"_s << QStringList{u"journal"_s, u"G1/Inf"_s}
                                              << u"Файл «Baza/Gurnali.txt» недоступен: папка «Baza» — символическая ссылка."_s;
    }
    void linksOutOfTheRoot()
    {
        QFETCH(QString, linked);
        QFETCH(QStringList, args);
        QFETCH(QString, message);
        FixtureRoot root;
        QTemporaryDir outside;
        // The outside copy: the fixture's catalogue, scale and journals.
        QDirIterator it(root.path(), QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString relative = QDir(root.path()).relativeFilePath(it.next());
            QStringList copies{relative};
            if (relative.startsWith(u"G1/Inf/"_s))
                copies << u"G2/Inf/"_s + relative.mid(7) << u"G1/Ext/"_s + relative.mid(7);
            for (const QString &as : copies) {
                QVERIFY(QDir().mkpath(QFileInfo(outside.filePath(as)).path()));
                QVERIFY(QFile::copy(it.filePath(), outside.filePath(as)));
            }
        }
        if (QFileInfo(root.file(linked)).isDir())
            QVERIFY(QDir(root.file(linked)).removeRecursively());
        QVERIFY(QFile::link(outside.filePath(linked), root.file(linked)));
        const auto snapshot = [&outside] {
            QStringList out;
            QDirIterator all(outside.path(), QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
            while (all.hasNext()) {
                QFile f(all.next());
                out << f.fileName() + u' ' + QString::fromLatin1(f.open(QIODevice::ReadOnly) ? f.readAll().toHex() : QByteArray());
            }
            out.sort();
            return out;
        };
        const QStringList before = snapshot();
        args.replaceInStrings(u"@"_s, root.path());
        const Run r = run(args + QStringList{u"--data"_s, root.path()});
        QCOMPARE(r.code, 1);
        QVERIFY2(r.err.contains(message), qPrintable(r.err));
        QCOMPARE(r.out, QString());
        QCOMPARE(snapshot(), before);
        QVERIFY(!QFileInfo::exists(root.file(u"Отчёты"_s)));
    }

    // Without -o the document goes into the root's reports folder and is opened.
    void intoTheReportsFolder()
    {
        FixtureRoot root;
        QString out, err;
        QTextStream o(&out), e(&err);
        QStringList opened;
        const int code = runReportCommand({u"catalogue"_s, u"--data"_s, root.path()}, o, e, [&opened](const QString &p) {
            opened << p;
            return true;
        });
        QCOMPARE(code, 0);
        QCOMPARE(opened.size(), 1);
        QCOMPARE(out, opened.first() + u'\n');
        QVERIFY2(opened.first().startsWith(root.file(u"Отчёты/Список журналов "_s)), qPrintable(opened.first()));
        QVERIFY(opened.first().endsWith(u".docx"_s));
        QVERIFY(readDocxFile(opened.first()).ok);

        // Nothing opens it: the path still comes out, with the note on the error stream.
        out.clear();
        const int again = runReportCommand({u"catalogue"_s, u"--data"_s, root.path()}, o, e, [](const QString &) { return false; });
        QCOMPARE(again, 0);
        QVERIFY(QFileInfo(out.trimmed()).isFile());
        QVERIFY2(err.contains(u"открыть его не удалось"_s), qPrintable(err));
        QCOMPARE(QDir(root.file(u"Отчёты"_s)).entryList(QDir::Files).size(), 2);
    }

    void help()
    {
        const Run r = run({u"--help"_s});
        QCOMPARE(r.code, 0);
        QVERIFY(r.out.contains(u"catalogue  список журналов"_s));
    }
};

QTEST_GUILESS_MAIN(TestReportCommand)
#include "test_reportcommand.moc"
