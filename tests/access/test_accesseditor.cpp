#include "access/accessfile.h"
#include "access/ui/tparoli1.h"
#include "controls/gridview.h"
#include "doubles/recordingservices.h"
#include "doubles/typing.h"
#include "journal/grid.h"

#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

// The cell editor the teacher types into (closed ones may linger until deleted).
QLineEdit *openEditor(QWidget *view)
{
    for (QLineEdit *e : view->findChildren<QLineEdit *>())
        if (e->isVisible() && e->hasFocus())
            return e;
    return nullptr;
}

QByteArray bytesOf(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

} // namespace

class TestAccessEditor : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TParoli1> m_editor;
    RecordingMessages m_messages;
    RecordingPlatform m_platform;

    QString path() const { return m_dir->filePath(u"Dostup.dat"_s); }
    GridView *grid() const { return m_editor->findChild<GridView *>(u"TabDost"_s); }
    QString cell(int col, int row) const { return grid()->grid()->cell(col, row); }
    QString row(int r) const
    {
        QStringList cells;
        for (int c = 0; c < 5; ++c)
            cells << cell(c, r);
        return cells.join(QLatin1Char('|'));
    }

    void showEditor()
    {
        if (!m_editor)
            m_editor = std::make_unique<TParoli1>(path());
        m_editor->show();
        m_editor->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_editor.get()));
    }
    void restart()
    {
        m_editor.reset();
        showEditor();
    }
    // A click on the cell, then the text typed over what it held and Enter (Tab
    // when asked). An empty text clears the cell.
    void typeInto(int col, int r, const QString &text, Qt::Key leave = Qt::Key_Return)
    {
        GridView *v = grid();
        const QRect rect = v->cellRect(col, r);
        QVERIFY(!rect.isEmpty());
        QTest::mouseClick(v->viewport(), Qt::LeftButton, {}, v->viewport()->mapFrom(v, rect.center()));
        typeText(v, text.isEmpty() ? u" "_s : text.left(1));
        QLineEdit *editor = openEditor(v);
        QVERIFY(editor);
        if (text.isEmpty())
            QTest::keyClick(editor, Qt::Key_Backspace);
        else
            typeText(editor, text.mid(1));
        QTest::keyClick(editor, leave);
        QCOMPARE(cell(col, r), text);
    }
    void save()
    {
        auto *b = m_editor->findChild<QPushButton *>(u"ZapDostup"_s);
        QTest::mouseClick(b, Qt::LeftButton, {}, b->rect().center());
    }
    QList<AccessRecord> onDisk() const { return AccessFile::read(path()).records; }

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_messages = RecordingMessages();
        Services::setMessages(&m_messages);
        Services::setPlatform(&m_platform);
        AccessFile::openOrCreate(path(), QDate(2026, 12, 7));
    }
    void cleanup()
    {
        m_editor.reset();
        Services::setMessages(nullptr);
        Services::setPlatform(nullptr);
        m_dir.reset();
    }

    void showsTheFile()
    {
        showEditor();
        QCOMPARE(m_editor->windowTitle(), u"Управление доступом"_s);
        GridView *v = grid();
        QCOMPARE(row(0), u"Код|Дата|ФИО|Пароль|Доступ"_s);
        QCOMPARE(row(1), u"01|07.12.2026|Администратор|580317|Z"_s);
        QCOMPARE(row(4).section(QLatin1Char('|'), 0, 2), u"04|07.12.2026|Пользователь 3"_s);
        QCOMPARE(row(5), u"||||"_s);
        // The header row cannot be typed into.
        QVERIFY(!(v->model()->flags(v->model()->index(0, 0)) & Qt::ItemIsEditable));
    }

    // A user removed and the editor shown again in the same run: the table is
    // the file as it now is, and a code typed twice is refused by its row.
    void reopenedEditorShowsTheFileAndRefusesACodeTwice()
    {
        showEditor();
        typeInto(0, 3, u"02"_s);
        save();
        QCOMPARE(m_messages.errors().size(), 1);
        QVERIFY2(m_messages.errors().first().startsWith(u"Строка 3 таблицы доступа: код «02» уже есть в строке 2."_s),
                 qPrintable(m_messages.errors().first()));
        QCOMPARE(onDisk().at(2).code, u"03"_s); // the file stays as it was

        typeInto(0, 3, QString());
        save();
        QCOMPARE(onDisk().size(), 3);
        m_editor->hide();
        showEditor();
        QCOMPARE(row(3).section(QLatin1Char('|'), 0, 0), u"04"_s);
        QCOMPARE(row(4), u"||||"_s);
        save();
        QCOMPARE(onDisk().size(), 3);
        QCOMPARE(onDisk().at(2).code, u"04"_s);
    }

    void tabMovesFromCellToCell()
    {
        showEditor();
        GridView *v = grid();
        QTest::mouseClick(v->viewport(), Qt::LeftButton, {}, v->viewport()->mapFrom(v, v->cellRect(3, 2).center()));
        QCOMPARE(v->currentCol(), 3);
        QTest::keyClick(v, Qt::Key_Tab);
        QCOMPARE(v->currentCol(), 4);
        QCOMPARE(v->currentRow(), 2);
        QTest::keyClick(v, Qt::Key_Tab);
        QCOMPARE(v->currentCol(), 0);
        QCOMPARE(v->currentRow(), 3);
        // Tab leaves a typed text in its cell and goes on to the next.
        typeInto(2, 6, u"Новый"_s, Qt::Key_Tab);
        QCOMPARE(v->currentCol(), 3);
        QCOMPARE(v->currentRow(), 6);
        // Escape in the next cell takes back nothing of the one before.
        if (QLineEdit *next = openEditor(v))
            QTest::keyClick(next, Qt::Key_Escape);
        QCOMPARE(cell(2, 6), u"Новый"_s);
    }

    void removeARowAndRestart()
    {
        showEditor();
        typeInto(0, 3, QString());
        save();
        QCOMPARE(m_messages.shown.size(), 1);
        QCOMPARE(m_messages.shown.first().kind, Messages::Kind::Warning);
        QCOMPARE(m_messages.shown.first().caption, u"Изменения вступят после этого"_s);
        QCOMPARE(m_messages.shown.first().text, u"Перезапустите программу!!!"_s);
        const QList<AccessRecord> saved = onDisk();
        QCOMPARE(saved.size(), 3);
        QCOMPARE(saved.at(0).code, u"01"_s);
        QCOMPARE(saved.at(1).code, u"02"_s);
        QCOMPARE(saved.at(2).code, u"04"_s);
        QCOMPARE(QFileInfo(path()).size(), 144);

        restart();
        QCOMPARE(row(3).left(3), u"04|"_s);
        QCOMPARE(row(4), u"||||"_s);
    }

    void addAUserAndRefuseABadDate()
    {
        showEditor();
        const QByteArray before = bytesOf(path());
        typeInto(0, 5, u"055"_s);
        typeInto(1, 5, u"1.9.2026"_s);
        typeInto(2, 5, u"Константинопольская Анна"_s);
        typeInto(3, 5, u"12345678"_s);
        typeInto(4, 5, u"ZW"_s);
        typeInto(1, 3, u"31.13.2026"_s);
        save();
        // Nothing is written: the box names the row and the text.
        QCOMPARE(m_messages.errors().size(), 1);
        QVERIFY2(m_messages.errors().first().contains(u"Строка 3"_s) && m_messages.errors().first().contains(u"«31.13.2026»"_s),
                 qPrintable(m_messages.errors().first()));
        QCOMPARE(m_messages.shown.size(), 1); // no restart message
        QCOMPARE(bytesOf(path()), before);

        typeInto(1, 3, u"13.12.2026"_s);
        save();
        QCOMPARE(m_messages.shown.size(), 2);
        // Shown again, the editor reads the file: the texts cut to their fields.
        m_editor->hide();
        showEditor();
        QCOMPARE(row(3).left(14), u"03|13.12.2026|"_s);
        QCOMPARE(row(5), u"05|01.09.2026|Константинопольская |123456|Z"_s);
    }

    void unchangedSaveKeepsTheBytes()
    {
        showEditor();
        const QByteArray before = bytesOf(path());
        save();
        QCOMPARE(bytesOf(path()), before);
    }
};

QTEST_MAIN(TestAccessEditor)
#include "test_accesseditor.moc"
