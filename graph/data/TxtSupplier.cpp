#include "TxtSupplier.h"

#include "DateSerial.h"
#include "FloatText.h"

#include <QDateTime>
#include <QFile>
#include <QLocale>

#include <algorithm>

namespace {

struct FieldWalk {
    QStringView row;
    const TTextRowFormat& format;
    qsizetype pos = 0;

    bool IsSeparator(QChar c) const { return format.Separators.contains(c); }
    bool IsMarker(QChar c) const { return format.Markers.contains(c); }

    // Passes over the field at pos and leaves pos on the separator that ends
    // it (or at the row's end). With `text`, collects the field's text.
    void PassField(QString* text, QStringView* plain) {
        const qsizetype n = row.size();
        if (pos < n && IsMarker(row[pos])) {
            const QChar quote = row[pos++];
            if (text) text->clear();
            for (;;) {
                if (pos >= n) {
                    // The row ends inside the quotes: a last separator or quote
                    // character closes the field rather than belonging to it.
                    if (text && !text->isEmpty() &&
                        (IsSeparator(row[n - 1]) || IsMarker(row[n - 1])))
                        text->chop(1);
                    break;
                }
                const QChar c = row[pos];
                if (c == quote) {
                    if (pos + 1 < n && row[pos + 1] == quote) {
                        if (text) text->append(quote);
                        pos += 2;
                        continue;
                    }
                    ++pos;
                    while (pos < n && !IsSeparator(row[pos]))
                        ++pos; // text between the closing quote and the separator is dropped
                    break;
                }
                if (text) text->append(c);
                ++pos;
            }
            if (plain && text) *plain = *text;
            return;
        }
        const qsizetype start = pos;
        while (pos < n && !IsSeparator(row[pos]))
            ++pos;
        if (plain) *plain = row.mid(start, pos - start);
    }
};

qsizetype FixedColumns(QStringView row, int width) {
    return (row.size() - 1) / width + 1;
}

} // namespace

bool TextField(QStringView row, int index, const TTextRowFormat& format, QString& scratch,
               QStringView& field) {
    field = QStringView();
    if (index < 0) return false;
    if (format.FixedWidth) {
        if (format.Width <= 0 || index >= FixedColumns(row, format.Width)) return false;
        field = row.mid(qsizetype{index} * format.Width, format.Width);
        return true;
    }
    FieldWalk walk{row, format};
    for (int i = 0;; ++i) {
        if (i == index) {
            walk.PassField(&scratch, &field);
            return true;
        }
        walk.PassField(nullptr, nullptr);
        if (walk.pos >= row.size()) return false;
        ++walk.pos; // the separator
    }
}

int TextFieldCount(QStringView row, const TTextRowFormat& format, int limit) {
    if (format.FixedWidth) {
        if (format.Width <= 0) return 0;
        return static_cast<int>(std::min<qsizetype>(FixedColumns(row, format.Width), limit));
    }
    FieldWalk walk{row, format};
    int count = 0;
    while (count < limit) {
        ++count;
        walk.PassField(nullptr, nullptr);
        if (walk.pos >= row.size()) break;
        ++walk.pos;
    }
    return count;
}

bool TryTextToDateTime(QStringView text, double& value) {
    const QString t = text.trimmed().toString();
    if (t.isEmpty()) return false;
    const QLocale locale = QLocale::system();
    QDateTime at = QDateTime::fromString(t, Qt::ISODate);
    if (!at.isValid()) at = locale.toDateTime(t, QLocale::ShortFormat);
    if (!at.isValid()) at = locale.toDateTime(t, QLocale::LongFormat);
    if (!at.isValid()) {
        QDate day = QDate::fromString(t, Qt::ISODate);
        if (!day.isValid()) day = locale.toDate(t, QLocale::ShortFormat);
        if (!day.isValid()) day = locale.toDate(t, QLocale::LongFormat);
        if (day.isValid()) at = QDateTime(day, QTime(0, 0));
    }
    if (!at.isValid()) return false;
    try {
        const QDate d = at.date();
        const QTime tm = at.time();
        const double days = EncodeDate(d.year(), d.month(), d.day());
        const double time = EncodeTime(tm.hour(), tm.minute(), tm.second(), tm.msec());
        // Before day 0 the fraction still counts forward from midnight.
        value = days >= 0 ? days + time : days - time;
        return true;
    } catch (const Exception&) {
        return false; // outside the calendar of serial numbers
    }
}

