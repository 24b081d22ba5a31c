#pragma once

#include <QList>
#include <QObject>

#include <functional>

// A list of owned items of one kind, each an object with its own properties
// (the columns of a table, the marks of a graph). The property text
// conversion stores every item's properties under "Item<index>_".
class TCollection : public QObject {
    Q_OBJECT
public:
    explicit TCollection(QObject* parent = nullptr) : QObject(parent) {}
    ~TCollection() override;

    int Count() const { return static_cast<int>(items_.size()); }
    QObject* Item(int index) const { return items_.value(index); }
    // Takes ownership of the item.
    void Add(QObject* item);
    void Clear();

    // Changes between BeginUpdate and the matching EndUpdate are announced once,
    // by OnUpdate at the end.
    void BeginUpdate() { ++updateCount_; }
    void EndUpdate();
    int UpdateCount() const { return updateCount_; }

    std::function<void(TCollection* sender)> OnUpdate;

private:
    void Changed();

    QList<QObject*> items_;
    int updateCount_ = 0;
};
