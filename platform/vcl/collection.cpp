#include "platform/vcl/collection.h"

namespace vcl {

VCL_IMPLEMENT_CLASS(TCollectionItem, TPersistent, [](auto&) {})
VCL_IMPLEMENT_CLASS(TCollection, TPersistent, [](auto&) {})

TCollectionItem::TCollectionItem(TCollection* collection)
{
    SetCollection(collection);
}

TCollectionItem::~TCollectionItem()
{
    SetCollection(nullptr);
}

void TCollectionItem::SetCollection(TCollection* collection)
{
    if (collection_ == collection)
        return;
    if (collection_)
        collection_->RemoveItem(this);
    if (collection)
        collection->InsertItem(this);
}

int TCollectionItem::Index() const
{
    if (!collection_)
        return -1;
    const auto& items = collection_->items_;
    auto it = std::find(items.begin(), items.end(), this);
    return it == items.end() ? -1 : static_cast<int>(it - items.begin());
}

void TCollectionItem::SetIndex(int index)
{
    const int current = Index();
    if (current < 0 || index == current)
        return;
    auto& items = collection_->items_;
    if (index < 0 || index >= static_cast<int>(items.size()))
        throw EListError(Format(consts::SListIndexError, index));
    items.erase(items.begin() + current);
    items.insert(items.begin() + index, this);
    Changed(true);
}

AnsiString TCollectionItem::GetNamePath() const
{
    if (!collection_)
        return ClassName();
    return collection_->GetNamePath() + "[" + IntToStr(Index()) + "]";
}

TPersistent* TCollectionItem::GetOwner() const { return collection_; }

void TCollectionItem::Changed(bool allItems)
{
    if (collection_ && collection_->updateCount_ == 0)
        collection_->Update(allItems ? nullptr : this);
}

TCollection::TCollection(TClass itemClass) : itemClass_(itemClass) {}

TCollection::~TCollection()
{
    updateCount_ = 1;  // no updates while going away
    Clear();
}

TCollectionItem* TCollection::Add()
{
    if (!itemClass_ || !itemClass_->create)
        throw EInvalidOperation(Format(consts::SClassNotFound, itemClass_ ? itemClass_->ClassName() : "nil"));
    TPersistent* p = itemClass_->create(nullptr);
    auto* item = dynamic_cast<TCollectionItem*>(p);
    if (!item) {
        delete p;
        throw EInvalidOperation(consts::SInvalidPropertyType);
    }
    item->SetCollection(this);
    return item;
}

TCollectionItem* TCollection::Insert(int index)
{
    TCollectionItem* item = Add();
    item->SetIndex(index);
    return item;
}

void TCollection::Delete(int index)
{
    delete Items(index);
}

void TCollection::Clear()
{
    if (items_.empty())
        return;
    BeginUpdate();
    while (!items_.empty())
        delete items_.back();
    EndUpdate();
}

TCollectionItem* TCollection::Items(int index) const
{
    if (index < 0 || index >= Count())
        throw EListError(Format(consts::SListIndexError, index));
    return items_[static_cast<size_t>(index)];
}

TCollectionItem* TCollection::FindItemID(int id) const
{
    for (TCollectionItem* item : items_) {
        if (item->id_ == id)
            return item;
    }
    return nullptr;
}

void TCollection::Assign(TPersistent* source)
{
    auto* other = dynamic_cast<TCollection*>(source);
    if (!other) {
        TPersistent::Assign(source);
        return;
    }
    BeginUpdate();
    Clear();
    for (TCollectionItem* item : other->items_)
        Add()->Assign(item);
    EndUpdate();
}

void TCollection::EndUpdate()
{
    if (updateCount_ > 0 && --updateCount_ == 0)
        Changed();
}

AnsiString TCollection::GetNamePath() const
{
    return owner_ ? owner_->GetNamePath() : ClassName();
}

void TCollection::Update(TCollectionItem*) {}

void TCollection::Changed()
{
    if (updateCount_ == 0)
        Update(nullptr);
}

void TCollection::InsertItem(TCollectionItem* item)
{
    items_.push_back(item);
    item->collection_ = this;
    item->id_ = nextId_++;
    Changed();
}

void TCollection::RemoveItem(TCollectionItem* item)
{
    std::erase(items_, item);
    item->collection_ = nullptr;
    Changed();
}

}  // namespace vcl
