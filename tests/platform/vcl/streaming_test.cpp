#include <gtest/gtest.h>

#include <cstring>

#include "platform/vcl/collection.h"
#include "platform/vcl/filer.h"
#include "platform/vcl/lists.h"
#include "platform/vcl/streams.h"

using namespace vcl;

namespace {

enum TShade { shLight, shMedium, shDark };
const TEnumInfo kShadeInfo{"TShade", {"shLight", "shMedium", "shDark"}};
enum TFlavour { flSweet, flSour, flBitter, flSalty };
const TEnumInfo kFlavourInfo{"TFlavour", {"flSweet", "flSour", "flBitter", "flSalty"}};
using TFlavours = TSet<TFlavour>;

// A nested persistent object written as "Inner.Size" and so on.
class TInner : public TPersistent {
    VCL_DECLARE_CLASS(TInner, TPersistent)
public:
    int Size() const { return size_; }
    void SetSize(int v) { size_ = v; }
    AnsiString Label() const { return label_; }
    void SetLabel(const AnsiString& v) { label_ = v; }

private:
    int size_ = 8;
    AnsiString label_;
};
VCL_IMPLEMENT_CLASS(TInner, TPersistent, [](auto& b) {
    b.Int("Size", &TInner::Size, &TInner::SetSize, 8);
    b.Str("Label", &TInner::Label, &TInner::SetLabel);
})

class TEntry : public TCollectionItem {
    VCL_DECLARE_CLASS(TEntry, TCollectionItem)
public:
    explicit TEntry(TCollection* c = nullptr) : TCollectionItem(c) {}
    AnsiString Caption() const { return caption_; }
    void SetCaption(const AnsiString& v) { caption_ = v; }
    int Width() const { return width_; }
    void SetWidth(int v) { width_ = v; }

private:
    AnsiString caption_;
    int width_ = 50;
};
VCL_IMPLEMENT_CLASS(TEntry, TCollectionItem, [](auto& b) {
    b.Persistent();
    b.Str("Caption", &TEntry::Caption, &TEntry::SetCaption);
    b.Int("Width", &TEntry::Width, &TEntry::SetWidth, 50);
})

// A component with a published property of every kind, plus a stored
// binary property of its own making.
class TSample : public TComponent {
    VCL_DECLARE_CLASS(TSample, TComponent)
public:
    explicit TSample(TComponent* owner) : TComponent(owner), entries_(TEntry::StaticClass())
    {
        entries_.SetOwner(this);
    }
    ~TSample() override { SetBuddy(nullptr); }

    int Count() const { return count_; }
    void SetCount(int v) { count_ = v; }
    std::int64_t Big() const { return big_; }
    void SetBig(std::int64_t v) { big_ = v; }
    char Letter() const { return letter_; }
    void SetLetter(char v) { letter_ = v; }
    TShade Shade() const { return shade_; }
    void SetShade(TShade v) { shade_ = v; }
    bool Active() const { return active_; }
    void SetActive(bool v) { active_ = v; }
    TFlavours Flavours() const { return flavours_; }
    void SetFlavours(TFlavours v) { flavours_ = v; }
    double Ratio() const { return ratio_; }
    void SetRatio(double v) { ratio_ = v; }
    AnsiString Title() const { return title_; }
    void SetTitle(const AnsiString& v) { title_ = v; }
    WideString Caption() const { return caption_; }
    void SetCaption(const WideString& v) { caption_ = v; }
    TStringList* Lines() const { return const_cast<TStringList*>(&lines_); }
    TInner* Inner() const { return const_cast<TInner*>(&inner_); }
    TCollection* Entries() const { return const_cast<TCollection*>(&entries_); }
    TSample* Buddy() const { return buddy_; }
    void SetBuddy(TSample* b)
    {
        if (buddy_)
            buddy_->RemoveFreeNotification(this);
        buddy_ = b;
        if (b)
            b->FreeNotification(this);
    }
    TNotifyEvent OnPing;
    std::vector<std::uint8_t> blob;
    bool loaded = false;

