#pragma once

#include <QObject>
#include <QSqlQuery>

// A named data-source component: it makes the query it holds (normally open)
// available by its object name to series whose source kind is a data-source
// component. A series reading the data set moves this query's position.
class TDataSource : public QObject {
    Q_OBJECT

public:
    explicit TDataSource(QObject* parent = nullptr);
    TDataSource(const QString& name, QSqlQuery&& dataSet, QObject* parent = nullptr);

    QSqlQuery& DataSet() { return dataSet_; }
    void SetDataSet(QSqlQuery&& dataSet) { dataSet_ = std::move(dataSet); }

private:
    QSqlQuery dataSet_;
};
