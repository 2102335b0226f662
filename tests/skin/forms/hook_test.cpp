#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/vcl/forms.h"
#include "platform/win32/backend/headless/headless_backend.h"
#include "skin/forms/sk_hook.h"
#include "tests/support/temp_dir.h"

using namespace skin;
using vcl::TMessage;

namespace {

std::vector<std::string> g_log;

class THookedForm : public vcl::TForm {
    VCL_DECLARE_CLASS(THookedForm, vcl::TForm)
public:
    explicit THookedForm(vcl::TComponent* owner) : vcl::TForm(owner) { SetBounds(10, 10, 200, 150); }
    void WMUser(TMessage& m)
    {
        g_log.push_back("form");
        m.Result = 7;
    }
    void WMDestroy(TMessage& m)
    {
        g_log.push_back("form:destroy");
        DispatchFrom(StaticClass()->ClassParent(), m);
    }
};

VCL_IMPLEMENT_CLASS(THookedForm, vcl::TForm, [](auto& b) {
    b.Message(WM_USER, &THookedForm::WMUser);
    b.Message(WM_DESTROY, &THookedForm::WMDestroy);
})

class TLogHook : public TSkHook {
    VCL_DECLARE_CLASS(TLogHook, TSkHook)
public:
    TLogHook(vcl::TComponent* owner, std::string tag) : TSkHook(owner), tag_(std::move(tag)) {}
    bool answer = false;
    bool raise = false;
    void WMUser(TMessage& m)
    {
        g_log.push_back(tag_ + ":before");
        if (raise)
            throw vcl::Exception("hook failed");
        if (answer) {
            m.Result = 42;
            MarkHandled();
        }
    }
    void AnyBefore(TMessage& m)
    {
        g_log.push_back(tag_ + ":before" + std::to_string(m.Msg));
        if (answer)
            MarkHandled();
    }
    void AfterMessage(TMessage& m, bool& handled) override
    {
        if (m.Msg == WM_USER)
            g_log.push_back(tag_ + ":after");
        TSkHook::AfterMessage(m, handled);
    }

private:
    std::string tag_;
};

VCL_IMPLEMENT_CLASS(TLogHook, TSkHook, [](auto& b) {
    b.Message(WM_USER, &TLogHook::WMUser);
    b.Message(WM_QUIT, &TLogHook::AnyBefore);
    b.Message(WM_DESTROY, &TLogHook::AnyBefore);
})

WNDPROC g_foreignPrevious = nullptr;
int g_foreignCalls = 0;

LRESULT CALLBACK ForeignProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_USER)
        ++g_foreignCalls;
    return CallWindowProcA(g_foreignPrevious, hwnd, msg, wParam, lParam);
}

WNDPROC ProcOf(HWND h) { return reinterpret_cast<WNDPROC>(GetWindowLongPtrA(h, GWL_WNDPROC)); }

class HookTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        vls::headless::UseManualClock();
        g_log.clear();
        form = new THookedForm(vcl::Application);
    }
    void TearDown() override
    {
        delete form;
        vcl::Application->OnException = nullptr;
        vcl::Application->ProcessMessages();
        FreeHookList();
    }
    LRESULT SendUser() { return SendMessageA(form->Handle(), WM_USER, 0, 0); }

    vls::test::ScopedConfig config;
    THookedForm* form = nullptr;
};

TEST_F(HookTest, LastAttachedHookSeesFirstAndCanAnswerAlone)
{
    auto* first = new TLogHook(form, "h1");
    auto* second = new TLogHook(form, "h2");
    first->SetControl(form);
    second->SetControl(form);
    ASSERT_EQ(first->ControlHook(), second->ControlHook());
    ASSERT_EQ(GetHookList()->Count(), 1);

    EXPECT_EQ(SendUser(), 7);
    EXPECT_EQ(g_log, (std::vector<std::string>{"h2:before", "h1:before", "form", "h2:after", "h1:after"}));

    g_log.clear();
    second->answer = true;
    EXPECT_EQ(SendUser(), 42);
    EXPECT_EQ(g_log, (std::vector<std::string>{"h2:before"}));
}

TEST_F(HookTest, QuitSkipsTheBeforePassAndDestroyAlwaysReachesTheForm)
{
    auto* hook = new TLogHook(form, "h");
    hook->answer = true;
    hook->SetControl(form);
    SendMessageA(form->Handle(), WM_QUIT, 0, 0);
    EXPECT_TRUE(g_log.empty());

    // Answered by the hook, WM_DESTROY still reaches the form's own procedure.
    form->RecreateWnd();
    EXPECT_EQ(g_log, (std::vector<std::string>{"h:before2", "form:destroy"}));
}

TEST_F(HookTest, RecreatedWindowIsHookedAgainOnceTheRequestIsProcessed)
{
    auto* hook = new TLogHook(form, "h");
    hook->SetControl(form);
    const HWND old = form->Handle();
    TControlHook* record = hook->ControlHook();
    const WNDPROC own = record->OwnWindowProc();
    EXPECT_EQ(ProcOf(old), own);

    form->RecreateWnd();
    vcl::Application->ProcessMessages();
    ASSERT_TRUE(form->HandleAllocated());
    EXPECT_NE(form->Handle(), old);
    EXPECT_EQ(ProcOf(form->Handle()), own);
    g_log.clear();
    SendUser();
    EXPECT_EQ(g_log, (std::vector<std::string>{"h:before", "form", "h:after"}));
}

