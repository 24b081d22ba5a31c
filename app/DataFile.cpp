#include "DataFile.h"

#include "Exception.h"
#include "IniFile.h"
#include "TxtSupplier.h"

#include <QFile>
#include <QLocale>
#include <QRegularExpression>

#include <algorithm>
#include <filesystem>

namespace {

// The first line that is not blank, which names the columns.
QStringView HeaderLine(const QString& text) {
    for (const QStringView line : QStringView(text).tokenize(u'\n'))
        if (!line.trimmed().isEmpty()) return line;
    return {};
}

TTextRowFormat FormatOfHeader(QStringView header) {
    TTextRowFormat format;
    format.Markers.clear();
    for (const QChar quote : {QChar('"'), QChar('\'')})
        if (header.contains(quote)) format.Markers.append(quote);
    if (header.contains(QChar(',')))
        format.Separators = QStringLiteral(",");
    else if (header.contains(QChar('\t')) && !header.contains(QChar(' ')))
        format.Separators = QStringLiteral("\t");
    else
        format.Separators = QStringLiteral(" ");
    return format;
}

// The user's decimal separator stands for "." when the data use it and never
// ".": a table typed where numbers are written "1,5".
void TakeLocaleDecimals(std::vector<TDataRow>& rows, const QString& separators) {
    const QString decimal = QLocale().decimalPoint();
    if (decimal == QStringLiteral(".") || decimal.size() != 1 || separators.contains(decimal))
        return;
    const char mark = decimal.at(0).toLatin1();
    if (mark == 0) return;
    bool usesMark = false;
    for (const TDataRow& row : rows)
        for (const std::string& cell : row.cells) {
            if (cell.find('.') != std::string::npos) return;
            usesMark = usesMark || cell.find(mark) != std::string::npos;
        }
    if (!usesMark) return;
    for (TDataRow& row : rows)
        for (std::string& cell : row.cells)
            std::replace(cell.begin(), cell.end(), mark, '.');
}

} // namespace

TDataFile TDataFile::Read(const std::string& fileName) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(fileName, ec))
        throw Exception(FormatMessage("Data file '%s' does not exist", {fileName}));
    QFile file(QString::fromStdString(fileName));
    if (std::filesystem::file_size(fileName, ec) > IniFile::kMaxFileSize || ec ||
        !file.open(QIODevice::ReadOnly))
        throw Exception(FormatMessage("Data file '%s' cannot be read", {fileName}));
    const QByteArray bytes = file.read(qint64(IniFile::kMaxFileSize) + 1);
    if (bytes.size() > qsizetype(IniFile::kMaxFileSize))
        throw Exception(FormatMessage("Data file '%s' cannot be read", {fileName}));
    return FromText(QString::fromUtf8(bytes), fileName);
}

TDataFile TDataFile::FromText(QString text, const std::string& name) {
    if (text.startsWith(QChar(0xFEFF))) text.remove(0, 1);
    const TTextRowFormat format = FormatOfHeader(HeaderLine(text));
    if (format.Separators == QStringLiteral(" ")) {
        // Runs of blanks make one separator, and blanks around a line none.
        static const QRegularExpression edges(QStringLiteral("^[ \\t]+|[ \\t]+$"),
                                              QRegularExpression::MultilineOption);
        static const QRegularExpression runs(QStringLiteral("[ \\t]+"));
        text.remove(edges);
        text.replace(runs, QStringLiteral(" "));
    }

    TDataFile table;
    table.name_ = name;
    TTxtSupplier supplier(std::move(text), format);
    QString cell;
    for (int line = 1; !supplier.AtEnd(); supplier.NextRow(), ++line) {
        TDataRow row{line, {}};
        for (int column = 0; supplier.ReadText(column, cell); ++column)
            row.cells.push_back(cell.toStdString());
        if (table.header_.empty()) {
            if (std::any_of(row.cells.begin(), row.cells.end(),
                            [](const std::string& c) { return !c.empty(); }))
                table.header_ = std::move(row.cells);
            continue;
        }
        table.rows_.push_back(std::move(row));
    }
    TakeLocaleDecimals(table.rows_, format.Separators);
    return table;
}

TObservedData TDataFile::Data(const TDataColumns& columns) const {
    return ObservedDataFromTable(header_, rows_, name_, columns);
}
