#pragma once

#include <QDialog>

class Grid;
class GridView;
class QChartView;
class QLineSeries;
class QPushButton;
class QTabWidget;
class QValueAxis;

// The dynamics window: the grid Summi, one column per journal column, and
// on a second page a chart of the selected student's accumulated points and the
// group's accumulated average, lesson by lesson, drawn from the grid's rows.
class TStolbItogo : public QDialog
{
    Q_OBJECT
public:
    explicit TStolbItogo(Grid &summi, QWidget *parent = nullptr);

    // Shows the window over the others.
    void showDynamics();
    // Another journal is open: nothing drawn for the previous one stays.
    void journalSwitched();

private:
    void FormCreate();
    // The chart redrawn from Summi's accumulated rows as they stand.
    void updateChart();
    void scheduleChartUpdate();
    void SaveRisunokClick();

    Grid &m_summi;
    GridView *Summi = nullptr;
    QTabWidget *Vkladki = nullptr; // the pages "Таблица" and "График"
    QChartView *Grafik = nullptr;
    QLineSeries *m_student = nullptr;
    QLineSeries *m_average = nullptr;
    QValueAxis *m_lessons = nullptr;
    QValueAxis *m_points = nullptr;
    QPushButton *SaveRisunok = nullptr;
    bool m_updatePending = false;
};
