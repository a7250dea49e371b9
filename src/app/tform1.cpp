#include "app/tform1.h"

#include "access/authorcontacts.h"
#include "controls/helpviewer.h"
#include "controls/framegeometry.h"
#include "controls/gridmodel.h"
#include "controls/gridview.h"
#include "controls/handler.h"
#include "controls/onelinevalidator.h"
#include "controls/roweditpanel.h"
#include "controls/services.h"
#include "controls/windowtools.h"
#include "journal/errors.h"
#include "journal/excerpt.h"
#include "journal/gridops.h"
#include "journal/journaledits.h"
#include "journal/journallayout.h"
#include "journal/journalplace.h"
#include "journal/ui/historydialog.h"
#include "journal/ui/versionsdialog.h"
#include "rating/dynamics.h"
#include "rating/ranking.h"
#include "rating/recalculation.h"
#include "rating/resultgrids.h"
#include "rating/resultsxlsx.h"
#include "rating/scorecell.h"
#include "reports/docxdocument.h"
#include "reports/reports.h"
#include "reports/ui/windowreport.h"
#include "themes/themes.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QScopeGuard>
#include <QPushButton>
#include <QShortcut>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTime>
#include <QTimer>
#include <QToolButton>
#include <QToolTip>
#include <QUndoCommand>
#include <QUndoStack>
#include <QVBoxLayout>

namespace {

QLineEdit *makeEdit(QWidget *parent, const QString &name, const QString &hint, int width, bool readOnly = false)
{
    auto *edit = new QLineEdit(parent);
    setHint(edit, name, hint);
    makeOneLine(edit);
    if (width > 0)
        edit->setMinimumWidth(width);
    edit->setReadOnly(readOnly);
    return edit;
}

// The rectangle from (left, top) up to, not including, (right, bottom): the
// corners a frame or a mark is given by, its size right - left by bottom - top.
QRect spanRect(int left, int top, int right, int bottom)
{
    return QRect(left, top, right - left, bottom - top);
}

// An edit of the journal on the undo stack. It is pushed after the operation
// ran, so the push's own redo() has nothing to do.
class JournalUndoCommand : public QUndoCommand
{
public:
    explicit JournalUndoCommand(JournalEditPtr edit) : QUndoCommand(edit->name()), m_edit(std::move(edit)) {}
    void undo() override { m_edit->undo(); }
    void redo() override
    {
        if (m_pushed) {
            m_pushed = false;
            return;
        }
        m_edit->redo();
    }

private:
    JournalEditPtr m_edit;
    bool m_pushed = true;
};

// Steps the teacher can take back; each keeps only what its edit changed.
constexpr int kUndoLimit = 100;

// The group of the journal grid's marks that shows the selected student and lesson.
constexpr int kSelectionFrames = 1;

QLabel *yellowLabel(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    setBackground(label, 255, 255, 0);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

} // namespace

TForm1::TForm1(JournalSession &session, QWidget *parent)
    : QDialog(parent),
      m_session(session),
      m_journal(session.journal()),
      m_itog(session.itog()),
      m_uspev(session.uspev())
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Журналы успеваемости и автоматический расчёт рейтинга учеников"));
    setModal(true);
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowMinMaxButtonsHint);
    setBackground(this, 233, 233, 233);
    QFont base = font();
    base.setPixelSize(11);
    setFont(base);

    buildMenu();
    buildControls();
    setUpKeyboard();
    FormCreate();
    connect(&m_session, &JournalSession::journalSwitched, this, &TForm1::journalSwitched);
    connect(&m_session, &JournalSession::journalLoaded, this, [this] {
        showIndicators();
        showLeftOutCells();
    });
    // Other computers of the school open the same data root: the journal
    // open here is locked, and one open elsewhere is only read. The notice
    // waits until the load has shown the whole journal and its results.
    connect(&m_session, &JournalSession::journalReadOnly, this, &TForm1::showReadOnly, Qt::QueuedConnection);
    m_session.setJournalLocking(true);
    m_history = new HistoryDialog(m_session, this);
    m_versions = new VersionsDialog(m_session, this);
}

TForm1::~TForm1()
{
    // The undo stack, a child, empties itself when it goes and says so: not to
    // a window that is half destroyed by then.
    m_undo->disconnect(this);
}

void TForm1::buildMenu()
{
    MainMenu = new QMenuBar(this);
    MainMenu->setObjectName(QStringLiteral("MainMenu"));
    auto action = [this](QAction *&slot, const QString &name, const QString &caption, QStyle::StandardPixmap icon) {
        slot = new QAction(style()->standardIcon(icon), caption, this);
        slot->setObjectName(name);
        return slot;
    };
    // A menu bar shows an item's picture instead of its caption, so the items of
    // the bar itself carry none; those of the submenu do.
    auto barAction = [this](QAction *&slot, const QString &name, const QString &caption) {
        slot = new QAction(caption, this);
        slot->setObjectName(name);
        return slot;
    };
    // Every caption has a mnemonic (the underlined letter, Alt with it opens the
    // item); F10 or a lone Alt reach the menu bar.
    MainMenu->addAction(barAction(N10, QStringLiteral("N10"), QStringLiteral("&Журнал      ")));
    m_undo = new QUndoStack(this);
    m_undo->setUndoLimit(kUndoLimit);
    auto *pravka = new QMenu(QStringLiteral("Пр&авка"), MainMenu);
    pravka->setObjectName(QStringLiteral("PravkaMenu"));
    Pravka = pravka->menuAction();
    Pravka->setObjectName(QStringLiteral("Pravka"));
    pravka->addAction(action(Otmenit, QStringLiteral("Otmenit"), QStringLiteral("&Отменить"), QStyle::SP_ArrowBack));
    pravka->addAction(action(Povtorit, QStringLiteral("Povtorit"), QStringLiteral("&Повторить"), QStyle::SP_ArrowForward));
    Otmenit->setShortcut(QKeySequence::Undo);
    Povtorit->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    addAction(Otmenit); // the keys work with the menu closed
    addAction(Povtorit);
    pravka->addAction(action(Istoriya, QStringLiteral("Istoriya"), QStringLiteral("&История изменений…"),
                             QStyle::SP_FileDialogDetailedView));
    pravka->addAction(action(Versii, QStringLiteral("Versii"), QStringLiteral("&Версии журнала…"),
                             QStyle::SP_BrowserReload));
    MainMenu->addMenu(pravka);
    connect(m_undo, &QUndoStack::indexChanged, this, &TForm1::updateUndoActions);
    connect(m_undo, &QUndoStack::cleanChanged, this, &TForm1::updateUndoActions);
    updateUndoActions();
    MainMenu->addAction(barAction(N6, QStringLiteral("N6"), QStringLiteral("&Темы     ")));
    MainMenu->addAction(barAction(N4, QStringLiteral("N4"), QStringLiteral("&Помощь           ")));
    MainMenu->addAction(barAction(N7, QStringLiteral("N7"), QStringLiteral("&Шкала перевода                 ")));
    auto *service = new QMenu(QStringLiteral("&Сервис      "), MainMenu);
    service->setObjectName(QStringLiteral("N9Menu"));
    N9 = service->menuAction();
    N9->setObjectName(QStringLiteral("N9"));
    service->addAction(action(N3, QStringLiteral("N3"), QStringLiteral("&Сайт автора"), QStyle::SP_DriveNetIcon));
    service->addAction(action(N2, QStringLiteral("N2"), QStringLiteral("&Печать"), QStyle::SP_FileIcon));
    N2->setStatusTip(QStringLiteral("Копия экрана"));
    N2->setToolTip(QStringLiteral("Копия экрана"));
    service->addAction(action(EksportXlsx, QStringLiteral("EksportXlsx"), QStringLiteral("&Экспорт в Excel (.xlsx)"),
                              QStyle::SP_DialogSaveButton));
    EksportXlsx->setStatusTip(QStringLiteral("Журнал, итоги и распределение оценок в книгу Excel"));
    EksportXlsx->setToolTip(EksportXlsx->statusTip());
    service->addAction(action(N5, QStringLiteral("N5"), QStringLiteral("П&исьмо автору"), QStyle::SP_MessageBoxInformation));
    service->addAction(action(N8, QStringLiteral("N8"), QStringLiteral("&Доступ"), QStyle::SP_DialogApplyButton));
    service->setToolTipsVisible(true);
    MainMenu->addMenu(service);
    MainMenu->addAction(barAction(N1, QStringLiteral("N1"), QStringLiteral("&Выход      ")));
    // The common commands' shortcuts, shown in the status bar with the item's hint.
    const auto shortcut = [](QAction *item, const QKeySequence &keys, const QString &hint) {
        item->setShortcut(keys);
        item->setShortcutContext(Qt::ApplicationShortcut); // from the plan and dynamics windows too
        const QString shown = QStringLiteral("%1 (%2)").arg(hint, keys.toString(QKeySequence::NativeText));
        item->setStatusTip(shown);
        item->setToolTip(shown);
    };
    shortcut(N10, QKeySequence(Qt::CTRL | Qt::Key_O), QStringLiteral("Список журналов"));
    // F1 opens the help page of the window it is pressed in (setHelpPage).
    N4->setStatusTip(QStringLiteral("Справка (F1)"));
    N4->setToolTip(N4->statusTip());
    setHelpPage(this, QStringLiteral("zhurnal.html"));
    auto *menuKey = new QShortcut(QKeySequence(Qt::Key_F10), this);
    menuKey->setObjectName(QStringLiteral("MenuKey"));
    connect(menuKey, &QShortcut::activated, this, [this] { activateMenuBar(MainMenu); });

    connect(N10, &QAction::triggered, this, &TForm1::N10Click);
    connect(N6, &QAction::triggered, this, &TForm1::N6Click);
    connect(N4, &QAction::triggered, this, &TForm1::N4Click);
    connect(N7, &QAction::triggered, this, &TForm1::N7Click);
    connect(N3, &QAction::triggered, this, &TForm1::N3Click);
    connect(N2, &QAction::triggered, this, &TForm1::N2Click);
    connect(EksportXlsx, &QAction::triggered, this, &TForm1::EksportXlsxClick);
    connect(N5, &QAction::triggered, this, &TForm1::N5Click);
    connect(N8, &QAction::triggered, this, &TForm1::N8Click);
    connect(N1, &QAction::triggered, this, &TForm1::N1Click);
    connect(Otmenit, &QAction::triggered, this, &TForm1::OtmenitClick);
    connect(Povtorit, &QAction::triggered, this, &TForm1::PovtoritClick);
    connect(Istoriya, &QAction::triggered, this, &TForm1::IstoriyaClick);
    connect(Versii, &QAction::triggered, this, &TForm1::VersiiClick);
}

