#include "rating/resultscommand.h"

#include "journal/errors.h"
#include "journal/excerpt.h"
#include "journal/grid.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

#include <new>
#include <stdexcept>

using namespace Qt::StringLiterals;

class TestResultsCommand : public QObject
{
    Q_OBJECT

    const QString m_base = QStringLiteral(ZHURNAL_TEST_DATA "/results");
    const QString m_root = m_base + QStringLiteral("/root");

    struct Run
    {
        int code = -1;
        QString out;
        QString err;
        QJsonObject json() const { return QJsonDocument::fromJson(out.toUtf8()).object(); }
    };

    static Run run(const QStringList &args)
    {
        Run r;
        QTextStream out(&r.out);
        QTextStream err(&r.err);
        r.code = runResultsCommand(args, out, err);
        return r;
    }

    static Run run(const QStringList &args, const JournalReader &reader)
    {
        Run r;
        QTextStream out(&r.out);
        QTextStream err(&r.err);
        r.code = runResultsCommand(args, out, err, reader);
        return r;
    }

    static QString usage() { return QStringLiteral("Использование:\n") + resultsUsageText(); }

    static QStringList texts(const QJsonValue &row)
    {
        QStringList list;
        for (const QJsonValue &v : row.toArray())
            list << v.toString();
        return list;
    }

private Q_SLOTS:
    // A working directory without "Baza/Pasport.txt", for the runs without a root.
    void initTestCase() { QVERIFY(QDir::setCurrent(m_base)); }

    void workedExampleAsJson()
    {
        const Run r = run({u"Г1/primer"_s, u"--data"_s, m_root});
        QCOMPARE(r.code, 0);
        QCOMPARE(r.err, QString());
        const QString expected = QStringLiteral(
            "{\n"
            "  \"itog\": [\n"
            "    [\"№\", \"ФИО\", \"Сумма\", \"  %\", \"10 бальная\", \"5 бальная\", \"Шт. пропусков\", \"% пропусков\"],\n"
            "    [\"1\", \"Иванов Иван\", \"14\", \"100\", \"10\", \" 5\", \"0\", \"0\"],\n"
            "    [\"2\", \"Петрова Анна\", \"6\", \"  43\", \"  5\", \" 2\", \"0\", \"0\"],\n"
            "    [\"3\", \"Сидоров Пётр\", \"5\", \"  36\", \"  4\", \" 2\", \"1\", \"100\"]\n"
            "  ],\n"
            "  \"uspev\": [\n"
            "    [\"Оценка\", \"5\", \"4\", \"3\", \"2\"],\n"
            "    [\"Штук\", \"1\", \"0\", \"0\", \"2\"],\n"
            "    [\"Процент\", \"33\", \"0\", \"0\", \"67\"]\n"
            "  ],\n"
            "  \"indicators\": {\"Uspewa\": \"33\", \"Ka4\": \"33\", \"Obu4\": \"44\"},\n"
            "  \"summi\": [\n"
            "    [\"№\", \"Имя \\\\ Код\", \"т1\", \"кт\"],\n"
            "    [\"1\", \"\", \"\", \"\"],\n"
            "    [\"2\", \"Среднее\", \"5,3\", \"3\"],\n"
            "    [\"3\", \"\", \"\", \"\"],\n"
            "    [\"4\", \"Среднее нак.\", \"5,3\", \"8,3\"],\n"
            "    [\"5\", \"Максимум\", \"10\", \"5\"],\n"
            "    [\"6\", \"Минимум\", \"6\", \"4\"],\n"
            "    [\"7\", \"Макс-Мин\", \"4\", \"1\"]\n"
            "  ]\n"
            "}\n");
        QCOMPARE(r.out, expected);
        QVERIFY(!r.json().isEmpty());
    }

