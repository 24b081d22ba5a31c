#include "TPropsStorage.h"

#include "FloatText.h"
#include "IniFile.h"
#include "TCollection.h"

#include <QApplication>
#include <QMetaEnum>
#include <QObject>
#include <QQueue>
#include <QRegularExpression>
#include <QVariant>
#include <QWidget>

#include <algorithm>
#include <map>
#include <stdexcept>
#include <vector>

namespace {

// The window (or the top of the tree) an object belongs to: the counterpart
// of the owner that a component reference names.
QObject* OwnerOf(const QObject* object) {
    for (QObject* p = object->parent(); p; p = p->parent()) {
        auto* widget = qobject_cast<QWidget*>(p);
        if ((widget && widget->isWindow()) || !p->parent()) return p;
    }
    return nullptr;
}

QString OwnerName(const QObject* owner) {
    if (!owner->objectName().isEmpty()) return owner->objectName();
    QString name = QString::fromLatin1(owner->metaObject()->className());
    return name.startsWith(QLatin1Char('T')) ? name.mid(1) : name;
}

bool IsUnsigned32(const QMetaProperty& p) {
    const int id = p.metaType().id();
    return id == QMetaType::UInt || id == QMetaType::ULong || id == QMetaType::UShort;
}

// Single-bit enumerators of a flag type, by bit number.
std::vector<std::pair<int, const char*>> SetElements(const QMetaEnum& e) {
    std::vector<std::pair<int, const char*>> elements;
    for (int bit = 0; bit < 32; ++bit)
        for (int i = 0; i < e.keyCount(); ++i)
            if (static_cast<quint32>(e.value(i)) == (1u << bit)) {
                elements.emplace_back(bit, e.key(i));
                break;
            }
    return elements;
}

struct RootScope {
    RootScope(QObject*& slot, QObject* root) : slot(slot) { slot = root; }
    ~RootScope() { slot = nullptr; }
    QObject*& slot;
};

} // namespace

QObject* FindComponent(const QObject* owner, const QString& name) {
    if (!owner || name.isEmpty()) return nullptr;
    // Nearest first, so a component of the window wins over a deeper namesake.
    QQueue<const QObject*> pending{{owner}};
    while (!pending.isEmpty()) {
        for (QObject* child : pending.dequeue()->children()) {
            if (child->objectName().compare(name, Qt::CaseInsensitive) == 0) return child;
            pending.enqueue(child);
        }
    }
    return nullptr;
}

bool SplitStoredProp(const QString& text, QString& component, QString& property) {
    const qsizetype dot = text.indexOf(QLatin1Char('.'));
    if (dot < 0) return false;
    component = text.left(dot).trimmed();
    property = text.mid(dot + 1).trimmed();
    return !component.isEmpty() && !property.isEmpty();
}

void ResolveStoredProps(const QObject* root, TStoredPropList& entries) {
    for (qsizetype i = entries.size() - 1; i >= 0; --i) {
        QString component, property;
        QObject* found = nullptr;
        if (SplitStoredProp(entries[i].Text, component, property))
            found = FindComponent(root, component);
        if (found)
            entries[i].Component = found;
        else
            entries.removeAt(i);
    }
}

QString TPropsStorage::ReadString(const QString& section, const QString& key, const QString& def) {
    return OnReadString ? OnReadString(section, key, def) : QString();
}

void TPropsStorage::WriteString(const QString& section, const QString& key, const QString& value) {
    if (OnWriteString) OnWriteString(section, key, value);
}

void TPropsStorage::EraseSection(const QString& section) {
    if (OnEraseSection) OnEraseSection(section);
}

QString TPropsStorage::GetItemName(const QString& propertyName) const {
    return Prefix + propertyName;
}

std::unique_ptr<TPropsStorage> TPropsStorage::CreateStorage() const {
    return std::make_unique<TPropsStorage>();
}

