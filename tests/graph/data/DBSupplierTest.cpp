#include "DBSupplier.h"
#include "DataSource.h"

#include <QCoreApplication>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace {

// An SQLite file with the table "points" (x, y, name) holding three rows.
class SQLiteFile : public testing::Test {
protected:
    void SetUp() override {
        path = dir.filePath("data.db");
        {
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "maker");
            db.setDatabaseName(path);
            ASSERT_TRUE(db.open());
            QSqlQuery q(db);
            ASSERT_TRUE(q.exec("CREATE TABLE points (x REAL, y REAL, name TEXT)"));
            ASSERT_TRUE(q.exec("INSERT INTO points VALUES (1, 10, 'one'), (2, NULL, 'two'), "
                               "(3, 30, 'three')"));
        }
        QSqlDatabase::removeDatabase("maker");
    }
    QTemporaryDir dir;
    QString path;
};

TEST_F(SQLiteFile, TableRowsByColumnNumberAndName) {
    auto s = TDBSupplier::Open(path, "points", true);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->ColumnCount(), 3);
    EXPECT_EQ(s->ColumnName(2), "name");
    EXPECT_EQ(s->ColumnIndex("y"), 1);
    EXPECT_EQ(s->ColumnIndex("Y"), -1); // names match exactly
    EXPECT_EQ(s->ColumnIndex("(col 2)"), 2);
    EXPECT_EQ(s->RowCount(), 3);

    double v = 0;
    QString text;
    EXPECT_TRUE(s->ReadValue(1, v, true));
    EXPECT_EQ(v, 10);
    EXPECT_TRUE(s->ReadText(2, text));
    EXPECT_EQ(text, "one");
    EXPECT_FALSE(s->ReadValue(2, v, false)); // "one" is no number
    EXPECT_FALSE(s->NextRow());
    EXPECT_FALSE(s->ReadValue(1, v, false)); // NULL
    EXPECT_FALSE(s->ReadValue(5, v, false));
    s->NextRow();
    EXPECT_TRUE(s->NextRow());
    EXPECT_TRUE(s->AtEnd());
    EXPECT_FALSE(s->ReadText(0, text));
}

TEST_F(SQLiteFile, QueryWithRepeatedNamesTakesTheLastField) {
    auto s = TDBSupplier::Open(path, "SELECT x AS a, y AS a FROM points WHERE x > 1;", false);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->ColumnIndex("a"), 1);
    EXPECT_EQ(s->RowCount(), 2);
    double v = 0;
    s->NextRow();
    EXPECT_TRUE(s->ReadValue(0, v, false));
    EXPECT_EQ(v, 3);
}

TEST_F(SQLiteFile, NothingToOpenGivesNoSupplierAndChangesNothing) {
    EXPECT_EQ(TDBSupplier::Open(path, "nosuchtable", true), nullptr);
    EXPECT_EQ(TDBSupplier::Open(path, "SELEKT 1", false), nullptr);
    const QString missing = dir.filePath("missing.db");
    EXPECT_EQ(TDBSupplier::Open(missing, "points", true), nullptr);
    EXPECT_FALSE(QFile::exists(missing)); // not created by the attempt
    // The database is opened read-only: a query text cannot change it.
    EXPECT_EQ(TDBSupplier::Open(path, "DELETE FROM points", false), nullptr);
    auto s = TDBSupplier::Open(path, "points", true);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->RowCount(), 3);
    // No connection is left behind.
    s.reset();
    EXPECT_TRUE(QSqlDatabase::connectionNames().isEmpty());
}

TEST_F(SQLiteFile, MadeFromTheSourceText) {
    EXPECT_NE(MakeDataSupplier(ds_Table, path + ":points", false, "", "\t", 10), nullptr);
    EXPECT_NE(MakeDataSupplier(ds_Query, path + ":SELECT y FROM points", false, "", "\t", 10),
              nullptr);
    EXPECT_EQ(MakeDataSupplier(ds_Table, path, false, "", "\t", 10), nullptr);
    EXPECT_EQ(MakeDataSupplier(ds_Table, ":points", false, "", "\t", 10), nullptr);
}

TEST_F(SQLiteFile, DataSourceComponentFoundByNameWhenItsQueryIsOpen) {
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "module");
        db.setDatabaseName(path);
        ASSERT_TRUE(db.open());
        // A data module: a non-visual object owned by the application.
        auto module = std::make_unique<QObject>(QCoreApplication::instance());
        QSqlQuery query(db);
        ASSERT_TRUE(query.exec("SELECT x, y FROM points"));
        auto* source = new TDataSource("Readings", std::move(query), module.get());
        new TDataSource("Closed", QSqlQuery(db), module.get());

        EXPECT_EQ(MakeDataSupplier(ds_DataSourceComponent, "readings", false, "", "\t", 10),
                  nullptr); // letter case counts
        EXPECT_EQ(MakeDataSupplier(ds_DataSourceComponent, "Closed", false, "", "\t", 10), nullptr);
        auto s = MakeDataSupplier(ds_DataSourceComponent, "Readings", false, "", "\t", 10);
        ASSERT_NE(s, nullptr);
        double v = 0;
        EXPECT_TRUE(s->ReadValue(0, v, false));
        EXPECT_EQ(v, 1);
        EXPECT_EQ(s->RowCount(), 3);
        s->NextRow();
        EXPECT_TRUE(s->ReadValue(0, v, false));
        EXPECT_EQ(v, 2);
        EXPECT_EQ(source->DataSet().at(), 1); // the component's own query moved
        s.reset();
        module.reset();
    }
    QSqlDatabase::removeDatabase("module");
}

} // namespace