    // The Pasport of the root (45 / 67,5 / 90) unless thresholds are given; each given one replaces its line.
    void thresholds_data()
    {
        QTest::addColumn<QStringList>("extra");
        QTest::addColumn<QStringList>("grades");
        QTest::addColumn<QStringList>("indicators");
        QTest::newRow("from Pasport") << QStringList{} << QStringList{u" 2"_s, u" 5"_s, u" 2"_s, u" 4"_s, u" 3"_s}
                                      << QStringList{u"60"_s, u"40"_s, u"46,4"_s};
        QTest::newRow("all given") << QStringList{u"--t3"_s, u"50"_s, u"--t4"_s, u"70"_s, u"--t5=85"_s}
                                   << QStringList{u" 2"_s, u" 5"_s, u" 2"_s, u" 3"_s, u" 2"_s} << QStringList{u"40"_s, u"20"_s, u"36,8"_s};
        QTest::newRow("one given") << QStringList{u"--t4"_s, u" 70 "_s} << QStringList{u" 2"_s, u" 5"_s, u" 2"_s, u" 3"_s, u" 3"_s}
                                   << QStringList{u"60"_s, u"20"_s, u"40,8"_s};
    }
    void thresholds()
    {
        QFETCH(QStringList, extra);
        const Run r = run(QStringList{u"Г1/trudny"_s, u"--data"_s, m_root} + extra);
        QCOMPARE(r.code, 0);
        const QJsonObject o = r.json();
        const QJsonArray itog = o[u"itog"_s].toArray();
        QCOMPARE(itog.size(), 6);
        QStringList grades;
        for (int k = 1; k < itog.size(); ++k)
            grades << itog[k].toArray()[5].toString();
        QTEST(grades, "grades");
        const QJsonObject ind = o[u"indicators"_s].toObject();
        QTEST((QStringList{ind[u"Uspewa"_s].toString(), ind[u"Ka4"_s].toString(), ind[u"Obu4"_s].toString()}), "indicators");
        QCOMPARE(texts(itog[5]), (QStringList{u"5"_s, u"Белов \"Бобр\""_s, u"9"_s, u"  45"_s, u"  5"_s, grades[4], u"0"_s, u"0"_s}));
    }

    void withoutRootUsesTheWorkingDirectory()
    {
        const QString saved = QDir::currentPath();
        QDir::setCurrent(m_root);
        const Run fromRoot = run({u"Г1/trudny"_s});
        // No Pasport here: the defaults 50 / 70 / 85.
        QDir::setCurrent(m_root + u"/Г1"_s);
        const Run noPasport = run({u"trudny"_s});
        // A folder relative to the working directory when the root has none of that name.
        QDir::setCurrent(m_base);
        const Run fallback = run({u"root/Г1/trudny"_s, u"--data"_s, m_root + u"/Г1"_s});
        QDir::setCurrent(saved);
        QCOMPARE(fromRoot.code, 0);
        QCOMPARE(fromRoot.json()[u"indicators"_s].toObject()[u"Obu4"_s].toString(), QStringLiteral("46,4"));
        QCOMPARE(noPasport.code, 0);
        QCOMPARE(noPasport.json()[u"indicators"_s].toObject()[u"Obu4"_s].toString(), QStringLiteral("36,8"));
        QCOMPARE(fallback.code, 0);
        QCOMPARE(fallback.json()[u"indicators"_s].toObject()[u"Obu4"_s].toString(), QStringLiteral("36,8"));
    }

    void studentAverageAndRankInThatOrder()
    {
        const Run r = run({u"--rank"_s, m_root + u"/Г1/trudny"_s, u"--average"_s, u"--student"_s, u"Смирнов Олег"_s, u"--format"_s, u"json"_s});
        QCOMPARE(r.code, 0);
        const QJsonObject o = r.json();
        QCOMPARE(o.keys().size(), 4);
        QVERIFY(r.out.indexOf(u"\"itog\""_s) < r.out.indexOf(u"\"uspev\""_s) && r.out.indexOf(u"\"uspev\""_s) < r.out.indexOf(u"\"indicators\""_s)
                && r.out.indexOf(u"\"indicators\""_s) < r.out.indexOf(u"\"summi\""_s));
        QVERIFY(r.out.indexOf(u"\"Uspewa\""_s) < r.out.indexOf(u"\"Ka4\""_s) && r.out.indexOf(u"\"Ka4\""_s) < r.out.indexOf(u"\"Obu4\""_s));
        const QJsonArray itog = o[u"itog"_s].toArray();
        QStringList names;
        for (int k = 1; k < itog.size(); ++k)
            names << itog[k].toArray()[1].toString();
        QCOMPARE(names, (QStringList{u"Кузнецова Ира"_s, u"Орлов, Ян"_s, u"*** среднее ***"_s, u"Белов \"Бобр\""_s, u" Смирнов Олег "_s, u"Смирнов Олег"_s}));
        // No root given and no Pasport in the working directory: the default thresholds.
        QCOMPARE(texts(itog[3]), (QStringList{u"3"_s, u"*** среднее ***"_s, u"10,25"_s, u"51,2"_s, u"5,6"_s, u"2,8"_s, u"0,4"_s, u"20"_s}));
        const QJsonArray summi = o[u"summi"_s].toArray();
        QCOMPARE(summi.size(), 8);
        QCOMPARE(texts(summi[1]), (QStringList{u"1"_s, u" Смирнов Олег "_s, u"2,25"_s, u"4"_s, u"0"_s}));
        QCOMPARE(texts(summi[3]), (QStringList{u"3"_s, u" Смирнов Олег  нак."_s, u"2,25"_s, u"6,25"_s, u"6,25"_s}));

        const Run unknown = run({m_root + u"/Г1/trudny"_s, u"--student"_s, u"Никто"_s});
        QCOMPARE(unknown.code, 0);
        QVERIFY(unknown.err.contains(u"«Никто»"_s));
        QCOMPARE(texts(unknown.json()[u"summi"_s].toArray()[1]), (QStringList{u"1"_s, u""_s, u""_s, u""_s, u""_s}));
    }

