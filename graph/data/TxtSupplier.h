#pragma once

#include "DataSupplier.h"

#include <QString>
#include <QStringList>
#include <QStringView>

#include <memory>
#include <vector>

// How the text rows of a source are cut into fields.
struct TTextRowFormat {
    QString Separators = QStringLiteral("\t"); // every character ends a field
    QString Markers = QStringLiteral("'\"");   // every character is a quote character
    bool FixedWidth = false;                   // cut into columns of Width characters instead
    int Width = 10;
};

// Field `index` of a row (from 0). A field that starts with a quote character
// runs to the same quote character that is not doubled; in it a doubled quote
// character stands for itself and separators are plain text. Returns false
// (and an empty field) when the row has no such field. `scratch` holds the
// text of a quoted field; `field` may point into it or into the row.
bool TextField(QStringView row, int index, const TTextRowFormat& format, QString& scratch,
               QStringView& field);
// The number of fields of a row, counting no further than limit.
int TextFieldCount(QStringView row, const TTextRowFormat& format, int limit);

// A date and time in the usual text forms (ISO 8601, the locale's short and
// long forms) as a date serial number.
bool TryTextToDateTime(QStringView text, double& value);

// Rows of text: the lines of a file, or the lines of a TPlotHolder.
// Columns are named from the first row (see BuildColumnNames).
class TTxtSupplier : public TDataSupplier {
public:
    // The lines of the file, or none when it does not exist or cannot be
    // read. Throws EDataSupplierError for a file beyond kMaxTextFileBytes or
    // kMaxTextLines.
    static std::unique_ptr<TTxtSupplier> FromFile(const QString& fileName,
                                                  const TTextRowFormat& format);
    // The lines of a text; a final line break ends the last line.
    TTxtSupplier(QString text, const TTextRowFormat& format);
    // Lines as they are (a holder's lines; the list is shared, not copied).
    TTxtSupplier(QStringList lines, const TTextRowFormat& format);
    // The rows point into the supplier's own text.
    TTxtSupplier(const TTxtSupplier&) = delete;
    TTxtSupplier& operator=(const TTxtSupplier&) = delete;

    bool AtEnd() const override { return row_ >= static_cast<qsizetype>(rows_.size()); }
    bool NextRow() override;
    bool ReadValue(int column, double& value, bool asDate) override;
    bool ReadText(int column, QString& text) override;
    int RowCount() override { return static_cast<int>(rows_.size()); }
    int ColumnCount() const override { return static_cast<int>(columnNames_.size()); }
    QString ColumnName(int column) const override { return columnNames_.value(column); }
    int ColumnIndex(const QString& name) const override;
    void MoveBy(long long count) override;

    static constexpr qint64 kMaxTextFileBytes = qint64{128} << 20;
    static constexpr qsizetype kMaxTextLines = qsizetype{16} << 20;
    // Rows and fields looked at to name the columns.
    static constexpr int kNamingRows = 40;
    static constexpr int kMaxNamedColumns = 1000;

private:
    void SplitLines();
    void BuildColumnNames();
    void SetRow(qsizetype row);
    bool Field(int column, QStringView& field);

    TTextRowFormat format_;
    QString text_;      // a file's text, the rows point into it
    QStringList lines_; // or a holder's lines
    std::vector<QStringView> rows_;
    QStringList columnNames_;
    qsizetype row_ = 0;
    QStringView current_;
    QString scratch_;
};
