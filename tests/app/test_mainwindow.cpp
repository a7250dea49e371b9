#include "fixtureroot.h"

#include "access/ui/tparoli1.h"
#include "access/ui/tzapusk.h"
#include "app/tform1.h"
#include "controls/helpviewer.h"
#include "doubles/recordingservices.h"
#include "journal/excerpt.h"
#include "controls/gridview.h"
#include "journal/ui/tgurnaliform.h"
#include "rating/ui/tprocent.h"
#include "rating/ui/tstolbitogo.h"
#include "themes/ui/ttema.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QDirIterator>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QStatusBar>
#include <QTimer>
#include <QToolButton>
#include <QProcess>
#include <QtTest>

#include <memory>

using namespace Qt::StringLiterals;

// Start-up, the main window and the journal's load and save, run on a
// temporary data root with every message box answered by the test.
class TestMainWindow : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<WindowSession> m_session;
    FixtureRoot *m_root = nullptr;
    RecordingMessages &messages() const { return m_session->messages; }
    RecordingPlatform &platform() const { return m_session->platform; }
    TForm1 *f() const { return running().form1; }
    QStringList errors() const { return messages().errors(); }
    QStringList questions() const
    {
        QStringList out;
        for (const auto &e : messages().shown)
            if (e.kind == Messages::Kind::Question)
                out << e.caption + QLatin1Char('|') + e.text;
        return out;
    }
    static QByteArray fileBytes(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }
    static void writeFile(const QString &path, const QByteArray &bytes)
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    // Every name under a folder, links not followed.
    static QStringList listing(const QString &folder)
    {
        QStringList out;
        QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                        QDirIterator::Subdirectories);
        while (it.hasNext())
            out << it.next();
        out.sort();
        return out;
    }
    // The catalogue window opens modally during a save that makes a new entry:
    // close it as soon as it shows, remembering whether "Загрузить" was hidden.
    void closeCatalogueWhenShown(bool *zagruzitHidden, QString *caption)
    {
        QTimer::singleShot(0, running().gurnali, [zagruzitHidden, caption] {
            *zagruzitHidden = ctl<QPushButton>(running().gurnali, QStringLiteral("Zagruzit"))->isHidden();
            *caption = running().gurnali->windowTitle();
            running().gurnali->reject();
        });
    }