    void csvForASpreadsheet()
    {
        const Run r = run({u"Г1/trudny"_s, u"--data"_s, m_root, u"--rank"_s, u"--format"_s, u"csv"_s, u"--t3"_s, u"50"_s, u"--t4"_s, u"70"_s, u"--t5"_s, u"85"_s});
        QCOMPARE(r.code, 0);
        QCOMPARE(r.out, QStringLiteral("\uFEFF№,ФИО,Сумма,\"  %\",10 бальная,5 бальная,Шт. пропусков,% пропусков\r\n"
                                       "1,Кузнецова Ира,20,100,10,\" 5\",1,50\r\n"
                                       "2,\"Орлов, Ян\",\"13,5\",\"  68\",\"  7\",\" 3\",0,0\r\n"
                                       "3,\"Белов \"\"Бобр\"\"\",9,\"  45\",\"  5\",\" 2\",0,0\r\n"
                                       "4,\" Смирнов Олег \",\"6,25\",\"  31\",\"  4\",\" 2\",0,0\r\n"
                                       "5,Смирнов Олег,\"2,5\",\"  12\",\"  2\",\" 2\",1,50\r\n"));
    }

    // The separator chosen splits the fields, and only fields holding it (or a
    // quote, a line break, blanks at an end) are quoted; the text starts with the BOM.
    void csvSeparator_data()
    {
        QTest::addColumn<QString>("separator");
        QTest::addColumn<QString>("secondRow");
        QTest::newRow("semicolon") << u";"_s << u"2;Орлов, Ян;13,5;\"  68\";\"  7\";\" 3\";0;0"_s;
        QTest::newRow("tab") << u"\t"_s << u"2\tОрлов, Ян\t13,5\t\"  68\"\t\"  7\"\t\" 3\"\t0\t0"_s;
        QTest::newRow("letter in the name") << u"Я"_s << u"2Я\"Орлов, Ян\"Я13,5Я\"  68\"Я\"  7\"Я\" 3\"Я0Я0"_s;
    }
    void csvSeparator()
    {
        QFETCH(QString, separator);
        QFETCH(QString, secondRow);
        const Run r = run({u"Г1/trudny"_s, u"--data"_s, m_root, u"--rank"_s, u"--format"_s, u"csv"_s,
                           u"--csv-separator"_s, separator, u"--t3"_s, u"50"_s, u"--t4"_s, u"70"_s, u"--t5"_s, u"85"_s});
        QCOMPARE(r.err, QString());
        QCOMPARE(r.code, 0);
        QVERIFY(r.out.startsWith(QChar(0xFEFF)));
        const QStringList lines = r.out.mid(1).split(u"\r\n"_s);
        QCOMPARE(lines.size(), 7);
        QCOMPARE(lines[2], secondRow);
    }
    void csvSeparatorIsOneCharacter_data()
    {
        QTest::addColumn<QString>("separator");
        QTest::newRow("two") << u";;"_s;
        QTest::newRow("empty") << u""_s;
        QTest::newRow("quote") << u"\""_s;
        QTest::newRow("line break") << u"\n"_s;
    }
    void csvSeparatorIsOneCharacter()
    {
        QFETCH(QString, separator);
        const Run r = run({u"Г1/trudny"_s, u"--data"_s, m_root, u"--format"_s, u"csv"_s, u"--csv-separator="_s + separator});
        QCOMPARE(r.code, 2);
        QVERIFY2(r.err.contains(u"--csv-separator нужен один знак"_s), qPrintable(r.err));
        QCOMPARE(r.out, QString());
    }

