#include "journal/ui/tgurnaliform.h"

#include "controls/helpviewer.h"
#include "controls/framegeometry.h"
#include "controls/handler.h"
#include "controls/roweditpanel.h"
#include "controls/services.h"
#include "controls/windowtools.h"
#include "journal/catalogue.h"
#include "journal/errors.h"
#include "journal/excerpt.h"
#include "journal/gridfile.h"
#include "journal/gridops.h"
#include "journal/journalfolder.h"
#include "reports/reports.h"
#include "reports/ui/windowreport.h"
#include "controls/gridview.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

TGurnaliForm::TGurnaliForm(JournalSession &session, QWidget *parent)
    : QDialog(parent), m_session(session), m_gurSp(session.catalogue())
{
    setObjectName(QStringLiteral("GurnaliForm"));
    setWindowTitle(QStringLiteral("Список журналов"));
    setModal(true);

    // The group's caption, word by word, stands over the controls it names.
    auto *group = new QGroupBox(this);
    GurSp = new GridView(&m_gurSp, group);
    GurSp->setObjectName(QStringLiteral("GurSp"));
    GurSp->setRowSelect(true);

    Zagruzit = new QPushButton(QStringLiteral("Загрузить"), group);
    setHint(Zagruzit, QStringLiteral("Zagruzit"), QStringLiteral("Выбранный журнал загрузить в систему"));
    Zagruzit->setIcon(style()->standardIcon(QStyle::SP_DialogOpenButton));
    Redaktir = makeToolButton(group, QStringLiteral("Redaktir"), QStringLiteral("Редактирование таблицы"), QString(),
                              QStyle::SP_FileDialogDetailedView);
    GirOb = makeToolButton(group, QStringLiteral("GirOb"), QStringLiteral("Обычный шрифт / Жирный"), QStringLiteral("Ж"));
    auto *rows = new RowEditPanel(
        QStringLiteral("StrGurn"), QStringLiteral("Номер выбранной строки"),
        {{QStringLiteral("DobStrNige"), QStringLiteral("Добавить строку ниже выбранной"), QStringLiteral("+")},
         {QStringLiteral("PerStroki"), QStringLiteral("Выделенную и вышележащую строки поменять местами"), QStringLiteral("⇅")},
         {QStringLiteral("DelStroku"), QStringLiteral("Удалить выбранную строку"), QStringLiteral("−")}},
        {QStringLiteral("№"), QStringLiteral("Добавить"), QStringLiteral("Переставить"), QStringLiteral("Удалить")}, group);
    StrGurn = rows->numberEdit();
    DobStrNige = rows->button(0);
    PerStroki = rows->button(1);
    DelStroku = rows->button(2);
    SaveTab = makeToolButton(group, QStringLiteral("SaveTab"), QStringLiteral("Запомнить таблицы"), QString(), QStyle::SP_DialogSaveButton);
    PrintRD = makeToolButton(group, QStringLiteral("PrintRD"), QStringLiteral("Печать таблицы"), QStringLiteral("Печать"));
    Prosmotr = makeToolButton(group, QStringLiteral("Prosmotr"), QStringLiteral("Просмотр таблицы перед печатью"), QStringLiteral("Просмотр"));
    connect(SaveTab, &QToolButton::clicked, this, &TGurnaliForm::SaveTabClick);
    connect(GirOb, &QToolButton::clicked, this, &TGurnaliForm::GirObClick);
    connect(GurSp, &GridView::mouseDown, this, &TGurnaliForm::GurSpMouseDown);
    connect(Redaktir, &QToolButton::clicked, this, &TGurnaliForm::RedaktirClick);
    connect(DobStrNige, &QToolButton::clicked, this, &TGurnaliForm::DobStrNigeClick);
    connect(PerStroki, &QToolButton::clicked, this, &TGurnaliForm::PerStrokiClick);
    connect(DelStroku, &QToolButton::clicked, this, &TGurnaliForm::DelStrokuClick);
    connect(Zagruzit, &QPushButton::clicked, this, &TGurnaliForm::ZagruzitClick);
    connect(PrintRD, &QToolButton::clicked, this, &TGurnaliForm::PrintRDClick);
    connect(Prosmotr, &QToolButton::clicked, this, &TGurnaliForm::ProsmotrClick);

    rows->addCaptioned(QStringLiteral("Запомнить"), SaveTab);
    rows->addCaptioned(QStringLiteral("Печать"), PrintRD);
    rows->addCaptioned(QStringLiteral("Просмотр"), Prosmotr);
    setShortcutHint(SaveTab, QKeySequence(Qt::CTRL | Qt::Key_S));
    // Hidden while a new entry is completed, it keeps its place all the same.
    QSizePolicy keepPlace = Zagruzit->sizePolicy();
    keepPlace.setRetainSizeWhenHidden(true);
    Zagruzit->setSizePolicy(keepPlace);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(Zagruzit, 0, Qt::AlignBottom);
    buttons->addWidget(Redaktir, 0, Qt::AlignBottom);
    buttons->addWidget(GirOb, 0, Qt::AlignBottom);
    buttons->addStretch();
    buttons->addWidget(rows);
    setTabChain({GurSp, Zagruzit, Redaktir, GirOb, StrGurn, DobStrNige, PerStroki, DelStroku, SaveTab, PrintRD, Prosmotr});
    auto *groupLayout = new QVBoxLayout(group);
    groupLayout->addWidget(GurSp, 1);
    groupLayout->addLayout(buttons);
    auto *main = new QVBoxLayout(this);
    main->setContentsMargins(4, 4, 4, 4);
    main->addWidget(group);
    FormCreate();
}

