#include "launcher/wide_string_list.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "platform/vcl/sysutils.h"
#include "platform/win32/kernel/code_pages.h"
#include "platform/win32/kernel/compare_string.h"
#include "platform/win32/kernel/files.h"
#include "platform/win32/kernel/last_error.h"
#include "platform/win32/kernel/locale.h"
#include "platform/win32/kernel/version.h"

namespace launcher {

VCL_IMPLEMENT_CLASS(TWideStrings, vcl::TPersistent, [](auto& b) { b.Persistent(); })
VCL_IMPLEMENT_CLASS(TWideStringList, TWideStrings, [](auto& b) { b.Persistent(); })

namespace {

// Opens an update bracket for the life of a scope, so that an exception
// still closes it.
class UpdateBracket {
public:
    explicit UpdateBracket(TWideStrings* list) : list_(list) { list_->BeginUpdate(); }
    ~UpdateBracket() { list_->EndUpdate(); }
    UpdateBracket(const UpdateBracket&) = delete;
    UpdateBracket& operator=(const UpdateBracket&) = delete;

private:
    TWideStrings* list_;
};

WideString MultiByteToWide(UINT codePage, const char* bytes, std::size_t length)
{
    if (length == 0)
        return {};
    const int n = static_cast<int>(std::min<std::size_t>(length, 0x7FFFFFFF));
    WideString out(static_cast<std::size_t>(n), u'\0');
    const int written = MultiByteToWideChar(codePage, 0, bytes, n, reinterpret_cast<LPWSTR>(out.data()), n);
    out.resize(static_cast<std::size_t>(std::max(written, 0)));
    return out;
}

AnsiString WideToMultiByte(UINT codePage, const WideString& text)
{
    if (text.empty())
        return {};
    const int units = static_cast<int>(text.size());
    const auto* wide = reinterpret_cast<LPCWSTR>(text.data());
    const int needed = WideCharToMultiByte(codePage, 0, wide, units, nullptr, 0, nullptr, nullptr);
    AnsiString out(static_cast<std::size_t>(std::max(needed, 0)), '\0');
    if (needed > 0)
        WideCharToMultiByte(codePage, 0, wide, units, out.data(), needed, nullptr, nullptr);
    return out;
}

bool IsHighSurrogate(char16_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool IsLowSurrogate(char16_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

// Surrogates without their partner stand for no character; they become the
// replacement character so that no control is handed broken UTF-16.
void ReplaceLoneSurrogates(WideString& text)
{
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (IsHighSurrogate(text[i]) && i + 1 < text.size() && IsLowSurrogate(text[i + 1]))
            ++i;
        else if (IsHighSurrogate(text[i]) || IsLowSurrogate(text[i]))
            text[i] = u'\uFFFD';
    }
}

bool IsLineBreak(char16_t u)
{
    return u == 0x000A || u == 0x000B || u == 0x000C || u == 0x000D || u == 0x2028 || u == 0x2029;
}

// Reads up to `count` bytes, in pieces the stream interface can take.
std::vector<std::uint8_t> ReadBytes(vcl::TStream* stream, std::int64_t count)
{
    std::vector<std::uint8_t> bytes;
    constexpr std::int32_t kPiece = 1 << 20;
    while (count > 0) {
        const auto want = static_cast<std::int32_t>(std::min<std::int64_t>(count, kPiece));
        const std::size_t at = bytes.size();
        bytes.resize(at + static_cast<std::size_t>(want));
        const std::int32_t got = stream->Read(bytes.data() + at, want);
        bytes.resize(at + static_cast<std::size_t>(std::max(got, 0)));
        if (got < want)
            break;
        count -= got;
    }
    return bytes;
}

void WriteBytes(vcl::TStream* stream, const void* data, std::size_t count)
{
    const auto* p = static_cast<const std::uint8_t*>(data);
    constexpr std::size_t kPiece = 1 << 20;
    while (count > 0) {
        const std::size_t n = std::min(count, kPiece);
        stream->WriteBuffer(p, static_cast<std::int32_t>(n));
        p += n;
        count -= n;
    }
}

using CompareFunction = int (*)(const WideString&, const WideString&, LCID);

CompareFunction ChooseCompare()
{
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;
    if (GetVersionExA(&info) && info.dwPlatformId == VER_PLATFORM_WIN32_NT)
        return &CompareTextWinNT;
    return &CompareTextWin95;
}

}  // namespace

// ------------------------------------------------------------ free functions

int CompareTextWinNT(const WideString& s1, const WideString& s2, LCID locale)
{
    return CompareStringW(locale, NORM_IGNORECASE, reinterpret_cast<LPCWSTR>(s1.c_str()), static_cast<int>(s1.size()),
                          reinterpret_cast<LPCWSTR>(s2.c_str()), static_cast<int>(s2.size())) -
           2;
}

int CompareTextWin95(const WideString& s1, const WideString& s2, LCID locale)
{
    const UINT codePage = CodePageFromLocale(locale);
    const AnsiString a = WideStringToAnsi(s1, static_cast<WORD>(codePage));
    const AnsiString b = WideStringToAnsi(s2, static_cast<WORD>(codePage));
    return CompareStringA(locale, NORM_IGNORECASE, a.c_str(), static_cast<int>(a.size()), b.c_str(),
                          static_cast<int>(b.size())) -
           2;
}

int WideCompareText(const WideString& s1, const WideString& s2, LCID locale)
{
    static const CompareFunction compare = ChooseCompare();
    return compare(s1, s2, locale);
}

UINT CodePageFromLocale(LCID locale)
{
    char buffer[6] = {};
    GetLocaleInfoA(locale, LOCALE_IDEFAULTANSICODEPAGE, buffer, sizeof buffer);
    buffer[sizeof buffer - 1] = '\0';
    int value = 0;
    if (vcl::TryStrToInt(buffer, value) && value >= 0)
        return static_cast<UINT>(value);
    return GetACP();
}

AnsiString WideStringToAnsi(const WideString& text, WORD codePage)
{
    AnsiString result(text.size(), '\0');
    if (!text.empty()) {
        const int n = static_cast<int>(text.size());
        WideCharToMultiByte(codePage, 0, reinterpret_cast<LPCWSTR>(text.data()), n, result.data(), n, nullptr, nullptr);
    }
    return result;
}

std::size_t StrLenW(const char16_t* text)
{
    std::size_t n = 0;
    while (text[n] != 0)
        ++n;
    return n;
}

char16_t* StrMoveW(char16_t* dest, const char16_t* source, std::size_t count)
{
    std::memmove(dest, source, count * sizeof(char16_t));
    return dest;
}

char16_t* StrAllocW(std::size_t units)
{
    const std::size_t bytes = units * 2 + 4;
    auto* block = static_cast<std::uint8_t*>(std::calloc(bytes, 1));
    if (!block)
        throw vcl::EOutOfMemory(vcl::consts::SOutOfMemory);
    const auto stored = static_cast<std::uint32_t>(bytes);
    std::memcpy(block, &stored, sizeof stored);
    return reinterpret_cast<char16_t*>(block + 4);
}

char16_t* StrNewW(const char16_t* text)
{
    if (!text)
        return nullptr;
    const std::size_t units = StrLenW(text) + 1;
    return StrMoveW(StrAllocW(units), text, units);
}

void StrDisposeW(char16_t* text)
{
    if (text)
        std::free(reinterpret_cast<std::uint8_t*>(text) - 4);
}

void StrSwapByteOrder(char16_t* text)
{
    for (; *text != 0; ++text)
        *text = static_cast<char16_t>((*text << 8) | (*text >> 8));
}

// ------------------------------------------------------------- TWideStrings

TWideStrings::TWideStrings() : language_(GetUserDefaultLCID()) {}

void TWideStrings::Error(const char* message, std::int64_t data) const
{
    throw vcl::EStringListError(vcl::Format(message, data));
}

WideString TWideStrings::Get(int) const { throw EAbstractError(kAbstractError); }
int TWideStrings::GetCount() const { throw EAbstractError(kAbstractError); }
void TWideStrings::Clear() { throw EAbstractError(kAbstractError); }
void TWideStrings::Delete(int) { throw EAbstractError(kAbstractError); }
void TWideStrings::Insert(int, const WideString&) { throw EAbstractError(kAbstractError); }

void* TWideStrings::GetObject(int) const { return nullptr; }
void TWideStrings::PutObject(int, void*) {}
void TWideStrings::SetCapacity(int) {}

void TWideStrings::Put(int index, const WideString& s)
{
    void* const object = GetObject(index);
    Delete(index);
    InsertObject(index, s, object);
}

int TWideStrings::Add(const WideString& s)
{
    const int index = GetCount();
    Insert(index, s);
    return index;
}

int TWideStrings::AddObject(const WideString& s, void* object)
{
    const int index = Add(s);
    PutObject(index, object);
    return index;
}

void TWideStrings::InsertObject(int index, const WideString& s, void* object)
{
    Insert(index, s);
    PutObject(index, object);
}

void TWideStrings::AddStrings(TWideStrings* strings)
{
    UpdateBracket bracket(this);
    for (int i = 0; i < strings->GetCount(); ++i)
        AddObject(strings->Get(i), strings->GetObject(i));
}

void TWideStrings::AddStrings(vcl::TStrings* strings)
{
    UpdateBracket bracket(this);
    for (int i = 0; i < strings->GetCount(); ++i) {
        const AnsiString s = strings->Get(i);
        AddObject(MultiByteToWide(CP_ACP, s.data(), s.size()), strings->GetObject(i));
    }
}

void TWideStrings::Assign(vcl::TPersistent* source)
{
    if (source && source->Is<TWideStrings>()) {
        UpdateBracket bracket(this);
        Clear();
        AddStrings(static_cast<TWideStrings*>(source));
        return;
    }
    if (source && source->Is<vcl::TStrings>()) {
        auto* strings = static_cast<vcl::TStrings*>(source);
        UpdateBracket bracket(this);
        Clear();
        for (int i = 0; i < strings->GetCount(); ++i) {
            const AnsiString s = strings->Get(i);
            AddObject(MultiByteToWide(CP_ACP, s.data(), s.size()), strings->GetObject(i));
        }
        return;
    }
    inherited::Assign(source);
}

void TWideStrings::AssignTo(vcl::TPersistent* dest)
{
    if (dest && dest->Is<vcl::TStrings>()) {
        auto* strings = static_cast<vcl::TStrings*>(dest);
        strings->BeginUpdate();
        try {
            strings->Clear();
            for (int i = 0; i < GetCount(); ++i)
                strings->AddObject(WideToMultiByte(CP_ACP, Get(i)), static_cast<vcl::TObject*>(GetObject(i)));
        } catch (...) {
            strings->EndUpdate();
            throw;
        }
        strings->EndUpdate();
        return;
    }
    if (dest && dest->Is<TWideStrings>()) {
        auto* strings = static_cast<TWideStrings*>(dest);
        UpdateBracket bracket(strings);
        strings->Clear();
        strings->AddStrings(this);
        return;
    }
    inherited::AssignTo(dest);
}

void TWideStrings::BeginUpdate()
{
    if (updateCount_ == 0)
        SetUpdateState(true);
    ++updateCount_;
}

void TWideStrings::EndUpdate()
{
    --updateCount_;
    if (updateCount_ == 0)
        SetUpdateState(false);
}

bool TWideStrings::Equals(const TWideStrings* strings) const
{
    const int n = GetCount();
    if (!strings || strings->GetCount() != n)
        return false;
    for (int i = 0; i < n; ++i)
        if (Get(i) != strings->Get(i))
            return false;
    return true;
}

void TWideStrings::Exchange(int index1, int index2)
{
    UpdateBracket bracket(this);
    const WideString s = Get(index1);
    void* const object = GetObject(index1);
    Put(index1, Get(index2));
    PutObject(index1, GetObject(index2));
    Put(index2, s);
    PutObject(index2, object);
}

int TWideStrings::IndexOf(const WideString& s) const
{
    for (int i = 0; i < GetCount(); ++i)
        if (WideCompareText(Get(i), s, language_) == 0)
            return i;
    return -1;
}

void TWideStrings::Move(int curIndex, int newIndex)
{
    if (curIndex == newIndex)
        return;
    UpdateBracket bracket(this);
    const WideString s = Get(curIndex);
    void* const object = GetObject(curIndex);
    Delete(curIndex);
    InsertObject(newIndex, s, object);
}

WideString TWideStrings::GetTextStr() const
{
    WideString text;
    for (int i = 0; i < GetCount(); ++i) {
        text += Get(i);
        text += u"\r\n";
    }
    return text;
}

void TWideStrings::SetTextStr(const WideString& text)
{
    UpdateBracket bracket(this);
    Clear();
    const char16_t* p = text.c_str();
    while (*p != 0) {
        const char16_t* start = p;
        while (*p != 0 && !IsLineBreak(*p))
            ++p;
        Add(WideString(start, static_cast<std::size_t>(p - start)));
        if (*p == 0)
            break;
        if (p[0] == 0x000D && p[1] == 0x000A)
            p += 2;
        else
            ++p;
    }
}

char16_t* TWideStrings::GetText() const { return StrNewW(GetTextStr().c_str()); }

void TWideStrings::SetText(const char16_t* text) { SetTextStr(text ? WideString(text) : WideString()); }

void TWideStrings::LoadFromFile(const AnsiString& fileName)
{
    SetLastError(0);
    try {
        vcl::TFileStream stream(fileName, vcl::fmOpenRead | vcl::fmShareDenyNone);
        LoadFromStream(&stream);
    } catch (...) {
        // The stream reports a missing file by its own exception; the
        // attribute query leaves the matching OS error for the message.
        if (GetLastError() == 0)
            GetFileAttributesA(fileName.c_str());
        vcl::RaiseLastWin32Error();
    }
}

void TWideStrings::LoadFromStream(vcl::TStream* stream)
{
    UpdateBracket bracket(this);
    const std::int64_t n = std::max<std::int64_t>(stream->Size() - stream->Position(), 0);
    std::uint8_t mark[2] = {};
    const std::int32_t markBytes = stream->Read(mark, static_cast<std::int32_t>(std::min<std::int64_t>(n, 2)));
    const unsigned word = mark[0] | (mark[1] << 8);
    WideString text;
    if (markBytes == 2 && (word == 0xFEFF || word == 0xFFFE)) {
        saveUnicode_ = true;
        const std::vector<std::uint8_t> bytes = ReadBytes(stream, (n - 2) / 2 * 2);
        text.resize(bytes.size() / 2);
        for (std::size_t i = 0; i < text.size(); ++i)
            text[i] = static_cast<char16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
        if (word == 0xFFFE)
            StrSwapByteOrder(text.data());
        ReplaceLoneSurrogates(text);
    } else {
        saveUnicode_ = false;
        if (markBytes > 0)
            stream->Seek(-markBytes, vcl::soFromCurrent);
        const std::vector<std::uint8_t> bytes = ReadBytes(stream, n);
        text = MultiByteToWide(CP_ACP, reinterpret_cast<const char*>(bytes.data()), bytes.size());
    }
    SetTextStr(text);
}

void TWideStrings::SaveToStream(vcl::TStream* stream)
{
    const WideString text = GetTextStr();
    bool allowed = true;
    saved_ = false;
    if (!saveUnicode_ && OnConfirmConversion) {
        const bool lossy = std::any_of(text.begin(), text.end(), [](char16_t u) { return u < 1 || u > 255; });
        if (lossy)
            OnConfirmConversion(this, allowed);
    }
    if (!allowed)
        return;
    if (saveUnicode_) {
        std::vector<std::uint8_t> bytes;
        bytes.reserve(2 + text.size() * 2);
        bytes.push_back(0xFF);
        bytes.push_back(0xFE);
        for (const char16_t u : text) {
            bytes.push_back(static_cast<std::uint8_t>(u & 0xFF));
            bytes.push_back(static_cast<std::uint8_t>(u >> 8));
        }
        WriteBytes(stream, bytes.data(), bytes.size());
    } else {
        const AnsiString bytes = WideToMultiByte(CP_ACP, text);
        WriteBytes(stream, bytes.data(), bytes.size());
    }
    saved_ = true;
}

void TWideStrings::SaveToFile(const AnsiString& fileName)
{
    // Written beside the target and renamed over it, so that a failed or
    // refused save never leaves the old file cut short.
    const AnsiString temporary = fileName + ".tmp";
    {
        vcl::TFileStream stream(temporary, vcl::fmCreate);
        try {
            SaveToStream(&stream);
        } catch (...) {
            DeleteFileA(temporary.c_str());
            throw;
        }
    }
    if (!saved_) {
        DeleteFileA(temporary.c_str());
        return;
    }
    if (!MoveFileExA(temporary.c_str(), fileName.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        DeleteFileA(temporary.c_str());
        throw vcl::EFCreateError(vcl::Format(vcl::consts::SFCreateError, fileName));
    }
}

void TWideStrings::DefineProperties(vcl::TFiler* filer)
{
    // The streamer here knows no ancestors, so the list is stored whenever it
    // holds something.
    filer->DefineProperty(
        "WideStrings", [this](vcl::TReader* reader) { ReadData(reader); },
        [this](vcl::TWriter* writer) { WriteData(writer); }, GetCount() > 0);
}

void TWideStrings::ReadData(vcl::TReader* reader)
{
    reader->ReadListBegin();
    {
        UpdateBracket bracket(this);
        Clear();
        while (!reader->EndOfList())
            Add(reader->ReadWideString());
    }
    reader->ReadListEnd();
}

void TWideStrings::WriteData(vcl::TWriter* writer)
{
    writer->WriteListBegin();
    for (int i = 0; i < GetCount(); ++i)
        writer->WriteWideString(Get(i));
    writer->WriteListEnd();
}

// ---------------------------------------------------------- TWideStringList

TWideStringList::~TWideStringList()
{
    OnChange = nullptr;
    OnChanging = nullptr;
    count_ = 0;
    items_.clear();
}

void TWideStringList::Changed()
{
    if (UpdateCount() == 0 && OnChange)
        OnChange(this);
}

void TWideStringList::Changing()
{
    if (UpdateCount() == 0 && OnChanging)
        OnChanging(this);
}

void TWideStringList::SetUpdateState(bool updating)
{
    if (updating)
        Changing();
    else
        Changed();
}

void TWideStringList::CheckIndex(int index) const
{
    if (index < 0 || index >= count_)
        Error(vcl::consts::SListIndexError, index);
}

WideString TWideStringList::Get(int index) const
{
    CheckIndex(index);
    return items_[static_cast<std::size_t>(index)].text;
}

void* TWideStringList::GetObject(int index) const
{
    CheckIndex(index);
    return items_[static_cast<std::size_t>(index)].object;
}

void TWideStringList::Put(int index, const WideString& s)
{
    if (sorted_)
        Error(vcl::consts::SSortedListError, 0);
    CheckIndex(index);
    Changing();
    items_[static_cast<std::size_t>(index)].text = s;
    Changed();
}

void TWideStringList::PutObject(int index, void* object)
{
    CheckIndex(index);
    Changing();
    items_[static_cast<std::size_t>(index)].object = object;
    Changed();
}

void TWideStringList::SetCapacity(int capacity)
{
    // Never below the items in use, whatever a caller asks.
    items_.resize(static_cast<std::size_t>(std::max(capacity, count_)));
}

void TWideStringList::SetLanguage(LCID language)
{
    TWideStrings::SetLanguage(language);
    if (sorted_) {
        Changing();
        if (count_ > 1)
            QuickSort(0, count_ - 1);
        Changed();
    }
}

int TWideStringList::Add(const WideString& s)
{
    int index = count_;
    if (sorted_ && Find(s, index)) {
        if (duplicates_ == dupIgnore)
            return index;
        if (duplicates_ == dupError)
            Error(kWideDuplicateString, 0);
    }
    InsertItem(index, s);
    return index;
}

void TWideStringList::Clear()
{
    if (count_ == 0)
        return;
    Changing();
    items_.clear();
    items_.shrink_to_fit();
    count_ = 0;
    Changed();
}

void TWideStringList::Delete(int index)
{
    CheckIndex(index);
    Changing();
    for (int i = index; i < count_ - 1; ++i)
        items_[static_cast<std::size_t>(i)] = std::move(items_[static_cast<std::size_t>(i) + 1]);
    --count_;
    items_[static_cast<std::size_t>(count_)] = Item{};
    Changed();
}

void TWideStringList::Exchange(int index1, int index2)
{
    CheckIndex(index1);
    CheckIndex(index2);
    Changing();
    ExchangeItems(index1, index2);
    Changed();
}

void TWideStringList::ExchangeItems(int index1, int index2)
{
    std::swap(items_[static_cast<std::size_t>(index1)], items_[static_cast<std::size_t>(index2)]);
}

int TWideStringList::IndexOf(const WideString& s) const
{
    if (!sorted_)
        return TWideStrings::IndexOf(s);
    int index = 0;
    return Find(s, index) ? index : -1;
}

void TWideStringList::Insert(int index, const WideString& s)
{
    if (sorted_)
        Error(vcl::consts::SSortedListError, 0);
    if (index < 0 || index > count_)
        Error(vcl::consts::SListIndexError, index);
    InsertItem(index, s);
}

void TWideStringList::Grow()
{
    const int capacity = GetCapacity();
    const int delta = capacity > 64 ? capacity / 4 : (capacity > 8 ? 16 : 4);
    items_.resize(static_cast<std::size_t>(capacity + delta));
}

void TWideStringList::InsertItem(int index, const WideString& s)
{
    Changing();
    if (count_ == GetCapacity())
        Grow();
    for (int i = count_; i > index; --i)
        items_[static_cast<std::size_t>(i)] = std::move(items_[static_cast<std::size_t>(i) - 1]);
    items_[static_cast<std::size_t>(index)] = Item{s, nullptr};
    ++count_;
    Changed();
}

bool TWideStringList::Find(const WideString& s, int& index) const
{
    bool found = false;
    int l = 0;
    int h = count_ - 1;
    while (l <= h) {
        const int m = (l + h) >> 1;
        const int c = WideCompareText(items_[static_cast<std::size_t>(m)].text, s, Language());
        if (c < 0) {
            l = m + 1;
        } else {
            h = m - 1;
            if (c == 0) {
                found = true;
                if (duplicates_ != dupAccept)
                    l = m;
            }
        }
    }
    index = l;
    return found;
}

void TWideStringList::Sort()
{
    if (sorted_ || count_ < 2)
        return;
    Changing();
    QuickSort(0, count_ - 1);
    Changed();
}

void TWideStringList::SetSorted(bool sorted)
{
    if (sorted_ == sorted)
        return;
    if (sorted)
        Sort();
    sorted_ = sorted;
}

void TWideStringList::QuickSort(int l, int r)
{
    const LCID locale = Language();
    auto text = [this](int i) -> const WideString& { return items_[static_cast<std::size_t>(i)].text; };
    int i = 0;
    do {
        i = l;
        int j = r;
        const WideString pivot = text((l + r) >> 1);
        do {
            // The bounds only matter for a compare that is not a consistent
            // order; they keep the walk inside the list.
            while (i < r && WideCompareText(text(i), pivot, locale) < 0)
                ++i;
            while (j > l && WideCompareText(text(j), pivot, locale) > 0)
                --j;
            if (i <= j) {
                ExchangeItems(i, j);
                ++i;
                --j;
            }
        } while (i <= j);
        if (l < j)
            QuickSort(l, j);
        l = i;
    } while (i < r);
}

}  // namespace launcher
