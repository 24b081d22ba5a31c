#include "GraphStream.h"

#include "FloatText.h"
#include "GraphMath.h"

#include <QByteArray>
#include <QIODevice>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>

namespace {

[[noreturn]] void Fail(const char* message) {
    throw EGraphStreamError(message);
}

constexpr std::uint64_t kTopBit = std::uint64_t{1} << 63;

} // namespace

std::int32_t TextToInteger(const QString& text) {
    const std::string s = text.trimmed().toStdString();
    std::int32_t v = 0;
    const char* begin = s.data();
    if (!s.empty() && s[0] == '+') ++begin;
    const auto [end, ec] = std::from_chars(begin, s.data() + s.size(), v);
    if (s.empty() || ec != std::errc() || end != s.data() + s.size())
        throw EConvertError(
            FormatMessage("'%s' is not a valid integer value", {text.toStdString()}));
    return v;
}

std::array<std::uint8_t, 10> EncodeExtended(double value) {
    const auto bits = std::bit_cast<std::uint64_t>(value);
    const unsigned sign = static_cast<unsigned>(bits >> 63);
    const int exponent = static_cast<int>((bits >> 52) & 0x7FF);
    const std::uint64_t fraction = bits & ((std::uint64_t{1} << 52) - 1);
    std::uint64_t mantissa = 0;
    int biased = 0;
    if (exponent == 0x7FF) {
        biased = 0x7FFF;
        mantissa = fraction == 0 ? kTopBit : (0xC000000000000000ull | (fraction << 11));
    } else if (exponent == 0) {
        if (fraction != 0) { // subnormal double: normal in the wider exponent
            const int top = 63 - std::countl_zero(fraction);
            mantissa = fraction << (63 - top);
            biased = top - 1074 + 16383;
        }
    } else {
        biased = exponent - 1023 + 16383;
        mantissa = kTopBit | (fraction << 11);
    }
    std::array<std::uint8_t, 10> out{};
    for (int i = 0; i < 8; ++i)
        out[i] = static_cast<std::uint8_t>(mantissa >> (8 * i));
    const unsigned se = (sign << 15) | static_cast<unsigned>(biased);
    out[8] = static_cast<std::uint8_t>(se);
    out[9] = static_cast<std::uint8_t>(se >> 8);
    return out;
}

double DecodeExtended(const std::array<std::uint8_t, 10>& bytes) {
    std::uint64_t mantissa = 0;
    for (int i = 0; i < 8; ++i)
        mantissa |= std::uint64_t{bytes[i]} << (8 * i);
    const unsigned se = bytes[8] | (unsigned{bytes[9]} << 8);
    const bool negative = (se & 0x8000) != 0;
    const int biased = static_cast<int>(se & 0x7FFF);
    double v;
    if (biased == 0x7FFF) {
        v = (mantissa << 1) == 0 ? HUGE_VAL : std::nan("");
    } else if (mantissa == 0) {
        v = 0.0;
    } else {
        // Denormal extended values share the smallest exponent.
        const int e = (biased == 0 ? 1 : biased) - 16383 - 63;
        v = std::ldexp(static_cast<double>(mantissa), e);
    }
    return negative ? -v : v;
}

// --- writer --------------------------------------------------------------

void TGraphWriter::Write(const void* data, std::int64_t size) {
    if (device_.write(static_cast<const char*>(data), size) != size) Fail("Stream write error");
}

void TGraphWriter::WriteInteger(std::int32_t v) {
    std::uint8_t buf[5];
    int n;
    if (v >= -128 && v <= 127) {
        buf[0] = va_Int8;
        n = 1;
    } else if (v >= -32768 && v <= 32767) {
        buf[0] = va_Int16;
        n = 2;
    } else {
        buf[0] = va_Int32;
        n = 4;
    }
    const auto u = static_cast<std::uint32_t>(v);
    for (int i = 0; i < n; ++i)
        buf[1 + i] = static_cast<std::uint8_t>(u >> (8 * i));
    Write(buf, 1 + n);
}

void TGraphWriter::WriteFloat(double v) {
    WriteType(va_Extended);
    const auto bytes = EncodeExtended(v);
    Write(bytes.data(), 10);
}

