#include "platform/vcl/lists.h"

#include <algorithm>

#include "platform/vcl/filer.h"
#include "platform/vcl/streams.h"

namespace vcl {

VCL_IMPLEMENT_CLASS(TList, TObject, [](auto&) {})
VCL_IMPLEMENT_CLASS(TStrings, TPersistent, [](auto&) {})
VCL_IMPLEMENT_CLASS(TStringList, TStrings, [](auto& b) { b.Persistent(); })

// ------------------------------------------------------------------ TList

constexpr int kMaxListSize = 0x7FFFFFF;

void TList::Error(const char* message, std::int64_t data)
{
    throw EListError(Format(message, data));
}

void TList::CheckIndex(int index) const
{
    if (index < 0 || index >= Count())
        Error(consts::SListIndexError, index);
}

int TList::Add(void* item)
{
    items_.push_back(item);
    capacity_ = std::max(capacity_, Count());
    return Count() - 1;
}

void TList::Insert(int index, void* item)
{
    if (index < 0 || index > Count())
        Error(consts::SListIndexError, index);
    items_.insert(items_.begin() + index, item);
    capacity_ = std::max(capacity_, Count());
}

void TList::Delete(int index)
{
    CheckIndex(index);
    items_.erase(items_.begin() + index);
}

int TList::Remove(void* item)
{
    const int index = IndexOf(item);
    if (index >= 0)
        Delete(index);
    return index;
}

void* TList::Extract(void* item)
{
    const int index = IndexOf(item);
    if (index < 0)
        return nullptr;
    Delete(index);
    return item;
}

int TList::IndexOf(void* item) const
{
    auto it = std::find(items_.begin(), items_.end(), item);
    return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
}

void* TList::Get(int index) const
{
    CheckIndex(index);
    return items_[static_cast<size_t>(index)];
}

void TList::Put(int index, void* item)
{
    CheckIndex(index);
    items_[static_cast<size_t>(index)] = item;
}

void TList::SetCount(int count)
{
    if (count < 0 || count > kMaxListSize)
        Error(consts::SListCountError, count);
    items_.resize(static_cast<size_t>(count), nullptr);
    capacity_ = std::max(capacity_, count);
}

void TList::SetCapacity(int capacity)
{
    if (capacity < Count() || capacity > kMaxListSize)
        Error(consts::SListCapacityError, capacity);
    capacity_ = capacity;
    items_.reserve(static_cast<size_t>(capacity));
}

void TList::Clear()
{
    items_.clear();
    capacity_ = 0;
}

void TList::Exchange(int index1, int index2)
{
    CheckIndex(index1);
    CheckIndex(index2);
    std::swap(items_[static_cast<size_t>(index1)], items_[static_cast<size_t>(index2)]);
}

void TList::Move(int from, int to)
{
    if (from == to)
        return;
    CheckIndex(to);
    void* item = Get(from);
    items_.erase(items_.begin() + from);
    items_.insert(items_.begin() + to, item);
}

void TList::Pack() { std::erase(items_, nullptr); }

void TList::Sort(const std::function<int(void*, void*)>& compare)
{
    std::stable_sort(items_.begin(), items_.end(), [&](void* a, void* b) { return compare(a, b) < 0; });
}

// ---------------------------------------------------------------- TStrings

void TStrings::Error(const char* message, std::int64_t data) const
{
    throw EStringListError(Format(message, data));
}

void TStrings::Put(int index, const AnsiString& s)
{
    TObject* object = GetObject(index);
    Delete(index);
    InsertObject(index, s, object);
}

int TStrings::Add(const AnsiString& s)
{
    const int index = GetCount();
    Insert(index, s);
    return index;
}

int TStrings::AddObject(const AnsiString& s, TObject* object)
{
    const int index = Add(s);
    PutObject(index, object);
    return index;
}

void TStrings::InsertObject(int index, const AnsiString& s, TObject* object)
{
    Insert(index, s);
    PutObject(index, object);
}

void TStrings::AddStrings(TStrings* strings)
{
    BeginUpdate();
    for (int i = 0; i < strings->Count(); ++i)
        AddObject(strings->Get(i), strings->GetObject(i));
    EndUpdate();
}

int TStrings::IndexOf(const AnsiString& s) const
{
    for (int i = 0; i < GetCount(); ++i) {
        if (AnsiCompareText(Get(i), s) == 0)
            return i;
    }
    return -1;
}

int TStrings::IndexOfName(const AnsiString& name) const
{
    for (int i = 0; i < GetCount(); ++i) {
        const AnsiString s = Get(i);
        const size_t eq = s.find('=');
        if (eq != AnsiString::npos && AnsiCompareText(s.substr(0, eq), name) == 0)
            return i;
    }
    return -1;
}

int TStrings::IndexOfObject(TObject* object) const
{
    for (int i = 0; i < GetCount(); ++i) {
        if (GetObject(i) == object)
            return i;
    }
    return -1;
}

AnsiString TStrings::Names(int index) const
{
    const AnsiString s = Get(index);
    const size_t eq = s.find('=');
    return eq == AnsiString::npos ? AnsiString() : s.substr(0, eq);
}

AnsiString TStrings::Values(const AnsiString& name) const
{
    const int i = IndexOfName(name);
    if (i < 0)
        return AnsiString();
    const AnsiString s = Get(i);
    return s.substr(s.find('=') + 1);
}

void TStrings::SetValue(const AnsiString& name, const AnsiString& value)
{
    const int i = IndexOfName(name);
    if (value.empty()) {
        if (i >= 0)
            Delete(i);
        return;
    }
    if (i < 0)
        Add(name + "=" + value);
    else
        Put(i, name + "=" + value);
}

void TStrings::Exchange(int index1, int index2)
{
    BeginUpdate();
    const AnsiString s1 = Get(index1), s2 = Get(index2);
    TObject* o1 = GetObject(index1);
    TObject* o2 = GetObject(index2);
    Put(index1, s2);
    PutObject(index1, o2);
    Put(index2, s1);
    PutObject(index2, o1);
    EndUpdate();
}

void TStrings::Move(int from, int to)
{
    if (from == to)
        return;
    BeginUpdate();
    const AnsiString s = Get(from);
    TObject* o = GetObject(from);
    Delete(from);
    InsertObject(to, s, o);
    EndUpdate();
}

bool TStrings::Equals(TStrings* strings) const
{
    if (!strings || strings->Count() != Count())
        return false;
    for (int i = 0; i < Count(); ++i) {
        if (Get(i) != strings->Get(i))
            return false;
    }
    return true;
}

AnsiString TStrings::GetTextStr() const
{
    AnsiString out;
    for (int i = 0; i < GetCount(); ++i)
        out += Get(i) + "\r\n";
    return out;
}

void TStrings::SetTextStr(const AnsiString& text)
{
    BeginUpdate();
    Clear();
    size_t start = 0;
    while (start < text.size()) {
        size_t end = start;
        while (end < text.size() && text[end] != '\r' && text[end] != '\n')
            ++end;
        Add(text.substr(start, end - start));
        if (end < text.size() && text[end] == '\r')
            ++end;
        if (end < text.size() && text[end] == '\n')
            ++end;
        start = end;
    }
    EndUpdate();
}

AnsiString TStrings::CommaText() const
{
    AnsiString out;
    for (int i = 0; i < GetCount(); ++i) {
        const AnsiString s = Get(i);
        const bool quote = s.empty() || s.find_first_of(" \",") != AnsiString::npos ||
                           std::any_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) < ' '; });
        if (i)
            out += ',';
        out += quote ? '"' + StringReplaceAll(s, "\"", "\"\"") + '"' : s;
    }
    return out;
}

