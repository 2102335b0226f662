#pragma once

// The unit "Unicode": TWideStrings, a list of UTF-16 strings shaped like the
// class library's TStrings, and TWideStringList, which stores the items and
// adds change events, a sorted mode and a binary search. Text files are read
// with a byte-order mark (either byte order) as UTF-16, else as 8-bit text in
// the system ANSI code page, and written back the same way.

#include <cstdint>

#include "platform/vcl/classes.h"
#include "platform/vcl/filer.h"
#include "platform/vcl/lists.h"
#include "platform/vcl/streams.h"
#include "platform/win32/wintypes.h"

namespace launcher {

using vcl::AnsiString;
using vcl::WideString;

// The class library's error for a call of an abstract method; the library
// stand-in has none yet.
class EAbstractError : public vcl::Exception {
public:
    using Exception::Exception;
};
inline constexpr const char* kAbstractError = "Abstrakter Fehler";
inline constexpr const char* kWideDuplicateString = "In der Stringliste sind Duplikate nicht erlaubt";

using TConfirmConversionEvent = vcl::TEvent<vcl::TObject*, bool&>;

// Case-insensitive three-way order of two strings under `locale`.
int WideCompareText(const WideString& s1, const WideString& s2, LCID locale);
int CompareTextWinNT(const WideString& s1, const WideString& s2, LCID locale);
int CompareTextWin95(const WideString& s1, const WideString& s2, LCID locale);
UINT CodePageFromLocale(LCID locale);

// One byte per UTF-16 unit of `text`, through `codePage`.
AnsiString WideStringToAnsi(const WideString& text, WORD codePage);

// NUL-terminated UTF-16 buffers. StrAllocW keeps the byte size of its block
// in the word before the returned address; StrDisposeW frees such a block.
std::size_t StrLenW(const char16_t* text);
char16_t* StrMoveW(char16_t* dest, const char16_t* source, std::size_t count);
char16_t* StrAllocW(std::size_t units);
char16_t* StrNewW(const char16_t* text);
void StrDisposeW(char16_t* text);
// Swaps the bytes of each unit in place up to the first zero unit.
void StrSwapByteOrder(char16_t* text);

class TWideStrings : public vcl::TPersistent {
    VCL_DECLARE_CLASS(TWideStrings, vcl::TPersistent)
public:
    TWideStrings();

    void Assign(vcl::TPersistent* source) override;
    void DefineProperties(vcl::TFiler* filer) override;

    virtual WideString Get(int index) const;  // abstract here
    virtual int GetCapacity() const { return GetCount(); }
    virtual int GetCount() const;             // abstract here
    virtual void* GetObject(int index) const;
    virtual WideString GetTextStr() const;
    virtual void Put(int index, const WideString& s);
    virtual void PutObject(int index, void* object);
    virtual void SetCapacity(int capacity);
    virtual void SetTextStr(const WideString& text);
    virtual void SetLanguage(LCID language) { language_ = language; }
    virtual int Add(const WideString& s);
    virtual int AddObject(const WideString& s, void* object);
    virtual void AddStrings(vcl::TStrings* strings);
    virtual void AddStrings(TWideStrings* strings);
    virtual void Clear();                    // abstract here
    virtual void Delete(int index);          // abstract here
    virtual void Exchange(int index1, int index2);
    virtual char16_t* GetText() const;
    virtual int IndexOf(const WideString& s) const;
    virtual void Insert(int index, const WideString& s);  // abstract here
    virtual void LoadFromFile(const AnsiString& fileName);
    virtual void LoadFromStream(vcl::TStream* stream);
    virtual void Move(int curIndex, int newIndex);
    virtual void SaveToFile(const AnsiString& fileName);
    virtual void SaveToStream(vcl::TStream* stream);
    virtual void SetText(const char16_t* text);

    void InsertObject(int index, const WideString& s, void* object);
    void BeginUpdate();
    void EndUpdate();
    bool Equals(const TWideStrings* strings) const;

    int Count() const { return GetCount(); }
    WideString Strings(int index) const { return Get(index); }
    void* Objects(int index) const { return GetObject(index); }
    WideString Text() const { return GetTextStr(); }
    int UpdateCount() const { return updateCount_; }
    LCID Language() const { return language_; }
    bool Saved() const { return saved_; }
    bool SaveUnicode() const { return saveUnicode_; }
    void SetSaveUnicode(bool value) { saveUnicode_ = value; }

    TConfirmConversionEvent OnConfirmConversion;

protected:
    void AssignTo(vcl::TPersistent* dest) override;
    virtual void SetUpdateState(bool) {}
    [[noreturn]] void Error(const char* message, std::int64_t data) const;

private:
    void ReadData(vcl::TReader* reader);
    void WriteData(vcl::TWriter* writer);

    int updateCount_ = 0;
    LCID language_ = 0;
    bool saved_ = false;
    bool saveUnicode_ = false;
};

using vcl::TDuplicates;
using vcl::dupAccept;
using vcl::dupError;
using vcl::dupIgnore;

class TWideStringList : public TWideStrings {
    VCL_DECLARE_CLASS(TWideStringList, TWideStrings)
public:
    TWideStringList() = default;
    ~TWideStringList() override;

    WideString Get(int index) const override;
    int GetCapacity() const override { return static_cast<int>(items_.size()); }
    int GetCount() const override { return count_; }
    void* GetObject(int index) const override;
    void Put(int index, const WideString& s) override;
    void PutObject(int index, void* object) override;
    void SetCapacity(int capacity) override;
    void SetLanguage(LCID language) override;
    int Add(const WideString& s) override;
    void Clear() override;
    void Delete(int index) override;
    void Exchange(int index1, int index2) override;
    int IndexOf(const WideString& s) const override;
    void Insert(int index, const WideString& s) override;

    virtual void Changed();
    virtual void Changing();
    virtual bool Find(const WideString& s, int& index) const;
    virtual void Sort();

    bool Sorted() const { return sorted_; }
    void SetSorted(bool sorted);
    TDuplicates Duplicates() const { return duplicates_; }
    void SetDuplicates(TDuplicates duplicates) { duplicates_ = duplicates; }

    vcl::TNotifyEvent OnChange;
    vcl::TNotifyEvent OnChanging;

protected:
    void SetUpdateState(bool updating) override;

private:
    struct Item {
        WideString text;
        void* object = nullptr;
    };
    void CheckIndex(int index) const;
    void Grow();
    void InsertItem(int index, const WideString& s);
    void ExchangeItems(int index1, int index2);
    void QuickSort(int l, int r);

    std::vector<Item> items_;  // its size is the capacity
    int count_ = 0;
    bool sorted_ = false;
    TDuplicates duplicates_ = dupIgnore;
};

}  // namespace launcher
