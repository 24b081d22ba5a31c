#pragma once

#include "TFormPlacement.h"
#include "TPropsStorage.h"

#include <QStringList>

// A TFormPlacement that also keeps chosen properties of the window's
// components, named "Component.Property" in StoredProps, in the same section
// under the keys "Component_Property".
class TFormStorage : public TFormPlacement {
    Q_OBJECT
    Q_PROPERTY(QStringList StoredProps READ StoredProps WRITE SetStoredProps)
public:
    explicit TFormStorage(QObject* owner);

    QStringList StoredProps() const;
    // After Loaded() the entries are resolved at once, so entries naming no
    // component of the window are dropped here.
    void SetStoredProps(const QStringList& entries);
    // The entries with the components they name.
    TStoredPropList& StoredPropEntries() { return storedProps_; }

    void Loaded() override;

protected:
    void SaveStored() override;
    void RestoreStored() override;

private:
    void Connect(TPropsStorage& storage);

    TStoredPropList storedProps_;
    bool resolved_ = false;
};
