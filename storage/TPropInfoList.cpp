#include "TPropInfoList.h"

#include <QMetaObject>
#include <QObject>

TTypeKind KindOf(const QMetaProperty& property) {
    if (property.isFlagType()) return tkSet;
    if (property.isEnumType()) return tkEnumeration;
    const QMetaType type = property.metaType();
    switch (type.id()) {
    case QMetaType::Bool:
        return tkEnumeration;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Long:
    case QMetaType::ULong:
        return tkInteger;
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        return tkInt64;
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
        return tkChar;
    case QMetaType::QChar:
        return tkWChar;
    case QMetaType::Float:
    case QMetaType::Double:
        return tkFloat;
    case QMetaType::QByteArray:
        return tkString;
    case QMetaType::QString:
        return tkLString;
    case QMetaType::QVariant:
        return tkVariant;
    case QMetaType::QStringList:
        return tkClass;
    default:
        return type.flags().testFlag(QMetaType::PointerToQObject) ? tkClass : tkUnknown;
    }
}

bool IsStringKind(TTypeKind kind) {
    return kind == tkString || kind == tkLString || kind == tkWString || kind == tkWChar;
}

TPropInfoList::TPropInfoList(const QObject* object, TTypeKinds filter) {
    if (!object) return;
    const QMetaObject* meta = object->metaObject();
    for (int i = 0; i < meta->propertyCount(); ++i) {
        QMetaProperty property = meta->property(i);
        TTypeKind kind = KindOf(property);
        if (!property.isReadable() || qstrcmp(property.name(), "objectName") == 0 ||
            !(filter & KindBit(kind)))
            continue;
        list_.append(TPropInfo{property, kind, QString()});
    }
}

const TPropInfo* TPropInfoList::Find(const QString& name) const {
    for (const TPropInfo& info : list_)
        if (name.compare(QLatin1String(info.Property.name()), Qt::CaseInsensitive) == 0)
            return &info;
    return nullptr;
}