std::unique_ptr<TTxtSupplier> TTxtSupplier::FromFile(const QString& fileName,
                                                     const TTextRowFormat& format) {
    QFile file(fileName);
    if (fileName.isEmpty() || !file.exists() || !file.open(QIODevice::ReadOnly)) return nullptr;
    if (file.size() > kMaxTextFileBytes)
        throw EDataSupplierError(
            FormatMessage("Data file %s is too large to load", {fileName.toStdString()}));
    // Read by chunks, never beyond the limit: a device may report no size.
    QByteArray bytes = file.read(kMaxTextFileBytes + 1);
    if (bytes.size() > kMaxTextFileBytes)
        throw EDataSupplierError(
            FormatMessage("Data file %s is too large to load", {fileName.toStdString()}));
    const qsizetype breaks = std::count(bytes.cbegin(), bytes.cend(), '\n') +
                             std::count(bytes.cbegin(), bytes.cend(), '\r');
    if (breaks > 2 * kMaxTextLines)
        throw EDataSupplierError(
            FormatMessage("Data file %s has too many lines to load", {fileName.toStdString()}));
    QString text = QString::fromUtf8(bytes);
    bytes = QByteArray();
    auto supplier = std::make_unique<TTxtSupplier>(std::move(text), format);
    if (supplier->rows_.size() > static_cast<std::size_t>(kMaxTextLines))
        throw EDataSupplierError(
            FormatMessage("Data file %s has too many lines to load", {fileName.toStdString()}));
    return supplier;
}

TTxtSupplier::TTxtSupplier(QString text, const TTextRowFormat& format)
    : format_(format), text_(std::move(text)) {
    SplitLines();
    BuildColumnNames();
}

TTxtSupplier::TTxtSupplier(QStringList lines, const TTextRowFormat& format)
    : format_(format), lines_(std::move(lines)) {
    rows_.reserve(lines_.size());
    for (const QString& line : std::as_const(lines_))
        rows_.emplace_back(line);
    BuildColumnNames();
}

// Lines end at a line feed, a carriage return or both together; a final
// line break does not start another line.
void TTxtSupplier::SplitLines() {
    const QChar* data = text_.constData();
    const qsizetype n = text_.size();
    qsizetype start = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = data[i].unicode();
        if (c != u'\n' && c != u'\r') continue;
        rows_.emplace_back(data + start, i - start);
        if (c == u'\r' && i + 1 < n && data[i + 1] == u'\n') ++i;
        start = i + 1;
    }
    if (start < n) rows_.emplace_back(data + start, n - start);
}

void TTxtSupplier::BuildColumnNames() {
    const qsizetype sample = std::min<qsizetype>(static_cast<qsizetype>(rows_.size()), kNamingRows);
    int columns = 0;
    for (qsizetype r = 0; r < sample; ++r)
        columns = std::max(columns, TextFieldCount(rows_[r], format_, kMaxNamedColumns));
    const QStringView first = rows_.empty() ? QStringView() : rows_.front();
    for (int i = 0; i < columns; ++i) {
        QStringView field;
        TextField(first, i, format_, scratch_, field);
        // Fixed-width columns are padded: the padding is no part of the name.
        QString name = (format_.FixedWidth ? field.trimmed() : field).toString();
        if (name.isEmpty() || (name >= QLatin1String("0") && name <= QLatin1String("9")))
            name = QStringLiteral("(col %1)").arg(i);
        columnNames_.append(name);
    }
    SetRow(0);
}

void TTxtSupplier::SetRow(qsizetype row) {
    row_ = std::min<qsizetype>(row, static_cast<qsizetype>(rows_.size()));
    current_ = AtEnd() ? QStringView() : rows_[row_];
}

bool TTxtSupplier::NextRow() {
    SetRow(row_ + 1);
    return AtEnd();
}

void TTxtSupplier::MoveBy(long long count) {
    if (count <= 0) return;
    const long long left = static_cast<long long>(rows_.size()) - row_;
    SetRow(row_ + static_cast<qsizetype>(std::min(count, std::max(left, 0LL))));
}

bool TTxtSupplier::Field(int column, QStringView& field) {
    return TextField(current_, column, format_, scratch_, field);
}

bool TTxtSupplier::ReadText(int column, QString& text) {
    QStringView field;
    const bool found = Field(column, field);
    text = field.toString();
    return found;
}

bool TTxtSupplier::ReadValue(int column, double& value, bool asDate) {
    QStringView field;
    if (!Field(column, field) || field.isEmpty()) return false;
    if (asDate) return TryTextToDateTime(field, value);
    // Numbers are short: convert them without a trip through the heap.
    char buffer[64];
    if (field.size() < static_cast<qsizetype>(sizeof buffer)) {
        qsizetype i = 0;
        for (; i < field.size(); ++i) {
            const char16_t c = field[i].unicode();
            if (c == 0 || c > 0x7f) break;
            buffer[i] = static_cast<char>(c);
        }
        if (i == field.size()) return TryTextToFloat(std::string(buffer, i), value);
    }
    return TryTextToFloat(field.toString().toStdString(), value);
}

int TTxtSupplier::ColumnIndex(const QString& name) const {
    int number = -1;
    if (ColumnNumberOfName(name, number)) return number;
    for (qsizetype i = 0; i < columnNames_.size(); ++i)
        if (columnNames_[i].compare(name, Qt::CaseInsensitive) == 0) return static_cast<int>(i);
    return -1;
}