void TStrings::SetCommaText(const AnsiString& text)
{
    BeginUpdate();
    Clear();
    size_t i = 0;
    auto skipBlanks = [&] {
        while (i < text.size() && static_cast<unsigned char>(text[i]) <= ' ')
            ++i;
    };
    skipBlanks();
    while (i < text.size()) {
        AnsiString item;
        if (text[i] == '"') {
            ++i;
            while (i < text.size()) {
                if (text[i] == '"') {
                    if (i + 1 < text.size() && text[i + 1] == '"') {
                        item += '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                item += text[i++];
            }
        } else {
            while (i < text.size() && text[i] != ',' && static_cast<unsigned char>(text[i]) > ' ')
                item += text[i++];
        }
        Add(item);
        skipBlanks();
        if (i < text.size() && text[i] == ',') {
            ++i;
            skipBlanks();
        }
    }
    EndUpdate();
}

void TStrings::BeginUpdate()
{
    if (updateCount_++ == 0)
        SetUpdateState(true);
}

void TStrings::EndUpdate()
{
    if (updateCount_ > 0 && --updateCount_ == 0)
        SetUpdateState(false);
}

void TStrings::LoadFromStream(TStream* stream)
{
    const std::int64_t size = stream->Size() - stream->Position();
    AnsiString text(static_cast<size_t>(std::max<std::int64_t>(0, size)), '\0');
    if (!text.empty())
        stream->ReadBuffer(text.data(), static_cast<std::int32_t>(text.size()));
    SetTextStr(text);
}

void TStrings::SaveToStream(TStream* stream) const
{
    const AnsiString text = GetTextStr();
    stream->WriteBuffer(text.data(), static_cast<std::int32_t>(text.size()));
}

void TStrings::LoadFromFile(const AnsiString& fileName)
{
    TFileStream file(fileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(&file);
}

void TStrings::SaveToFile(const AnsiString& fileName) const
{
    TFileStream file(fileName, fmCreate);
    SaveToStream(&file);
}

void TStrings::Assign(TPersistent* source)
{
    auto* other = dynamic_cast<TStrings*>(source);
    if (!other) {
        TPersistent::Assign(source);
        return;
    }
    BeginUpdate();
    Clear();
    AddStrings(other);
    EndUpdate();
}

void TStrings::DefineProperties(TFiler* filer)
{
    filer->DefineProperty(
        "Strings",
        [this](TReader* reader) {
            reader->ReadListBegin();
            BeginUpdate();
            Clear();
            while (!reader->EndOfList())
                Add(reader->ReadString());
            EndUpdate();
            reader->ReadListEnd();
        },
        [this](TWriter* writer) {
            writer->WriteListBegin();
            for (int i = 0; i < Count(); ++i)
                writer->WriteString(Get(i));
            writer->WriteListEnd();
        },
        Count() > 0);
}

// ------------------------------------------------------------- TStringList

TStringList::~TStringList()
{
    OnChange = nullptr;
    OnChanging = nullptr;
}

AnsiString TStringList::Get(int index) const
{
    if (index < 0 || index >= GetCount())
        Error(consts::SListIndexError, index);
    return items_[static_cast<size_t>(index)].text;
}

TObject* TStringList::GetObject(int index) const
{
    if (index < 0 || index >= GetCount())
        Error(consts::SListIndexError, index);
    return items_[static_cast<size_t>(index)].object;
}

void TStringList::Put(int index, const AnsiString& s)
{
    if (sorted_)
        Error(consts::SSortedListError, 0);
    if (index < 0 || index >= GetCount())
        Error(consts::SListIndexError, index);
    Changing();
    items_[static_cast<size_t>(index)].text = s;
    Changed();
}

void TStringList::PutObject(int index, TObject* object)
{
    if (index < 0 || index >= GetCount())
        Error(consts::SListIndexError, index);
    Changing();
    items_[static_cast<size_t>(index)].object = object;
    Changed();
}

void TStringList::InsertItem(int index, const AnsiString& s, TObject* object)
{
    Changing();
    items_.insert(items_.begin() + index, Item{s, object});
    Changed();
}

void TStringList::Insert(int index, const AnsiString& s)
{
    if (sorted_)
        Error(consts::SSortedListError, 0);
    if (index < 0 || index > GetCount())
        Error(consts::SListIndexError, index);
    InsertItem(index, s, nullptr);
}

void TStringList::Delete(int index)
{
    if (index < 0 || index >= GetCount())
        Error(consts::SListIndexError, index);
    Changing();
    items_.erase(items_.begin() + index);
    Changed();
}

void TStringList::Clear()
{
    if (items_.empty())
        return;
    Changing();
    items_.clear();
    Changed();
}

int TStringList::Add(const AnsiString& s) { return AddObject(s, nullptr); }

int TStringList::AddObject(const AnsiString& s, TObject* object)
{
    int index = GetCount();
    if (sorted_ && Find(s, index)) {
        switch (duplicates_) {
        case dupIgnore: return index;
        case dupError: Error(consts::SDuplicateString, 0);
        case dupAccept: break;
        }
    }
    InsertItem(index, s, object);
    return index;
}

int TStringList::CompareStrings(const AnsiString& a, const AnsiString& b) const
{
    return caseSensitive_ ? AnsiCompareStr(a, b) : AnsiCompareText(a, b);
}

bool TStringList::Find(const AnsiString& s, int& index) const
{
    int low = 0, high = GetCount() - 1;
    bool found = false;
    while (low <= high) {
        const int mid = (low + high) / 2;
        const int c = CompareStrings(items_[static_cast<size_t>(mid)].text, s);
        if (c < 0) {
            low = mid + 1;
        } else {
            high = mid - 1;
            if (c == 0) {
                found = true;
                if (duplicates_ != dupAccept)
                    low = mid;
            }
        }
    }
    index = low;
    return found;
}

int TStringList::IndexOf(const AnsiString& s) const
{
    if (!sorted_) {
        for (int i = 0; i < GetCount(); ++i) {
            if (CompareStrings(items_[static_cast<size_t>(i)].text, s) == 0)
                return i;
        }
        return -1;
    }
    int index = 0;
    return Find(s, index) ? index : -1;
}

void TStringList::Exchange(int index1, int index2)
{
    if (index1 < 0 || index1 >= GetCount())
        Error(consts::SListIndexError, index1);
    if (index2 < 0 || index2 >= GetCount())
        Error(consts::SListIndexError, index2);
    Changing();
    std::swap(items_[static_cast<size_t>(index1)], items_[static_cast<size_t>(index2)]);
    Changed();
}

void TStringList::Sort()
{
    CustomSort([](TStringList* list, int a, int b) {
        return list->CompareStrings(list->items_[static_cast<size_t>(a)].text, list->items_[static_cast<size_t>(b)].text);
    });
}

void TStringList::CustomSort(const std::function<int(TStringList*, int, int)>& compare)
{
    Changing();
    // Sort an index permutation so the comparison sees the items by index.
    std::vector<int> order(items_.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = static_cast<int>(i);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return compare(this, a, b) < 0; });
    std::vector<Item> sorted;
    sorted.reserve(items_.size());
    for (int i : order)
        sorted.push_back(items_[static_cast<size_t>(i)]);
    items_ = std::move(sorted);
    Changed();
}

void TStringList::SetSorted(bool sorted)
{
    if (sorted_ == sorted)
        return;
    if (sorted)
        Sort();
    sorted_ = sorted;
}

void TStringList::SetCaseSensitive(bool value)
{
    if (caseSensitive_ == value)
        return;
    caseSensitive_ = value;
    if (sorted_)
        Sort();
}

void TStringList::SetUpdateState(bool updating)
{
    if (updating)
        Changing();
    else
        Changed();
}

void TStringList::Changed()
{
    if (UpdateCount() == 0)
        OnChange(this);
}

void TStringList::Changing()
{
    if (UpdateCount() == 0)
        OnChanging(this);
}

}  // namespace vcl
