#include "DBSupplier.h"

#include <QAtomicInteger>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlRecord>

namespace {

QString NewConnectionName() {
    static QAtomicInteger<quint64> next = 0;
    return QStringLiteral("tarnivell-supplier-%1").arg(++next);
}

} // namespace

std::unique_ptr<TDBSupplier> TDBSupplier::Open(const QString& database, const QString& source,
                                               bool isTable) {
    // Opening an SQLite database that is not there would create it.
    if (!QFileInfo(database).isFile() || !QSqlDatabase::isDriverAvailable("QSQLITE"))
        return nullptr;
    std::unique_ptr<TDBSupplier> supplier(new TDBSupplier);
    supplier->connection_ = NewConnectionName();
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), supplier->connection_);
    db.setDatabaseName(database);
    // Read-only: a query text can read the rows but never change the file.
    db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
    if (!db.open()) return nullptr;

    QString select = source;
    if (isTable) {
        select = QStringLiteral("SELECT * FROM ") +
                 db.driver()->escapeIdentifier(source, QSqlDriver::TableName);
    } else {
        select = select.trimmed();
        while (select.endsWith(QLatin1Char(';')))
            select.chop(1);
    }
    supplier->countText_ = QStringLiteral("SELECT COUNT(*) FROM (") + select + QLatin1Char(')');
    supplier->owned_ = std::make_unique<QSqlQuery>(db);
    QSqlQuery& query = *supplier->owned_;
    supplier->query_ = &query;
    query.setForwardOnly(true); // rows are walked once: no cache of them all
    if (!query.exec(select) || !query.isSelect()) return nullptr;
    supplier->record_ = query.record();
    query.next();
    return supplier;
}

std::unique_ptr<TDBSupplier> TDBSupplier::FromDataSet(QSqlQuery& dataSet) {
    if (!dataSet.isActive() || !dataSet.isSelect()) return nullptr;
    std::unique_ptr<TDBSupplier> supplier(new TDBSupplier);
    supplier->query_ = &dataSet;
    supplier->record_ = dataSet.record();
    if (dataSet.at() != 0) dataSet.first();
    return supplier;
}

TDBSupplier::~TDBSupplier() {
    if (connection_.isEmpty()) return;
    // The query must be gone before its connection is removed.
    owned_.reset();
    QSqlDatabase::database(connection_, false).close();
    QSqlDatabase::removeDatabase(connection_);
}

bool TDBSupplier::NextRow() {
    query_->next();
    return AtEnd();
}

bool TDBSupplier::ReadValue(int column, double& value, bool) {
    if (AtEnd() || column < 0 || column >= record_.count()) return false;
    const QVariant cell = query_->value(column);
    if (cell.isNull()) return false;
    bool ok = false;
    const double v = cell.toDouble(&ok);
    if (!ok) return false;
    value = v;
    return true;
}

bool TDBSupplier::ReadText(int column, QString& text) {
    text.clear();
    if (AtEnd() || column < 0 || column >= record_.count()) return false;
    text = query_->value(column).toString();
    return true;
}

int TDBSupplier::RowCount() {
    if (rowCount_ != -2) return rowCount_;
    rowCount_ = query_->size();
    if (rowCount_ >= 0) return rowCount_;
    if (!connection_.isEmpty()) {
        // SQLite cannot tell the size of a result without walking it; a
        // second query counts the rows where the walk stands still.
        QSqlQuery count(QSqlDatabase::database(connection_, false));
        if (count.exec(countText_) && count.next()) rowCount_ = count.value(0).toInt();
    } else if (!query_->isForwardOnly()) {
        const int at = query_->at();
        if (query_->last()) rowCount_ = query_->at() + 1;
        if (at >= 0) {
            query_->seek(at);
        } else {
            query_->next(); // it stood past the end, as the walk to the last row left it
        }
    }
    return rowCount_;
}

int TDBSupplier::ColumnIndex(const QString& name) const {
    int number = -1;
    if (ColumnNumberOfName(name, number)) return number;
    for (int i = record_.count() - 1; i >= 0; --i)
        if (record_.fieldName(i) == name) return i;
    return -1;
}
