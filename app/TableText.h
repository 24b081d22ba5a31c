#pragma once

#include <QString>

class QTableWidget;

// A table as the clipboard gets it from the program's lists: the header,
// then one line per row, cells parted by tabs, each line ended.
QString TabSeparatedText(const QTableWidget& table);