void TForm1::buildControls()
{
    // Identity of the journal. The edits' smallest widths let the window fit a
    // screen 1024 pixels wide; on a wider one the columns' stretch shares the rest.
    SaveTab = makeToolButton(this, QStringLiteral("SaveTab"), QStringLiteral("Запомнить журнал в папке"), QString(),
                             QStyle::SP_DialogSaveButton);
    SaveTab->setIconSize(QSize(32, 32));
    SaveTab->setMinimumSize(44, 44);
    // The group's caption, word by word, stands over the edits it names.
    IdentityGroup = new QGroupBox(this);
    IdentityGroup->setObjectName(QStringLiteral("IdentityGroup"));
    setBackground(IdentityGroup, 255, 255, 206);
    Gruppa = makeEdit(IdentityGroup, QStringLiteral("Gruppa"), QStringLiteral("Код группы, он же имя Папки журналов группы"), 70);
    PredmNaz = makeEdit(IdentityGroup, QStringLiteral("PredmNaz"), QString(), 200);
    PapkaName = makeEdit(IdentityGroup, QStringLiteral("PapkaName"), QStringLiteral("Имя папки с журналом"), 70);
    Semestr = makeEdit(IdentityGroup, QStringLiteral("Semestr"), QString(), 40);
    GodS = makeEdit(IdentityGroup, QStringLiteral("GodS"), QStringLiteral("Редактируется в списке журналов"), 50, true);
    Komment = makeEdit(IdentityGroup, QStringLiteral("Komment"), QStringLiteral("Редактируется в списке журналов"), 90, true);
    setBackground(GodS, 183, 255, 255);
    setBackground(Komment, 183, 255, 255);
    for (QLineEdit *e : {GodS, Komment}) {
        QPalette pal = e->palette();
        pal.setColor(QPalette::Base, QColor(183, 255, 255));
        e->setPalette(pal);
    }
    QGridLayout *identity = captionedRow(IdentityGroup, {{QStringLiteral("Группа"), {Gruppa}},
                                                         {QStringLiteral("Предмет"), {PredmNaz}},
                                                         {QStringLiteral("Папка"), {PapkaName}},
                                                         {QStringLiteral("Семестр"), {Semestr}},
                                                         {QStringLiteral("Год"), {GodS}},
                                                         {QStringLiteral("Комментарий"), {Komment}}});
    identity->setContentsMargins(4, 2, 4, 4);
    for (auto [column, stretch] : {std::pair{0, 2}, {1, 7}, {2, 2}, {3, 1}, {4, 1}, {5, 3}})
        identity->setColumnStretch(column, stretch);
    auto *identityLines = new QVBoxLayout(IdentityGroup);
    identityLines->setContentsMargins(0, 0, 0, 0);
    identityLines->addStretch(1);
    identityLines->addLayout(identity);
    identityLines->addStretch(1);

    // Indicators.
    // The caption's "%" stands over the three percentages it names.
    auto *indicators = new QGroupBox(this);
    indicators->setObjectName(QStringLiteral("IndicatorsGroup"));
    setBackground(indicators, 204, 255, 255);
    Uspev = new GridView(&m_uspev, indicators);
    Uspev->setObjectName(QStringLiteral("Uspev"));
    QFont uspevFont = gridFont();
    uspevFont.setPixelSize(11);
    Uspev->setGridFont(uspevFont);
    Uspev->setFixedSize(157, 3 * 18 + 6);
    Uspewa = makeEdit(indicators, QStringLiteral("Uspewa"), QString(), 40, true);
    Ka4 = makeEdit(indicators, QStringLiteral("Ka4"), QString(), 40, true);
    Obu4 = makeEdit(indicators, QStringLiteral("Obu4"), QString(), 40, true);
    auto *indicatorLayout = new QGridLayout(indicators);
    indicatorLayout->setContentsMargins(4, 2, 4, 4);
    indicatorLayout->setVerticalSpacing(1);
    indicatorLayout->addWidget(new QLabel(QStringLiteral("Итоги по предмету"), indicators), 0, 0, 1, 2);
    auto *percent = new QLabel(QStringLiteral("%"), indicators);
    percent->setAlignment(Qt::AlignHCenter | Qt::AlignBottom);
    indicatorLayout->addWidget(percent, 0, 2);
    indicatorLayout->addWidget(Uspev, 1, 0, 3, 1, Qt::AlignTop);
    int row = 1;
    for (auto [text, edit] : {std::pair{"Успеваемость", Uspewa}, std::pair{"Качество", Ka4}, std::pair{"Обученность", Obu4}}) {
        edit->setText(QStringLiteral("0"));
        edit->setMaximumWidth(56);
        indicatorLayout->addWidget(new QLabel(QString::fromUtf8(text), indicators), row, 1);
        indicatorLayout->addWidget(edit, row, 2);
        ++row;
    }

    // Journal grid and its editing.
    // The group's caption, word by word, stands over the command row it names.
    EditGroup = new QGroupBox(this);
    EditGroup->setObjectName(QStringLiteral("EditGroup"));
    setBackground(EditGroup, 179, 255, 179);
    SpisokSt = new GridView(&m_journal, EditGroup);
    SpisokSt->setObjectName(QStringLiteral("SpisokSt"));
    setHint(SpisokSt, QString(), QStringLiteral("Мышью нажать строку в левой колонке и передвинуть на новое место"));
    SpisokSt->setRowDragging(true);
    SpisokSt->setBlockGrowth(JournalLayout::kStudentNumberOffset, QStringLiteral("журнал"));
    // A score cell that the results leave out says so: a pale red ground (no
    // number) or grey ("н"), with the reason as its hint.
    SpisokSt->gridModel()->setCellNoter([](int col, int row, const QString &text) {
        GridModel::CellNote note;
        if (col < JournalLayout::kFirstLessonCol || row < JournalLayout::kFirstStudentRow)
            return note;
        const ScoreCell::Kind kind = ScoreCell::classify(text);
        if (!ScoreCell::leftOut(kind))
            return note;
        note.look = kind == ScoreCell::Kind::Absent ? GridModel::CellNote::Look::Muted : GridModel::CellNote::Look::LeftOut;
        note.hint = ScoreCell::reason(kind);
        return note;
    });
    // A new student's name is typed straight into his empty name cell, though
    // the name column is fixed; the cell takes what any cell takes.
    SpisokSt->setFixedCellEditable([this](int col, int row) {
        return col == JournalLayout::kNameCol && row >= JournalLayout::kFirstStudentRow
            && m_journal.cell(col, row).trimmed().isEmpty();
    });
    // Sums and averages (the sum column "Σ→" adds) show whole.
    SpisokSt->setColumnsFitNumbers(true);

    RedSpisok = makeToolButton(EditGroup, QStringLiteral("RedSpisok"), QStringLiteral("Редактирование таблицы"), QString(),
                               QStyle::SP_FileDialogDetailedView);
    GirOb = makeToolButton(EditGroup, QStringLiteral("GirOb"), QStringLiteral("Обычный шрифт / Жирный"), QStringLiteral("Ж"));
    BitBtn1 = makeToolButton(EditGroup, QStringLiteral("BitBtn1"), QStringLiteral("Колонку ФИО открыть / закрыть"), QStringLiteral("ФИО"));
    FIO = makeEdit(EditGroup, QStringLiteral("FIO"), QStringLiteral("Ученик выбран"), 130);
    DatNTar = makeEdit(EditGroup, QStringLiteral("DatNTar"), QStringLiteral("Дата"), 70, true);
    TekOcen = makeToolButton(EditGroup, QStringLiteral("TekOcen"), QStringLiteral("Текущие оценки по 5 балльной системе"), QStringLiteral("5"));
    {
        QPalette pal = TekOcen->palette();
        pal.setColor(QPalette::ButtonText, Qt::red);
        TekOcen->setPalette(pal);
        QFont f = TekOcen->font();
        f.setBold(true);
        TekOcen->setFont(f);
    }
    Print11 = makeToolButton(EditGroup, QStringLiteral("Print11"), QStringLiteral("Печать истории ученика и итоговый рейтинг"), QStringLiteral("Досье"));
    Bilet = makeToolButton(EditGroup, QStringLiteral("Bilet"), QStringLiteral("Билет экзаменационный напечатать"), QStringLiteral("Билет"));
    TemiFakt = makeToolButton(EditGroup, QStringLiteral("TemiFakt"), QStringLiteral("Даты Темы фактически"), QStringLiteral("Темы"));
    Prosmotr = makeToolButton(EditGroup, QStringLiteral("Prosmotr"), QStringLiteral("Просмотр отчёта перед печатью"), QStringLiteral("Просмотр"));
    {
        auto *menu = new QMenu(Prosmotr);
        menu->setObjectName(QStringLiteral("ProsmotrMenu"));
        const std::pair<const char *, void (TForm1::*)()> previews[] = {
            {"Таблица итогов", &TForm1::PrintRDClick},
            {"Досье", &TForm1::Print11Click},
            {"Билет", &TForm1::BiletClick},
            {"Темы", &TForm1::TemiFaktClick},
        };
        for (const auto &[caption, print] : previews) {
            QAction *action = menu->addAction(QString::fromUtf8(caption));
            connect(action, &QAction::triggered, this, [this, print = print] { previewReport(print); });
        }
        // The button itself shows the journal table, its arrow the menu.
        Prosmotr->setMenu(menu);
        Prosmotr->setPopupMode(QToolButton::MenuButtonPopup);
        connect(Prosmotr, &QToolButton::clicked, this, [this] { previewReport(&TForm1::PrintRDClick); });
    }
    Obnovit = makeToolButton(EditGroup, QStringLiteral("Obnovit"), QStringLiteral("Обновить таблицу"), QString(), QStyle::SP_BrowserReload);
    Dinamika = makeToolButton(EditGroup, QStringLiteral("Dinamika"), QStringLiteral("Динамика накопленной успеваемости ученика"),
                              QStringLiteral("Динамика"));
    Provodnik = makeToolButton(EditGroup, QStringLiteral("Provodnik"), QStringLiteral("Windows проводник"), QString(), QStyle::SP_DirOpenIcon);

    auto *rowsGroup = new RowEditPanel(
        QStringLiteral("Строк"), QStringLiteral("NStroki"), QStringLiteral("Номер выбранной строки"),
        {{QStringLiteral("PlusStr"), QStringLiteral("Добавить строку ниже выбранной"), QStringLiteral("+")},
         {QStringLiteral("MinusStr"), QStringLiteral("Удалить выбранную строку"), QStringLiteral("−")},
         {QStringLiteral("DelStroki"), QStringLiteral("Удалить строки снмзу"), QStringLiteral("↓✕")}},
        RowEditPanel::Arrangement::EditAboveButtons, EditGroup);
    rowsGroup->setObjectName(QStringLiteral("RowsGroup"));
    setBackground(rowsGroup, 213, 255, 255);
    NStroki = rowsGroup->numberEdit();
    PlusStr = rowsGroup->button(0);
    MinusStr = rowsGroup->button(1);
    DelStroki = rowsGroup->button(2);
    auto *colsGroup = new RowEditPanel(
        QStringLiteral("Столб"), QStringLiteral("NStolbca"), QStringLiteral("Номер выбранного столбца"),
        {{QStringLiteral("PlusStolb"), QStringLiteral("Добавить столбец правее выбранного"), QStringLiteral("+")},
         {QStringLiteral("MinusStolb"), QStringLiteral("Удалить выбранный столбец"), QStringLiteral("−")},
         {QStringLiteral("DelStolbi"), QStringLiteral("Удалить столбцы справа"), QStringLiteral("→✕")}},
        RowEditPanel::Arrangement::EditAboveButtons, EditGroup);
    colsGroup->setObjectName(QStringLiteral("ColsGroup"));
    setBackground(colsGroup, 213, 255, 255);
    NStolbca = colsGroup->numberEdit();
    PlusStolb = colsGroup->button(0);
    MinusStolb = colsGroup->button(1);
    DelStolbi = colsGroup->button(2);

    QGridLayout *editButtons = captionedRow(EditGroup, {{QStringLiteral("Правка"), {RedSpisok, GirOb, BitBtn1}},
                                                        {QStringLiteral("Выбран ученик"), {FIO}},
                                                        {QStringLiteral("Дата"), {DatNTar}},
                                                        {QString(), {TekOcen}},
                                                        {QStringLiteral("[----------  Печать -------------- ]"), {Print11, Bilet, TemiFakt, Prosmotr}}});
    editButtons->setColumnStretch(editButtons->columnCount(), 1);
    // The refresh, dynamics and folder buttons stand under the row and column
    // panels, so that the command row fits a screen 1024 pixels wide.
    auto *viewButtons = new QHBoxLayout;
    viewButtons->setSpacing(3);
    for (QWidget *w : std::initializer_list<QWidget *>{Obnovit, Dinamika, Provodnik})
        viewButtons->addWidget(w);
    auto *side = new QVBoxLayout;
    side->addWidget(rowsGroup);
    side->addWidget(colsGroup);
    side->addLayout(viewButtons);
    side->addStretch();
    auto *editLayout = new QGridLayout(EditGroup);
    editLayout->setContentsMargins(4, 2, 4, 4);
    editLayout->addWidget(SpisokSt, 0, 0);
    editLayout->addLayout(side, 0, 1);
    editLayout->addLayout(editButtons, 1, 0, 1, 2);
    editLayout->setRowStretch(0, 1);
    editLayout->setColumnStretch(0, 1);

    // Results.
    auto *results = new QGroupBox(QStringLiteral("Расчётные данные.        Столбец           Студент "), this);
    results->setObjectName(QStringLiteral("ResultsGroup"));
    setBackground(results, 204, 255, 255);
    Itog = new GridView(&m_itog, results);
    Itog->setObjectName(QStringLiteral("Itog"));
    Itog->setRowSelect(true);
    QFont resultFont = gridFont();
    resultFont.setPixelSize(11);
    Itog->setGridFont(resultFont);
    Itog->setMinimumWidth(372);
    // The average student's fractions show whole.
    Itog->setColumnsFitNumbers(true);
    auto *labels = new QHBoxLayout;
    labels->setSpacing(0);
    labels->addSpacing(22 + 130 + 2);
    auto *points = yellowLabel(QStringLiteral("Баллы набрано"), results);
    points->setFixedWidth(46 + 30 + 30 + 30);
    auto *absences = yellowLabel(QStringLiteral("Пропуски"), results);
    absences->setFixedWidth(30 + 34);
    labels->addWidget(points);
    labels->addWidget(absences);
    labels->addStretch(1);
    Peres4et = makeToolButton(results, QStringLiteral("Peres4et"), QStringLiteral("Пересчитать итоги по журналу"), QStringLiteral("Σ"));
    Rang = makeToolButton(results, QStringLiteral("Rang"), QStringLiteral("Ранжировать по баллам"), QString(), QStyle::SP_ArrowDown);
    Grafik = makeToolButton(results, QStringLiteral("Grafik"), QStringLiteral("График"), QStringLiteral("▮▮▮"));
    PrintRD = makeToolButton(results, QStringLiteral("PrintRD"), QStringLiteral("Печать таблицы"), QString(), QStyle::SP_FileDialogContentsView);
    CopyStolb = makeToolButton(results, QStringLiteral("CopyStolb"), QStringLiteral("Столбец Сумма добавить в журнал справа"),
                               QStringLiteral("Σ→"));
    SrSt = makeToolButton(results, QStringLiteral("SrSt"), QStringLiteral("Рассчитать показатели среднего ученика"), QStringLiteral("Средний"));
    ReLoad = new QPushButton(QStringLiteral("ReLoad"), results);
    ReLoad->setObjectName(QStringLiteral("ReLoad"));
    ReLoad->hide();
    auto *resultButtons = new QHBoxLayout;
    resultButtons->setSpacing(3);
    for (QWidget *w : std::initializer_list<QWidget *>{Peres4et, Rang, Grafik, PrintRD, CopyStolb, SrSt})
        resultButtons->addWidget(w);
    resultButtons->addStretch();
    auto *resultsLayout = new QVBoxLayout(results);
    resultsLayout->setContentsMargins(4, 2, 4, 4);
    resultsLayout->setSpacing(2);
    resultsLayout->addLayout(labels);
    resultsLayout->addWidget(Itog, 1);
    resultsLayout->addLayout(resultButtons);

    StatusBar = new QStatusBar(this);
    StatusBar->setObjectName(QStringLiteral("StatusBar"));
    StatusBar->setSizeGripEnabled(false);

    auto *top = new QHBoxLayout;
    top->addWidget(SaveTab, 0, Qt::AlignVCenter);
    top->addWidget(IdentityGroup, 1);
    auto *grid = new QGridLayout;
    grid->setSpacing(4);
    grid->addLayout(top, 0, 0);
    grid->addWidget(indicators, 0, 1);
    grid->addWidget(EditGroup, 1, 0);
    grid->addWidget(results, 1, 1);
    grid->setColumnStretch(0, 1);
    grid->setRowStretch(1, 1);
    auto *main = new QVBoxLayout(this);
    main->setContentsMargins(4, 0, 4, 0);
    main->setSpacing(2);
    main->setMenuBar(MainMenu);
    main->addLayout(grid, 1);
    main->addWidget(StatusBar);

    connect(SaveTab, &QToolButton::clicked, this, &TForm1::SaveTabClick);
    connect(GirOb, &QToolButton::clicked, this, &TForm1::GirObClick);
    connect(Obnovit, &QToolButton::clicked, this, &TForm1::ObnovitClick);
    connect(Provodnik, &QToolButton::clicked, this, &TForm1::ProvodnikClick);
    connect(ReLoad, &QPushButton::clicked, this, &TForm1::ReLoadClick);
    connect(SpisokSt, &GridView::mouseDown, this, &TForm1::SpisokStMouseDown);
    // The right button chooses a cell (above) and opens its menu.
    SpisokStMenu = new QMenu(this);
    SpisokStMenu->setObjectName(QStringLiteral("SpisokStMenu"));
    IstoriyaYacheyki = new QAction(QStringLiteral("&История ячейки"), this);
    SpisokStMenu->addAction(IstoriyaYacheyki);
    IstoriyaYacheyki->setObjectName(QStringLiteral("IstoriyaYacheyki"));
    connect(IstoriyaYacheyki, &QAction::triggered, this, &TForm1::IstoriyaYacheykiClick);
    connect(SpisokSt, &GridView::mouseDown, this, [this](Qt::MouseButton button, const QPoint &pos) {
        if (button == Qt::RightButton)
            SpisokStMenu->popup(SpisokSt->mapToGlobal(pos));
    });
    connect(SpisokSt, &GridView::rowMoved, this, &TForm1::SpisokStRowMoved);
    connect(SpisokSt, &GridView::currentCellMovedByKey, this, &TForm1::SpisokStKeyMove);
    connect(SpisokSt, &GridView::cellTextChanged, this,
            [this](int col, int row, const QString &before, const QString &after) {
                record(JournalEdits::cellTyped(m_journal, col, row, before, after));
            });
    connect(SpisokSt, &GridView::blockPasted, this, [this](const std::shared_ptr<JournalEdit> &pasted) {
        // The stack owns its edits; the paste's is handed over to a proxy of it.
        struct Shared : JournalEdit
        {
            explicit Shared(std::shared_ptr<JournalEdit> e) : JournalEdit(e->name()), edit(std::move(e)) {}
            void undo() override { edit->undo(); }
            void redo() override { edit->redo(); }
            std::shared_ptr<JournalEdit> edit;
        };
        if (m_journal.colCount() != m_session.summi().colCount())
            m_session.summi().setColCount(m_journal.colCount());
        record(JournalEdits::followedBySummi(std::make_unique<Shared>(pasted), m_journal, m_session.summi()));
    });
    connect(PlusStr, &QToolButton::clicked, this, &TForm1::PlusStrClick);
    connect(MinusStr, &QToolButton::clicked, this, &TForm1::MinusStrClick);
    connect(DelStroki, &QToolButton::clicked, this, &TForm1::DelStrokiClick);
    connect(PlusStolb, &QToolButton::clicked, this, &TForm1::PlusStolbClick);
    connect(MinusStolb, &QToolButton::clicked, this, &TForm1::MinusStolbClick);
    connect(DelStolbi, &QToolButton::clicked, this, &TForm1::DelStolbiClick);
    connect(RedSpisok, &QToolButton::clicked, this, &TForm1::RedSpisokClick);
    connect(BitBtn1, &QToolButton::clicked, this, &TForm1::BitBtn1Click);
    connect(Peres4et, &QToolButton::clicked, this, &TForm1::Peres4etClick);
    connect(Rang, &QToolButton::clicked, this, &TForm1::RangClick);
    connect(SrSt, &QToolButton::clicked, this, &TForm1::SrStClick);
    connect(CopyStolb, &QToolButton::clicked, this, &TForm1::CopyStolbClick);
    connect(TekOcen, &QToolButton::clicked, this, &TForm1::TekOcenClick);
    connect(Dinamika, &QToolButton::clicked, this, &TForm1::DinamikaClick);
    connect(Itog, &GridView::mouseDown, this, &TForm1::ItogMouseDown);
    connect(Grafik, &QToolButton::clicked, this, &TForm1::GrafikClick);
    connect(PrintRD, &QToolButton::clicked, this, &TForm1::PrintRDClick);
    connect(Print11, &QToolButton::clicked, this, &TForm1::Print11Click);
    connect(Bilet, &QToolButton::clicked, this, &TForm1::BiletClick);
    connect(TemiFakt, &QToolButton::clicked, this, &TForm1::TemiFaktClick);
}

