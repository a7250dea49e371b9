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
        const Run r = run({"Г1/primer", "--data", m_root});
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
        QTest::newRow("from Pasport") << QStringList{} << QStringList{" 2", " 5", " 2", " 4", " 3"}
                                      << QStringList{"60", "40", "46,4"};
        QTest::newRow("all given") << QStringList{"--t3", "50", "--t4", "70", "--t5=85"}
                                   << QStringList{" 2", " 5", " 2", " 3", " 2"} << QStringList{"40", "20", "36,8"};
        QTest::newRow("one given") << QStringList{"--t4", " 70 "} << QStringList{" 2", " 5", " 2", " 3", " 3"}
                                   << QStringList{"60", "20", "40,8"};
    }
    void thresholds()
    {
        QFETCH(QStringList, extra);
        const Run r = run(QStringList{"Г1/trudny", "--data", m_root} + extra);
        QCOMPARE(r.code, 0);
        const QJsonObject o = r.json();
        const QJsonArray itog = o["itog"].toArray();
        QCOMPARE(itog.size(), 6);
        QStringList grades;
        for (int k = 1; k < itog.size(); ++k)
            grades << itog[k].toArray()[5].toString();
        QTEST(grades, "grades");
        const QJsonObject ind = o["indicators"].toObject();
        QTEST((QStringList{ind["Uspewa"].toString(), ind["Ka4"].toString(), ind["Obu4"].toString()}), "indicators");
        QCOMPARE(texts(itog[5]), (QStringList{"5", "Белов \"Бобр\"", "9", "  45", "  5", grades[4], "0", "0"}));
    }

    void withoutRootUsesTheWorkingDirectory()
    {
        const QString saved = QDir::currentPath();
        QDir::setCurrent(m_root);
        const Run fromRoot = run({"Г1/trudny"});
        // No Pasport here: the defaults 50 / 70 / 85.
        QDir::setCurrent(m_root + "/Г1");
        const Run noPasport = run({"trudny"});
        // A folder relative to the working directory when the root has none of that name.
        QDir::setCurrent(m_base);
        const Run fallback = run({"root/Г1/trudny", "--data", m_root + "/Г1"});
        QDir::setCurrent(saved);
        QCOMPARE(fromRoot.code, 0);
        QCOMPARE(fromRoot.json()["indicators"].toObject()["Obu4"].toString(), QStringLiteral("46,4"));
        QCOMPARE(noPasport.code, 0);
        QCOMPARE(noPasport.json()["indicators"].toObject()["Obu4"].toString(), QStringLiteral("36,8"));
        QCOMPARE(fallback.code, 0);
        QCOMPARE(fallback.json()["indicators"].toObject()["Obu4"].toString(), QStringLiteral("36,8"));
    }

    void studentAverageAndRankInThatOrder()
    {
        const Run r = run({"--rank", m_root + "/Г1/trudny", "--average", "--student", "Смирнов Олег", "--format", "json"});
        QCOMPARE(r.code, 0);
        const QJsonObject o = r.json();
        QCOMPARE(o.keys().size(), 4);
        QVERIFY(r.out.indexOf("\"itog\"") < r.out.indexOf("\"uspev\"") && r.out.indexOf("\"uspev\"") < r.out.indexOf("\"indicators\"")
                && r.out.indexOf("\"indicators\"") < r.out.indexOf("\"summi\""));
        QVERIFY(r.out.indexOf("\"Uspewa\"") < r.out.indexOf("\"Ka4\"") && r.out.indexOf("\"Ka4\"") < r.out.indexOf("\"Obu4\""));
        const QJsonArray itog = o["itog"].toArray();
        QStringList names;
        for (int k = 1; k < itog.size(); ++k)
            names << itog[k].toArray()[1].toString();
        QCOMPARE(names, (QStringList{"Кузнецова Ира", "Орлов, Ян", "*** среднее ***", "Белов \"Бобр\"", " Смирнов Олег ", "Смирнов Олег"}));
        // No root given and no Pasport in the working directory: the default thresholds.
        QCOMPARE(texts(itog[3]), (QStringList{"3", "*** среднее ***", "10,25", "51,2", "5,6", "2,8", "0,4", "20"}));
        const QJsonArray summi = o["summi"].toArray();
        QCOMPARE(summi.size(), 8);
        QCOMPARE(texts(summi[1]), (QStringList{"1", " Смирнов Олег ", "2,25", "4", "0"}));
        QCOMPARE(texts(summi[3]), (QStringList{"3", " Смирнов Олег  нак.", "2,25", "6,25", "6,25"}));

        const Run unknown = run({m_root + "/Г1/trudny", "--student", "Никто"});
        QCOMPARE(unknown.code, 0);
        QVERIFY(unknown.err.contains("«Никто»"));
        QCOMPARE(texts(unknown.json()["summi"].toArray()[1]), (QStringList{"1", "", "", "", ""}));
    }

    void csvForASpreadsheet()
    {
        const Run r = run({"Г1/trudny", "--data", m_root, "--rank", "--format", "csv", "--t3", "50", "--t4", "70", "--t5", "85"});
        QCOMPARE(r.code, 0);
        QCOMPARE(r.out, QStringLiteral("№,ФИО,Сумма,\"  %\",10 бальная,5 бальная,Шт. пропусков,% пропусков\r\n"
                                       "1,Кузнецова Ира,20,100,10,\" 5\",1,50\r\n"
                                       "2,\"Орлов, Ян\",\"13,5\",\"  68\",\"  7\",\" 3\",0,0\r\n"
                                       "3,\"Белов \"\"Бобр\"\"\",9,\"  45\",\"  5\",\" 2\",0,0\r\n"
                                       "4,\" Смирнов Олег \",\"6,25\",\"  31\",\"  4\",\" 2\",0,0\r\n"
                                       "5,Смирнов Олег,\"2,5\",\"  12\",\"  2\",\" 2\",1,50\r\n"));
    }

    void exitCodes_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("message");
        QTest::newRow("no folder") << QStringList{} << 2 << "Не задана папка журнала";
        QTest::newRow("unknown option") << QStringList{"x", "--ranking"} << 2 << "«--ranking»";
        QTest::newRow("short option") << QStringList{"x", "-r"} << 2 << "«-r»";
        QTest::newRow("missing value") << QStringList{"x", "--t3"} << 2 << "«--t3»";
        QTest::newRow("bad format") << QStringList{"x", "--format", "xml"} << 2 << "«xml»";
        QTest::newRow("flag with value") << QStringList{"x", "--rank=1"} << 2 << "«--rank»";
        QTest::newRow("two folders") << QStringList{"x", "y"} << 2 << "«y»";
        QTest::newRow("no journal") << QStringList{"Г1/nikakogo"} << 1 << "SpStud.txt";
        QTest::newRow("weight no number") << QStringList{"Г1/oshibka"} << 1 << "«два»";
        QTest::newRow("threshold no number") << QStringList{"Г1/primer", "--t5", "много"} << 1 << "«много»";
        QTest::newRow("no students, bad threshold unused") << QStringList{"Г1/pusto", "--t5", "много"} << 0 << "";
        // Words from the command line are quoted cut short, with control characters shown.
        const QString longOption = "--" + QString(60, u'я');
        QTest::newRow("long option") << QStringList{"x", longOption} << 2 << quotedExcerpt(longOption);
        QTest::newRow("control character in format") << QStringList{"x", "--format", "cs\x01v"} << 2 << "«cs\\x01v»";
        const QString longFolder = "Г1/" + QString(50, u'ж') + "\n";
        QTest::newRow("long second folder") << QStringList{"x", longFolder} << 2 << quotedExcerpt(longFolder);
        const QString student = "Нет\rтакого " + QString(50, u'ю');
        QTest::newRow("unknown long student") << QStringList{"Г1/primer", "--student", student} << 0
                                              << quotedExcerpt(student);
    }
    void exitCodes()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, message);
        const Run r = run(args + QStringList{"--data", m_root});
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
        QTest::newRow("missing") << QStringList{journal, "--data", "нет-такой-папки"} << "«нет-такой-папки» не найдена";
        QTest::newRow("missing, all thresholds given")
            << QStringList{journal, "--t3", "50", "--t4", "70", "--t5", "85", "--data=нет"} << "«нет» не найдена";
        const QString deep = m_base + "/нет/" + QString(50, u'п');
        QTest::newRow("missing, long path") << QStringList{journal, "--data", deep} << quotedExcerpt(deep) + " не найдена";
        const QString file = m_root + "/Baza/Pasport.txt";
        QTest::newRow("a file") << QStringList{journal, "--data", file} << quotedExcerpt(file) + " не папка";
        QTest::newRow("empty") << QStringList{journal, "--data="} << "пустой текст";
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
        QTest::newRow("-h") << QStringList{"-h"};
        QTest::newRow("--help") << QStringList{"--help"};
        QTest::newRow("after a folder and a flag") << QStringList{"root/Г1/primer", "--rank", "-h"};
        QTest::newRow("before a wrong option") << QStringList{"--help", "--ranking"};
        QTest::newRow("with a missing --data") << QStringList{"--data", "нет-такой-папки", "-h"};
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
        QTest::newRow("data") << QStringList{"--data", m_root} << "--data КОРЕНЬ";
        QTest::newRow("t3") << QStringList{"--t3", "50"} << "--t3";
        QTest::newRow("t4") << QStringList{"--t4", "70"} << "--t4";
        QTest::newRow("t5") << QStringList{"--t5", "85"} << "--t5";
        QTest::newRow("student") << QStringList{"--student", "Иванов Иван"} << "--student ФИО";
        QTest::newRow("average") << QStringList{"--average"} << "--average";
        QTest::newRow("rank") << QStringList{"--rank"} << "--rank";
        QTest::newRow("json") << QStringList{"--format", "json"} << "--format json|csv";
        QTest::newRow("csv") << QStringList{"--format", "csv"} << "csv — только таблица итогов";
        QTest::newRow("help") << QStringList{"--help"} << "-h, --help";
        QTest::newRow("short help") << QStringList{"-h"} << "-h, --help";
    }
    void usageNamesEveryOption()
    {
        QFETCH(QStringList, words);
        QFETCH(QString, inUsage);
        const Run r = run(QStringList{"root/Г1/primer"} + words);
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
        QTest::newRow("project error") << folder << 0 << QStringList{"Файл «SpStud.txt» повреждён."};
        QTest::newRow("out of memory") << folder << 1 << QStringList{"недостаточно памяти", "«root/Г1/primer»"};
        QTest::newRow("array too long") << folder << 2 << QStringList{"недостаточно памяти", "«root/Г1/primer»"};
        QTest::newRow("standard exception") << folder << 3 << QStringList{"непредвиденная ошибка", "«root/Г1/primer»"};
        QTest::newRow("anything else") << folder << 4 << QStringList{"непредвиденная ошибка", "«root/Г1/primer»"};
        const QString deep = m_root + "/Г1/" + QString(40, u'ы') + "\t";
        QTest::newRow("out of memory, long folder") << deep << 1 << QStringList{"недостаточно памяти", quotedExcerpt(deep)};
    }
    void readerFailures()
    {
        QFETCH(QString, folder);
        QFETCH(int, thrown);
        QFETCH(QStringList, message);
        QString readPath;
        const Run r = run({folder, "--data", m_root}, [&](const QString &path, Grid &) {
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
