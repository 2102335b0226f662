#pragma once

// Pointer lists and string lists.

#include <functional>
#include <vector>

#include "platform/vcl/classes.h"

namespace vcl {

class TList : public TObject {
    VCL_DECLARE_CLASS(TList, TObject)
public:
    ~TList() override = default;
    int Add(void* item);
    void Insert(int index, void* item);
    void Delete(int index);
    int Remove(void* item);
    void* Extract(void* item);
    int IndexOf(void* item) const;
    void* Get(int index) const;        // EListError out of range
    void Put(int index, void* item);   // EListError out of range
    void* operator[](int index) const { return Get(index); }
    int Count() const { return static_cast<int>(items_.size()); }
    void SetCount(int count);
    int Capacity() const { return capacity_; }
    void SetCapacity(int capacity);
    void Clear();
    void Exchange(int index1, int index2);
    void Move(int from, int to);
    void* First() const { return Get(0); }
    void* Last() const { return Get(Count() - 1); }
    void Pack();
    TList* Expand() { return this; }
    // compare(a, b) < 0 when a sorts before b.
    void Sort(const std::function<int(void*, void*)>& compare);
    [[noreturn]] static void Error(const char* message, std::int64_t data);

private:
    void CheckIndex(int index) const;
    std::vector<void*> items_;
    int capacity_ = 0;
};

enum TDuplicates { dupIgnore, dupAccept, dupError };

class TStrings : public TPersistent {
    VCL_DECLARE_CLASS(TStrings, TPersistent)
public:
    // The primitives a list provides.
    virtual AnsiString Get(int index) const = 0;
    virtual int GetCount() const = 0;
    virtual TObject* GetObject(int index) const { (void)index; return nullptr; }
    virtual void Put(int index, const AnsiString& s);
    virtual void PutObject(int, TObject*) {}
    virtual void Insert(int index, const AnsiString& s) = 0;
    virtual void Delete(int index) = 0;
    virtual void Clear() = 0;

    int Count() const { return GetCount(); }
    AnsiString Strings(int index) const { return Get(index); }
    AnsiString operator[](int index) const { return Get(index); }
    TObject* Objects(int index) const { return GetObject(index); }
    virtual int Add(const AnsiString& s);
    virtual int AddObject(const AnsiString& s, TObject* object);
    void InsertObject(int index, const AnsiString& s, TObject* object);
    virtual void AddStrings(TStrings* strings);
    void Append(const AnsiString& s) { Add(s); }
    virtual int IndexOf(const AnsiString& s) const;
    int IndexOfName(const AnsiString& name) const;
    int IndexOfObject(TObject* object) const;
    AnsiString Names(int index) const;
    AnsiString Values(const AnsiString& name) const;
    void SetValue(const AnsiString& name, const AnsiString& value);
    virtual void Exchange(int index1, int index2);
    virtual void Move(int from, int to);
    bool Equals(TStrings* strings) const;

    // Lines joined by CR LF (each line ends with one); setting splits at CR
    // LF, CR or LF.
    virtual AnsiString GetTextStr() const;
    virtual void SetTextStr(const AnsiString& text);
    AnsiString Text() const { return GetTextStr(); }
    void SetText(const AnsiString& text) { SetTextStr(text); }
    AnsiString CommaText() const;
    void SetCommaText(const AnsiString& text);

    void BeginUpdate();
    void EndUpdate();
    int UpdateCount() const { return updateCount_; }

    virtual void LoadFromStream(TStream* stream);
    virtual void SaveToStream(TStream* stream) const;
    void LoadFromFile(const AnsiString& fileName);
    void SaveToFile(const AnsiString& fileName) const;

    void Assign(TPersistent* source) override;
    void DefineProperties(TFiler* filer) override;

protected:
    virtual void SetUpdateState(bool) {}
    [[noreturn]] void Error(const char* message, std::int64_t data) const;

private:
    int updateCount_ = 0;
};

class TStringList : public TStrings {
    VCL_DECLARE_CLASS(TStringList, TStrings)
public:
    TStringList() = default;
    ~TStringList() override;

    AnsiString Get(int index) const override;
    int GetCount() const override { return static_cast<int>(items_.size()); }
    TObject* GetObject(int index) const override;
    void Put(int index, const AnsiString& s) override;
    void PutObject(int index, TObject* object) override;
    void Insert(int index, const AnsiString& s) override;
    void Delete(int index) override;
    void Clear() override;
    int Add(const AnsiString& s) override;
    int AddObject(const AnsiString& s, TObject* object) override;
    int IndexOf(const AnsiString& s) const override;
    void Exchange(int index1, int index2) override;

    // Binary search of a sorted list; index is where s is or would go.
    virtual bool Find(const AnsiString& s, int& index) const;
    virtual void Sort();
    void CustomSort(const std::function<int(TStringList*, int, int)>& compare);
    bool Sorted() const { return sorted_; }
    void SetSorted(bool sorted);
    TDuplicates Duplicates() const { return duplicates_; }
    void SetDuplicates(TDuplicates d) { duplicates_ = d; }
    bool CaseSensitive() const { return caseSensitive_; }
    void SetCaseSensitive(bool value);

    TNotifyEvent OnChange;
    TNotifyEvent OnChanging;

protected:
    void SetUpdateState(bool updating) override;
    virtual void Changed();
    virtual void Changing();
    int CompareStrings(const AnsiString& a, const AnsiString& b) const;

private:
    struct Item {
        AnsiString text;
        TObject* object = nullptr;
    };
    void InsertItem(int index, const AnsiString& s, TObject* object);
    std::vector<Item> items_;
    bool sorted_ = false;
    bool caseSensitive_ = false;
    TDuplicates duplicates_ = dupIgnore;
};

}  // namespace vcl
