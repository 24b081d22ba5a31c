// Arbitrary bytes as the text rows of a data source: the first byte picks
// the splitting (separators, quote characters, fixed width), the rest are the
// rows. Every field is read as text, number and date, and the rows are
// loaded into a series with a row choice taken from the second byte.
#include "DataSeries.h"
#include "LoadFromSource.h"
#include "TxtSupplier.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const std::uint8_t mode = data[0], choice = data[1];
    TTextRowFormat format;
    format.Separators = (mode & 1) ? QStringLiteral("\t,;") : QStringLiteral("\t");
    format.Markers = (mode & 2) ? QStringLiteral("\"") : QStringLiteral("'\"");
    format.FixedWidth = (mode & 4) != 0;
    format.Width = (mode >> 3) % 12; // 0 included: no columns to cut
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data + 2),
                                           static_cast<qsizetype>(size - 2));

    TTxtSupplier rows(text, format);
    QString cell;
    double value = 0;
    for (int r = 0; !rows.AtEnd() && r < 200; ++r, rows.NextRow()) {
        for (int c = -1; c <= rows.ColumnCount() && c < 8; ++c) {
            rows.ReadText(c, cell);
            rows.ReadValue(c, value, false);
            rows.ReadValue(c, value, true);
        }
    }

    TTxtSupplier again(text, format);
    TDataSeries series;
    series.SetPointLimit(0);
    series.Source.RowChoiceMode = choice % 6;
    series.Source.RowChoiceValue1 = (choice >> 3) % 5;
    series.Source.RowChoiceValue2 = (choice >> 5) * 2.0;
    series.Source.RowSamplingFrequency = 1 + (choice >> 6);
    series.Source.FileHasHeaders = (mode >> 7);
    LoadFromSupplier(series, again, series.Source, [] { return true; });
    return 0;
}
