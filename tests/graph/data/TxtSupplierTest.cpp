#include "TxtSupplier.h"
#include "FloatText.h"
#include "GraphTestSupport.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <vector>

namespace {

TTextRowFormat Format(const QString& separators, const QString& markers = QStringLiteral("'\"")) {
    TTextRowFormat f;
    f.Separators = separators;
    f.Markers = markers;
    return f;
}

// Every field of a row, or "<none>" where the row has no such field.
std::vector<QString> Fields(const QString& row, const TTextRowFormat& f, int count) {
    std::vector<QString> out;
    QString scratch;
    for (int i = 0; i < count; ++i) {
        QStringView field;
        out.push_back(TextField(row, i, f, scratch, field) ? field.toString()
                                                           : QStringLiteral("<none>"));
    }
    return out;
}

using Strings = std::vector<QString>;

TEST(TextFields, SeparatorsEndFieldsAndTwoInARowEncloseAnEmptyOne) {
    EXPECT_EQ(Fields("a\t\tb", Format("\t"), 4), (Strings{"a", "", "b", "<none>"}));
    EXPECT_EQ(TextFieldCount(u"a\t\tb", Format("\t"), 1000), 3);
    // Every character of the set separates.
    EXPECT_EQ(Fields("1,2;3", Format(",;"), 3), (Strings{"1", "2", "3"}));
    EXPECT_EQ(Fields("", Format("\t"), 2), (Strings{"", "<none>"}));
    EXPECT_EQ(Fields("a,b,", Format(","), 3), (Strings{"a", "b", ""}));
}

TEST(TextFields, QuotedFieldsWithDoubledQuotesAndSeparatorsInside) {
    const TTextRowFormat f = Format(",", "\"");
    EXPECT_EQ(Fields(R"("x,""y""",next)", f, 2), (Strings{R"(x,"y")", "next"}));
    EXPECT_EQ(TextFieldCount(uR"("x,""y""",next)", f, 1000), 2);
    // Text between the closing quote and the separator is dropped.
    EXPECT_EQ(Fields(R"("ab"cd,e)", f, 2), (Strings{"ab", "e"}));
    // Only a field that starts with a quote is quoted.
    EXPECT_EQ(Fields(R"(a"b,c)", f, 2), (Strings{R"(a"b)", "c"}));
    // Either quote character opens a field; the other is plain inside it.
    EXPECT_EQ(Fields(R"('a"b',"c'd")", Format(","), 2), (Strings{R"(a"b)", "c'd"}));
}

TEST(TextFields, ARowEndingInsideQuotesEndsTheField) {
    const TTextRowFormat f = Format(",", "\"");
    EXPECT_EQ(Fields(R"(1,"abc)", f, 3), (Strings{"1", "abc", "<none>"}));
    // A last separator or quote character closes rather than belongs.
    EXPECT_EQ(Fields(R"("ab,c,)", f, 2), (Strings{"ab,c", "<none>"}));
    EXPECT_EQ(Fields(R"(")", f, 1), (Strings{""}));
}

TEST(TextFields, FixedWidthColumns) {
    TTextRowFormat f;
    f.FixedWidth = true;
    f.Width = 3;
    EXPECT_EQ(Fields("abcdefgh", f, 4), (Strings{"abc", "def", "gh", "<none>"}));
    EXPECT_EQ(TextFieldCount(u"abcdef", f, 1000), 2);
    EXPECT_EQ(TextFieldCount(u"", f, 1000), 1);
}

TEST(TxtSupplier, NamesColumnsFromTheFirstRow) {
    TTxtSupplier words(QStringList{"Time\tN1", "0\t1"}, Format("\t"));
    EXPECT_EQ(words.ColumnCount(), 2);
    EXPECT_EQ(words.ColumnName(0), "Time");
    EXPECT_EQ(words.ColumnName(1), "N1");
    EXPECT_EQ(words.ColumnIndex("n1"), 1);
    EXPECT_EQ(words.ColumnIndex("N2"), -1);

    TTxtSupplier numbers(QStringList{"0.5\t1.2\t\tz"}, Format("\t"));
    EXPECT_EQ(numbers.ColumnName(0), "(col 0)");
    EXPECT_EQ(numbers.ColumnName(1), "(col 1)");
    EXPECT_EQ(numbers.ColumnName(2), "(col 2)"); // empty
    EXPECT_EQ(numbers.ColumnName(3), "z");
}

TEST(TxtSupplier, CountsColumnsInTheFirstFortyRowsOnly) {
    QStringList rows(39, "1,2");
    rows.prepend("a,b");
    rows.append("1,2,3,4,5"); // row 41: not looked at
    EXPECT_EQ(TTxtSupplier(rows, Format(",")).ColumnCount(), 2);
    rows.insert(39, "1,2,3"); // now row 40
    EXPECT_EQ(TTxtSupplier(rows, Format(",")).ColumnCount(), 3);

    const QString wide = QString("1,").repeated(9999) + "1"; // 10,000 fields
    TTxtSupplier many(QStringList{wide}, Format(","));
    EXPECT_EQ(many.ColumnCount(), 1000);
    QString text;
    EXPECT_TRUE(many.ReadText(9999, text));
    EXPECT_EQ(text, "1");
}

TEST(TxtSupplier, ColumnNumbersByName) {
    TTxtSupplier s(QStringList{"a,b"}, Format(","));
    EXPECT_EQ(s.ColumnIndex("(col 0)"), 0);
    EXPECT_EQ(s.ColumnIndex("(COL 7)"), 7);
    EXPECT_EQ(s.ColumnIndex("(col x)"), -1);
    EXPECT_EQ(s.ColumnIndex("(col -3)"), -1);
}

TEST(TxtSupplier, WalksRowsAndReadsValues) {
    TTxtSupplier s(QStringLiteral("x\ty\r\n1.5\t2E3\r\n\t7\rnope\t8\n"), Format("\t"));
    EXPECT_EQ(s.RowCount(), 4);
    EXPECT_FALSE(s.AtEnd());
    double v = 0;
    EXPECT_FALSE(s.ReadValue(0, v, false)); // "x"
    EXPECT_FALSE(s.NextRow());
    EXPECT_TRUE(s.ReadValue(0, v, false));
    EXPECT_EQ(v, 1.5);
    EXPECT_TRUE(s.ReadValue(1, v, false));
    EXPECT_EQ(v, 2000);
    EXPECT_FALSE(s.ReadValue(2, v, false)); // no such column
    s.NextRow();
    EXPECT_FALSE(s.ReadValue(0, v, false)); // empty
    s.NextRow();
    EXPECT_FALSE(s.ReadValue(0, v, false));
    EXPECT_TRUE(s.NextRow());
    EXPECT_TRUE(s.AtEnd());
    QString text = "left";
    s.ReadText(0, text); // past the end the row is empty
    EXPECT_EQ(text, "");
    EXPECT_FALSE(s.ReadValue(0, v, false));
    EXPECT_TRUE(s.NextRow()); // stays at the end
}

TEST(TxtSupplier, NumbersUseTheDecimalSeparatorAndDatesTheUsualForms) {
    TTxtSupplier s(QStringList{"2,5;1899-12-31T06:00:00;2000-01-01;junk"}, Format(";"));
    double v = 0;
    SetDecimalSeparator(',');
    EXPECT_TRUE(s.ReadValue(0, v, false));
    SetDecimalSeparator('.');
    EXPECT_EQ(v, 2.5);
    EXPECT_TRUE(s.ReadValue(1, v, true));
    EXPECT_DOUBLE_EQ(v, 1.25);
    EXPECT_TRUE(s.ReadValue(2, v, true));
    EXPECT_DOUBLE_EQ(v, 36526);
    EXPECT_FALSE(s.ReadValue(3, v, true));
}

TEST(TxtSupplier, FixedWidthNamesAndValuesAreReadWithoutPadding) {
    TTextRowFormat f;
    f.FixedWidth = true;
    f.Width = 6;
    TTxtSupplier s(QStringList{"Time  N1    ", "  1.5   -2 "}, f);
    EXPECT_EQ(s.ColumnIndex("N1"), 1);
    s.NextRow();
    double v = 0;
    EXPECT_TRUE(s.ReadValue(1, v, false));
    EXPECT_EQ(v, -2);
}

TEST(TxtSupplier, Files) {
    QTemporaryDir dir;
    EXPECT_EQ(TTxtSupplier::FromFile(dir.filePath("missing.txt"), Format("\t")), nullptr);
    EXPECT_EQ(TTxtSupplier::FromFile(dir.path(), Format("\t")), nullptr);
    EXPECT_EQ(TTxtSupplier::FromFile("", Format("\t")), nullptr);

    QFile junk(dir.filePath("junk.bin"));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    QByteArray bytes;
    for (int i = 0; i < 100000; ++i)
        bytes.append(static_cast<char>((i * 7919) % 256));
    junk.write(bytes);
    junk.close();
    auto s = TTxtSupplier::FromFile(junk.fileName(), Format("\t,\"", "\"'"));
    ASSERT_NE(s, nullptr);
    EXPECT_LE(s->ColumnCount(), 1000);
    double v = 0;
    int rows = 0;
    for (; !s->AtEnd(); s->NextRow(), ++rows)
        s->ReadValue(0, v, true);
    EXPECT_EQ(rows, s->RowCount());
}

} // namespace
