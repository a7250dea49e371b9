#include "doubles/gridtyping.h"

#include "controls/gridview.h"
#include "doubles/typing.h"

#include <QLineEdit>
#include <QTest>

void clickGridCell(GridView *view, int col, int row, Qt::MouseButton button)
{
    const QRect cell = view->cellRect(col, row);
    QVERIFY(!cell.isEmpty());
    QWidget *target = view->childAt(cell.center());
    QVERIFY(target);
    QTest::mouseClick(target, button, {}, target->mapFrom(view, cell.center()));
}

QLineEdit *visibleCellEditor(const GridView *view)
{
    for (QLineEdit *e : view->findChildren<QLineEdit *>())
        if (e->isVisible())
            return e;
    return nullptr;
}

void typeIntoCell(GridView *view, int col, int row, const QString &text)
{
    clickGridCell(view, col, row);
    typeText(view, text.left(1));
    QLineEdit *editor = visibleCellEditor(view);
    QVERIFY(editor);
    editor->selectAll();
    typeText(editor, text);
    QTest::keyClick(editor, Qt::Key_Return);
    QTRY_VERIFY(!visibleCellEditor(view)); // Enter closes the editor once the key is done
}
