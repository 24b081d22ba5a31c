#include "TCollection.h"

TCollection::~TCollection() {
    OnUpdate = nullptr;
    Clear();
}

void TCollection::Add(QObject* item) {
    item->setParent(this);
    items_.append(item);
    // An item deleted elsewhere leaves the list.
    connect(item, &QObject::destroyed, this, [this](QObject* gone) { items_.removeAll(gone); });
    Changed();
}

void TCollection::Clear() {
    const QList<QObject*> items = std::exchange(items_, {});
    qDeleteAll(items);
    Changed();
}

void TCollection::EndUpdate() {
    if (updateCount_ > 0 && --updateCount_ == 0) Changed();
}

void TCollection::Changed() {
    if (updateCount_ == 0 && OnUpdate) OnUpdate(this);
}
