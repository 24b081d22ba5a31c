#include "TFormStorage.h"

TFormStorage::TFormStorage(QObject* owner) : TFormPlacement(owner) {}

QStringList TFormStorage::StoredProps() const {
    QStringList texts;
    for (const TStoredProp& entry : storedProps_)
        texts << entry.Text;
    return texts;
}

void TFormStorage::SetStoredProps(const QStringList& entries) {
    storedProps_.clear();
    for (const QString& text : entries)
        storedProps_.append(TStoredProp{text, nullptr});
    if (resolved_) ResolveStoredProps(parent(), storedProps_);
}

void TFormStorage::Loaded() {
    TFormPlacement::Loaded();
    ResolveStoredProps(parent(), storedProps_);
    resolved_ = true;
}

void TFormStorage::Connect(TPropsStorage& storage) {
    storage.Section = CurrentSection();
    storage.OnReadString = [this](const QString& s, const QString& k, const QString& d) {
        return ReadStoreString(s, k, d);
    };
    storage.OnWriteString = [this](const QString& s, const QString& k, const QString& v) {
        WriteStoreString(s, k, v);
    };
    storage.OnEraseSection = [this](const QString& s) { EraseStoreSection(s); };
}

void TFormStorage::SaveStored() {
    if (!resolved_) Loaded();
    TPropsStorage storage;
    Connect(storage);
    storage.StoreObjectsProps(parent(), storedProps_);
}

void TFormStorage::RestoreStored() {
    if (!resolved_) Loaded();
    restored_ = true;
    try {
        TPropsStorage storage;
        Connect(storage);
        storage.LoadObjectsProps(parent(), storedProps_);
    } catch (const std::exception&) {
        // A stored value that cannot be applied leaves the property as it is.
    }
}