private Q_SLOTS:
    void init()
    {
        m_session = std::make_unique<WindowSession>();
        m_root = &m_session->root;
    }
    void cleanup()
    {
        m_root = nullptr;
        m_session.reset();
    }

    void windowsHaveTheirCaptionsAndLiveForTheRun()
    {
        QCOMPARE(f()->windowTitle(), QStringLiteral("Журналы успеваемости и автоматический расчёт рейтинга учеников"));
        QCOMPARE(running().stolbItogo->windowTitle(), QStringLiteral("Динамика накопленной успеваемости. Показатели взвешены."));
        QCOMPARE(running().tema->windowTitle(), QStringLiteral("Тематический план"));
        QCOMPARE(running().procent->windowTitle(), QStringLiteral("Шкала перевода"));
        QCOMPARE(running().gurnali->windowTitle(), QStringLiteral("Список журналов"));
        QCOMPARE(running().paroli->windowTitle(), QStringLiteral("Управление доступом"));
        // Closing any window but the login window only hides it.
        QPointer<TTema> tema = running().tema;
        tema->show();
        tema->close();
        QVERIFY(tema);
        QVERIFY(tema->isHidden());
        // Escape does not end the main window; a close request from the desktop
        // ends it as "Выход      " does (nothing changed: nothing asked).
        f()->show();
        QTest::keyClick(f(), Qt::Key_Escape);
        QVERIFY(f()->isVisible());
        f()->close();
        QVERIFY(!f()->isVisible());
        QCOMPARE(messages().shown.size(), 0);
    }

    void mainWindowHasItsMenuAndControlsWithHints()
    {
        const QList<QPair<QString, QString>> menu = {
            {u"N10"_s, u"Журнал      "_s}, {u"N6"_s, u"Темы     "_s}, {u"N4"_s, u"Помощь           "_s}, {u"N7"_s, u"Шкала перевода                 "_s},
            {u"N9"_s, u"Сервис      "_s}, {u"N3"_s, u"Сайт автора"_s}, {u"N2"_s, u"Печать"_s}, {u"N5"_s, u"Письмо автору"_s}, {u"N8"_s, u"Доступ"_s},
            {u"N1"_s, u"Выход      "_s}};
        for (const auto &[name, caption] : menu) {
            auto *a = f()->findChild<QAction *>(name);
            QVERIFY2(a, qPrintable(name));
            QCOMPARE(QString(a->text()).remove(u'&'), caption); // the mnemonic's marker is not shown
        }
        const QList<QPair<QString, QString>> hints = {
            {u"SaveTab"_s, u"Запомнить журнал в папке (Ctrl+S)"_s}, {u"RedSpisok"_s, u"Редактирование таблицы"_s}, {u"GirOb"_s, u"Обычный шрифт / Жирный"_s},
            {u"BitBtn1"_s, u"Колонку ФИО открыть / закрыть"_s}, {u"FIO"_s, u"Ученик выбран"_s}, {u"DatNTar"_s, u"Дата"_s},
            {u"TekOcen"_s, u"Текущие оценки по 5 балльной системе"_s}, {u"Print11"_s, u"Печать истории ученика и итоговый рейтинг"_s},
            {u"Bilet"_s, u"Билет экзаменационный напечатать"_s}, {u"TemiFakt"_s, u"Даты Темы фактически"_s}, {u"Obnovit"_s, u"Обновить таблицу"_s},
            {u"Dinamika"_s, u"Динамика накопленной успеваемости ученика"_s}, {u"Provodnik"_s, u"Windows проводник"_s},
            {u"NStroki"_s, u"Номер выбранной строки"_s}, {u"PlusStr"_s, u"Добавить строку ниже выбранной (Ctrl+Ins)"_s},
            {u"MinusStr"_s, u"Удалить выбранную строку (Ctrl+Del)"_s}, {u"DelStroki"_s, u"Удалить строки снмзу"_s},
            {u"NStolbca"_s, u"Номер выбранного столбца"_s}, {u"PlusStolb"_s, u"Добавить столбец правее выбранного (Ctrl+Shift+Ins)"_s},
            {u"MinusStolb"_s, u"Удалить выбранный столбец (Ctrl+Shift+Del)"_s}, {u"DelStolbi"_s, u"Удалить столбцы справа"_s},
            {u"Peres4et"_s, u"Пересчитать итоги по журналу (F9)"_s}, {u"Rang"_s, u"Ранжировать по баллам"_s}, {u"Grafik"_s, u"График"_s},
            {u"PrintRD"_s, u"Печать таблицы"_s}, {u"CopyStolb"_s, u"Столбец Сумма добавить в журнал справа"_s},
            {u"SrSt"_s, u"Рассчитать показатели среднего ученика"_s}, {u"Gruppa"_s, u"Код группы, он же имя Папки журналов группы"_s},
            {u"PapkaName"_s, u"Имя папки с журналом"_s}, {u"GodS"_s, u"Редактируется в списке журналов"_s}};
        for (const auto &[name, hint] : hints) {
            auto *w = f()->findChild<QWidget *>(name);
            QVERIFY2(w, qPrintable(name));
            QCOMPARE(w->toolTip(), hint);
            QCOMPARE(w->statusTip(), hint);
        }
        QVERIFY(f()->findChild<QPushButton *>(u"ReLoad"_s)->isHidden());
        QVERIFY(ctl<QLineEdit>(f(), QStringLiteral("GodS"))->isReadOnly() && ctl<QLineEdit>(f(), QStringLiteral("Komment"))->isReadOnly() && ctl<QLineEdit>(f(), QStringLiteral("DatNTar"))->isReadOnly());
        QCOMPARE(ctl<QLineEdit>(f(), QStringLiteral("NStroki"))->text(), QStringLiteral("1"));
        QCOMPARE(ctl<QLineEdit>(f(), QStringLiteral("NStolbca"))->text(), QStringLiteral("1"));
        // The status bar shows the hint of the control under the mouse.
        QStatusTipEvent tip(ctl<QToolButton>(f(), QStringLiteral("PlusStr"))->statusTip());
        QApplication::sendEvent(ctl<QToolButton>(f(), QStringLiteral("PlusStr")), &tip);
        QCOMPARE(ctl<QStatusBar>(f(), QStringLiteral("StatusBar"))->currentMessage(), QStringLiteral("Добавить строку ниже выбранной (Ctrl+Ins)"));
    }

    void designShapesOfTheGrids()
    {
        const Grid &j = session().journal();
        QCOMPARE(j.colCount(), 20);
        QCOMPARE(j.rowCount(), 14);
        QCOMPARE(j.fixedCols(), 2);
        QCOMPARE(j.fixedRows(), 4);
        QCOMPARE(j.colWidth(0), 22);
        QCOMPARE(j.colWidth(1), 127);
        QCOMPARE(j.colWidth(19), 30);
        const Grid &u = session().uspev();
        QCOMPARE(u.cell(0, 0), QStringLiteral("Оценка"));
        QCOMPARE(u.cell(0, 1), QStringLiteral("Штук"));
        QCOMPARE(u.cell(0, 2), QStringLiteral("Процент"));
        QCOMPARE(u.cell(1, 0) + u.cell(2, 0) + u.cell(3, 0) + u.cell(4, 0), QStringLiteral("5432"));
        QCOMPARE(session().itog().colCount(), 8);
        QVERIFY(session().itog().colWidth(1) >= 103);
        const Grid &cat = session().catalogue();
        QCOMPARE(cat.colCount(), 8);
        QCOMPARE(cat.cell(5, 0), QStringLiteral("Преподаватель"));
        QCOMPARE(cat.cell(0, 1), QStringLiteral("1"));
        QCOMPARE(cat.colWidth(4), 375);
        const Grid &t = session().themes();
        QCOMPARE(t.colCount(), 4);
        QCOMPARE(t.cell(3, 0), QStringLiteral("Предмет, Тема, Вид работы, Имя фактора"));
        QCOMPARE(t.colWidth(3), 807);
        QCOMPARE(session().summi().colCount(), 35);
        QCOMPARE(session().summi().rowCount(), 8);
        QCOMPARE(ctl<QLineEdit>(running().procent, QStringLiteral("TriProc"))->text() + ctl<QLineEdit>(running().procent, QStringLiteral("ChetProc"))->text() + ctl<QLineEdit>(running().procent, QStringLiteral("PaytProc"))->text(),
                 QStringLiteral("507085"));
    }

    void firstShowingOpensTheFirstCatalogueEntry()
    {
        f()->FormShow();
        QCOMPARE(errors(), QStringList());
        QCOMPARE(ctl<QLineEdit>(f(), QStringLiteral("Gruppa"))->text(), QStringLiteral(" G1 "));
        QCOMPARE(ctl<QLineEdit>(f(), QStringLiteral("PapkaName"))->text(), QStringLiteral("Inf"));
        QCOMPARE(ctl<QLineEdit>(f(), QStringLiteral("Semestr"))->text(), QStringLiteral("1"));
        QCOMPARE(ctl<QLineEdit>(f(), QStringLiteral("PredmNaz"))->text(), QStringLiteral("Информатика"));
        QCOMPARE(ctl<QLineEdit>(f(), QStringLiteral("GodS"))->text(), QStringLiteral("2026"));
        QCOMPARE(ctl<QLineEdit>(f(), QStringLiteral("Komment"))->text(), QStringLiteral("осень"));
        QCOMPARE(session().folderPath(), QStringLiteral("G1/Inf"));
        const Grid &j = session().journal();
        QCOMPARE(j.colCount(), 5);
        QCOMPARE(j.rowCount(), 7);
        QCOMPARE(j.fixedRows(), 4);
        QCOMPARE(j.cell(1, 5), QStringLiteral("Борисова Вера"));
        QCOMPARE(j.colWidth(1), 140);
        QCOMPARE(session().themes().cell(3, 2), QStringLiteral("Контрольная"));
        QVERIFY(running().tema->isVisible());
        const Grid &s = session().summi();
        QCOMPARE(s.colCount(), 5);
        QCOMPARE(s.colWidth(4), 33);
        QCOMPARE(s.cell(2, 0), QStringLiteral("Т1"));
        QCOMPARE(s.cell(3, 0), QStringLiteral("кт1"));
        QCOMPARE(s.cell(1, 0), QStringLiteral("Имя \\ Код"));
        QCOMPARE(s.cell(0, 7), QStringLiteral("7"));
        QCOMPARE(s.cell(1, 4), QStringLiteral("Среднее нак."));
        QCOMPARE(s.cell(1, 7), QStringLiteral("Макс-Мин"));
        // The grading scale file is read with the journal, before its recalculation.
        QCOMPARE(ctl<QLineEdit>(running().procent, QStringLiteral("TriProc"))->text(), QStringLiteral("55"));
        QCOMPARE(ctl<QLineEdit>(running().procent, QStringLiteral("PaytProc"))->text(), QStringLiteral("90"));
    }

    void loadFailures_data()
    {
        QTest::addColumn<QString>("missing");
        QTest::addColumn<int>("journalCols");  // what the journal grid holds afterwards
        QTest::addColumn<QString>("threshold3"); // TriProc afterwards
        QTest::addColumn<bool>("labelsWritten"); // step 5 of the first showing ran
        QTest::addColumn<bool>("opened");        // the entry became the current journal
        QTest::newRow("catalogue") << "Baza/Gurnali.txt" << 20 << "50" << false << false;
        QTest::newRow("journal grid") << "G1/Inf/SpStud.txt" << 20 << "50" << false << false;
        QTest::newRow("theme grid") << "G1/Inf/SpTem.txt" << 20 << "50" << false << false;
        QTest::newRow("widths (not an error)") << "G1/Inf/ColSpStud.txt" << 5 << "55" << true << true;
        QTest::newRow("grading scale") << "Baza/Pasport.txt" << 5 << "50" << false << true;
    }
    void loadFailures()
    {
        QFETCH(QString, missing);
        QFETCH(int, journalCols);
        QFETCH(QString, threshold3);
        QFETCH(bool, labelsWritten);
        QFETCH(bool, opened);
        m_root->remove(missing);
        f()->FormShow();
        if (missing.contains(QLatin1String("ColSpStud"))) {
            QCOMPARE(errors(), QStringList());
            QCOMPARE(session().journal().colWidth(1), 127);
        } else {
            QCOMPARE(errors().size(), 1);
            QVERIFY2(errors().first().contains(missing.section(u'/', -1)), qPrintable(errors().first()));
        }
        QCOMPARE(session().journal().colCount(), journalCols);
        QCOMPARE(ctl<QLineEdit>(running().procent, QStringLiteral("TriProc"))->text(), threshold3);
        QCOMPARE(session().summi().cell(1, 2) == QStringLiteral("Среднее"), labelsWritten);
        // The identity names a journal only once its files are on screen.
        QCOMPARE(ctl<QLineEdit>(f(), QStringLiteral("PapkaName"))->text(), opened ? QStringLiteral("Inf") : QString());
        QCOMPARE(ctl<QLineEdit>(f(), QStringLiteral("GodS"))->text(), opened ? QStringLiteral("2026") : QString());
        QCOMPARE(session().folderPath(), opened ? QStringLiteral("G1/Inf") : QString());
        // An open journal is recalculated even when its scale file is missing.
        QCOMPARE(session().itog().cell(1, 1), opened ? QStringLiteral("Андреев Антон") : QString());
    }

    // "Запомнить шкалу" regrades the open journal: the results never show
    // grades of another scale than the one saved.
    void savingTheScaleRecalculatesTheJournal()
    {
        f()->FormShow();
        QCOMPARE(errors(), QStringList());
        const auto fives = [] {
            int n = 0;
            for (int r = 1; r < session().itog().rowCount(); ++r)
                n += session().itog().cell(5, r).trimmed() == u"5"_s;
            return n;
        };
        const int before = fives();
        QVERIFY(before < session().itog().rowCount() - 1);
        for (const char *name : {"TriProc", "ChetProc", "PaytProc"}) {
            QLineEdit *edit = ctl<QLineEdit>(running().procent, QLatin1String(name));
            edit->setFocus();
            edit->selectAll();
            QTest::keyClicks(edit, u"1"_s);
        }
        QCOMPARE(fives(), before); // typed, not yet saved
        QTest::mouseClick(ctl<QToolButton>(running().procent, u"SaveTab"_s), Qt::LeftButton);
        QCOMPARE(errors(), QStringList());
        QVERIFY2(fives() > before, qPrintable(QString::number(fives())));
    }

    void savingIntoTheOpenJournalRewritesItByteForByte()
    {
        f()->FormShow();
        const QByteArray stud = m_root->bytes(u"G1/Inf/SpStud.txt"_s);
        const QByteArray tem = m_root->bytes(u"G1/Inf/SpTem.txt"_s);
        const QByteArray widths = m_root->bytes(u"G1/Inf/ColSpStud.txt"_s);
        const QByteArray catalogue = m_root->bytes(u"Baza/Gurnali.txt"_s);
        m_root->remove(u"G1/Inf/SpStud.txt"_s);
        m_root->remove(u"G1/Inf/SpTem.txt"_s);
        m_root->remove(u"G1/Inf/ColSpStud.txt"_s);
        messages().answers = {true};
        f()->SaveTabClick();
        QCOMPARE(errors(), QStringList());
        QCOMPARE(questions(), QStringList{u"Такая папка есть|Записать в неё видимый журнал?"_s});
        // The teacher asked for the save: Enter answers "Да".
        QCOMPARE(messages().shown.last().byDefault, Messages::Answer::Yes);
        const QString said = f()->findChild<QStatusBar *>()->currentMessage();
        QVERIFY2(QRegularExpression(u"^Журнал записан: G1/Inf \\d\\d:\\d\\d:\\d\\d$"_s).match(said).hasMatch(), qPrintable(said));
        messages().answers = {false};
        f()->SaveTabClick();
        QCOMPARE(f()->findChild<QStatusBar *>()->currentMessage(), u"Журнал не записан"_s);
        QCOMPARE(m_root->bytes(u"G1/Inf/SpStud.txt"_s), stud);
        QCOMPARE(m_root->bytes(u"G1/Inf/SpTem.txt"_s), tem);
        QCOMPARE(m_root->bytes(u"G1/Inf/ColSpStud.txt"_s), widths);
        QCOMPARE(m_root->bytes(u"Baza/Gurnali.txt"_s), catalogue);
    }

    void answeringNoWritesNothing_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::newRow("existing entry") << "Inf";
        QTest::newRow("new entry") << "Fiz";
    }
    void answeringNoWritesNothing()
    {
        QFETCH(QString, folder);
        f()->FormShow();
        session().journal().setCell(2, 4, QStringLiteral("2"));
        ctl<QLineEdit>(f(), QStringLiteral("PapkaName"))->setText(folder);
        const QByteArray catalogue = m_root->bytes(u"Baza/Gurnali.txt"_s);
        const QByteArray stud = m_root->bytes(u"G1/Inf/SpStud.txt"_s);
        messages().answers = {false};
        f()->SaveTabClick();
        QCOMPARE(questions().size(), 1);
        QCOMPARE(m_root->bytes(u"G1/Inf/SpStud.txt"_s), stud);
        QCOMPARE(m_root->bytes(u"Baza/Gurnali.txt"_s), catalogue);
        QVERIFY(!QFileInfo::exists(m_root->file(u"G1/Fiz"_s)));
    }

    void savingUnderANewFolderMakesANewFirstEntry_data()
    {
        QTest::addColumn<bool>("folderExists");
        QTest::newRow("folder created") << false;
        QTest::newRow("folder already on disk") << true;
    }
    void savingUnderANewFolderMakesANewFirstEntry()
    {
        QFETCH(bool, folderExists);
        f()->FormShow();
        if (folderExists)
            QDir(m_root->path()).mkpath(u"G1/Fiz"_s);
        ctl<QLineEdit>(f(), QStringLiteral("PapkaName"))->setText(QStringLiteral(" Fiz "));
        ctl<QLineEdit>(f(), QStringLiteral("PredmNaz"))->setText(QStringLiteral("Физика"));
        messages().answers = {true};
        bool zagruzitHidden = false;
        QString caption;
        closeCatalogueWhenShown(&zagruzitHidden, &caption);
        f()->SaveTabClick();
        QCOMPARE(errors(), QStringList());
        QCOMPARE(questions(), QStringList{u"Такой папки нет|Создать папку и записать в неё журнал?"_s});
        QVERIFY(zagruzitHidden);
        QVERIFY(!ctl<QPushButton>(running().gurnali, QStringLiteral("Zagruzit"))->isHidden());
        QCOMPARE(caption, QStringLiteral("Отредактируйте строку журнала и нажмите кнопку Запомнить"));
        QCOMPARE(session().folderPath(), QStringLiteral("G1/Fiz"));
        const Grid &cat = session().catalogue();
        QCOMPARE(cat.rowCount(), 4);
        QCOMPARE(cat.cell(0, 3), QStringLiteral("3"));
        QCOMPARE(cat.cell(1, 1), QStringLiteral(" Fiz "));
        QCOMPARE(cat.cell(2, 1), QStringLiteral(" G1 "));
        QCOMPARE(cat.cell(4, 1), QStringLiteral("Физика"));
        QCOMPARE(cat.cell(5, 1), QStringLiteral("Иванова И. И."));
        QCOMPARE(cat.cell(6, 1), QStringLiteral("2026"));
        QCOMPARE(cat.cell(1, 2), QStringLiteral("  Inf  "));
        QCOMPARE(cat.cell(1, 3), QStringLiteral("Math"));
        QCOMPARE(m_root->bytes(u"Baza/Gurnali.txt"_s).count("\r\n"), 2 + 8 * 4);
        QCOMPARE(m_root->bytes(u"G1/Fiz/SpStud.txt"_s), m_root->bytes(u"G1/Inf/SpStud.txt"_s));
        QCOMPARE(m_root->bytes(u"G1/Fiz/SpTem.txt"_s), m_root->bytes(u"G1/Inf/SpTem.txt"_s));
        // The save neither recalculates nor changes year and comment.
        QCOMPARE(ctl<QLineEdit>(f(), QStringLiteral("GodS"))->text(), QStringLiteral("2026"));
    }

    void firstShowingRefusesALinkedJournal_data()
    {
        QTest::addColumn<QString>("link");   // the path in the root that becomes a link
        QTest::addColumn<QString>("target"); // where it points, inside the outside folder
        QTest::newRow("journal folder links outside") << "G1/Inf" << "J";
        QTest::newRow("group folder links outside") << "G1" << "";
    }
    void firstShowingRefusesALinkedJournal()
    {
        QFETCH(QString, link);
        QFETCH(QString, target);
        QTemporaryDir outside;
        // The journal moves outside the root and a link takes its place.
        const QString journalOutside = outside.filePath(target.isEmpty() ? QStringLiteral("Inf") : target);
        QVERIFY(QDir().mkpath(journalOutside));
        for (const char *name : {"SpStud.txt", "SpTem.txt", "ColSpStud.txt"})
            QVERIFY(QFile::copy(m_root->file(QStringLiteral("G1/Inf/") + QLatin1String(name)), journalOutside + u"/"_s + QLatin1String(name)));
        QVERIFY(QDir(m_root->file(link)).removeRecursively());
        QVERIFY(QFile::link(target.isEmpty() ? outside.path() : journalOutside, m_root->file(link)));
        const QByteArray outsideStud = fileBytes(journalOutside + u"/SpStud.txt"_s);
        f()->FormShow();
        QCOMPARE(errors().size(), 1);
        QVERIFY2(errors().first().contains(QStringLiteral("«G1/Inf»")), qPrintable(errors().first()));
        QVERIFY2(!errors().first().contains(QStringLiteral("SpStud")), qPrintable(errors().first()));
        QCOMPARE(session().journal().colCount(), 20);
        QCOMPARE(ctl<QLineEdit>(f(), QStringLiteral("PapkaName"))->text(), QString());
        QCOMPARE(session().folderPath(), QString());
        // A save has no folder to go to and leaves the outside journal alone.
        messages().answers = {true, true};
        bool zagruzitHidden = false;
        QString caption;
        closeCatalogueWhenShown(&zagruzitHidden, &caption);
        QTest::mouseClick(ctl<QToolButton>(f(), QStringLiteral("SaveTab")), Qt::LeftButton);
        QCOMPARE(errors().size(), 2);
        QCOMPARE(fileBytes(journalOutside + u"/SpStud.txt"_s), outsideStud);
    }

    void savingIntoALinkedFolderWritesNothing_data()
    {
        QTest::addColumn<QString>("group");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<bool>("entryExists"); // the catalogue already names the folder
        QTest::newRow("new group links outside") << "Out" << "New" << false;
        QTest::newRow("new group links to the data root") << "Root" << "Baza" << false;
        QTest::newRow("journal folder links outside") << "G1" << "Ext" << false;
        QTest::newRow("group links to a sibling's group") << " L " << "Math" << false;
        QTest::newRow("catalogue entry names a link") << "G1" << "Ext" << true;
    }
    void savingIntoALinkedFolderWritesNothing()
    {
        QFETCH(QString, group);
        QFETCH(QString, folder);
        QFETCH(bool, entryExists);
        QTemporaryDir outside;
        const QByteArray canary = "2\r\n1\r\nне трогать\r\n\r\n";
        QVERIFY(QDir().mkpath(outside.filePath(u"Ext"_s)));
        writeFile(outside.filePath(u"SpStud.txt"_s), canary);
        writeFile(outside.filePath(u"Ext/SpStud.txt"_s), canary);
        m_root->write(u"G1/Math/SpStud.txt"_s, canary);
        QVERIFY(QFile::link(outside.path(), m_root->file(u"Out"_s)));
        QVERIFY(QFile::link(m_root->path(), m_root->file(u"Root"_s)));
        QVERIFY(QFile::link(outside.filePath(u"Ext"_s), m_root->file(u"G1/Ext"_s)));
        QVERIFY(QFile::link(u"G1"_s, m_root->file(u"L"_s)));
        f()->FormShow();
        QCOMPARE(errors(), QStringList());
        if (entryExists) {
            session().catalogue().setCell(1, 2, folder);
            session().catalogue().setCell(2, 2, group);
        }
        const QByteArray catalogue = m_root->bytes(u"Baza/Gurnali.txt"_s);
        const QStringList outsideBefore = listing(outside.path());
        const QStringList bazaBefore = listing(m_root->file(u"Baza"_s));
        ctl<QLineEdit>(f(), QStringLiteral("Gruppa"))->setText(group);
        ctl<QLineEdit>(f(), QStringLiteral("PapkaName"))->setText(folder);
        messages().answers = {true, true};
        bool zagruzitHidden = false;
        QString caption;
        closeCatalogueWhenShown(&zagruzitHidden, &caption);
        QTest::mouseClick(ctl<QToolButton>(f(), QStringLiteral("SaveTab")), Qt::LeftButton);
        QCOMPARE(errors().size(), 1);
        const QString named = QStringLiteral("«%1/%2»").arg(group.trimmed(), folder.trimmed());
        QVERIFY2(errors().first().contains(named), qPrintable(errors().first()));
        QCOMPARE(questions(), QStringList());
        QCOMPARE(listing(outside.path()), outsideBefore);
        QCOMPARE(listing(m_root->file(u"Baza"_s)), bazaBefore);
        QCOMPARE(fileBytes(outside.filePath(u"SpStud.txt"_s)), canary);
        QCOMPARE(fileBytes(outside.filePath(u"Ext/SpStud.txt"_s)), canary);
        QCOMPARE(m_root->bytes(u"G1/Math/SpStud.txt"_s), canary);
        QCOMPARE(session().catalogue().rowCount(), 3);
        QCOMPARE(m_root->bytes(u"Baza/Gurnali.txt"_s), catalogue);
        QCOMPARE(session().folderPath(), QStringLiteral("G1/Inf"));
    }

    void missingGroupFolderStopsBeforeTheCatalogueChanges()
    {
        f()->FormShow();
        ctl<QLineEdit>(f(), QStringLiteral("Gruppa"))->setText(QStringLiteral("G9"));
        const QByteArray catalogue = m_root->bytes(u"Baza/Gurnali.txt"_s);
        messages().answers = {true};
        f()->SaveTabClick();
        QCOMPARE(errors().size(), 1);
        QVERIFY(errors().first().contains(QStringLiteral("G9")));
        QCOMPARE(session().catalogue().rowCount(), 3);
        QCOMPARE(m_root->bytes(u"Baza/Gurnali.txt"_s), catalogue);
    }

    void unsafeNamesAreRefusedBeforeAnythingIsAsked_data()
    {
        QTest::addColumn<QString>("group");
        QTest::addColumn<QString>("folder");
        QTest::newRow("empty group") << "   " << "Inf";
        QTest::newRow("empty folder") << "G1" << "";
        QTest::newRow("dot") << "G1" << " . ";
        QTest::newRow("dot dot group") << ".." << "Inf";
        QTest::newRow("slash") << "G1" << "a/b";
        QTest::newRow("backslash") << "G1" << "..\\x";
        QTest::newRow("tab in folder") << "G1" << "In\tf";
        QTest::newRow("NUL in group") << QString(QStringLiteral("G1") + QChar(0)) << "Inf";
        QTest::newRow("DEL in folder") << "G1" << "Inf\x7f";
        QTest::newRow("long name with a control character")
            << "G1" << QString(QStringLiteral("x").repeated(150) + QChar(1) + QStringLiteral("x").repeated(150));
    }
    void unsafeNamesAreRefusedBeforeAnythingIsAsked()
    {
        QFETCH(QString, group);
        QFETCH(QString, folder);
        f()->FormShow();
        ctl<QLineEdit>(f(), QStringLiteral("Gruppa"))->setText(group);
        ctl<QLineEdit>(f(), QStringLiteral("PapkaName"))->setText(folder);
        const QStringList before = QDir(m_root->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
        bool zagruzitHidden = false;
        QString caption;
        closeCatalogueWhenShown(&zagruzitHidden, &caption); // should the save get that far
        QTest::mouseClick(ctl<QToolButton>(f(), QStringLiteral("SaveTab")), Qt::LeftButton);
        QCOMPARE(errors().size(), 1);
        QVERIFY2(!hasControlCharacter(errors().first()) && errors().first().size() < 250, qPrintable(errors().first()));
        QCOMPARE(questions(), QStringList());
        QCOMPARE(QDir(m_root->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
        QCOMPARE(QDir(m_root->file(u"G1"_s)).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 (QStringList{u"Inf"_s, u"Math"_s}));
        QCOMPARE(session().catalogue().rowCount(), 3);
    }

    void aTextCp1251CannotHoldStopsTheSave()
    {
        f()->FormShow();
        const QByteArray stud = m_root->bytes(u"G1/Inf/SpStud.txt"_s);
        session().journal().setCell(1, 6, QStringLiteral("Васильев 😀"));
        f()->SaveTabClick();
        QCOMPARE(errors().size(), 1);
        QVERIFY(errors().first().contains(QStringLiteral("SpStud.txt")));
        QVERIFY2(errors().first().contains(u"имя ученика 3 «Васильев 😀»"_s), qPrintable(errors().first()));
        QCOMPARE(questions(), QStringList());
        QCOMPARE(m_root->bytes(u"G1/Inf/SpStud.txt"_s), stud);
    }

    void anIdentityTextCp1251CannotHoldStopsTheSave()
    {
        f()->FormShow();
        ctl<QLineEdit>(f(), QStringLiteral("PapkaName"))->setText(QStringLiteral("Fiz"));
        ctl<QLineEdit>(f(), QStringLiteral("PredmNaz"))->setText(QStringLiteral("Физика 中"));
        const QByteArray catalogue = m_root->bytes(u"Baza/Gurnali.txt"_s);
        f()->SaveTabClick();
        QCOMPARE(errors().size(), 1);
        QVERIFY(errors().first().contains(QStringLiteral("Предмет")));
        QCOMPARE(questions(), QStringList());
        QCOMPARE(session().catalogue().rowCount(), 3);
        QCOMPARE(m_root->bytes(u"Baza/Gurnali.txt"_s), catalogue);
        QVERIFY(!QFileInfo::exists(m_root->file(u"G1/Fiz"_s)));
    }

    void fontSwitchAndRepaint()
    {
        QVERIFY(ctl<GridView>(f(), QStringLiteral("SpisokSt"))->gridFont().bold());
        f()->GirObClick();
        QVERIFY(!ctl<GridView>(f(), QStringLiteral("SpisokSt"))->gridFont().bold());
        QVERIFY(ctl<QToolButton>(f(), QStringLiteral("GirOb"))->font().bold());
        f()->GirObClick();
        QVERIFY(ctl<GridView>(f(), QStringLiteral("SpisokSt"))->gridFont().bold());
        QVERIFY(!ctl<QToolButton>(f(), QStringLiteral("GirOb"))->font().bold());
        ctl<GridView>(f(), QStringLiteral("SpisokSt"))->addFrame(QRect(1, 1, 20, 20), Qt::blue);
        f()->ObnovitClick();
        QCOMPARE(ctl<GridView>(f(), QStringLiteral("SpisokSt"))->markCount(), 0);
    }

    void menuCommandsReachThePlatform()
    {
        f()->N3Click();
        f()->N5Click();
        QCOMPARE(platform().addresses.size(), 2);
        QVERIFY(platform().addresses.at(1).endsWith(QStringLiteral("/sendmail/form.php")));
        QVERIFY(platform().addresses.at(1).startsWith(platform().addresses.at(0).chopped(1)));
        // The file manager opens the data root, where the journals are.
        ctl<QAbstractButton>(f(), u"Provodnik"_s)->click();
        QCOMPARE(platform().opened, QStringList{QDir::toNativeSeparators(session().dataRoot())});
        QVERIFY(!platform().opened.value(0).endsWith(QLatin1Char('/')));
        // Without a compiled help file the program's pages open in its own viewer.
        f()->N4Click();
        QCOMPARE(platform().opened.size(), 1);
        auto *viewer = f()->findChild<HelpViewer *>(u"HelpViewer"_s);
        QVERIFY(viewer && viewer->isVisible());
        QCOMPARE(viewer->source().fileName(), u"index.html"_s);
        viewer->hide();
        // A help file in the data root comes first.
        QDir(m_root->path()).mkpath(u"Help"_s);
        m_root->write(u"Help/Help.chm"_s, "x");
        f()->N4Click();
        QVERIFY(platform().opened.at(1).endsWith(QStringLiteral("Help/Help.chm")));
        QVERIFY(!viewer->isVisible());
        f()->N2Click();
        QCOMPARE(platform().prints, 1);
        QCOMPARE(f()->palette().color(QPalette::Window), QColor(Qt::white));
        QCOMPARE(ctl<QGroupBox>(f(), QStringLiteral("EditGroup"))->palette().color(QPalette::Window), QColor(Qt::white));
        QCOMPARE(errors(), QStringList());
    }

    void demoJournalsComeBackByteForByte()
    {
        // A copy of the demo data root: every journal opened from the catalogue
        // and saved into its own folder is unchanged on disk.
        QTemporaryDir demo;
        const QString source = QStringLiteral(ZHURNAL_SOURCE_DIR "/examples/demo");
        QVERIFY(QProcess::execute(QStringLiteral("cp"), {QStringLiteral("-r"), source + QStringLiteral("/."), demo.path()}) == 0);
        m_session->restartOn(demo.path());
        f()->resize(1200, 700);
        f()->FormShow();
        QCOMPARE(errors(), QStringList());
        TGurnaliForm *g = running().gurnali;
        const int entries = session().catalogue().rowCount() - 1;
        QVERIFY(entries >= 3);
        for (int r = 1; r <= entries; ++r) {
            ctl<GridView>(g, QStringLiteral("GurSp"))->setCurrentRow(r);
            g->ZagruzitClick();
            QCOMPARE(errors(), QStringList());
            QMap<QString, QByteArray> before;
            for (const char *name : {"SpStud.txt", "ColSpStud.txt", "SpTem.txt"}) {
                QFile file(session().folderPath() + QLatin1Char('/') + QLatin1String(name));
                QVERIFY(file.open(QIODevice::ReadOnly));
                before[QLatin1String(name)] = file.readAll();
                file.close();
                file.remove();
            }
            messages().answers = {true};
            f()->SaveTabClick();
            QCOMPARE(errors(), QStringList());
            for (auto it = before.cbegin(); it != before.cend(); ++it) {
                QFile file(session().folderPath() + QLatin1Char('/') + it.key());
                QVERIFY(file.open(QIODevice::ReadOnly));
                QVERIFY2(file.readAll() == it.value(), qPrintable(session().folderPath() + QLatin1Char('/') + it.key()));
            }
        }
    }

    void pastedIdentityIsOneLine_data()
    {
        QTest::addColumn<QString>("edit");
        QTest::newRow("group") << u"Gruppa"_s;
        QTest::newRow("folder") << u"PapkaName"_s;
        QTest::newRow("subject") << u"PredmNaz"_s;
        QTest::newRow("term") << u"Semestr"_s;
    }
    void pastedIdentityIsOneLine()
    {
        QFETCH(QString, edit);
        f()->show();
        QVERIFY(QTest::qWaitForWindowExposed(f()));
        QLineEdit *e = ctl<QLineEdit>(f(), edit);
        QVERIFY(e);
        e->setFocus();
        e->selectAll();
        QApplication::clipboard()->setText(u"Инф\r\nорматика\n"_s);
        QTest::keyClick(e, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(e->text(), u"Инф орматика "_s);
    }

    void exitHidesEveryWindow()
    {
        running().tema->show();
        running().stolbItogo->show();
        f()->show();
        f()->N1Click();
        QVERIFY(running().tema->isHidden());
        QVERIFY(running().stolbItogo->isHidden());
        QVERIFY(f()->isHidden());
    }
};

QTEST_MAIN(TestMainWindow)
#include "test_mainwindow.moc"