std::unique_ptr<TPropsStorage> TPropsStorage::Nested(QObject* object, const QString& section,
                                                     const QString& prefix) const {
    std::unique_ptr<TPropsStorage> nested = CreateStorage();
    nested->OnReadString = OnReadString;
    nested->OnWriteString = OnWriteString;
    nested->OnEraseSection = OnEraseSection;
    nested->AObject = object;
    nested->Root = Root;
    nested->Section = section;
    nested->Prefix = prefix;
    return nested;
}

QString TPropsStorage::ListSection(const TPropInfo& info) const {
    return QStringLiteral("%1.%2").arg(Section, GetItemName(info.Name()));
}

void TPropsStorage::ForEachEntry(QObject* root, TStoredPropList& entries, Prepared direction) {
    RootScope scope(Root, root);
    for (qsizetype i = entries.size() - 1; i >= 0; --i) {
        TStoredProp& entry = entries[i];
        if (!entry.Component) {
            entries.removeAt(i);
            continue;
        }
        const qsizetype dot = entry.Text.indexOf(QLatin1Char('.'));
        if (dot >= 0) entry.Text = entry.Component->objectName() + entry.Text.mid(dot);
    }
    std::map<QObject*, TPropInfoList> lists;
    // A copy: a property setter may change the list it came from.
    const TStoredPropList current = entries;
    for (const TStoredProp& entry : current) {
        QString component, property;
        if (!entry.Component || !SplitStoredProp(entry.Text, component, property)) continue;
        QObject* object = entry.Component;
        auto list = lists.try_emplace(object, object, tkProperties).first;
        const TPropInfo* found = list->second.Find(property);
        if (!found) continue;
        // The key is spelt as the list names the property; reading it back
        // ignores letter case, so files written with Qt's spelling still load.
        TPropInfo info = *found;
        info.Spelling = property;
        AObject = object;
        Prefix = object->objectName() + QLatin1Char('_');
        if (direction == Prepared::Store)
            StoreAnyProperty(info);
        else
            LoadAnyProperty(info);
    }
}

void TPropsStorage::StoreObjectsProps(QObject* root, TStoredPropList& entries) {
    ForEachEntry(root, entries, Prepared::Store);
}

void TPropsStorage::LoadObjectsProps(QObject* root, TStoredPropList& entries) {
    ForEachEntry(root, entries, Prepared::Load);
}

void TPropsStorage::StoreProperties() {
    const TPropInfoList list(AObject, tkProperties);
    for (int i = 0; i < list.Count(); ++i)
        StoreAnyProperty(list.Item(i));
}

void TPropsStorage::LoadProperties() {
    const TPropInfoList list(AObject, tkProperties);
    for (int i = 0; i < list.Count(); ++i)
        LoadAnyProperty(list.Item(i));
}

void TPropsStorage::StoreAnyProperty(const TPropInfo& info) {
    const QString key = GetItemName(info.Name());
    if (info.Kind == tkClass) {
        const QVariant value = info.Property.read(AObject);
        if (info.Property.metaType().id() == QMetaType::QStringList) {
            const QStringList lines = value.toStringList();
            const QString section = ListSection(info);
            EraseSection(section);
            if (lines.isEmpty()) return;
            WriteString(section, QStringLiteral("Count"), QString::number(lines.size()));
            for (qsizetype i = 0; i < lines.size(); ++i)
                WriteString(section, QStringLiteral("Item%1").arg(i), lines[i]);
            return;
        }
        QObject* object = value.value<QObject*>();
        if (auto* collection = qobject_cast<TCollection*>(object)) {
            const QString section = ListSection(info);
            EraseSection(section);
            for (int i = 0; i < collection->Count(); ++i)
                Nested(collection->Item(i), section, QStringLiteral("Item%1_").arg(i))
                    ->StoreProperties();
            return;
        }
        if (object && object->parent() == AObject) {
            Nested(object, Section, key)->StoreProperties();
            return;
        }
    }
    const QString text = PropertyText(info);
    if (text.isEmpty() && !IsStringKind(info.Kind)) return;
    WriteString(Section, key, text.trimmed());
}