void TForm1::setUpKeyboard()
{
    // The journal (with its plan) is saved from the plan and dynamics windows too.
    setShortcutHint(SaveTab, QKeySequence(Qt::CTRL | Qt::Key_S), Qt::ApplicationShortcut);
    setShortcutHint(Peres4et, QKeySequence(Qt::Key_F9));
    // The row and column buttons, from the journal grid as from anywhere in the window.
    setShortcutHint(PlusStr, QKeySequence(Qt::CTRL | Qt::Key_Insert));
    setShortcutHint(MinusStr, QKeySequence(Qt::CTRL | Qt::Key_Delete));
    setShortcutHint(PlusStolb, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Insert));
    setShortcutHint(MinusStolb, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Delete));
    // From the journal grid those keys act on the cell the cursor is on.
    SpisokSt->installEventFilter(this);
    const QKeySequence up(Qt::ALT | Qt::Key_Up);
    const QKeySequence down(Qt::ALT | Qt::Key_Down);
    auto *studentUp = new QShortcut(up, this);
    studentUp->setObjectName(QStringLiteral("StudentUpKey"));
    connect(studentUp, &QShortcut::activated, this, &TForm1::moveStudentUp);
    auto *studentDown = new QShortcut(down, this);
    studentDown->setObjectName(QStringLiteral("StudentDownKey"));
    connect(studentDown, &QShortcut::activated, this, &TForm1::moveStudentDown);
    // Their hint is the grid's, beside the drag that moves a student too.
    for (auto [get, set] : {std::pair{&QWidget::toolTip, &QWidget::setToolTip}, std::pair{&QWidget::statusTip, &QWidget::setStatusTip}})
        (SpisokSt->*set)(QStringLiteral("%1 (ученик выше / ниже: %2 / %3)")
                             .arg((SpisokSt->*get)(), up.toString(QKeySequence::NativeText), down.toString(QKeySequence::NativeText)));
    // Alt with the key of a menu letter works in the Latin layout too.
    addLatinMnemonics(MainMenu);
    // Reading order: the identity row and the indicators, the journal with its
    // row and column panels and its command row, the results.
    setTabChain({SaveTab, Gruppa, PredmNaz, PapkaName, Semestr, GodS, Komment, Uspev, Uspewa, Ka4, Obu4,
                 SpisokSt, NStroki, PlusStr, MinusStr, DelStroki, NStolbca, PlusStolb, MinusStolb, DelStolbi,
                 RedSpisok, GirOb, BitBtn1, FIO, DatNTar, TekOcen, Print11, Bilet, TemiFakt, Prosmotr, Obnovit, Dinamika, Provodnik,
                 Itog, Peres4et, Rang, Grafik, PrintRD, CopyStolb, SrSt});
}