    void exitCodes_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("message");
        QTest::newRow("no folder") << QStringList{} << 2 << "Не задана папка журнала";
        QTest::newRow("unknown option") << QStringList{u"x"_s, u"--ranking"_s} << 2 << "«--ranking»";
        QTest::newRow("short option") << QStringList{u"x"_s, u"-r"_s} << 2 << "«-r»";
        QTest::newRow("missing value") << QStringList{u"x"_s, u"--t3"_s} << 2 << "«--t3»";
        QTest::newRow("bad format") << QStringList{u"x"_s, u"--format"_s, u"xml"_s} << 2 << "«xml»";
        QTest::newRow("flag with value") << QStringList{u"x"_s, u"--rank=1"_s} << 2 << "«--rank»";
        QTest::newRow("two folders") << QStringList{u"x"_s, u"y"_s} << 2 << "«y»";
        QTest::newRow("no journal") << QStringList{u"Г1/nikakogo"_s} << 1 << "SpStud.txt";
        QTest::newRow("weight no number") << QStringList{u"Г1/oshibka"_s} << 1 << "«два»";
        QTest::newRow("threshold no number") << QStringList{u"Г1/primer"_s, u"--t5"_s, u"много"_s} << 1 << "«много»";
        QTest::newRow("no students, bad threshold unused") << QStringList{u"Г1/pusto"_s, u"--t5"_s, u"много"_s} << 0 << "";
        // Words from the command line are quoted cut short, with control characters shown.
        const QString longOption = u"--"_s + QString(60, u'я');
        QTest::newRow("long option") << QStringList{u"x"_s, longOption} << 2 << quotedExcerpt(longOption);
        QTest::newRow("control character in format") << QStringList{u"x"_s, u"--format"_s, u"cs\x01v"_s} << 2 << "«cs\\x01v»";
        const QString longFolder = u"Г1/"_s + QString(50, u'ж') + u"\n"_s;
        QTest::newRow("long second folder") << QStringList{u"x"_s, longFolder} << 2 << quotedExcerpt(longFolder);
        const QString student = u"Нет\rтакого "_s + QString(50, u'ю');
        QTest::newRow("unknown long student") << QStringList{u"Г1/primer"_s, u"--student"_s, student} << 0
                                              << quotedExcerpt(student);
    }
    void exitCodes()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, message);
        const Run r = run(args + QStringList{u"--data"_s, m_root});
        QTEST(r.code, "code");
        QVERIFY2(r.err.contains(message), qPrintable(r.err));
        QVERIFY2(!hasControlCharacter(QString(r.err).remove(u'\n')), qPrintable(r.err));
        QCOMPARE(r.out.isEmpty(), r.code != 0);
    }

    // A --data that is not a folder would give the default thresholds and wrong grades.
    void dataMustBeAFolder_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("message");
        const QString journal = QStringLiteral("root/Г1/primer"); // found from the working directory
        QTest::newRow("missing") << QStringList{journal, u"--data"_s, u"нет-такой-папки"_s} << "«нет-такой-папки» не найдена";
        QTest::newRow("missing, all thresholds given")
            << QStringList{journal, u"--t3"_s, u"50"_s, u"--t4"_s, u"70"_s, u"--t5"_s, u"85"_s, u"--data=нет"_s} << "«нет» не найдена";
        const QString deep = m_base + u"/нет/"_s + QString(50, u'п');
        QTest::newRow("missing, long path") << QStringList{journal, u"--data"_s, deep} << quotedExcerpt(deep) + u" не найдена"_s;
        const QString file = m_root + u"/Baza/Pasport.txt"_s;
        QTest::newRow("a file") << QStringList{journal, u"--data"_s, file} << quotedExcerpt(file) + u" не папка"_s;
        QTest::newRow("empty") << QStringList{journal, u"--data="_s} << "пустой текст";
    }
    void dataMustBeAFolder()
    {
        QFETCH(QStringList, args);
        const Run r = run(args);
        QCOMPARE(r.code, 2);
        QCOMPARE(r.out, QString());
        QFETCH(QString, message);
        QVERIFY2(r.err.section(u'\n', 0, 0).contains(message), qPrintable(r.err));
        QVERIFY(r.err.endsWith(usage()));
    }

    // Help wins over what follows it, even a --data that does not exist.
    void help_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("-h") << QStringList{u"-h"_s};
        QTest::newRow("--help") << QStringList{u"--help"_s};
        QTest::newRow("after a folder and a flag") << QStringList{u"root/Г1/primer"_s, u"--rank"_s, u"-h"_s};
        QTest::newRow("before a wrong option") << QStringList{u"--help"_s, u"--ranking"_s};
        QTest::newRow("with a missing --data") << QStringList{u"--data"_s, u"нет-такой-папки"_s, u"-h"_s};
    }
    void help()
    {
        QFETCH(QStringList, args);
        const Run r = run(args);
        QCOMPARE(r.code, 0);
        QCOMPARE(r.err, QString());
        QCOMPARE(r.out, usage());
    }

    // Every option the command takes is in its usage, written as the usage shows it.
    void usageNamesEveryOption_data()
    {
        QTest::addColumn<QStringList>("words");
        QTest::addColumn<QString>("inUsage");
        QTest::newRow("data") << QStringList{u"--data"_s, m_root} << "--data КОРЕНЬ";
        QTest::newRow("t3") << QStringList{u"--t3"_s, u"50"_s} << "--t3";
        QTest::newRow("t4") << QStringList{u"--t4"_s, u"70"_s} << "--t4";
        QTest::newRow("t5") << QStringList{u"--t5"_s, u"85"_s} << "--t5";
        QTest::newRow("student") << QStringList{u"--student"_s, u"Иванов Иван"_s} << "--student ФИО";
        QTest::newRow("average") << QStringList{u"--average"_s} << "--average";
        QTest::newRow("rank") << QStringList{u"--rank"_s} << "--rank";
        QTest::newRow("json") << QStringList{u"--format"_s, u"json"_s} << "--format json|csv";
        QTest::newRow("csv") << QStringList{u"--format"_s, u"csv"_s} << "csv — только таблица итогов";
        QTest::newRow("help") << QStringList{u"--help"_s} << "-h, --help";
        QTest::newRow("short help") << QStringList{u"-h"_s} << "-h, --help";
    }
    void usageNamesEveryOption()
    {
        QFETCH(QStringList, words);
        QFETCH(QString, inUsage);
        const Run r = run(QStringList{u"root/Г1/primer"_s} + words);
        QCOMPARE(r.err, QString());
        QCOMPARE(r.code, 0);
        QVERIFY2(resultsUsageText().contains(inUsage), qPrintable(inUsage));
        QVERIFY(!resultsUsageText().contains(QStringLiteral("ИМЯ")));
    }

    // Whatever the reader of SpStud.txt throws, the command ends with a message and 1.
    void readerFailures_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<int>("thrown");
        QTest::addColumn<QStringList>("message");
        const QString folder = QStringLiteral("root/Г1/primer");
        QTest::newRow("project error") << folder << 0 << QStringList{u"Файл «SpStud.txt» повреждён."_s};
        QTest::newRow("out of memory") << folder << 1 << QStringList{u"недостаточно памяти"_s, u"«root/Г1/primer»"_s};
        QTest::newRow("array too long") << folder << 2 << QStringList{u"недостаточно памяти"_s, u"«root/Г1/primer»"_s};
        QTest::newRow("standard exception") << folder << 3 << QStringList{u"непредвиденная ошибка"_s, u"«root/Г1/primer»"_s};
        QTest::newRow("anything else") << folder << 4 << QStringList{u"непредвиденная ошибка"_s, u"«root/Г1/primer»"_s};
        const QString deep = m_root + u"/Г1/"_s + QString(40, u'ы') + u"\t"_s;
        QTest::newRow("out of memory, long folder") << deep << 1 << QStringList{u"недостаточно памяти"_s, quotedExcerpt(deep)};
    }
    void readerFailures()
    {
        QFETCH(QString, folder);
        QFETCH(int, thrown);
        QFETCH(QStringList, message);
        QString readPath;
        const Run r = run({folder, u"--data"_s, m_root}, [&](const QString &path, Grid &) {
            readPath = path;
            switch (thrown) {
            case 0: throw FileError(QStringLiteral("Файл «SpStud.txt» повреждён."));
            case 1: throw std::bad_alloc();
            case 2: throw std::bad_array_new_length();
            case 3: throw std::length_error("vector");
            default: throw 42;
            }
        });
        QVERIFY(readPath.endsWith(QStringLiteral("/SpStud.txt")));
        QCOMPARE(r.code, 1);
        QCOMPARE(r.out, QString());
        QVERIFY2(r.err.endsWith(u'\n') && r.err.count(u'\n') == 1, qPrintable(r.err));
        QVERIFY2(!hasControlCharacter(r.err.chopped(1)), qPrintable(r.err));
        for (const QString &part : message)
            QVERIFY2(r.err.contains(part, Qt::CaseInsensitive), qPrintable(r.err));
    }

};

QTEST_GUILESS_MAIN(TestResultsCommand)
#include "test_resultscommand.moc"