void TPropsStorage::LoadAnyProperty(const TPropInfo& info) {
    try {
        QString text = info.Kind == tkClass ? QString() : PropertyText(info);
        if (!text.isEmpty() || IsStringKind(info.Kind) || info.Kind == tkClass)
            text = ReadString(Section, GetItemName(info.Name()), text).trimmed();
        else
            text.clear();
        SetPropertyText(info, text);
    } catch (const std::exception&) {
        // A value that does not fit leaves the property as it was.
    }
}

QString TPropsStorage::PropertyText(const TPropInfo& info) {
    const QMetaProperty& p = info.Property;
    const QVariant value = p.read(AObject);
    switch (info.Kind) {
    case tkInteger:
        return IsUnsigned32(p) ? QString::number(static_cast<qint32>(value.toUInt()))
                               : QString::number(value.toLongLong());
    case tkChar: {
        const auto code = static_cast<unsigned char>(value.toInt());
        return code ? QString(QChar(code)) : QString();
    }
    case tkWChar: {
        const QChar c = value.toChar();
        return c.unicode() ? QString(c) : QString();
    }
    case tkEnumeration:
        if (p.metaType().id() == QMetaType::Bool)
            return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
        return QString::fromLatin1(p.enumerator().valueToKey(value.toInt()));
    case tkFloat: {
        const int digits = p.metaType().id() == QMetaType::Float ? 7 : 15;
        QString text = QString::fromStdString(FloatToText(value.toDouble(), digits));
        return text.replace(QLatin1Char(DecimalSeparator()), QLatin1Char('.'));
    }
    case tkString:
        return QString::fromUtf8(value.toByteArray());
    case tkLString:
    case tkWString:
    case tkVariant:
        return value.toString();
    case tkSet: {
        const auto bits = static_cast<quint32>(value.toInt());
        QStringList names;
        for (const auto& [bit, name] : SetElements(p.enumerator()))
            if (bits & (1u << bit)) names << QString::fromLatin1(name);
        return QLatin1Char('[') + names.join(QLatin1Char(',')) + QLatin1Char(']');
    }
    case tkClass:
        if (p.metaType().id() == QMetaType::QStringList) return QString();
        return ObjectText(info, value.value<QObject*>());
    default:
        return QString();
    }
}

QString TPropsStorage::ObjectText(const TPropInfo&, QObject* value) {
    if (!value) return QStringLiteral("(null)");
    if (qobject_cast<TCollection*>(value) || value->parent() == AObject) return QString();
    QObject* owner = OwnerOf(value);
    if (!owner || owner == Root) return value->objectName();
    return QStringLiteral("%1.%2").arg(OwnerName(owner), value->objectName());
}