void TGraphWriter::WriteString(const QString& v) {
    const QByteArray bytes = v.toUtf8();
    if (bytes.size() < 256) {
        const std::uint8_t head[2] = {va_String, static_cast<std::uint8_t>(bytes.size())};
        Write(head, 2);
    } else {
        WriteType(va_LString);
        WriteRawInt32(static_cast<std::int32_t>(bytes.size()));
    }
    Write(bytes.constData(), bytes.size());
}

void TGraphWriter::WriteBoolean(bool v) {
    WriteType(v ? va_True : va_False);
}

void TGraphWriter::WriteRawInt32(std::int32_t v) {
    const auto u = static_cast<std::uint32_t>(v);
    const std::uint8_t buf[4] = {static_cast<std::uint8_t>(u), static_cast<std::uint8_t>(u >> 8),
                                 static_cast<std::uint8_t>(u >> 16),
                                 static_cast<std::uint8_t>(u >> 24)};
    Write(buf, 4);
}

void TGraphWriter::WriteTag(int key, char letter) {
    if (key < 0 || key > 99) Fail("illegal call in savetofile");
    const char tag[4] = {key < 10 ? ' ' : static_cast<char>('0' + key / 10),
                         static_cast<char>('0' + key % 10), letter, 0};
    WriteString(QString::fromLatin1(tag, 3));
}

void TGraphWriter::WriteEntry(int key, bool v) {
    WriteTag(key, 'B');
    WriteBoolean(v);
}
void TGraphWriter::WriteEntry(int key, std::int32_t v) {
    WriteTag(key, 'I');
    WriteInteger(v);
}
void TGraphWriter::WriteEntry(int key, double v) {
    WriteTag(key, 'D');
    WriteFloat(v);
}
void TGraphWriter::WriteEntry(int key, const QString& v) {
    WriteTag(key, 'S');
    WriteString(v);
}
void TGraphWriter::WriteEntry(int key, const TGraphFont& v) {
    WriteTag(key, 'F');
    WriteString(v.Name);
    WriteInteger(v.Size);
    WriteInteger(v.Color);
    WriteBoolean(v.Bold);
    WriteBoolean(v.Italic);
    WriteBoolean(v.Underline);
    WriteBoolean(v.StrikeOut);
}
void TGraphWriter::WriteSectionStart(const QString& name) {
    WriteEntry(99, name);
}
void TGraphWriter::WriteSectionEnd() {
    WriteEntry(0, false);
}

// --- reader --------------------------------------------------------------

void TGraphReader::Read(void* data, std::int64_t size) {
    if (size <= 0) return;
    if (device_.read(static_cast<char*>(data), size) != size) Fail("Stream read Error");
}

std::uint8_t TGraphReader::ReadType() {
    std::uint8_t t = 0;
    Read(&t, 1);
    return t;
}

std::int32_t TGraphReader::ReadIntegerOfType(std::uint8_t type) {
    switch (type) {
    case va_Int8: {
        std::int8_t v;
        Read(&v, 1);
        return v;
    }
    case va_Int16: {
        std::uint8_t b[2];
        Read(b, 2);
        return static_cast<std::int16_t>(b[0] | (b[1] << 8));
    }
    case va_Int32: {
        std::uint8_t b[4];
        Read(b, 4);
        return static_cast<std::int32_t>(std::uint32_t{b[0]} | (std::uint32_t{b[1]} << 8) |
                                         (std::uint32_t{b[2]} << 16) | (std::uint32_t{b[3]} << 24));
    }
    default:
        Fail("Invalid property value");
    }
}

std::int32_t TGraphReader::ReadInteger() {
    return ReadIntegerOfType(ReadType());
}

std::int32_t TGraphReader::ReadRawInt32() {
    return ReadIntegerOfType(va_Int32);
}

double TGraphReader::ReadFloat() {
    const std::uint8_t type = ReadType();
    if (type != va_Extended) return ReadIntegerOfType(type);
    std::array<std::uint8_t, 10> bytes;
    Read(bytes.data(), 10);
    const double v = DecodeExtended(bytes);
    // Infinities and not-a-number have no place in ranges, points or sizes.
    if (!std::isfinite(v)) Fail("Invalid property value");
    return v;
}