    void Loaded() override
    {
        TComponent::Loaded();
        loaded = true;
    }
    void DefineProperties(TFiler* filer) override
    {
        TComponent::DefineProperties(filer);
        filer->DefineBinaryProperty(
            "Blob",
            [this](TStream* s) {
                blob.resize(static_cast<size_t>(s->Size()));
                s->ReadBuffer(blob.data(), static_cast<std::int32_t>(blob.size()));
            },
            [this](TStream* s) { s->WriteBuffer(blob.data(), static_cast<std::int32_t>(blob.size())); }, !blob.empty());
    }
    bool HasParent() const override { return true; }
    TComponent* GetParentComponent() const override { return parent_; }
    void SetParentComponent(TComponent* p) override
    {
        parent_ = dynamic_cast<TSample*>(p);
        if (parent_)
            parent_->children_.push_back(this);
    }
    void GetChildren(const TGetChildProc& proc, TComponent*) override
    {
        for (TSample* c : children_)
            proc(c);
    }
    const std::vector<TSample*>& Children() const { return children_; }
    void Ping(TObject* sender) { pingedBy = sender; }
    TObject* pingedBy = nullptr;

protected:
    void Notification(TComponent* c, TOperation op) override
    {
        TComponent::Notification(c, op);
        if (op == opRemove && c == buddy_)
            buddy_ = nullptr;
        if (op == opRemove)
            std::erase(children_, c);
    }

private:
    int count_ = 0;
    std::int64_t big_ = 0;
    char letter_ = 'a';
    TShade shade_ = shLight;
    bool active_ = false;
    TFlavours flavours_;
    double ratio_ = 0;
    AnsiString title_;
    WideString caption_;
    TStringList lines_;
    TInner inner_;
    TCollection entries_;
    TSample* buddy_ = nullptr;
    TSample* parent_ = nullptr;
    std::vector<TSample*> children_;
};
VCL_IMPLEMENT_CLASS(TSample, TComponent, [](auto& b) {
    b.Component();
    b.Int("Count", &TSample::Count, &TSample::SetCount, 0);
    b.Int64("Big", &TSample::Big, &TSample::SetBig, 0);
    b.Char("Letter", &TSample::Letter, &TSample::SetLetter, 'a');
    b.Enum("Shade", &kShadeInfo, &TSample::Shade, &TSample::SetShade, std::optional<TShade>(shLight));
    b.Bool("Active", &TSample::Active, &TSample::SetActive, false);
    b.Set("Flavours", &kFlavourInfo, &TSample::Flavours, &TSample::SetFlavours, std::optional<TFlavours>(TFlavours{}));
    b.Float("Ratio", &TSample::Ratio, &TSample::SetRatio);
    b.Str("Title", &TSample::Title, &TSample::SetTitle);
    b.WStr("Caption", &TSample::Caption, &TSample::SetCaption);
    b.Object("Lines", &TSample::Lines);
    b.Object("Inner", &TSample::Inner);
    b.Object("Entries", &TSample::Entries);
    b.Object("Buddy", &TSample::Buddy, &TSample::SetBuddy);
    b.Event("OnPing", &TSample::OnPing);
    b.Method("Ping", &TSample::Ping);
})

struct Registered {
    Registered() { RegisterClasses({TSample::StaticClass()}); }
};
const Registered registered;

TSample* BuildSample()
{
    auto* root = new TSample(nullptr);
    root->SetName("Root");
    root->SetCount(-70000);
    root->SetBig(0x123456789LL);
    root->SetLetter('Q');
    root->SetShade(shDark);
    root->SetActive(true);
    root->SetFlavours({flSour, flSalty});
    root->SetRatio(-2.5e-3);
    root->SetTitle(std::string("It's a \x80 title\r\nwith two lines") + std::string(300, 'x'));
    root->SetCaption(u"Καλημέρα \u20AC");
    root->Lines()->Add("first");
    root->Lines()->Add("");
    root->Lines()->Add("third 'quoted'");
    root->Inner()->SetSize(12);
    root->Inner()->SetLabel("inner");
    auto* e = static_cast<TEntry*>(root->Entries()->Add());
    e->SetCaption("one");
    e = static_cast<TEntry*>(root->Entries()->Add());
    e->SetCaption("two");
    e->SetWidth(120);
    root->blob = {0, 1, 2, 0xFE, 0xFF};
    auto* child = new TSample(root);
    child->SetName("Child");
    child->SetParentComponent(root);
    child->SetCount(5);
    root->SetBuddy(child);
    BindEvent(child, *TSample::StaticClass()->FindProperty("OnPing"), root, "Ping");
    return root;
}

void ExpectSame(TSample* a, TSample* b)
{
    EXPECT_EQ(a->Name(), b->Name());
    EXPECT_EQ(a->Count(), b->Count());
    EXPECT_EQ(a->Big(), b->Big());
    EXPECT_EQ(a->Letter(), b->Letter());
    EXPECT_EQ(a->Shade(), b->Shade());
    EXPECT_EQ(a->Active(), b->Active());
    EXPECT_EQ(a->Flavours().Bits(), b->Flavours().Bits());
    EXPECT_DOUBLE_EQ(a->Ratio(), b->Ratio());
    EXPECT_EQ(a->Title(), b->Title());
    EXPECT_EQ(a->Caption(), b->Caption());
    EXPECT_EQ(a->Lines()->Text(), b->Lines()->Text());
    EXPECT_EQ(a->Inner()->Size(), b->Inner()->Size());
    EXPECT_EQ(a->Inner()->Label(), b->Inner()->Label());
    ASSERT_EQ(a->Entries()->Count(), b->Entries()->Count());
    for (int i = 0; i < a->Entries()->Count(); ++i) {
        EXPECT_EQ(static_cast<TEntry*>(a->Entries()->Items(i))->Caption(), static_cast<TEntry*>(b->Entries()->Items(i))->Caption());
        EXPECT_EQ(static_cast<TEntry*>(a->Entries()->Items(i))->Width(), static_cast<TEntry*>(b->Entries()->Items(i))->Width());
    }
    EXPECT_EQ(a->blob, b->blob);
    ASSERT_EQ(b->Children().size(), 1u);
    TSample* child = b->Children()[0];
    EXPECT_EQ(child->Name(), "Child");
    EXPECT_EQ(child->Count(), 5);
    EXPECT_EQ(child->Owner(), b);
    EXPECT_EQ(b->Buddy(), child);  // the reference is resolved after loading
    EXPECT_TRUE(b->loaded);
    EXPECT_TRUE(child->loaded);
    EXPECT_FALSE(b->ComponentState().Contains(csLoading));
    // The event is bound to the new root's published method.
    EXPECT_EQ(child->OnPing.methodName, "Ping");
    child->OnPing(child);
    EXPECT_EQ(b->pingedBy, child);
}

TEST(Streaming, BinaryFormRoundTripsEveryKindOfProperty)
{
    std::unique_ptr<TSample> original(BuildSample());
    TMemoryStream stream;
    stream.WriteComponent(original.get());
    ASSERT_GE(stream.Size(), 4);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(stream.Memory()), 4), "TPF0");
    stream.SetPosition(0);
    std::unique_ptr<TComponent> copy(stream.ReadComponent(nullptr));
    auto* sample = dynamic_cast<TSample*>(copy.get());
    ASSERT_NE(sample, nullptr);
    ExpectSame(original.get(), sample);
}

