#include "TableText.h"

#include <QStringList>
#include <QTableWidget>

QString TabSeparatedText(const QTableWidget& table) {
    QStringList lines;
    QStringList cells;
    for (int col = 0; col < table.columnCount(); ++col)
        cells << table.horizontalHeaderItem(col)->text();
    lines << cells.join(QLatin1Char('\t'));
    for (int row = 0; row < table.rowCount(); ++row) {
        cells.clear();
        for (int col = 0; col < table.columnCount(); ++col)
            cells << table.item(row, col)->text();
        lines << cells.join(QLatin1Char('\t'));
    }
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}