void TGurnaliForm::FormCreate()
{
    setHelpPage(this, QStringLiteral("katalog.html"));
    // At the top left corner, stretched over the work area.
    placeFrame(this, FrameRule{QRect(0, 0, 1017, 219), true, true});
    GurSp->refresh();
}

void TGurnaliForm::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    FormShow();
}

void TGurnaliForm::FormShow()
{
    // Another program may have added or removed a journal since the file was read.
    runHandler(this, [this] { refreshFromDisk(); });
    GurSp->setCurrentRow(1);
    m_deletionList.clear();
    DelStroku->hide();
}

void TGurnaliForm::saveCatalogue()
{
    m_session.saveCatalogue();
}

void TGurnaliForm::refreshFromDisk()
{
    if (m_session.refreshCatalogue())
        GurSp->refresh();
}

void TGurnaliForm::completeNewEntry()
{
    setWindowTitle(QStringLiteral("Отредактируйте строку журнала и нажмите кнопку Запомнить"));
    GurSp->refresh();
    // The save may run while the window is open already (a journal loaded from
    // it asked to save the open one first): the teacher completes the entry there.
    if (isVisible())
        return;
    Zagruzit->hide();
    exec();
    Zagruzit->show();
    setWindowTitle(QStringLiteral("Список журналов"));
}

void TGurnaliForm::done(int result)
{
    if (m_session.catalogueModified()) {
        switch (Services::messages().questionWithCancel(this, QStringLiteral("Список журналов изменён"),
                                                        QStringLiteral("Сохранить изменения в списке журналов?"))) {
        case Messages::Answer::Cancel:
            return;
        case Messages::Answer::Yes:
            if (!runHandler(this, [this] { saveCatalogue(); }))
                return;
            break;
        case Messages::Answer::No:
            // Edits that can no longer be saved over the other program's file
            // give way to that file.
            if (!runHandler(this, [this] {
                    if (m_session.catalogueChangedOnDisk())
                        m_session.readCatalogue();
                    GurSp->refresh();
                }))
                return;
            break;
        }
    }
    QDialog::done(result);
}

void TGurnaliForm::SaveTabClick()
{
    runHandler(this, [this] { saveCatalogue(); });
}

void TGurnaliForm::GirObClick()
{
    toggleGridBold(GurSp, GirOb);
}

void TGurnaliForm::GurSpMouseDown(Qt::MouseButton, const QPoint &pos)
{
    runHandler(this, [this, pos] {
        int r = GurSp->cellAt(pos).y();
        // In the edit mode the header row is edited like any other: the click
        // makes it current, but it is no entry, so the selection stays.
        if (r == 0 && m_gurSp.fixedRows() == 0)
            return;
        if (r < 1) {
            r = 1;
            GurSp->setCurrentRow(1);
        }
        StrGurn->setText(QString::number(r));
        // The entry of the open journal cannot be deleted: by its folder name,
        // or by its folder on disk, however the entry spells it.
        const QString group = m_gurSp.cell(Catalogue::GroupCol, r);
        const QString folder = m_gurSp.cell(Catalogue::FolderCol, r);
        const QString openFolder = m_session.folderPath();
        bool open = !openFolder.isEmpty() && openFolder.section(u'/', 1) == folder.trimmed();
        if (!open && JournalFolder::namesProblem(group, folder).isEmpty())
            open = JournalFolder::sameFolder(m_session.dataRoot(), JournalFolder::path(group, folder), openFolder);
        DelStroku->setVisible(!open);
    });
}

void TGurnaliForm::RedaktirClick()
{
    runHandler(this, [this] {
        const bool editing = GridOps::switchListEditMode(m_gurSp);
        GurSp->setRowSelect(!editing);
        // Back in the normal mode the header row is fixed again: the selected
        // entry becomes current if the header was.
        if (!editing && GurSp->currentRow() < 1) {
            bool ok = false;
            const int selected = StrGurn->text().toInt(&ok);
            GurSp->setCurrentRow(ok && selected >= 1 && selected < m_gurSp.rowCount() ? selected : 1);
        }
    });
}

void TGurnaliForm::DobStrNigeClick()
{
    runHandler(this, [this] {
        refreshFromDisk();
        GridOps::insertRowBelow(m_gurSp, GridOps::parseSelection(StrGurn->text()), GridOps::kListNumberOffset);
    });
}