void TForm1::FormCreate()
{
    // 1. The program folder.
    m_programFolder = QDir::toNativeSeparators(QCoreApplication::applicationDirPath());
    while (m_programFolder.size() > 1 && m_programFolder.endsWith(QDir::separator()))
        m_programFolder.chop(1);
    // 2-3. Menu and hint fonts, hint colour; every hint stays 5 seconds (setHint).
    QFont menuFont = QApplication::font("QMenu");
    menuFont.setPointSize(12);
    menuFont.setBold(true);
    QApplication::setFont(menuFont, "QMenu");
    QApplication::setFont(menuFont, "QMenuBar");
    MainMenu->setFont(menuFont);
    QToolTip::setFont(menuFont);
    QPalette tipPalette = QToolTip::palette();
    tipPalette.setColor(QPalette::ToolTipBase, QColor(255, 255, 176));
    tipPalette.setColor(QPalette::ToolTipText, Qt::black);
    QToolTip::setPalette(tipPalette);
    // 4, 7. Full work-area width, top left corner.
    placeFrame(this, FrameRule{QRect(0, 0, 1122, ScreenTiling::kMainHeight), true, false});
    // 5. No close box (window flags above); "Выход      " is the way out.
    // 6. The Russian keyboard layout.
    Services::platform().loadKeyboardLayout(QStringLiteral("00000419"));
    // 8. The fixed cells of the grade distribution.
    ResultGrids::writeUspevFixedCells(m_uspev);
    Uspev->refresh();
}

