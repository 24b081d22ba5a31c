#include "LoadFromSource.h"

#include "DataSeries.h"
#include "DataSupplier.h"
#include "Series.h"

#include <QPointer>

#include <algorithm>
#include <cmath>

namespace {

enum TRowChoice : int {
    rc_Every = 0,
    rc_FromX = 1,
    rc_UntilX = 2,
    rc_BetweenX = 3,
    rc_FirstRows = 4,
    rc_LastRows = 5
};

std::unique_ptr<TDataSupplier> SupplierOf(const TDataSourceSettings& s) {
    if (s.DataSource == 0) return nullptr;
    return MakeDataSupplier(s.DataSource, s.DatasourceInfo, s.DivideTextByWidth, s.TextMarkers,
                            s.TextSeparators, s.ColumnWidth);
}

} // namespace

bool LoadFromSupplier(TDataSeries& series, TDataSupplier& supplier, const TDataSourceSettings& s,
                      const std::function<bool()>& alive) {
    const int xcol = supplier.ColumnIndex(s.XDataColumn);
    const int ycol = supplier.ColumnIndex(s.YDataColumn);
    if (xcol == -1 || ycol == -1) return true;
    const bool xDate = s.XFormat != 0, yDate = s.YFormat != 0;
    const long long headers = std::max(s.FileHasHeaders, 0);
    // A row is taken, then RowSamplingFrequency - 1 are passed over; a
    // frequency below 1 takes every row.
    const long long sampling = std::max(s.RowSamplingFrequency, 1);
    const int mode = s.RowChoiceMode;

    series.Clear();
    if (mode == rc_LastRows) {
        // The last trunc(RowChoiceValue1) rows after the headers: the start is
        // that many rows back from the end, but never inside the headers.
        const double back = std::trunc(s.RowChoiceValue1);
        const double start = static_cast<double>(supplier.RowCount()) - back;
        if (start > static_cast<double>(headers))
            supplier.MoveBy(static_cast<long long>(start) - headers);
    }
    supplier.MoveBy(headers);

    double x = 0, y = 0;
    if (mode == rc_FromX || mode == rc_BetweenX) {
        // The first row after the start row with a readable x >= RowChoiceValue1;
        // none at all leaves the series empty.
        do {
            if (supplier.NextRow()) return true;
        } while (!(supplier.ReadValue(xcol, x, xDate) && x >= s.RowChoiceValue1));
    }

    const bool stopAtX = mode == rc_UntilX || mode == rc_BetweenX;
    double counted = 0;
    for (;;) {
        const bool usable =
            supplier.ReadValue(xcol, x, xDate) && supplier.ReadValue(ycol, y, yDate);
        counted += static_cast<double>(sampling);
        supplier.MoveBy(sampling - 1);
        const bool stopRow = stopAtX && usable && x > s.RowChoiceValue2;
        if (usable && !stopRow) {
            series.AddPoint(x, y);
            if (!alive()) return false;
        }
        if (stopRow || supplier.AtEnd() || (mode == rc_FirstRows && counted > s.RowChoiceValue1))
            break;
        supplier.NextRow();
    }
    return true;
}

void LoadFromSource(TDataSeries& series) {
    const TDataSourceSettings settings = series.Source;
    const std::unique_ptr<TDataSupplier> supplier = SupplierOf(settings);
    if (!supplier) return;
    LoadFromSupplier(series, *supplier, settings, [] { return true; });
}

void LoadFromSource(TSeries& series) {
    const TDataSourceSettings settings = series.Source;
    const std::unique_ptr<TDataSupplier> supplier = SupplierOf(settings);
    if (!supplier) return;
    // Held during the refill so that the graph repaints once, afterwards; a
    // series held before stays held.
    const QPointer<TSeries> self(&series);
    const bool wasHeld = series.Hold();
    series.SetHold(true);
    try {
        LoadFromSupplier(series, *supplier, settings, [&] { return !self.isNull(); });
    } catch (...) {
        if (self) series.SetHold(wasHeld);
        throw;
    }
    if (self) series.SetHold(wasHeld);
}
