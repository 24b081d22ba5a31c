#pragma once

#include "Exception.h"
#include "GraphFont.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <cstdint>
#include <string>

class QIODevice;

// Any fault of a graph settings stream: bad header, wrong value type, a tag
// out of turn, or reading past the end ("Stream read Error").
class EGraphStreamError : public Exception {
    using Exception::Exception;
};

// A decimal integer text; anything else throws EConvertError.
std::int32_t TextToInteger(const QString& text);

// Type bytes of the typed values.
enum TValueType : std::uint8_t {
    va_Int8 = 2,
    va_Int16 = 3,
    va_Int32 = 4,
    va_Extended = 5,
    va_String = 6,
    va_False = 8,
    va_True = 9,
    va_LString = 12
};

// The 80-bit extended-precision form (64-bit mantissa with explicit leading
// bit, 15-bit exponent biased by 16383, sign), little-endian, computed
// without long double.
std::array<std::uint8_t, 10> EncodeExtended(double value);
double DecodeExtended(const std::array<std::uint8_t, 10>& bytes);

// Writes typed values and tagged entries.
class TGraphWriter {
public:
    explicit TGraphWriter(QIODevice& device) : device_(device) {}

    void WriteInteger(std::int32_t v); // the smallest of the three integer forms
    void WriteFloat(double v);
    void WriteString(const QString& v);
    void WriteBoolean(bool v);
    // Little-endian 32-bit count, outside the typed values.
    void WriteRawInt32(std::int32_t v);

    // A tag: the key right-aligned in two characters, then the type letter.
    void WriteTag(int key, char letter);
    void WriteEntry(int key, bool v);
    void WriteEntry(int key, std::int32_t v);
    void WriteEntry(int key, double v);
    void WriteEntry(int key, const QString& v);
    void WriteEntry(int key, const TGraphFont& v);
    void WriteSectionStart(const QString& name);
    void WriteSectionEnd();

private:
    void Write(const void* data, std::int64_t size);
    void WriteType(TValueType t) { Write(&t, 1); }

    QIODevice& device_;
};

// Reads typed values and tagged entries. Never allocates more than it has
// actually read, whatever length a value claims.
class TGraphReader {
public:
    explicit TGraphReader(QIODevice& device) : device_(device) {}

    std::int32_t ReadInteger();
    double ReadFloat();
    QString ReadString();
    bool ReadBoolean();
    std::int32_t ReadRawInt32();
    // Moves forward by up to count bytes, stopping at the end.
    void Skip(std::int64_t count);

    // The next tag; its value must be read (or skipped) before the next tag.
    void ReadTag(int& key, char& letter);
    // The pending value, converted from the tag's letter to the kind asked for.
    QString ReadAsText();
    std::int32_t ReadAsInteger();
    double ReadAsFloat();
    bool ReadAsBoolean();
    TGraphFont ReadAsFont();
    void SkipValue();

private:
    void Read(void* data, std::int64_t size);
    std::uint8_t ReadType();
    // The data of a string value of this type, kept or just passed over.
    QByteArray ReadStringData(std::uint8_t type, bool keep);
    std::int32_t ReadIntegerOfType(std::uint8_t type);
    char TakePending(); // the letter of the pending value
    TGraphFont ReadFontValue();

    QIODevice& device_;
    bool valuePending_ = false; // a tag was read and its value is due
    char letter_ = 0;
};