TEST(Streaming, TextFormRoundTripsAndReadsAsWritten)
{
    std::unique_ptr<TSample> original(BuildSample());
    TMemoryStream binary;
    binary.WriteComponent(original.get());
    binary.SetPosition(0);
    TMemoryStream text;
    ObjectBinaryToText(&binary, &text);
    const std::string form(text.Bytes().begin(), text.Bytes().end());
    EXPECT_EQ(form.rfind("object Root: TSample\r\n", 0), 0u) << form;
    EXPECT_NE(form.find("  Shade = shDark\r\n"), std::string::npos);
    EXPECT_NE(form.find("  Active = True\r\n"), std::string::npos);
    EXPECT_NE(form.find("  Flavours = [flSour, flSalty]\r\n"), std::string::npos);
    EXPECT_NE(form.find("  Inner.Size = 12\r\n"), std::string::npos);
    EXPECT_NE(form.find("  Lines.Strings = (\r\n    'first'\r\n    ''\r\n    'third ''quoted''')\r\n"), std::string::npos);
    EXPECT_NE(form.find("  Buddy = Child\r\n"), std::string::npos);
    EXPECT_NE(form.find("  Blob = {\r\n    000102FEFF}\r\n"), std::string::npos);
    EXPECT_NE(form.find("    OnPing = Ping\r\n"), std::string::npos);
    EXPECT_NE(form.find("  object Child: TSample\r\n"), std::string::npos);
    EXPECT_EQ(form.substr(form.size() - 5), "end\r\n");

    text.SetPosition(0);
    TMemoryStream back;
    ObjectTextToBinary(&text, &back);
    back.SetPosition(0);
    std::unique_ptr<TComponent> copy(back.ReadComponent(nullptr));
    ExpectSame(original.get(), dynamic_cast<TSample*>(copy.get()));
}

TEST(Streaming, DefaultsAreNotWritten)
{
    TSample plain(nullptr);
    plain.SetName("Plain");
    TMemoryStream binary;
    binary.WriteComponent(&plain);
    binary.SetPosition(0);
    TMemoryStream text;
    ObjectBinaryToText(&binary, &text);
    EXPECT_EQ(std::string(text.Bytes().begin(), text.Bytes().end()), "object Plain: TSample\r\n  Entries = <>\r\nend\r\n");
}

// Builds a binary stream from text, then damages it.
std::vector<std::uint8_t> Binary(const std::string& text)
{
    TStringStream in(text);
    TMemoryStream out;
    ObjectTextToBinary(&in, &out);
    return out.Bytes();
}

