#pragma once

#include "TPropInfoList.h"

#include <QList>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>

class QObject;

// One entry of a stored-property list: "Component.Property" and the component
// it names (kept up to date, so renaming or deleting the component is seen).
struct TStoredProp {
    QString Text;
    QPointer<QObject> Component;
};
using TStoredPropList = QList<TStoredProp>;

// The component named `name` (ignoring letter case) among the objects `owner`
// holds, at any depth; nullptr when there is none.
QObject* FindComponent(const QObject* owner, const QString& name);

// Splits "Component.Property" at its first "." into trimmed parts; false when
// there is no "." or a part is empty.
bool SplitStoredProp(const QString& text, QString& component, QString& property);

// Gives every entry the component of `root` it names; entries that are
// malformed or name no component are deleted (last to first).
void ResolveStoredProps(const QObject* root, TStoredPropList& entries);

// Turns the properties of objects into key/value text entries of a settings
// section and back, through three operations the caller connects. Knows
// nothing about files.
class TPropsStorage {
public:
    TPropsStorage() = default;
    virtual ~TPropsStorage() = default;
    TPropsStorage(const TPropsStorage&) = delete;
    TPropsStorage& operator=(const TPropsStorage&) = delete;

    // (section, key, default) → text; with none connected every read is empty.
    std::function<QString(const QString&, const QString&, const QString&)> OnReadString;
    // (section, key, value).
    std::function<void(const QString&, const QString&, const QString&)> OnWriteString;
    // (section): removes the whole section.
    std::function<void(const QString&)> OnEraseSection;

    QObject* AObject = nullptr; // the object whose properties are converted
    QObject* Root = nullptr;    // the window that owns the stored components
    QString Prefix;             // put before every property name to form a key
    QString Section;

    // The entry points: each entry "Component.Property" is stored under the
    // key "Component_Property" of Section. Entries whose component is gone are
    // deleted; malformed entries and unknown properties are skipped.
    void StoreObjectsProps(QObject* root, TStoredPropList& entries);
    // Errors converting or setting one property are swallowed.
    void LoadObjectsProps(QObject* root, TStoredPropList& entries);

    // One property of AObject.
    void StoreAnyProperty(const TPropInfo& info);
    void LoadAnyProperty(const TPropInfo& info);
    // Every storable property of AObject.
    void StoreProperties();
    void LoadProperties();

    // The text form of a property of AObject (empty for the object kinds,
    // which keep their values elsewhere) and its reverse.
    QString PropertyText(const TPropInfo& info);
    void SetPropertyText(const TPropInfo& info, const QString& text);

protected:
    virtual QString ReadString(const QString& section, const QString& key, const QString& def);
    virtual void WriteString(const QString& section, const QString& key, const QString& value);
    virtual void EraseSection(const QString& section);
    virtual QString GetItemName(const QString& propertyName) const;
    // A storage of the same kind, for nested objects and collection items.
    virtual std::unique_ptr<TPropsStorage> CreateStorage() const;

private:
    enum class Prepared { Store, Load };
    void ForEachEntry(QObject* root, TStoredPropList& entries, Prepared direction);
    std::unique_ptr<TPropsStorage> Nested(QObject* object, const QString& section,
                                          const QString& prefix) const;
    QString ListSection(const TPropInfo& info) const;
    QString ObjectText(const TPropInfo& info, QObject* value);
    void SetObjectText(const TPropInfo& info, QObject* value, const QString& text);
    void SetReference(const TPropInfo& info, const QString& text);
};
