#include "GraphStream.h"

#include <QBuffer>

#include "GraphTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <sstream>

namespace {

struct Reading {
    QBuffer buffer;
    TGraphReader reader{buffer};
    explicit Reading(const QByteArray& bytes) {
        buffer.setData(bytes);
        buffer.open(QIODevice::ReadOnly);
    }
};

QByteArray Bytes(std::initializer_list<int> v) {
    QByteArray b;
    for (int c : v)
        b.append(static_cast<char>(c));
    return b;
}

TEST(GraphStreamValues, IntegersTakeTheSmallestForm) {
    EXPECT_EQ(Written([](auto& w) { w.WriteInteger(-1); }), Bytes({2, 0xFF}));
    EXPECT_EQ(Written([](auto& w) { w.WriteInteger(127); }), Bytes({2, 0x7F}));
    EXPECT_EQ(Written([](auto& w) { w.WriteInteger(300); }), Bytes({3, 0x2C, 0x01}));
    EXPECT_EQ(Written([](auto& w) { w.WriteInteger(-32768); }), Bytes({3, 0x00, 0x80}));
    EXPECT_EQ(Written([](auto& w) { w.WriteInteger(70000); }), Bytes({4, 0x70, 0x11, 1, 0}));
    for (int v : {0, -128, 128, -129, 32767, 32768, -2147483647 - 1, 2147483647}) {
        Reading r(Written([&](auto& w) { w.WriteInteger(v); }));
        EXPECT_EQ(r.reader.ReadInteger(), v);
    }
}

TEST(GraphStreamValues, ExtendedMatchesTheEightyBitLayout) {
    // 1.0: mantissa 0x8000000000000000, exponent 16383.
    EXPECT_EQ(EncodeExtended(1.0),
              (std::array<std::uint8_t, 10>{0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F}));
    EXPECT_EQ(EncodeExtended(-2.0),
              (std::array<std::uint8_t, 10>{0, 0, 0, 0, 0, 0, 0, 0x80, 0x00, 0xC0}));
    EXPECT_EQ(EncodeExtended(0.0), (std::array<std::uint8_t, 10>{}));
    const double values[] = {0.1,           -3.75,
                             1e300,         -1e-300,
                             4.9e-324,      2.2250738585072014e-308,
                             123456789.123, std::numeric_limits<double>::max(),
                             -0.0};
    for (double v : values) {
        const double back = DecodeExtended(EncodeExtended(v));
        EXPECT_EQ(back, v) << v;
        EXPECT_EQ(std::signbit(back), std::signbit(v));
    }
    EXPECT_TRUE(std::isinf(DecodeExtended(EncodeExtended(HUGE_VAL))));
    EXPECT_TRUE(std::isnan(DecodeExtended(EncodeExtended(std::nan("")))));
    // A value beyond the double range becomes infinite, one below it zero.
    EXPECT_TRUE(std::isinf(DecodeExtended({0, 0, 0, 0, 0, 0, 0, 0x80, 0xFE, 0x7F})));
    EXPECT_EQ(DecodeExtended({0, 0, 0, 0, 0, 0, 0, 0x80, 0x01, 0x00}), 0.0);
}

TEST(GraphStreamValues, StringsShortAndLong) {
    const QString shortText = "abc", longText(300, 'x');
    const QByteArray s = Written([&](auto& w) { w.WriteString(shortText); });
    EXPECT_EQ(s, Bytes({6, 3, 'a', 'b', 'c'}));
    const QByteArray l = Written([&](auto& w) { w.WriteString(longText); });
    EXPECT_EQ(l.left(5), Bytes({12, 0x2C, 1, 0, 0}));
    Reading r(s + l);
    EXPECT_EQ(r.reader.ReadString(), shortText);
    EXPECT_EQ(r.reader.ReadString(), longText);
}

TEST(GraphStreamValues, ReadersAcceptOnlyTheirTypes) {
    Reading f(Bytes({2, 5}));
    EXPECT_EQ(f.reader.ReadFloat(), 5.0); // an integer where a float is wanted
    Reading i(Written([](auto& w) { w.WriteFloat(1); }));
    EXPECT_EQ(ErrorOf([&] { i.reader.ReadInteger(); }), "Invalid property value");
    Reading s(Bytes({2, 5}));
    EXPECT_EQ(ErrorOf([&] { s.reader.ReadString(); }), "Invalid property value");
    Reading b(Bytes({9, 8, 2}));
    EXPECT_TRUE(b.reader.ReadBoolean());
    EXPECT_FALSE(b.reader.ReadBoolean());
    EXPECT_FALSE(b.reader.ReadBoolean()); // true exactly for type 9
    Reading nan(Written([](auto& w) { w.WriteFloat(std::nan("")); }));
    EXPECT_EQ(ErrorOf([&] { nan.reader.ReadFloat(); }), "Invalid property value");
}

TEST(GraphStreamValues, TruncatedDataIsAReadErrorNotAnAllocation) {
    for (const QByteArray& bytes :
         {Bytes({}), Bytes({3, 1}), Bytes({5, 0, 0}), Bytes({6, 10, 'a'}),
          Bytes({12, 0xFF, 0xFF, 0xFF, 0x7F, 'a'}), Bytes({12, 0xFF, 0xFF})}) {
        Reading r(bytes);
        EXPECT_EQ(ErrorOf([&] {
                      if (bytes.startsWith('\x05'))
                          r.reader.ReadFloat();
                      else if (bytes.size() > 1 && bytes[0] != 3)
                          r.reader.ReadString();
                      else
                          r.reader.ReadInteger();
                  }),
                  "Stream read Error")
            << bytes.toHex().toStdString();
    }
}

TEST(GraphStreamTags, KeysAreRightAlignedBeforeTheLetter) {
    EXPECT_EQ(Written([](auto& w) { w.WriteTag(1, 'B'); }), Bytes({6, 3, ' ', '1', 'B'}));
    EXPECT_EQ(Written([](auto& w) { w.WriteTag(12, 'I'); }), Bytes({6, 3, '1', '2', 'I'}));
    EXPECT_EQ(Written([](auto& w) { w.WriteSectionEnd(); }), Bytes({6, 3, ' ', '0', 'B', 8}));
    EXPECT_EQ(ErrorOf([] { Written([](auto& w) { w.WriteTag(100, 'I'); }); }),
              "illegal call in savetofile");
}

TEST(GraphStreamTags, ReaderIgnoresLeadingCharactersAndKeepsTurns) {
    QByteArray bytes = Bytes({6, 5, 'x', 'y', '4', '2', 'S'});
    bytes += Written([](auto& w) { w.WriteString("v"); });
    Reading r(bytes);
    int key;
    char letter;
    r.reader.ReadTag(key, letter);
    EXPECT_EQ(key, 42);
    EXPECT_EQ(letter, 'S');
    EXPECT_EQ(ErrorOf([&] { r.reader.ReadTag(key, letter); }), "reading error 1");
    EXPECT_EQ(r.reader.ReadAsText(), "v");
    EXPECT_EQ(ErrorOf([&] { r.reader.ReadAsText(); }), "reading error 2");
    for (const QByteArray& bad : {Bytes({6, 2, '1', 'I'}), Bytes({6, 3, 'x', '1', 'I'}),
                                  Bytes({6, 3, '1', ' ', 'I'}), Bytes({2, 1})}) {
        Reading b(bad);
        EXPECT_EQ(ErrorOf([&] { b.reader.ReadTag(key, letter); }), "Invalid property value");
    }
}

// One entry written as `letter` and read back as every kind.
struct Conversion {
    std::function<void(TGraphWriter&)> write;
    QString text;
    std::string integer; // the value, or the error message
    std::string number;
    std::string boolean;
};

template <typename T> std::string Try(const std::function<T()>& f) {
    try {
        if constexpr (std::is_same_v<T, QString>)
            return f().toStdString();
        else if constexpr (std::is_same_v<T, bool>)
            return f() ? "true" : "false";
        else {
            std::ostringstream s;
            s << f();
            return s.str();
        }
    } catch (const Exception& e) {
        return "!" + e.Message();
    }
}

TEST(GraphStreamTags, ValuesConvertBetweenKinds) {
    const Conversion cases[] = {
        {[](auto& w) { w.WriteEntry(1, std::int32_t{7}); }, "7", "7", "7", "false"},
        {[](auto& w) { w.WriteEntry(1, std::int32_t{1}); }, "1", "1", "1", "true"},
        {[](auto& w) { w.WriteEntry(1, -2.75); }, "-2.75", "-2", "-2.75", "false"},
        {[](auto& w) { w.WriteEntry(1, 1e12); }, "1000000000000", "!conversion error", "1e+12",
         "false"},
        {[](auto& w) { w.WriteEntry(1, true); }, "true", "1", "1", "true"},
        {[](auto& w) { w.WriteEntry(1, QString("true")); }, "true",
         "!'true' is not a valid integer value", "!'true' is not a valid floating point value",
         "true"},
        {[](auto& w) { w.WriteEntry(1, QString("True")); }, "True",
         "!'True' is not a valid integer value", "!'True' is not a valid floating point value",
         "false"},
        {[](auto& w) { w.WriteEntry(1, QString("42")); }, "42", "42", "42", "false"},
        {[](auto& w) { w.WriteEntry(1, TGraphFont{}); }, "!conversion error", "!conversion error",
         "!conversion error", "!conversion error"},
    };
    for (const auto& c : cases) {
        const QByteArray bytes = Written(c.write);
        auto read = [&](auto f) {
            Reading r(bytes);
            int key;
            char letter;
            r.reader.ReadTag(key, letter);
            return f(r.reader);
        };
        EXPECT_EQ(
            read([](TGraphReader& r) { return Try<QString>([&] { return r.ReadAsText(); }); }),
            c.text.toStdString());
        EXPECT_EQ(read([](TGraphReader& r) { return Try<int>([&] { return r.ReadAsInteger(); }); }),
                  c.integer);
        EXPECT_EQ(
            read([](TGraphReader& r) { return Try<double>([&] { return r.ReadAsFloat(); }); }),
            c.number);
        EXPECT_EQ(
            read([](TGraphReader& r) { return Try<bool>([&] { return r.ReadAsBoolean(); }); }),
            c.boolean);
    }
}

TEST(GraphStreamTags, FontsRoundTripAndSkip) {
    TGraphFont f{"Courier", 12, 0x123456, true, false, true, false};
    const QByteArray bytes = Written([&](auto& w) {
        w.WriteEntry(16, f);
        w.WriteEntry(3, f);
        w.WriteEntry(4, std::int32_t{9});
    });
    Reading r(bytes);
    int key;
    char letter;
    r.reader.ReadTag(key, letter);
    EXPECT_EQ(r.reader.ReadAsFont(), f);
    r.reader.ReadTag(key, letter);
    r.reader.SkipValue();
    r.reader.ReadTag(key, letter);
    EXPECT_EQ(key, 4);
    EXPECT_EQ(r.reader.ReadAsInteger(), 9);
    Reading i(Written([](auto& w) { w.WriteEntry(1, std::int32_t{1}); }));
    i.reader.ReadTag(key, letter);
    EXPECT_EQ(ErrorOf([&] { i.reader.ReadAsFont(); }), "conversion error");
}

} // namespace
