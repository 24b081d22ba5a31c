#pragma once

#include <QMainWindow>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

#include <string>

class QAction;
class QMenu;
class TPlotGraph;

// A graph in a window of its own, as the sweep and the bifurcation diagram
// show theirs: the graph fills the window on white with a title, the
// parameter along the x axis and the densities up the y axis with
// gridlines, the margins fitting the labels. Its Graph menu copies, prints
// and saves the picture as the main window's does (a bitmap, or PNG, SVG or
// PDF by the file's extension) and exports the window's data as CSV; the
// graph's popup copies, prints and saves the bitmap.
class TGraphWindow : public QMainWindow {
    Q_OBJECT

public:
    // Where a window whose frame has `size` goes beside a main window whose
    // frame is `main`, on a screen whose free area is `screen`: to its right,
    // tops level, when the screen has room there; else flush with the
    // screen's right edge, over the main window's right part. Never off the
    // screen's left or top edge.
    static QPoint PlaceBeside(const QRect& main, const QSize& size, const QRect& screen);
    // Shows the window at PlaceBeside `main`, rather than over its middle.
    void ShowBeside(const QWidget& main);

    TPlotGraph* PlotGraph1 = nullptr;
    QMenu* PopupMenu1 = nullptr;
    QAction* Copy1 = nullptr;
    QAction* Print2 = nullptr;
    QAction* Bitmap2 = nullptr;
    QAction* SavePicture1 = nullptr;
    QAction* ExportData1 = nullptr; // enabled while there are data to export

    void Clip1Click();
    void Print1Click();
    void Bitmap1Click();
    void SavePicture1Click();
    // Writes DataCsv() to the file asked for.
    void ExportData1Click();

protected:
    // `kind` names the window, its graph and its status bar ("Sweep":
    // SweepWindow, SweepGraph, SweepStatus). The graph is left not plotting,
    // for the window to fill first.
    TGraphWindow(const QString& kind, const QString& title, QSize size, const QString& xTitle,
                 const QString& yTitle, const QString& graphTitle, QWidget* parent);

    // The window's data as CSV, as the command line prints them.
    virtual std::string DataCsv() const = 0;
};