TEST_F(HookTest, DeactivatingTheLastHookRestoresTheWindowProcedure)
{
    const WNDPROC original = ProcOf(form->Handle());
    auto* hook = new TLogHook(form, "h");
    hook->SetControl(form);
    EXPECT_NE(ProcOf(form->Handle()), original);

    hook->SetActive(false);
    EXPECT_EQ(ProcOf(form->Handle()), original);
    EXPECT_FALSE(hook->Active());
    SendUser();
    EXPECT_EQ(g_log, (std::vector<std::string>{"form"}));

    hook->SetActive(true);
    EXPECT_EQ(ProcOf(form->Handle()), hook->ControlHook()->OwnWindowProc());
}

TEST_F(HookTest, ForeignSubclassAfterTheHookKeepsTheFormsHandling)
{
    auto* hook = new TLogHook(form, "h");
    hook->SetControl(form);
    g_foreignCalls = 0;
    g_foreignPrevious = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(form->Handle(), GWL_WNDPROC, reinterpret_cast<LONG_PTR>(&ForeignProc)));

    hook->SetActive(false);
    vcl::Application->ProcessMessages();  // the release request must not free a linked record
    EXPECT_EQ(ProcOf(form->Handle()), &ForeignProc);
    EXPECT_EQ(SendUser(), 7);
    EXPECT_EQ(g_log, (std::vector<std::string>{"form"}));
    EXPECT_EQ(g_foreignCalls, 1);

    // Attaching again resumes the hooks inside the foreign chain, once.
    g_log.clear();
    hook->SetActive(true);
    SendUser();
    EXPECT_EQ(g_log, (std::vector<std::string>{"h:before", "form", "h:after"}));
    EXPECT_EQ(g_foreignCalls, 2);
    SetWindowLongPtrA(form->Handle(), GWL_WNDPROC, reinterpret_cast<LONG_PTR>(g_foreignPrevious));
}

TEST_F(HookTest, ExceptionInAHookIsReportedAndTheOthersStillRun)
{
    std::vector<std::string> reported;
    vcl::Application->OnException = [&](vcl::TObject*, vcl::Exception& e) { reported.push_back(e.Message); };
    auto* first = new TLogHook(form, "h1");
    auto* second = new TLogHook(form, "h2");
    first->SetControl(form);
    second->SetControl(form);
    second->raise = true;
    EXPECT_EQ(SendUser(), 7);
    EXPECT_EQ(reported, (std::vector<std::string>{"hook failed"}));
    EXPECT_EQ(g_log, (std::vector<std::string>{"h2:before", "h1:before", "form", "h2:after", "h1:after"}));
}

TEST_F(HookTest, EmptiedRecordIsFreedLaterAndReusedMeanwhile)
{
    auto* hook = new TLogHook(nullptr, "h");
    hook->SetControl(form);
    TControlHook* record = hook->ControlHook();
    hook->SetControl(nullptr);
    EXPECT_TRUE(GetHookList()->Contains(record));
    hook->SetControl(form);  // before the release request runs
    vcl::Application->ProcessMessages();
    EXPECT_EQ(hook->ControlHook(), record);
    EXPECT_TRUE(GetHookList()->Contains(record));

    hook->SetControl(nullptr);
    vcl::Application->ProcessMessages();
    EXPECT_EQ(GetHookList()->Count(), 0);
    delete hook;
}

// A hook switched off before it goes (as a frame does in its destructor)
// still releases the record it emptied; no record stays behind per form,
// holding a freed control.
TEST_F(HookTest, HookSwitchedOffBeforeItIsFreedReleasesItsRecord)
{
    for (bool ownedByTheForm : {false, true}) {
        auto* hook = new TLogHook(ownedByTheForm ? form : nullptr, "h");
        hook->SetControl(form);
        ASSERT_EQ(GetHookList()->Count(), 1);
        hook->SetActive(false);
        if (ownedByTheForm) {
            delete form;
            form = new THookedForm(vcl::Application);
        } else {
            delete hook;
        }
        vcl::Application->ProcessMessages();
        EXPECT_EQ(GetHookList()->Count(), 0) << ownedByTheForm;
    }
    // Switched on again before the release runs, the record is kept.
    auto* hook = new TLogHook(nullptr, "h");
    hook->SetControl(form);
    hook->SetActive(false);
    hook->SetActive(true);
    vcl::Application->ProcessMessages();
    EXPECT_EQ(GetHookList()->Count(), 1);
    EXPECT_NE(hook->ControlHook(), nullptr);
    delete hook;
    vcl::Application->ProcessMessages();
    EXPECT_EQ(GetHookList()->Count(), 0);
}

TEST_F(HookTest, FormFreedBeforeItsHookLeavesNothingBehind)
{
    auto* hook = new TLogHook(nullptr, "h");
    hook->SetControl(form);
    delete form;
    form = nullptr;
    EXPECT_EQ(hook->GetControl(), nullptr);
    vcl::Application->ProcessMessages();
    EXPECT_EQ(GetHookList()->Count(), 0);
    delete hook;
    vcl::Application->ProcessMessages();
}

}  // namespace
