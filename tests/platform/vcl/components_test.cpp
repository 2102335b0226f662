#include <gtest/gtest.h>

#include <memory>

#include "platform/vcl/classes.h"

using namespace vcl;

namespace {

constexpr UINT kPing = 0x8001;
constexpr UINT kPong = 0x8002;

class TBase : public TComponent {
    VCL_DECLARE_CLASS(TBase, TComponent)
public:
    using TComponent::TComponent;
    std::vector<std::string> log;
    std::vector<std::pair<TComponent*, TOperation>> heard;
    void DefaultHandler(TMessage& m) override { log.push_back("default " + std::to_string(m.Msg)); }

protected:
    void Notification(TComponent* c, TOperation op) override
    {
        TComponent::Notification(c, op);
        heard.push_back({c, op});
    }
    void PingMsg(TMessage& m)
    {
        log.push_back("base ping");
        m.Result = 1;
    }
};
VCL_IMPLEMENT_CLASS(TBase, TComponent, [](auto& b) {
    b.Component();
    b.Message(kPing, &TBase::PingMsg);
})

class TDerived : public TBase {
    VCL_DECLARE_CLASS(TDerived, TBase)
public:
    using TBase::TBase;

private:
    void PingMsg2(TMessage& m)
    {
        log.push_back("derived ping");
        DispatchFrom(TDerived::StaticClass()->ClassParent(), m);  // inherited
        m.Result += 10;
    }
};
VCL_IMPLEMENT_CLASS(TDerived, TBase, [](auto& b) {
    b.Component();
    b.Message(kPing, &TDerived::PingMsg2);
})

TEST(Components, MessagesAreDispatchedByNumberUpTheClassChain)
{
    TDerived d(nullptr);
    TMessage m{kPing, 0, 0, 0};
    d.Dispatch(m);
    EXPECT_EQ(m.Result, 11);
    EXPECT_EQ(d.log, (std::vector<std::string>{"derived ping", "base ping"}));
    TMessage other{kPong, 0, 0, 0};
    d.Dispatch(other);
    EXPECT_EQ(d.log.back(), "default " + std::to_string(kPong));
    EXPECT_TRUE(d.Is<TBase>());
    EXPECT_EQ(d.ClassName(), "TDerived");
}

TEST(Components, OwnershipNamesAndNotifications)
{
    auto* owner = new TBase(nullptr);
    auto* a = new TBase(owner);
    a->SetName("A");
    auto* b = new TDerived(owner);
    EXPECT_EQ(owner->ComponentCount(), 2);
    EXPECT_EQ(owner->FindComponent("a"), a);
    try {
        b->SetName("a");
        FAIL();
    } catch (const EComponentError& e) {
        EXPECT_EQ(e.Message, "Eine Komponente mit der Bezeichnung a existiert bereits");
    }
    EXPECT_THROW(b->SetName("1x"), EComponentError);
    // Owned components hear of insertions and removals among their siblings.
    auto* c = new TBase(owner);
    ASSERT_FALSE(a->heard.empty());
    EXPECT_EQ(a->heard.back().first, c);
    EXPECT_EQ(a->heard.back().second, opInsert);
    delete c;
    EXPECT_EQ(a->heard.back().first, c);
    EXPECT_EQ(a->heard.back().second, opRemove);
    EXPECT_EQ(owner->ComponentCount(), 2);

    // Free notification across owners.
    TBase stranger(nullptr);
    stranger.FreeNotification(a);
    delete owner;  // frees a and b
    EXPECT_FALSE(IsLiveObject(a));
    EXPECT_EQ(stranger.heard.back().first, a);
    EXPECT_EQ(stranger.heard.back().second, opRemove);
    EXPECT_THROW(stranger.Components(0), EListError);
}

TEST(Components, AssignBetweenUnrelatedClassesRaises)
{
    TBase a(nullptr), b(nullptr);
    try {
        a.Assign(&b);
        FAIL();
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message, "TBase kann nicht zu TBase zugewiesen werden");
    }
    EXPECT_THROW(a.Assign(nullptr), EConvertError);
}

TEST(Components, AHandlerThatClearsItsOwnEventRunsToItsEnd)
{
    // Statics, not captures: after the event is cleared the handler must
    // reach them without going through its closure.
    static std::weak_ptr<int> watch;
    static bool closureAlive = false;
    static TEvent<int> event;
    auto kept = std::make_shared<int>(7);
    watch = kept;
    event = [kept](int) {
        event = nullptr;
        closureAlive = !watch.expired();
    };
    kept.reset();
    event(1);
    EXPECT_TRUE(closureAlive);
    EXPECT_FALSE(event);
    EXPECT_TRUE(watch.expired());
}

TEST(SysUtils, FormatAndHelpers)
{
    EXPECT_EQ(Format("%d-%s-%x", 12, "ab", 255), "12-ab-FF");
    EXPECT_EQ(Format("%5d|%-4s|", 3, "x"), "    3|x   |");
    EXPECT_THROW(Format("%d", "text"), EConvertError);
    EXPECT_EQ(ExtractFileExt("C:\\a.b\\c.Skn"), ".Skn");
    EXPECT_EQ(ExtractFileExt("C:\\a.b\\c"), "");
    EXPECT_EQ(ExtractFileName("C:\\x\\y.txt"), "y.txt");
    EXPECT_EQ(ExtractFilePath("C:\\x\\y.txt"), "C:\\x\\");
    EXPECT_EQ(Round(2.5), 2);
    EXPECT_EQ(Round(3.5), 4);
    EXPECT_EQ(AnsiLowerCase("\xC4X"), "\xE4x");
    EXPECT_EQ(LowerCase("\xC4X"), "\xC4x");
    EXPECT_EQ(WideToAnsi(u"\u20AC\u4E00"), "\x80?");
    EXPECT_EQ(StrToIntDef("$1F", 0), 31);
    EXPECT_THROW(StrToInt("12a"), EConvertError);
}

}  // namespace