TEST(Streaming, DamagedStreamsRaiseAndLeaveNothingBehind)
{
    const std::vector<std::uint8_t> good = Binary(
        "object Root: TSample\r\n  Count = 3\r\n  Title = 'abc'\r\n  object A: TSample\r\n    Count = 1\r\n  end\r\n"
        "  object B: TSample\r\n    Count = 2\r\n  end\r\nend\r\n");
    struct Case {
        const char* name;
        std::function<void(std::vector<std::uint8_t>&)> damage;
    };
    auto find = [](std::vector<std::uint8_t>& d, const std::string& what) {
        auto it = std::search(d.begin(), d.end(), what.begin(), what.end());
        return static_cast<size_t>(it - d.begin());
    };
    const Case cases[] = {
        {"bad signature", [](auto& d) { d[3] = '1'; }},
        {"cut short", [](auto& d) { d.resize(d.size() - 6); }},
        {"unknown value type", [&](auto& d) { d[find(d, "Count") + 5] = 0x42; }},
        {"string length past the end",
         [&](auto& d) {
             // Title's vaString becomes a long string whose length runs far past the data.
             const size_t at = find(d, "Title") + 5;
             d[at] = vaLString;
             d.insert(d.begin() + static_cast<std::ptrdiff_t>(at) + 1, {0xFF, 0xFF, 0xFF});
         }},
        {"unknown class", [&](auto& d) { d[find(d, "TSample\x01" "B") + 1] = 'X'; }},
        {"unknown property", [&](auto& d) { d[find(d, "Count") + 1] = 'X'; }},
        {"duplicate name", [&](auto& d) { d[find(d, "\x01" "B") + 1] = 'A'; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::uint8_t> data = good;
        c.damage(data);
        TMemoryStream stream;
        stream.Write(data.data(), static_cast<std::int32_t>(data.size()));
        stream.SetPosition(0);
        // Into an existing root: the children read so far are removed again.
        TSample root(nullptr);
        EXPECT_THROW(stream.ReadComponent(&root), Exception);
        EXPECT_EQ(root.ComponentCount(), 0);
        EXPECT_TRUE(root.Children().empty());
        // As a new root: nothing is returned and nothing leaks.
        stream.SetPosition(0);
        EXPECT_THROW(stream.ReadComponent(nullptr), Exception);
    }
}

TEST(Streaming, MethodsMustExistAndValuesMustFit)
{
    const char* bad[] = {
        "object R: TSample\r\n  OnPing = Nowhere\r\nend\r\n",
        "object R: TSample\r\n  Shade = shPurple\r\nend\r\n",
        "object R: TSample\r\n  Count = 'text'\r\nend\r\n",
        "object R: TSample\r\n  Letter = 'ab'\r\nend\r\n",
        "object R: TSample\r\n  Buddy = Missing\r\nend\r\n",
    };
    for (const char* text : bad) {
        SCOPED_TRACE(text);
        const std::vector<std::uint8_t> data = Binary(text);
        TMemoryStream stream;
        stream.Write(data.data(), static_cast<std::int32_t>(data.size()));
        stream.SetPosition(0);
        EXPECT_THROW(stream.ReadComponent(nullptr), EFilerError);
    }
    TStringStream broken("object R: TSample\r\n  Count = \r\n");
    TMemoryStream out;
    EXPECT_THROW(ObjectTextToBinary(&broken, &out), EParserError);
}

TEST(Streaming, ExtendedRealsKeepTheirValue)
{
    for (double v : {0.0, 1.0, -2.5, 3.141592653589793, 1e300, -1e-300, 5e-324}) {
        std::uint8_t e[10];
        DoubleToExtended(v, e);
        EXPECT_EQ(ExtendedToDouble(e), v);
    }
    // 1.0 in the 80-bit layout: mantissa 0x8000000000000000, exponent 0x3FFF.
    std::uint8_t one[10];
    DoubleToExtended(1.0, one);
    const std::uint8_t want[10] = {0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F};
    EXPECT_EQ(std::memcmp(one, want, 10), 0);
}

}  // namespace

namespace {

// Property names longer than the last value type's code (a length byte
// that EndOfList must not take for a bad value type).
class TLongNames : public TComponent {
    VCL_DECLARE_CLASS(TLongNames, TComponent)
public:
    explicit TLongNames(TComponent* owner) : TComponent(owner) {}
    int Value() const { return value_; }
    void SetValue(int v) { value_ = v; }

private:
    int value_ = 0;
};
VCL_IMPLEMENT_CLASS(TLongNames, TComponent, [](auto& b) {
    b.Component();
    b.Int("AVeryLongPropertyNameOfForty_Characters", &TLongNames::Value, &TLongNames::SetValue, 0);
})

}  // namespace

TEST(Streaming, LongPropertyNamesRead)
{
    TLongNames original(nullptr);
    original.SetValue(7);
    TMemoryStream stream;
    stream.WriteComponent(&original);
    stream.SetPosition(0);
    TLongNames copy(nullptr);
    stream.ReadComponent(&copy);
    EXPECT_EQ(copy.Value(), 7);
}
