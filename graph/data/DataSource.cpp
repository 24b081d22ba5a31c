#include "DataSource.h"

TDataSource::TDataSource(QObject* parent) : QObject(parent) {}

TDataSource::TDataSource(const QString& name, QSqlQuery&& dataSet, QObject* parent)
    : QObject(parent), dataSet_(std::move(dataSet)) {
    setObjectName(name);
}
