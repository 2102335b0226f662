#pragma once

// Collections: an owned list of items of one class, streamed as a value of
// its owner's property.

#include <vector>

#include "platform/vcl/classes.h"

namespace vcl {

class TCollection;

class TCollectionItem : public TPersistent {
    VCL_DECLARE_CLASS(TCollectionItem, TPersistent)
public:
    explicit TCollectionItem(TCollection* collection = nullptr);
    ~TCollectionItem() override;

    TCollection* Collection() const { return collection_; }
    void SetCollection(TCollection* collection);
    int Index() const;
    virtual void SetIndex(int index);
    int ID() const { return id_; }
    virtual AnsiString GetDisplayName() const { return ClassName(); }
    AnsiString GetNamePath() const override;
    TPersistent* GetOwner() const override;

protected:
    // Tells the collection this item changed (`allItems`: the layout of all).
    void Changed(bool allItems);

private:
    friend class TCollection;
    TCollection* collection_ = nullptr;
    int id_ = 0;
};

class TCollection : public TPersistent {
    VCL_DECLARE_CLASS(TCollection, TPersistent)
public:
    explicit TCollection(TClass itemClass);
    ~TCollection() override;

    virtual TCollectionItem* Add();
    TCollectionItem* Insert(int index);
    void Delete(int index);
    void Clear();
    int Count() const { return static_cast<int>(items_.size()); }
    TCollectionItem* Items(int index) const;  // EListError out of range
    TCollectionItem* FindItemID(int id) const;
    TClass ItemClass() const { return itemClass_; }
    void Assign(TPersistent* source) override;
    virtual void BeginUpdate() { ++updateCount_; }
    virtual void EndUpdate();
    int UpdateCount() const { return updateCount_; }
    AnsiString GetNamePath() const override;

    // The owner whose property this collection is.
    TPersistent* GetOwner() const override { return owner_; }
    void SetOwner(TPersistent* owner) { owner_ = owner; }

protected:
    friend class TCollectionItem;
    // Called after changes (item null: the whole collection) outside updates.
    virtual void Update(TCollectionItem* item);
    void Changed();

private:
    void InsertItem(TCollectionItem* item);
    void RemoveItem(TCollectionItem* item);
    TClass itemClass_;
    TPersistent* owner_ = nullptr;
    std::vector<TCollectionItem*> items_;
    int nextId_ = 0;
    int updateCount_ = 0;
};

}  // namespace vcl
