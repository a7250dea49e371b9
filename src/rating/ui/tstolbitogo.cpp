#include "rating/ui/tstolbitogo.h"

#include "controls/framegeometry.h"
#include "controls/gridview.h"
#include "controls/handler.h"
#include "controls/helpviewer.h"
#include "controls/services.h"
#include "journal/durablefile.h"
#include "journal/errors.h"
#include "journal/excerpt.h"
#include "journal/grid.h"
#include "rating/decimal4.h"
#include "rating/resultgrids.h"

#include <QAbstractItemModel>
#include <QBuffer>
#include <QDir>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>
#include <QtCharts/QChart>
#include <QtCharts/QChartView>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>

#include <algorithm>
#include <cmath>

TStolbItogo::TStolbItogo(Grid &summi, QWidget *parent)
    : QDialog(parent), m_summi(summi)
{
    setObjectName(QStringLiteral("StolbItogo"));
    setWindowTitle(QStringLiteral("Динамика накопленной успеваемости. Показатели взвешены."));
    setModal(false);
    // A window of its own, not a dialog kept above another window: the
    // journal window can come in front of it.
    setWindowFlags(Qt::Window);
    setHelpPage(this, QStringLiteral("reiting.html#dinamika"));
    Summi = new GridView(&summi, this);
    Summi->setObjectName(QStringLiteral("Summi"));
    Summi->setRowSelect(true);
    // Every number shows whole: a column is as wide as its widest text.
    Summi->setColumnsFitTexts(true);

    auto *chart = new QChart;
    chart->setMargins(QMargins(2, 2, 2, 2));
    chart->legend()->setAlignment(Qt::AlignBottom);
    m_student = new QLineSeries(chart);
    m_student->setObjectName(QStringLiteral("StudentSeries"));
    m_student->setPointsVisible(true);
    m_average = new QLineSeries(chart);
    m_average->setObjectName(QStringLiteral("AverageSeries"));
    m_average->setName(QStringLiteral("Среднее нак."));
    m_average->setPointsVisible(true);
    chart->addSeries(m_student);
    chart->addSeries(m_average);
    m_lessons = new QValueAxis(chart);
    m_lessons->setTitleText(QStringLiteral("Занятие"));
    m_lessons->setLabelFormat(QStringLiteral("%d"));
    m_points = new QValueAxis(chart);
    m_points->setTitleText(QStringLiteral("Баллы нак."));
    m_points->setLabelFormat(QStringLiteral("%g"));
    chart->addAxis(m_lessons, Qt::AlignBottom);
    chart->addAxis(m_points, Qt::AlignLeft);
    for (QLineSeries *series : {m_student, m_average}) {
        series->attachAxis(m_lessons);
        series->attachAxis(m_points);
    }
    Grafik = new QChartView(chart, this);
    Grafik->setObjectName(QStringLiteral("Grafik"));
    Grafik->setRenderHint(QPainter::Antialiasing);
    Grafik->setMinimumSize(200, 80);

    SaveRisunok = new QPushButton(QStringLiteral("Сохранить &рисунок"), this);
    SaveRisunok->setObjectName(QStringLiteral("SaveRisunok"));
    SaveRisunok->setToolTip(QStringLiteral("Сохранить график в файл PNG"));
    connect(SaveRisunok, &QPushButton::clicked, this, &TStolbItogo::SaveRisunokClick);

    auto *chartSide = new QWidget(this);
    auto *chartLayout = new QVBoxLayout(chartSide);
    chartLayout->setContentsMargins(0, 0, 0, 0);
    chartLayout->setSpacing(2);
    chartLayout->addWidget(Grafik, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(SaveRisunok);
    chartLayout->addLayout(buttons);

    // The window is low and narrow (it sits below the main window, beside the
    // plan): the grid keeps the whole window on its page, the chart has its own.
    Vkladki = new QTabWidget(this);
    Vkladki->setObjectName(QStringLiteral("Vkladki"));
    Vkladki->setDocumentMode(true);
    Vkladki->addTab(Summi, QStringLiteral("&Таблица"));
    Vkladki->addTab(chartSide, QStringLiteral("&График"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(Vkladki);

    // Whatever fills the grid (the recalculation, the dynamics of a student,
    // a load, a hand edit) reaches the view by its refresh; the chart follows.
    QAbstractItemModel *model = Summi->model();
    connect(model, &QAbstractItemModel::modelReset, this, &TStolbItogo::scheduleChartUpdate);
    connect(model, &QAbstractItemModel::dataChanged, this, &TStolbItogo::scheduleChartUpdate);
    connect(model, &QAbstractItemModel::layoutChanged, this, &TStolbItogo::scheduleChartUpdate);
    connect(model, &QAbstractItemModel::columnsInserted, this, &TStolbItogo::scheduleChartUpdate);
    connect(model, &QAbstractItemModel::columnsRemoved, this, &TStolbItogo::scheduleChartUpdate);
    updateChart();
    FormCreate();
}

void TStolbItogo::FormCreate()
{
    // Right of the thematic plan, below the main window, down to the work area's bottom.
    placeFrame(this, FrameRule{QRect(0, ScreenTiling::kLowerTop, ScreenTiling::kDynamicsWidth, 182), false, true, 0, true,
                               ScreenTiling::kPlanMinWidth});
}

void TStolbItogo::showDynamics()
{
    Summi->refresh();
    updateChart();
    show();
    raise();
}

void TStolbItogo::journalSwitched()
{
    Summi->clearMarks();
    Summi->refresh();
    updateChart();
}

void TStolbItogo::scheduleChartUpdate()
{
    // A refresh may signal several changes at once: one redraw after them.
    if (m_updatePending)
        return;
    m_updatePending = true;
    QMetaObject::invokeMethod(this, [this] {
        m_updatePending = false;
        updateChart();
    }, Qt::QueuedConnection);
}

void TStolbItogo::updateChart()
{
    using namespace ResultGrids;
    // The numbers of the grid's rows 3 and 4, one point per lesson column; a
    // cell that holds no number (an empty row, a hand edit) has no point.
    auto points = [this](int row) {
        QList<QPointF> out;
        if (row >= m_summi.rowCount())
            return out;
        for (int c = 2; c < m_summi.colCount(); ++c) {
            Decimal4 value;
            const QString &text = m_summi.cell(c, row);
            if (!trimBlanks(text).isEmpty() && Decimal4::parse(text, value) == Decimal4::Parse::Ok)
                out << QPointF(c - 1, value.toDouble());
        }
        return out;
    };
    const QList<QPointF> student = points(StudentAccumulatedRow);
    const QList<QPointF> average = points(AverageAccumulatedRow);
    m_student->replace(student);
    m_average->replace(average);
    const QString name = m_summi.rowCount() > StudentRow ? m_summi.cell(1, StudentRow).trimmed() : QString();
    m_student->setName(name.isEmpty() ? QStringLiteral("Ученик не выбран") : name + QStringLiteral(" нак."));

    double low = 0, high = 1;
    for (const QList<QPointF> *list : {&student, &average})
        for (const QPointF &p : *list) {
            low = std::min(low, p.y());
            high = std::max(high, p.y());
        }
    m_points->setRange(low, high);
    m_points->setTickCount(5);
    m_points->applyNiceNumbers(); // round steps: 0, 50, 100 ...
    const int lessons = std::max(m_summi.colCount() - 2, 1);
    m_lessons->setRange(1, std::max(lessons, 2));
    m_lessons->setTickCount(std::min(std::max(lessons, 2), 6));
    m_lessons->applyNiceNumbers();
}

void TStolbItogo::SaveRisunokClick()
{
    runHandler(this, [this] {
        const QString name = m_summi.rowCount() > ResultGrids::StudentRow ? m_summi.cell(1, ResultGrids::StudentRow).trimmed() : QString();
        QString safe;
        for (QChar ch : name)
            safe += ch.unicode() < 0x20 || QStringLiteral("/\\:*?\"<>|").contains(ch) ? u'_' : ch;
        const QString suggested = QDir::home().filePath(QStringLiteral("Динамика") + (safe.isEmpty() ? QString() : u' ' + safe.left(80))
                                                        + QStringLiteral(".png"));
        QString path = Services::platform().saveFileName(this, QStringLiteral("Сохранить рисунок"), suggested,
                                                         QStringLiteral("Рисунок PNG (*.png)"));
        if (path.isEmpty())
            return;
        if (!path.endsWith(QLatin1String(".png"), Qt::CaseInsensitive))
            path += QStringLiteral(".png");
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        if (!Grafik->grab().toImage().save(&buffer, "PNG"))
            throw FileError(QStringLiteral("Рисунок не записан в %1: не удалось составить PNG.").arg(quotedPath(path)));
        DurableFile::write(path, bytes);
    });
}