void TPropsStorage::SetPropertyText(const TPropInfo& info, const QString& text) {
    const QMetaProperty& p = info.Property;
    switch (info.Kind) {
    case tkInteger: {
        int n = 0;
        if (!TryTextToInt(text.toStdString(), n)) n = 0;
        p.write(AObject, IsUnsigned32(p) ? QVariant(static_cast<uint>(n)) : QVariant(n));
        return;
    }
    case tkChar:
        p.write(AObject,
                QVariant::fromValue(static_cast<char>(text.isEmpty() ? 0 : text[0].toLatin1())));
        return;
    case tkWChar:
        p.write(AObject, QVariant::fromValue(text.isEmpty() ? QChar() : text[0]));
        return;
    case tkEnumeration: {
        if (p.metaType().id() == QMetaType::Bool) {
            if (text.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
                p.write(AObject, false);
            else if (text.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
                p.write(AObject, true);
            return;
        }
        const QMetaEnum e = p.enumerator();
        std::vector<int> order(static_cast<std::size_t>(e.keyCount()));
        for (int i = 0; i < e.keyCount(); ++i)
            order[static_cast<std::size_t>(i)] = i;
        std::stable_sort(order.begin(), order.end(),
                         [&](int a, int b) { return e.value(a) < e.value(b); });
        for (int i : order)
            if (text.compare(QLatin1String(e.key(i)), Qt::CaseInsensitive) == 0) {
                p.write(AObject, e.value(i));
                return;
            }
        return;
    }
    case tkFloat: {
        QString local = text;
        local.replace(QLatin1Char('.'), QLatin1Char(DecimalSeparator()));
        double value = 0;
        if (TryTextToFloat(local.toStdString(), value)) p.write(AObject, value);
        return;
    }
    case tkString:
        p.write(AObject, text.toUtf8());
        return;
    case tkLString:
    case tkWString:
        p.write(AObject, text);
        return;
    case tkVariant:
        p.write(AObject, QVariant(text));
        return;
    case tkSet: {
        const auto elements = SetElements(p.enumerator());
        quint32 bits = 0;
        static const QRegularExpression separators(QStringLiteral("[\\s,\\[\\]]+"));
        for (const QString& word : text.split(separators, Qt::SkipEmptyParts))
            for (const auto& [bit, name] : elements)
                if (word.compare(QLatin1String(name), Qt::CaseInsensitive) == 0) bits |= 1u << bit;
        p.write(AObject, static_cast<int>(bits));
        return;
    }
    case tkClass:
        if (p.metaType().id() == QMetaType::QStringList) {
            const QString section = ListSection(info);
            int count = 0;
            const QString countText = ReadString(section, QStringLiteral("Count"), "0").trimmed();
            // A count no settings file could mean is damage, not a list.
            constexpr int kMaxLines = 1000000;
            if (!TryTextToInt(countText.toStdString(), count) || count <= 0 || count > kMaxLines)
                return;
            QStringList lines;
            for (int i = 0; i < count; ++i)
                lines << ReadString(section, QStringLiteral("Item%1").arg(i), QString());
            p.write(AObject, lines);
            return;
        }
        SetObjectText(info, p.read(AObject).value<QObject*>(), text);
        return;
    default:
        return;
    }
}

void TPropsStorage::SetObjectText(const TPropInfo& info, QObject* value, const QString& text) {
    if (auto* collection = qobject_cast<TCollection*>(value)) {
        const QString section = ListSection(info);
        collection->BeginUpdate();
        try {
            for (int i = 0; i < collection->Count(); ++i)
                Nested(collection->Item(i), section, QStringLiteral("Item%1_").arg(i))
                    ->LoadProperties();
        } catch (...) {
            collection->EndUpdate();
            throw;
        }
        collection->EndUpdate();
        return;
    }
    if (value && value->parent() == AObject) {
        Nested(value, Section, GetItemName(info.Name()))->LoadProperties();
        return;
    }
    SetReference(info, text);
}

void TPropsStorage::SetReference(const TPropInfo& info, const QString& text) {
    if (text.isEmpty()) return;
    const QMetaType type = info.Property.metaType();
    const auto assign = [&](QObject* object) {
        if (object && !object->metaObject()->inherits(type.metaObject())) return;
        info.Property.write(AObject, QVariant(type, &object));
    };
    if (text.compare(QLatin1String("(null)"), Qt::CaseInsensitive) == 0) {
        assign(nullptr);
        return;
    }
    const qsizetype dot = text.indexOf(QLatin1Char('.'));
    const QString ownerName = dot < 0 ? QString() : text.left(dot);
    const QString name = dot < 0 ? text : text.mid(dot + 1);
    QObject* owner = Root;
    if (!ownerName.isEmpty()) {
        owner = nullptr;
        for (QWidget* window : QApplication::topLevelWidgets())
            if (window->objectName().compare(ownerName, Qt::CaseInsensitive) == 0) {
                owner = window;
                break;
            }
    }
    if (owner) assign(FindComponent(owner, name));
}
