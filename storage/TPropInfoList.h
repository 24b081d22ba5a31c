#pragma once

#include <QList>
#include <QMetaProperty>
#include <QString>

class QObject;

// The kinds of value a property can hold, as the property text conversion
// sees them. tkClass covers every object-valued property (text-line lists,
// collections, component references, nested objects); tkMethod and tkInt64
// exist so that sets of kinds read naturally, but no Qt property maps to them.
enum TTypeKind {
    tkUnknown,
    tkInteger,
    tkChar,
    tkEnumeration,
    tkFloat,
    tkString,
    tkSet,
    tkClass,
    tkMethod,
    tkWChar,
    tkLString,
    tkWString,
    tkVariant,
    tkInt64,
};

using TTypeKinds = unsigned;
constexpr TTypeKinds KindBit(TTypeKind k) {
    return 1u << k;
}
// Every kind that can be stored: all but method pointers.
constexpr TTypeKinds tkProperties = KindBit(tkInteger) | KindBit(tkChar) | KindBit(tkEnumeration) |
                                    KindBit(tkFloat) | KindBit(tkString) | KindBit(tkSet) |
                                    KindBit(tkClass) | KindBit(tkWChar) | KindBit(tkLString) |
                                    KindBit(tkWString) | KindBit(tkVariant);

// The kind of a Qt property: int-like → integer, char → character, QChar →
// wide character, bool and Q_ENUM → enumeration, Q_FLAG → set, float/double →
// floating point, QByteArray → short string, QString → long string, QVariant →
// variant, QStringList and QObject pointers → class. Anything else is unknown.
TTypeKind KindOf(const QMetaProperty& property);

// Kinds whose empty text is still a value worth writing.
bool IsStringKind(TTypeKind kind);

struct TPropInfo {
    QMetaProperty Property;
    TTypeKind Kind = tkUnknown;
    // The name as a stored-property list spells it ("Checked" for Qt's
    // "checked"); empty for the declared name. Keys are formed from Name().
    QString Spelling;
    QString Name() const {
        return Spelling.isEmpty() ? QString::fromLatin1(Property.name()) : Spelling;
    }
};

// The readable properties of an object's class whose kind is in a set, in
// declaration order (inherited ones first). The object's name is its identity
// in the stored keys, so "objectName" is not among them.
class TPropInfoList {
public:
    TPropInfoList(const QObject* object, TTypeKinds filter);

    int Count() const { return static_cast<int>(list_.size()); }
    const TPropInfo& Item(int index) const { return list_[index]; }
    // The property of that name ignoring letter case, or nullptr.
    const TPropInfo* Find(const QString& name) const;

private:
    QList<TPropInfo> list_;
};
