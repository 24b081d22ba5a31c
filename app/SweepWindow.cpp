#include "SweepWindow.h"

#include "Appearance.h"
#include "Exception.h"
#include "FloatText.h"
#include "Legend.h"
#include "PlotGraph.h"
#include "Series.h"
#include "SweepCsv.h"

#include <QEventLoop>
#include <QProgressDialog>
#include <QStatusBar>
#include <QTimer>

#include <algorithm>
#include <exception>
#include <thread>

namespace {

bool IsUnsettled(const TSweepRow& row) {
    return row.state == TSweepRowState::Done && !row.converged;
}

} // namespace

std::optional<TSweepResult> RunSweepWithProgress(QWidget* parent, const TSweepOptions& options,
                                                 const TSweepFactory& factory) {
    TSweepControl control;
    std::atomic<bool> done{false};
    TSweepResult result;
    std::exception_ptr fault;
    std::thread worker([&] {
        try {
            result = RunSweep(options, factory, &control);
        } catch (...) {
            fault = std::current_exception();
        }
        done = true;
    });

    QProgressDialog progress(QStringLiteral("Running the sweep\u2026"), QStringLiteral("Cancel"), 0,
                             options.count, parent);
    progress.setObjectName(QStringLiteral("SweepProgress"));
    progress.setWindowTitle(QStringLiteral("Sweep"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setAutoReset(false);
    progress.setAutoClose(false);
    progress.setMinimumDuration(0);
    // The workers are asked, not waited on: the windows keep answering until
    // the last run has ended, within a few thousand steps of a cancel.
    QEventLoop loop;
    QTimer poll;
    poll.setInterval(40);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (done) return loop.quit();
        if (progress.wasCanceled())
            control.cancel = true;
        else
            progress.setValue(control.finished);
    });
    poll.start();
    progress.show();
    loop.exec();
    worker.join();
    progress.hide();

    if (fault) std::rethrow_exception(fault);
    if (!result.error.empty()) throw Exception(result.error);
    if (control.cancel) return std::nullopt;
    return result;
}

TSweepWindow::TSweepWindow(const std::string& name, const TSweepResult& result, TColor n1Color,
                           TColor n2Color, QWidget* parent)
    : TGraphWindow(
          QStringLiteral("Sweep"), QStringLiteral("Sweep of ") + QString::fromStdString(name),
          {560, 420}, QString::fromStdString(name), QStringLiteral("Density"),
          QStringLiteral("Minima and maxima of N1 and N2 against ") + QString::fromStdString(name),
          parent),
      name_(name), result_(result) {
    const QString param = QString::fromStdString(name);
    TLegend& legend = PlotGraph1->Legend();
    // Top left in the plot, where an orbit diagram seldom has points.
    legend.SetLayout(TLegend::lsDown);
    legend.setLeft(60);
    legend.setTop(30);
    legend.setWidth(100);
    legend.setHeight(76);
    legend.setBorderStyle(1);
    legend.setVisible(true);

    // Minima filled, maxima open, in the colours of the main window's curves;
    // runs that did not settle as open grey symbols of their own, circles
    // for N1 and squares for N2.
    const bool unsettled = std::any_of(result.rows.begin(), result.rows.end(), IsUnsettled);
    const struct {
        const char* name;
        TColor color;
        bool filled;
        TPointShape shape;
        double TSweepRow::*low;
        double TSweepRow::*high; // drawn too, for the grey ones
    } series[6] = {
        {"N1 min", n1Color, true, sh_Circle, &TSweepRow::n1Min, nullptr},
        {"N1 max", n1Color, false, sh_Circle, &TSweepRow::n1Max, nullptr},
        {"N2 min", n2Color, true, sh_Square, &TSweepRow::n2Min, nullptr},
        {"N2 max", n2Color, false, sh_Square, &TSweepRow::n2Max, nullptr},
        {"N1 unsettled", clGray, false, sh_Circle, &TSweepRow::n1Min, &TSweepRow::n1Max},
        {"N2 unsettled", clGray, false, sh_Square, &TSweepRow::n2Min, &TSweepRow::n2Max}};
    for (int i = 0; i < (unsettled ? 6 : 4); ++i) {
        const bool grey = i >= 4;
        TSeries& s = PlotGraph1->GetSeries(i + 1);
        s.SetPointLimit(0);
        s.SetDuplicatesAllowed(grey); // a grey row's minimum and maximum share their x
        s.SetSeriesName(QLatin1String(series[i].name));
        s.SetShowLine(false);
        s.SetShowPoints(true);
        s.SetFillPoints(series[i].filled);
        s.SetPointShape(series[i].shape);
        s.SetPointSize(4);
        s.SetLineColor(series[i].color);
        s.SetPointColor(series[i].color);
        s.SetShowInLegend(le_NameSymbol);
        for (const TSweepRow& row : result.rows) {
            if (row.state != TSweepRowState::Done || IsUnsettled(row) != grey) continue;
            s.AddPoint(row.value, row.*series[i].low);
            if (grey) s.AddPoint(row.value, row.*series[i].high);
        }
    }
    if (unsettled) legend.setHeight(108);
    int faults = 0;
    const TSweepRow* firstFault = nullptr;
    for (const TSweepRow& row : result.rows) {
        if (row.state != TSweepRowState::Faulted) continue;
        if (!firstFault) firstFault = &row;
        ++faults;
    }
    PlotGraph1->SetPlotting(true);

    QStringList status;
    if (const auto count = std::count_if(result.rows.begin(), result.rows.end(), IsUnsettled))
        status << QStringLiteral("%1 of %2 runs did not settle within their steps (grey)")
                      .arg(count)
                      .arg(result.rows.size());
    if (firstFault)
        status << QStringLiteral("%1 of %2 runs failed; the first at %3 = %4: %5")
                      .arg(faults)
                      .arg(result.rows.size())
                      .arg(param, QString::fromStdString(FloatToText(firstFault->value)),
                           QString::fromStdString(firstFault->message));
    if (!status.isEmpty()) statusBar()->showMessage(status.join(QStringLiteral("; ")));
}

std::string TSweepWindow::DataCsv() const {
    return SweepCsv(result_, name_);
}
