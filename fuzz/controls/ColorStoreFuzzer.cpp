// The colour picker's readers of stored text: the custom-colours value and a
// colour grid's stored form (sizes first, then the list). Neither may crash,
// and a refused list must leave the grid as it was.
#include "ColorArray.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString text =
        QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    TColorArrayClass custom(8, 2);
    ParseCustomColors(text, custom);
    TColorArrayClass back(8, 2);
    ParseCustomColors(FormatCustomColors(custom), back);
    if (!back.IsEqual(&custom)) std::abort();

    // The same bytes as a stored grid: two sizes, then the list.
    const QStringList fields = text.split(QLatin1Char(','));
    TColorArrayClass grid(4, 5);
    try {
        grid.SetXSize(fields.value(0).toInt());
        grid.SetYSize(fields.value(1).toInt());
        QList<int> list;
        for (qsizetype i = 2; i < fields.size(); ++i)
            list.push_back(fields[i].toInt());
        const QList<int> before = grid.ColorList();
        try {
            grid.SetColorList(list);
        } catch (const EColorArrayIndexError&) {
            if (grid.ColorList() != before) std::abort();
        }
    } catch (const EColorArrayIndexError&) {
    }
    return 0;
}
