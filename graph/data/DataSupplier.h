#pragma once

#include "Exception.h"

#include <QString>

#include <memory>

// Kinds of data source a series can load from (its DataSource field).
enum TDataSourceKind : int {
    ds_None = 0,
    ds_TextFile = 1,
    ds_DataSourceComponent = 2,
    ds_Table = 3,
    ds_Query = 4,
    ds_Holder = 5
};

// A source that cannot be read as asked (a text file beyond what is loaded).
// A source that simply is not there is no error: there is no supplier.
class EDataSupplierError : public Exception {
    using Exception::Exception;
};

// Row-by-row access to a table of rows and columns: a text file, the lines of
// a TPlotHolder, or a database table, query or data-source component.
// Columns are numbered from 0. A new supplier stands on its first row.
class TDataSupplier {
public:
    virtual ~TDataSupplier() = default;

    // The current row is past the last row.
    virtual bool AtEnd() const = 0;
    // Moves to the next row; returns AtEnd.
    virtual bool NextRow() = 0;
    // The current row's cell as a number (or as a date serial number when
    // asDate is set and the source has dates as text); false when the cell is
    // empty, missing or does not convert.
    virtual bool ReadValue(int column, double& value, bool asDate) = 0;
    // The current row's cell as text; false (and empty text) when the row has
    // no such cell.
    virtual bool ReadText(int column, QString& text) = 0;
    // Number of rows; -1 when it cannot be told.
    virtual int RowCount() = 0;
    virtual int ColumnCount() const = 0;
    virtual QString ColumnName(int column) const = 0;
    // The column of a name of the form "(col " + number + ")", or of a
    // column's name; -1 when there is none.
    virtual int ColumnIndex(const QString& name) const = 0;
    // Moves on by count rows, stopping at the end; nothing for count <= 0.
    virtual void MoveBy(long long count);
};

// For a name of the form "(col " + number + ")" (letter case ignored) sets
// number (-1 when the number is not a column number) and returns true; false
// for any other name.
bool ColumnNumberOfName(const QString& name, int& number);

// The supplier for a series' source, or none when the source is missing or
// cannot be opened. `width` is the column width of fixed-width text rows.
// Throws EDataSupplierError for a text file too large to load.
std::unique_ptr<TDataSupplier> MakeDataSupplier(int kind, const QString& info, bool fixedWidth,
                                                const QString& markers, const QString& separators,
                                                int width);
