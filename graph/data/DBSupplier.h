#pragma once

#include "DataSupplier.h"

#include <QSqlQuery>
#include <QSqlRecord>

#include <memory>

// Rows of a database table or query (SQLite through Qt SQL), or of the open
// query of a data-source component. Tables and queries are opened read-only
// on their own connection, which the supplier closes with itself.
class TDBSupplier : public TDataSupplier {
public:
    // A table (or a query, whose text is `source`) of the SQLite database
    // file `database`; none when the file does not exist or the table or
    // query cannot be opened.
    static std::unique_ptr<TDBSupplier> Open(const QString& database, const QString& source,
                                             bool isTable);
    // Borrows an open query, moved to its first row; none when it is not
    // open. The query must outlive the supplier.
    static std::unique_ptr<TDBSupplier> FromDataSet(QSqlQuery& dataSet);
    ~TDBSupplier() override;
    TDBSupplier(const TDBSupplier&) = delete;
    TDBSupplier& operator=(const TDBSupplier&) = delete;

    bool AtEnd() const override { return !query_->isValid(); }
    bool NextRow() override;
    // The as-date flag has no effect: the database has the value's type.
    bool ReadValue(int column, double& value, bool asDate) override;
    bool ReadText(int column, QString& text) override;
    int RowCount() override;
    int ColumnCount() const override { return record_.count(); }
    QString ColumnName(int column) const override { return record_.fieldName(column); }
    // A "(col n)" name, or the last field of that exact name.
    int ColumnIndex(const QString& name) const override;

private:
    TDBSupplier() = default;

    QString connection_; // own connection, empty for a borrowed query
    QString countText_;  // counts the rows of an own table or query
    std::unique_ptr<QSqlQuery> owned_;
    QSqlQuery* query_ = nullptr; // owned_ or a borrowed query
    QSqlRecord record_;
    int rowCount_ = -2; // not yet asked
};
