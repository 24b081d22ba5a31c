#include "GraphWindow.h"

#include "AppDialogs.h"
#include "Appearance.h"
#include "AtomicFile.h"
#include "Axis.h"
#include "PlotGraph.h"
#include "SavePicture.h"

#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>

#include <algorithm>
#include <tuple>

TGraphWindow::TGraphWindow(const QString& kind, const QString& title, QSize size,
                           const QString& xTitle, const QString& yTitle, const QString& graphTitle,
                           QWidget* parent)
    : QMainWindow(parent, Qt::Window) {
    setObjectName(kind + QStringLiteral("Window"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(title);
    resize(size);

    PlotGraph1 = new TPlotGraph(this);
    PlotGraph1->setObjectName(kind + QStringLiteral("Graph"));
    setCentralWidget(PlotGraph1);
    PlotGraph1->SetPlotting(false);
    // Parameters and densities of any size keep their labels inside the window.
    PlotGraph1->SetFitMarginsToLabels(true);
    for (auto [axis, axisTitle, grid] : {std::tuple{&PlotGraph1->XAxis(), xTitle, false},
                                         std::tuple{&PlotGraph1->YAxis(), yTitle, true}}) {
        axis->SetTitle(axisTitle);
        axis->SetGridlines(grid);
        axis->SetShowAxis(true);
        axis->SetAutoSizing(true);
        axis->SetAutoStepping(true);
    }
    PlotGraph1->YAxis_Second().SetShowAxis(false);
    TAppearance& look = PlotGraph1->Appearance();
    look.SetBackgroundColor(clWhite);
    look.SetMarginColor(clWhite);
    look.SetGraphTitle(graphTitle);
    // The cross marks the origin of a plane; a parameter axis has none worth
    // marking, and on a diagram the cross reads as a point of it.
    look.SetCrossAtZero(false);

    QMenu* graph = menuBar()->addMenu(QStringLiteral("Graph"));
    Copy1 = graph->addAction(QStringLiteral("&Copy to clipboard"));
    Print2 = graph->addAction(QStringLiteral("&Print"));
    Bitmap2 = graph->addAction(QStringLiteral("&Save as bitmap"));
    SavePicture1 = graph->addAction(QString::fromUtf8("Save pictu&re\u2026"));
    ExportData1 = graph->addAction(QString::fromUtf8("&Export data\u2026"));
    PopupMenu1 = new QMenu(this);
    connect(PopupMenu1->addAction(QStringLiteral("Copy")), &QAction::triggered, this,
            &TGraphWindow::Clip1Click);
    connect(PopupMenu1->addAction(QStringLiteral("Print")), &QAction::triggered, this,
            &TGraphWindow::Print1Click);
    connect(PopupMenu1->addAction(QStringLiteral("Save as Bitmap")), &QAction::triggered, this,
            &TGraphWindow::Bitmap1Click);
    PlotGraph1->SetPopupMenu(PopupMenu1);
    connect(Copy1, &QAction::triggered, this, &TGraphWindow::Clip1Click);
    connect(Print2, &QAction::triggered, this, &TGraphWindow::Print1Click);
    connect(Bitmap2, &QAction::triggered, this, &TGraphWindow::Bitmap1Click);
    connect(SavePicture1, &QAction::triggered, this, &TGraphWindow::SavePicture1Click);
    connect(ExportData1, &QAction::triggered, this, &TGraphWindow::ExportData1Click);
    statusBar()->setObjectName(kind + QStringLiteral("Status"));
}

QPoint TGraphWindow::PlaceBeside(const QRect& main, const QSize& size, const QRect& screen) {
    const int right = screen.x() + screen.width(); // past the screen's last column
    const int bottom = screen.y() + screen.height();
    int x = main.x() + main.width();
    if (x + size.width() > right) x = right - size.width();
    x = std::max(screen.x(), x);
    const int y = std::max(screen.y(), std::min(main.y(), bottom - size.height()));
    return {x, y};
}

void TGraphWindow::ShowBeside(const QWidget& main) {
    // Before it is shown the window has no frame of its own: it gets the
    // main window's.
    const QRect frame = main.frameGeometry();
    const QSize size = this->size() + frame.size() - main.geometry().size();
    if (const QScreen* screen = main.screen())
        move(PlaceBeside(frame, size, screen->availableGeometry()));
    show();
}

void TGraphWindow::Clip1Click() {
    PlotGraph1->CopyToClipboard();
}

void TGraphWindow::Print1Click() {
    PlotGraph1->Print();
}

void TGraphWindow::Bitmap1Click() {
    const QString name = ChooseFileName(this, kBitmapFileDialog);
    if (!name.isEmpty()) PlotGraph1->SaveBitmap(name);
}

void TGraphWindow::SavePicture1Click() {
    SavePicture(this, *PlotGraph1);
}

void TGraphWindow::ExportData1Click() {
    if (!ExportData1->isEnabled()) return;
    const QString name = ChooseFileName(this, kCsvFileDialog);
    if (!name.isEmpty()) WriteFileAtomically(name.toStdString(), DataCsv());
}