void TGurnaliForm::PerStrokiClick()
{
    runHandler(this, [this] {
        const int moved = GridOps::swapWithRowAbove(m_gurSp, GridOps::parseSelection(StrGurn->text()));
        if (moved >= 0)
            StrGurn->setText(QString::number(moved));
    });
}

void TGurnaliForm::DelStrokuClick()
{
    runHandler(this, [this] {
        const int a = GridOps::parseSelection(StrGurn->text());
        const QString group = m_gurSp.cell(Catalogue::GroupCol, a);
        const QString folder = m_gurSp.cell(Catalogue::FolderCol, a);
        const QString root = m_session.dataRoot();
        // The entry's texts as they stand now (they may have been typed in the
        // edit mode since the click): only a journal folder inside its group
        // folder, and never the open journal's, may be emptied.
        const QString path = Catalogue::checkDeletableFolder(root, group, folder, m_session.folderPath());
        // A journal open in another program is its own; so is the catalogue entry
        // when both the file and this grid have changes the other does not know.
        const auto refuseHeldElsewhere = [&] {
            const QString holder = JournalLock::heldElsewhereMessage(m_session.rootPath(path));
            if (!holder.isEmpty())
                throw ZError(QStringLiteral("%1.\nПапка %2 не удалена.").arg(holder, quotedExcerpt(path)));
            m_session.checkCatalogueChangeable();
        };
        refuseHeldElsewhere();
        // The window stays responsive during the walk, but its buttons wait:
        // an entry moved or inserted meanwhile would change what row a is.
        const QList<QWidget *> buttons = {Zagruzit, Redaktir, DobStrNige, PerStroki, DelStroku, SaveTab, PrintRD};
        for (QWidget *b : buttons)
            b->setEnabled(false);
        struct Reenable
        {
            const QList<QWidget *> &buttons;
            ~Reenable()
            {
                for (QWidget *b : buttons)
                    b->setEnabled(true);
            }
        } reenable{buttons};
        m_deletionList.clear();
        m_deletionList = Catalogue::listFolder(root, path, [] { QApplication::processEvents(); });
        if (!Services::messages().question(this, QStringLiteral("Миссия не обратима!!!"),
                                           QStringLiteral("Удалить строку, файлы и папку? ") + excerpt(path)))
            return;
        if (a < 1 || a > m_gurSp.rowCount() - 1)
            return;
        // The cells stay editable during the walk and the question: what is
        // deleted is the entry that was checked and listed, or nothing.
        if (m_gurSp.cell(Catalogue::GroupCol, a) != group || m_gurSp.cell(Catalogue::FolderCol, a) != folder)
            throw ZError(QStringLiteral("Строка %1 изменилась, пока готовилось удаление папки %2; ничего не удалено.")
                             .arg(a)
                             .arg(quotedExcerpt(path)));
        // The other program may have opened it during the question.
        refuseHeldElsewhere();
        const Catalogue::Deletion deletion =
            Catalogue::deleteJournalFiles(root, group, folder, m_session.folderPath(), m_deletionList);
        m_session.removeFromCatalogue(a, group, folder);
        GurSp->refresh();
        close();
        const QString failures = Catalogue::deletionFailureMessage(deletion);
        if (!failures.isEmpty())
            Services::messages().warning(this, QStringLiteral("Удалено не всё"), failures);
    });
}

void TGurnaliForm::ZagruzitClick()
{
    runHandler(this, [this] {
        const int r = GurSp->currentRow();
        // The header row (current in the edit mode) names no journal.
        if (r < 1 || r >= m_gurSp.rowCount()) {
            Services::messages().warning(this, QStringLiteral("Журнал не выбран"),
                                         QStringLiteral("Выберите строку журнала в списке: строка заголовков — не журнал."));
            return;
        }
        const QString group = m_gurSp.cell(Catalogue::GroupCol, r);
        const QString folder = m_gurSp.cell(Catalogue::FolderCol, r);
        // The same trimmed names as the save and the deletion use.
        JournalFolder::checkNames(group, folder);
        if (!JournalFolder::exists(m_session.dataRoot(), group, folder)) {
            Services::messages().warning(this, QStringLiteral("Нет такой папки"),
                                         QStringLiteral("Нужно создать журнал и папку %1.")
                                             .arg(quotedExcerpt(JournalFolder::path(group, folder))));
            return;
        }
        // The entry's identity becomes current only once its journal is read.
        bool opened = false;
        Q_EMIT openRequested(m_session.catalogueEntry(r), &opened);
        if (opened)
            close();
    });
}

void TGurnaliForm::PrintRDClick()
{
    runHandler(this, [this] {
        WindowReport doc(m_session.dataRoot(), Reports::catalogueName(), this);
        Reports::catalogue(doc, m_gurSp, QDate::currentDate());
    });
}

void TGurnaliForm::ProsmotrClick()
{
    runHandler(this, [this] {
        WindowReport doc(m_session.dataRoot(), Reports::catalogueName(), this, WindowReport::Mode::Preview);
        Reports::catalogue(doc, m_gurSp, QDate::currentDate());
    });
}