QByteArray TGraphReader::ReadStringData(std::uint8_t type, bool keep) {
    std::int64_t length;
    if (type == va_String) {
        std::uint8_t n;
        Read(&n, 1);
        length = n;
    } else if (type == va_LString) {
        length = static_cast<std::uint32_t>(ReadRawInt32());
    } else {
        Fail("Invalid property value");
    }
    // Grows with what actually arrives, never by the claimed length at once.
    QByteArray bytes;
    char sink[4096];
    while (length > 0) {
        const std::int64_t chunk = std::min<std::int64_t>(length, keep ? 1 << 16 : sizeof sink);
        char* into = sink;
        if (keep) {
            const auto old = bytes.size();
            bytes.resize(old + chunk);
            into = bytes.data() + old;
        }
        Read(into, chunk);
        length -= chunk;
    }
    return bytes;
}

QString TGraphReader::ReadString() {
    return QString::fromUtf8(ReadStringData(ReadType(), true));
}

bool TGraphReader::ReadBoolean() {
    return ReadType() == va_True;
}

void TGraphReader::Skip(std::int64_t count) {
    if (count > 0) device_.skip(count);
}

void TGraphReader::ReadTag(int& key, char& letter) {
    if (valuePending_) Fail("reading error 1");
    const QByteArray tag = ReadString().toUtf8();
    const auto n = tag.size();
    if (n < 3) Fail("Invalid property value");
    const char tens = tag[n - 3], units = tag[n - 2];
    if (!(tens == ' ' || (tens >= '0' && tens <= '9')) || units < '0' || units > '9')
        Fail("Invalid property value");
    key = (tens == ' ' ? 0 : tens - '0') * 10 + (units - '0');
    letter = tag[n - 1];
    letter_ = letter;
    valuePending_ = true;
}

char TGraphReader::TakePending() {
    if (!valuePending_) Fail("reading error 2");
    valuePending_ = false;
    return letter_;
}

TGraphFont TGraphReader::ReadFontValue() {
    TGraphFont f;
    f.Name = ReadString();
    f.Size = ReadInteger();
    f.Color = ReadInteger();
    f.Bold = ReadBoolean();
    f.Italic = ReadBoolean();
    f.Underline = ReadBoolean();
    f.StrikeOut = ReadBoolean();
    return f;
}

QString TGraphReader::ReadAsText() {
    switch (TakePending()) {
    case 'S':
        return ReadString();
    case 'I':
        return QString::number(ReadInteger());
    case 'D':
        return QString::fromStdString(FloatToText(ReadFloat(), 15));
    case 'B':
        return ReadBoolean() ? QStringLiteral("true") : QStringLiteral("false");
    default:
        Fail("conversion error");
    }
}

std::int32_t TGraphReader::ReadAsInteger() {
    switch (TakePending()) {
    case 'I':
        return ReadInteger();
    case 'D': {
        const double v = ReadFloat();
        if (!TruncatesToInt32(v)) Fail("conversion error");
        return graphmath::Trunc(v);
    }
    case 'B':
        return ReadBoolean() ? 1 : 0;
    case 'S':
        return TextToInteger(ReadString());
    default:
        Fail("conversion error");
    }
}

double TGraphReader::ReadAsFloat() {
    switch (TakePending()) {
    case 'D':
    case 'I':
        return ReadFloat();
    case 'B':
        return ReadBoolean() ? 1.0 : 0.0;
    case 'S': {
        const double v = TextToFloat(ReadString().toStdString());
        if (!std::isfinite(v)) Fail("conversion error");
        return v;
    }
    default:
        Fail("conversion error");
    }
}

bool TGraphReader::ReadAsBoolean() {
    switch (TakePending()) {
    case 'B':
        return ReadBoolean();
    case 'I':
        return ReadInteger() == 1;
    case 'D':
        ReadFloat();
        return false;
    case 'S':
        return ReadString() == QStringLiteral("true");
    default:
        Fail("conversion error");
    }
}

TGraphFont TGraphReader::ReadAsFont() {
    if (TakePending() != 'F') Fail("conversion error");
    return ReadFontValue();
}

void TGraphReader::SkipValue() {
    switch (TakePending()) {
    case 'B':
        ReadBoolean();
        return;
    case 'F':
        ReadFontValue();
        return;
    default:
        break;
    }
    // Any other letter: one typed value, whatever its type.
    const std::uint8_t type = ReadType();
    switch (type) {
    case va_Extended: {
        std::uint8_t bytes[10];
        Read(bytes, 10);
        return;
    }
    case va_String:
    case va_LString:
        ReadStringData(type, false);
        return;
    case va_False:
    case va_True:
        return;
    default:
        ReadIntegerOfType(type);
    }
}