bool TForm1::event(QEvent *e)
{
    if (e->type() == QEvent::StatusTip) {
        StatusBar->showMessage(static_cast<QStatusTipEvent *>(e)->tip());
        return true;
    }
    return QDialog::event(e);
}

bool TForm1::eventFilter(QObject *watched, QEvent *event)
{
    // A row or column key pressed in the journal grid acts on the grid's
    // current cell, selected as a click selects it, before the key's button
    // runs: after a load the cursor stands on the first score while the
    // selection edits still hold the rows of the header.
    if (watched == SpisokSt && event->type() == QEvent::ShortcutOverride && !SpisokSt->isEditing()) {
        const auto *key = static_cast<QKeyEvent *>(event);
        const QKeyCombination pressed = key->keyCombination();
        const bool rowOrColumnKey = key->key() == Qt::Key_Insert || key->key() == Qt::Key_Delete;
        const Qt::KeyboardModifiers mods = pressed.keyboardModifiers() & ~Qt::KeypadModifier;
        if (rowOrColumnKey && (mods == Qt::ControlModifier || mods == (Qt::ControlModifier | Qt::ShiftModifier))) {
            const int col = SpisokSt->currentCol();
            const int row = SpisokSt->currentRow();
            if (col >= 0 && row >= 0 && (NStroki->text() != QString::number(row) || NStolbca->text() != QString::number(col)))
                runHandler(this, [this, col, row] { selectJournalCell(col, row); });
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TForm1::closeEvent(QCloseEvent *event)
{
    // A close request from the desktop (the window manager, the end of the
    // session) ends the program as "Выход      " does, with the same question.
    if (m_closing) {
        QDialog::closeEvent(event);
        return;
    }
    event->ignore();
    if (!mayDropJournal())
        return;
    leave();
    // Accepted, the close counts as the window's closing, as after "Выход":
    // the desktop and the application see the journal window gone.
    event->accept();
}

void TForm1::reject()
{
    // Escape must not close the journal window either.
    if (m_closing)
        QDialog::reject();
}

void TForm1::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!m_shownOnce) {
        m_shownOnce = true;
        QTimer::singleShot(0, this, &TForm1::FormShow);
    }
}

void TForm1::FormShow()
{
    runHandler(this, [this] {
        m_session.readCatalogue();
        JournalIdentity first = m_session.catalogueEntry(1);
        first.folder = first.folder.trimmed();
        m_session.load(first);
        ResultGrids::writeSummiLabels(m_session.summi());
    });
}

void TForm1::showIdentity()
{
    const JournalIdentity &identity = m_session.identity();
    const std::pair<QLineEdit *, QString> edits[] = {
        {Gruppa, identity.group},      {PapkaName, identity.folder}, {Semestr, identity.term},
        {PredmNaz, identity.subject}, {GodS, identity.year},        {Komment, identity.comment}};
    for (const auto &[edit, text] : edits) {
        edit->setText(text);
        edit->setCursorPosition(0); // show the start of a long text
    }
}

void TForm1::journalSwitched(bool identityChanged)
{
    // Marks and the selection belong to the journal that was on screen, not to this one.
    SpisokSt->clearMarks();
    Itog->clearMarks();
    FIO->clear();
    DatNTar->clear();
    NStroki->setText(QStringLiteral("1"));
    NStolbca->setText(QStringLiteral("1"));
    // The edits kept belong to the journal that was open (an editor still
    // open says its last word first).
    closeJournalEditor();
    m_undo->clear();
    if (identityChanged)
        showIdentity();
    refreshAllGrids();
    focusFirstScore();
}

void TForm1::focusFirstScore()
{
    SpisokSt->setCurrentCell(JournalLayout::kFirstLessonCol, JournalLayout::kFirstStudentRow);
    SpisokSt->setFocus(Qt::OtherFocusReason);
}

bool TForm1::openJournal(const JournalIdentity &identity)
{
    if (!mayDropJournal())
        return false;
    return runHandler(this, [this, &identity] { m_session.load(identity); });
}

void TForm1::ReLoadClick()
{
    if (!mayDropJournal())
        return;
    runHandler(this, [this] { m_session.reload(); });
}

bool TForm1::mayDropJournal()
{
    if (!m_session.journalModified())
        return true;
    const QString folder = PapkaName->text().trimmed();
    switch (Services::messages().questionWithCancel(
        this, QStringLiteral("Журнал изменён"),
        QStringLiteral("Сохранить изменения в журнале %1?").arg(quotedExcerpt(folder)))) {
    case Messages::Answer::No:
        return true;
    case Messages::Answer::Cancel:
        return false;
    case Messages::Answer::Yes:
        break;
    }
    bool saved = false;
    runHandler(this, [this, &saved] { saved = saveJournal(); });
    return saved;
}

void TForm1::ObnovitClick()
{
    SpisokSt->repaintAll();
}

void TForm1::SaveTabClick()
{
    runHandler(this, [this] { saveJournal(); });
}

bool TForm1::saveJournal()
{
    const JournalIdentity target{Gruppa->text(), PredmNaz->text(), PapkaName->text(), Semestr->text(), GodS->text(),
                                 Komment->text()};
    m_session.prepareSave(target);
    if (!mayWriteOverDisk(target))
        return false;
    if (m_session.catalogueEntryOf(target) < 0) {
        if (!Services::messages().question(this, QStringLiteral("Такой папки нет"), QStringLiteral("Создать папку и записать в неё журнал?"))) {
            StatusBar->showMessage(QStringLiteral("Журнал не записан"));
            return false;
        }
        m_session.addToCatalogue(target);
        refreshAllGrids();
        Q_EMIT newCatalogueEntryAdded();
    } else if (!Services::messages().question(this, QStringLiteral("Такая папка есть"), QStringLiteral("Записать в неё видимый журнал?"),
                                              Messages::Answer::Yes)) {
        // The teacher asked for the save (Ctrl+S, Enter): "Да" is the default.
        StatusBar->showMessage(QStringLiteral("Журнал не записан"));
        return false;
    }
    m_session.saveJournal(target);
    // The time tells one save from the next.
    StatusBar->showMessage(QStringLiteral("Журнал записан: %1 %2")
                               .arg(m_session.folderPath(), QTime::currentTime().toString(QStringLiteral("HH:mm:ss"))));
    return true;
}

bool TForm1::mayWriteOverDisk(const JournalIdentity &target)
{
    m_session.claimForSave(target);
    const QStringList changed = m_session.changedOnDisk(target);
    if (changed.isEmpty())
        return true;
    QStringList files;
    for (const QString &name : changed)
        files << quotedExcerpt(name);
    const QString caption = QStringLiteral("Журнал изменён на диске другой программой");
    const QString text =
        QStringLiteral("%1: в папке %2 изменены %3.\n«Перезаписать» — записать видимый журнал поверх; "
                       "«Загрузить заново» — прочитать журнал с диска, правки этой программы пропадут; "
                       "«Отмена» — ничего не делать.")
            .arg(caption, quotedExcerpt(m_session.folderPath()), files.join(QStringLiteral(", ")));
    switch (Services::messages().questionWithButtons(this, caption, text, QStringLiteral("Перезаписать"),
                                                     QStringLiteral("Загрузить заново"), QStringLiteral("Отмена"))) {
    case Messages::Answer::Yes:
        return true;
    case Messages::Answer::No:
        m_session.reload();
        return false;
    case Messages::Answer::Cancel:
        break;
    }
    return false;
}

void TForm1::showReadOnly(const QString &reason)
{
    Services::messages().warning(this, QStringLiteral("Журнал только для чтения"),
                                 QStringLiteral("%1.\nЖурнал открыт только для чтения: записать его можно "
                                                "в другую папку (поле «Папка»).")
                                     .arg(reason));
}

void TForm1::GirObClick()
{
    toggleGridBold(SpisokSt, GirOb);
}

void TForm1::ProvodnikClick()
{
    runHandler(this, [this] {
        // The teacher looks for the journals' folders: the data root, not the program's folder.
        const QString root = QDir::toNativeSeparators(m_session.dataRoot());
        if (!Services::platform().openPath(root))
            throw ZError(QStringLiteral("Не удалось открыть папку с данными %1: на этом компьютере нет файлового менеджера.").arg(quotedPath(root)));
    });
}

void TForm1::closeMainWindow()
{
    m_closing = true;
    done(0);
    hide();
    m_closing = false;
}

void TForm1::N1Click()
{
    if (mayDropJournal())
        leave();
}

void TForm1::leave()
{
    Q_EMIT leaving();
    closeMainWindow();
}

void TForm1::N2Click()
{
    setBackground(this, 255, 255, 255);
    setBackground(EditGroup, 255, 255, 255);
    runHandler(this, [this] {
        if (!Services::platform().printWidget(this))
            throw ZError(QStringLiteral("Не удалось напечатать копию окна: принтер недоступен."));
    });
}

void TForm1::EksportXlsxClick()
{
    runHandler(this, [this] {
        // The journal as it stands in the window, edits not yet saved too,
        // with the results recalculated from it.
        closeJournalEditor();
        recalculateJournal();
        const QString name = DocxDocument::safeFileName(Gruppa->text().trimmed() + u' ' + PredmNaz->text().trimmed());
        const QString suggested = QDir::home().filePath((name.isEmpty() ? QStringLiteral("Журнал") : name) + QStringLiteral(".xlsx"));
        QString path = Services::platform().saveFileName(this, QStringLiteral("Экспорт в Excel"), suggested,
                                                         QStringLiteral("Книга Excel (*.xlsx)"));
        if (path.isEmpty())
            return;
        if (!path.endsWith(QLatin1String(".xlsx"), Qt::CaseInsensitive))
            path += QStringLiteral(".xlsx");
        ResultsXlsx::write({m_journal, m_itog, m_uspev, m_session.indicators()}, path);
        StatusBar->showMessage(QStringLiteral("Книга Excel записана: %1").arg(QDir::toNativeSeparators(path)));
    });
}

namespace {
void openAddress(QWidget *parent, const QString &url)
{
    runHandler(parent, [&url] {
        if (!Services::platform().openAddress(url))
            throw ZError(QStringLiteral("Не удалось открыть адрес %1 в браузере.").arg(url));
    });
}
} // namespace

void TForm1::N3Click()
{
    openAddress(this, QString::fromLatin1(AuthorContacts::kSite));
}

void TForm1::N5Click()
{
    openAddress(this, QString::fromLatin1(AuthorContacts::kMailForm));
}

QString findHelpFile()
{
    const QStringList candidates = {
        QStringLiteral("Help/Help.chm"),
        QStringLiteral("help/index.html"),
        QCoreApplication::applicationDirPath() + QStringLiteral("/help/index.html"),
        QCoreApplication::applicationDirPath() + QStringLiteral("/../share/zhurnal/help/index.html"),
        QStringLiteral(ZHURNAL_HELP_DIR "/index.html"),
    };
    for (const QString &file : candidates) {
        if (QFileInfo(file).isFile())
            return QFileInfo(file).absoluteFilePath();
    }
    return QString();
}

void TForm1::N4Click()
{
    // A compiled help file of the data root needs its own viewer outside the
    // program; without one (or without the file) the program's pages open in
    // the built-in viewer, which needs nothing else.
    const QString help = findHelpFile();
    if (help.endsWith(QStringLiteral(".chm"), Qt::CaseInsensitive)) {
        if (Services::platform().openPath(help))
            return;
        StatusBar->showMessage(QStringLiteral("Файл %1 открыть нечем: показана справка программы.").arg(quotedPath(help)));
    }
    showHelp(this, QStringLiteral("index.html"));
}

void TForm1::N6Click()
{
    Q_EMIT planRequested();
}

void TForm1::N7Click()
{
    Q_EMIT scaleRequested();
}

namespace {
// A menu item the current user may not use: greyed, and its hint says why.
void closeItem(QAction *item)
{
    item->setEnabled(false);
    item->setStatusTip(QStringLiteral("Вам доступ закрыт"));
    item->setToolTip(QStringLiteral("Вам доступ закрыт"));
}
} // namespace

void TForm1::forbidScale()
{
    closeItem(N7);
}

void TForm1::forbidAccessEditor()
{
    closeItem(N8);
}

void TForm1::N8Click()
{
    Q_EMIT accessRequested();
}

void TForm1::N10Click()
{
    Q_EMIT catalogueRequested();
}

// ---- Journal grid editing ----

void TForm1::SpisokStMouseDown(Qt::MouseButton, const QPoint &pos)
{
    runHandler(this, [this, pos] {
        const QPoint cell = SpisokSt->cellAt(pos);
        int c = cell.x();
        int r = cell.y();
        if (c < 0)
            c = JournalLayout::kFirstLessonCol;
        if (r < 0) {
            r = JournalLayout::kFirstStudentRow;
            SpisokSt->setCurrentRow(r);
        }
        selectJournalCell(c, r);
    });
}

void TForm1::IstoriyaClick()
{
    m_history->showHistory();
    m_history->exec();
}

void TForm1::IstoriyaYacheykiClick()
{
    const int c = NStolbca->text().toInt();
    const int r = NStroki->text().toInt();
    if (c < 0 || c >= m_journal.colCount() || r < 0 || r >= m_journal.rowCount())
        return;
    // A student's row by his name; a header row by the name its lines carry.
    static const char *const headers[] = {"Заголовок", "Дата", "Код", "Вес"};
    const QString student = r >= JournalLayout::kFirstStudentRow ? m_journal.cell(JournalLayout::kNameCol, r).trimmed()
                                                                 : QString::fromUtf8(headers[r]);
    const QString lesson =
        c >= JournalLayout::kFirstLessonCol ? QString::number(c - JournalLayout::kFirstLessonCol + 1) : QString();
    m_history->showHistory(student, lesson);
    m_history->exec();
}

void TForm1::VersiiClick()
{
    m_versions->showVersions();
    m_versions->exec();
}

void TForm1::SpisokStKeyMove(int col, int row)
{
    runHandler(this, [this, col, row] { selectJournalCell(col, row); });
}

void TForm1::selectJournalCell(int c, int r)
{
    NStroki->setText(QString::number(r));
    NStolbca->setText(QString::number(c));
    DatNTar->setText(m_journal.cell(c, JournalLayout::kDateRow));
    if (r >= JournalLayout::kFirstStudentRow) {
        const QString name = m_journal.cell(JournalLayout::kNameCol, r).trimmed();
        for (int k = 1; k < m_itog.rowCount(); ++k) {
            if (m_itog.cell(1, k).trimmed() == name) {
                Itog->setCurrentRow(k);
                break;
            }
        }
        FIO->setText(name);
    }
    // The blue frames around the column and the row: corners given as the
    // first pixel inside and the first pixel past the frame. They show the
    // current selection only: those of the previous one go.
    SpisokSt->removeFrames(kSelectionFrames);
    const QRect colCell = SpisokSt->cellRect(c, 0);
    if (!colCell.isEmpty())
        SpisokSt->addTaggedFrame(spanRect(colCell.left() + 1, colCell.top() + 1, colCell.left() + 21,
                                          colCell.top() + 84 + 18 * SpisokSt->visibleRows()),
                                 QColor(0, 0, 255), kSelectionFrames);
    const QRect rowCell = SpisokSt->cellRect(0, r);
    if (!rowCell.isEmpty())
        SpisokSt->addTaggedFrame(spanRect(rowCell.left() + 1, rowCell.top() + 1,
                                          rowCell.left() + 178 + 30 * SpisokSt->visibleCols(), rowCell.top() + 16),
                                 QColor(0, 0, 255), kSelectionFrames);
    // The theme of the column in the thematic plan: its row number goes into
    // the plan's selection edit, so that the plan's row operations act on it.
    Q_EMIT lessonCodeChosen(m_journal.cell(c, JournalLayout::kCodeRow));
}

int TForm1::selectedRow() const
{
    return GridOps::parseSelection(NStroki->text(), QStringLiteral("номер выбранной строки"));
}

void TForm1::PlusStrClick()
{
    runHandler(this, [this] {
        closeJournalEditor();
        record(JournalEdits::insertRow(m_journal, selectedRow()));
    });
}

bool TForm1::mayDelete(const QString &question)
{
    // No question when nothing would go.
    return question.isEmpty() || Services::messages().question(this, QStringLiteral("Удаление"), question);
}

void TForm1::MinusStrClick()
{
    runHandler(this, [this] {
        closeJournalEditor();
        const int row = selectedRow();
        if (mayDelete(JournalPlace::rowDeletion(m_journal, row)))
            record(JournalEdits::deleteRow(m_journal, row));
    });
}

void TForm1::DelStrokiClick()
{
    runHandler(this, [this] {
        closeJournalEditor();
        const int row = selectedRow();
        if (mayDelete(JournalPlace::rowsBelowDeletion(m_journal, row)))
            record(JournalEdits::deleteRowsBelow(m_journal, row));
    });
}

void TForm1::columnOperation(const std::function<void(int)> &operation)
{
    runHandler(this, [this, &operation] {
        closeJournalEditor();
        const int selected = GridOps::parseSelection(NStolbca->text(), QStringLiteral("номер выбранного столбца"));
        operation(selected);
        m_session.summi().setColCount(m_journal.colCount());
    });
}

void TForm1::PlusStolbClick()
{
    columnOperation([this](int selected) { record(JournalEdits::insertColumn(m_journal, m_session.summi(), selected)); });
}

void TForm1::MinusStolbClick()
{
    columnOperation([this](int selected) {
        if (mayDelete(JournalPlace::columnDeletion(m_journal, selected)))
            record(JournalEdits::deleteColumn(m_journal, m_session.summi(), selected));
    });
}

void TForm1::DelStolbiClick()
{
    columnOperation([this](int selected) {
        if (mayDelete(JournalPlace::columnsRightDeletion(m_journal, selected)))
            record(JournalEdits::deleteColumnsRight(m_journal, m_session.summi(), selected));
    });
}

void TForm1::SpisokStRowMoved(int from, int to)
{
    runHandler(this, [this, from, to] {
        record(JournalEdits::renumberAfterMove(m_journal, from, to));
        // The selection goes with the dragged student, so that the row buttons
        // act on him and not on whoever now stands in his old place.
        if (to >= JournalLayout::kFirstStudentRow && to < m_journal.rowCount()) {
            const int col = std::max(SpisokSt->currentCol(), int(JournalLayout::kFirstLessonCol));
            SpisokSt->setCurrentCell(col, to);
            selectJournalCell(col, to);
        }
    });
}

void TForm1::record(JournalEditPtr edit)
{
    if (edit)
        m_undo->push(new JournalUndoCommand(std::move(edit)));
}

std::function<void(JournalEditPtr)> TForm1::recorder()
{
    return [this](JournalEditPtr edit) { record(std::move(edit)); };
}

JournalEdits::Results TForm1::results()
{
    return JournalEdits::Results{m_itog, m_uspev, m_session.summi(), m_session.indicators()};
}

void TForm1::closeJournalEditor()
{
    SpisokSt->refresh();
}

void TForm1::OtmenitClick()
{
    runHandler(this, [this] {
        closeJournalEditor(); // a text being typed is the last edit
        if (m_undo->canUndo()) {
            m_undo->undo();
            showUndoneState();
        }
    });
}

void TForm1::PovtoritClick()
{
    runHandler(this, [this] {
        closeJournalEditor();
        if (m_undo->canRedo()) {
            m_undo->redo();
            showUndoneState();
        }
    });
}

void TForm1::showUndoneState()
{
    Itog->clearMarks();
    showIndicators();
    refreshAllGrids();
    // The selection stays on the grid, on whoever now stands there.
    bool ok = false;
    const int row = NStroki->text().toInt(&ok);
    const int col = NStolbca->text().toInt(&ok);
    const int r = std::clamp(row, 0, m_journal.rowCount() - 1);
    const int c = std::clamp(col, 0, m_journal.colCount() - 1);
    if (r != row || c != col || r >= JournalLayout::kFirstStudentRow)
        selectJournalCell(c, r);
    else
        DatNTar->setText(m_journal.cell(c, JournalLayout::kDateRow));
}

void TForm1::updateUndoActions()
{
    // "Отменить: Удаление строки"; without an edit to act on, the bare command, greyed.
    const auto show = [](QAction *item, const QString &command, bool can, const QString &name, const QString &hint) {
        item->setEnabled(can);
        item->setText(can && !name.isEmpty() ? QStringLiteral("%1: %2").arg(command, name) : command);
        const QString keys = item->shortcut().toString(QKeySequence::NativeText);
        const QString tip = can ? QStringLiteral("%1: %2 (%3)").arg(hint, name, keys) : QStringLiteral("%1 (%2)").arg(hint, keys);
        item->setStatusTip(tip);
        item->setToolTip(tip);
    };
    show(Otmenit, QStringLiteral("&Отменить"), m_undo->canUndo(), m_undo->undoText(), QStringLiteral("Отменить правку журнала"));
    show(Povtorit, QStringLiteral("&Повторить"), m_undo->canRedo(), m_undo->redoText(), QStringLiteral("Повторить отменённую правку"));
}

void TForm1::moveStudentUp()
{
    moveStudent(-1);
}

void TForm1::moveStudentDown()
{
    moveStudent(1);
}

void TForm1::moveStudent(int step)
{
    runHandler(this, [this, step] {
        SpisokSt->refresh(); // an open edit keeps its text and moves with its row
        const int row = selectedRow();
        const int target = row + step;
        if (row < JournalLayout::kFirstStudentRow || target < JournalLayout::kFirstStudentRow || target >= m_journal.rowCount())
            return;
        // As a drag by one row: the two students change places, the numbers stay
        // in order, and one undo step takes it back.
        if (!GridOps::moveRow(m_journal, row, target))
            return;
        record(JournalEdits::renumberAfterMove(m_journal, row, target));
        SpisokSt->refresh();
        const int col = std::max(SpisokSt->currentCol(), int(JournalLayout::kFirstLessonCol));
        SpisokSt->setCurrentCell(col, target);
        selectJournalCell(col, target);
    });
}

void TForm1::RedSpisokClick()
{
    runHandler(this, [this] { GridOps::switchHeaderEditMode(m_journal); });
}

void TForm1::BitBtn1Click()
{
    runHandler(this, [this] { GridOps::switchNameColumn(m_journal); });
}

// ---- Results ----

void TForm1::recalculateJournal()
{
    // The result grid is rewritten: its marks would stand beside other students.
    Itog->clearMarks();
    struct ShowAfter
    {
        TForm1 *form;
        ~ShowAfter() { form->showIndicators(); }
    } showAfter{this};
    m_session.recalculate();
    showLeftOutCells();
}

void TForm1::showLeftOutCells()
{
    // What the recalculation counted on its way; after a failed one, counted here.
    const int recounted = m_session.leftOutCells();
    const int leftOut = recounted >= 0 ? recounted : ScoreCell::leftOutCells(m_journal);
    if (leftOut > 0)
        StatusBar->showMessage(QStringLiteral("Не учтено в итогах: %1 (не числа и «н»)")
                                   .arg(counted(leftOut, u"ячейка", u"ячейки", u"ячеек")));
    else
        StatusBar->clearMessage();
}

void TForm1::showIndicators()
{
    const Indicators &indicators = m_session.indicators();
    Uspewa->setText(indicators.uspewa);
    Ka4->setText(indicators.ka4);
    Obu4->setText(indicators.obu4);
}

void TForm1::Peres4etClick()
{
    runHandler(this, [this] { recalculateJournal(); });
}

void TForm1::RangClick()
{
    runHandler(this, [this] {
        closeJournalEditor();
        Itog->clearMarks();
        JournalEdits::resultsOperation(QStringLiteral("Ранжирование"), results(), nullptr,
                                       [this] { Ranking::rankResults(m_itog); }, recorder());
    });
}

void TForm1::SrStClick()
{
    runHandler(this, [this] {
        closeJournalEditor();
        JournalEdits::resultsOperation(QStringLiteral("Средний студент"), results(), nullptr,
                                       [this] { Ranking::appendAverageStudent(m_itog); }, recorder());
    });
}

void TForm1::CopyStolbClick()
{
    runHandler(this, [this] {
        // A ranked result grid, or one with an average row, is recalculated
        // first, so that every student receives his own sum.
        closeJournalEditor();
        bool recalculated = false;
        JournalEdits::resultsOperation(QStringLiteral("Столбец сумм"), results(), &m_journal, [this, &recalculated] {
            recalculated = Ranking::appendOwnSumColumn(m_journal, m_session.thresholds(), m_itog, m_uspev,
                                                       m_session.summi(), m_session.indicators());
        }, recorder());
        if (recalculated) {
            Itog->clearMarks();
            showIndicators();
        }
    });
}

void TForm1::TekOcenClick()
{
    runHandler(this, [this] {
        recalculateJournal();
        refreshAllGrids();
        const QStringList grades = Ranking::currentGradeTexts(m_journal, m_itog);
        for (int i = 0; i < grades.size(); ++i) {
            const QRect cell = SpisokSt->cellRect(JournalLayout::kNumberCol, JournalLayout::kFirstStudentRow + i);
            if (!cell.isEmpty())
                SpisokSt->addFilledRect(cell, QColor(204, 255, 255), grades.at(i), QColor(255, 0, 0), QPoint(2, 2));
        }
    });
}

void TForm1::DinamikaClick()
{
    runHandler(this, [this] {
        Dynamics::fillDynamics(m_journal, FIO->text(), m_session.summi());
        Q_EMIT dynamicsRequested();
    });
}

void TForm1::ItogMouseDown(Qt::MouseButton, const QPoint &pos)
{
    runHandler(this, [this, pos] {
        const QPoint cell = Itog->cellAt(pos);
        const int col = cell.x() < 0 ? 1 : cell.x();
        const int row = cell.y() < 0 ? 1 : cell.y();
        const Dynamics::ItogSelection selection = Dynamics::selectFromItog(m_journal, m_itog, row);
        if (selection.selected) {
            FIO->setText(selection.fio);
            if (selection.journalRow >= 0)
                SpisokSt->setCurrentRow(selection.journalRow);
        }
        const QRect header = Itog->cellRect(col, 0);
        if (!header.isEmpty())
            Itog->addFrame(spanRect(header.left() + 1, header.top() + 1, header.left() + 21,
                                    header.top() + 84 + 18 * Itog->visibleRows()),
                           QColor(255, 0, 0));
    });
}

void TForm1::GrafikClick()
{
    runHandler(this, [this] {
        QString failure;
        const QList<int> counts = Dynamics::barCounts(m_itog, &failure);
        for (int k = 1; k <= counts.size(); ++k) {
            const QRect name = Itog->cellRect(ResultGrids::NameCol, k);
            if (name.isEmpty())
                continue;
            for (int i = 1; i <= counts.at(k - 1); ++i) {
                const int x = name.left() + 10 * (i - 1);
                Itog->addEllipse(spanRect(x + 1, name.top() + 14, x + 13, name.top() + 18), QColor(255, 0, 0),
                                 QColor(255, 0, 0));
            }
        }
        if (!failure.isEmpty())
            throw ConversionError(failure);
    });
}

void TForm1::showLessonOfTheme(const QString &code)
{
    runHandler(this, [this, &code] {
        DatNTar->setText(code);
        const int c = Themes::findLessonColumn(m_journal, code);
        if (c < 0)
            return;
        SpisokSt->setCurrentCell(c, SpisokSt->currentRow());
        DatNTar->setText(m_journal.cell(c, JournalLayout::kDateRow));
        NStolbca->setText(QString::number(c));
        const QRect date = SpisokSt->cellRect(c, JournalLayout::kDateRow);
        if (!date.isEmpty())
            SpisokSt->addFrame(spanRect(date.left() + 1, date.top() + 1, date.left() + 21,
                                        date.top() + 18 * (SpisokSt->visibleRows() + 3) + 10),
                               QColor(255, 0, 0));
    });
}

// ---- Reports ----

JournalIdentity TForm1::shownIdentity() const
{
    return JournalIdentity{Gruppa->text(), PredmNaz->text(), PapkaName->text(), Semestr->text(), GodS->text(), Komment->text()};
}

Reports::MainWindowView TForm1::reportView() const
{
    return Reports::MainWindowView{m_journal,
                                   m_session.themes(),
                                   m_session.summi(),
                                   m_itog,
                                   m_uspev,
                                   shownIdentity(),
                                   FIO->text(),
                                   Indicators{Uspewa->text(), Ka4->text(), Obu4->text()},
                                   m_session.thresholds(),
                                   QDate::currentDate()};
}

int TForm1::reportStudent()
{
    Reports::runDynamicsAndRanking(m_journal, FIO->text(), m_session.summi(), m_itog, [this] { Q_EMIT dynamicsRequested(); });
    Itog->clearMarks();
    if (Reports::noStudentChosen(FIO->text())) {
        StatusBar->showMessage(Reports::NoStudentChosen().message(), 10000);
        return -1;
    }
    if (m_journal.rowCount() > JournalLayout::kFirstStudentRow)
        SpisokSt->setCurrentRow(JournalLayout::kFirstStudentRow);
    const int row = Reports::studentRow(m_journal, FIO->text());
    SpisokSt->setCurrentRow(row);
    return row;
}

void TForm1::previewReport(void (TForm1::*print)())
{
    m_previewing = true;
    const auto done = qScopeGuard([this] { m_previewing = false; });
    (this->*print)();
}

void TForm1::PrintRDClick()
{
    runHandler(this, [this] {
        WindowReport doc(m_session.dataRoot(), Reports::journalTableName(), this,
                         m_previewing ? WindowReport::Mode::Preview : WindowReport::Mode::Open);
        Reports::journalTable(doc, reportView());
    });
}

void TForm1::Print11Click()
{
    runHandler(this, [this] {
        const int row = reportStudent();
        if (row < 0)
            return;
        WindowReport doc(m_session.dataRoot(), Reports::dossierName(FIO->text()), this,
                         m_previewing ? WindowReport::Mode::Preview : WindowReport::Mode::Open);
        Reports::dossier(doc, reportView(), row);
        Q_EMIT dynamicsCloseRequested();
    });
}

void TForm1::BiletClick()
{
    runHandler(this, [this] {
        const int row = reportStudent();
        if (row < 0)
            return;
        WindowReport doc(m_session.dataRoot(), Reports::ticketName(FIO->text()), this,
                         m_previewing ? WindowReport::Mode::Preview : WindowReport::Mode::Open);
        Reports::ticket(doc, reportView(), row);
        Q_EMIT dynamicsCloseRequested();
    });
}

void TForm1::TemiFaktClick()
{
    runHandler(this, [this] {
        Dynamics::fillDynamics(m_journal, FIO->text(), m_session.summi());
        Q_EMIT dynamicsRequested();
        WindowReport doc(m_session.dataRoot(), Reports::themesDoneName(), this,
                         m_previewing ? WindowReport::Mode::Preview : WindowReport::Mode::Open);
        Reports::themesDone(doc, reportView());
        Q_EMIT dynamicsCloseRequested();
    });
}
