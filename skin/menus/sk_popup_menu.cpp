#include "skin/menus/sk_popup_menu.h"

#include "platform/vcl/forms.h"

namespace skin {

namespace {

TSkCustomPopupMenu* g_running = nullptr;

}  // namespace

VCL_IMPLEMENT_CLASS(TSkCustomPopupMenu, vcl::TPopupMenu, [](auto& b) {
    using T = TSkCustomPopupMenu;
    b.Component();
    b.Object("Images", &T::Images, &T::SetImages);
    b.Object("Items", &T::Items);
    b.Object("PopupMenuOptions", &T::PopupMenuOptions, &T::SetPopupMenuOptions);
})

TSkCustomPopupMenu::TSkCustomPopupMenu(vcl::TComponent* owner) : TSkCustomPopupMenu(owner, nullptr) {}

TSkCustomPopupMenu::TSkCustomPopupMenu(vcl::TComponent* owner, TSkCustomItem* (*makeRoot)(vcl::TComponent* owner))
    : vcl::TPopupMenu(owner)
{
    RegisterItemContainer(StaticClass(), [](vcl::TComponent* container, TSkCustomItem* item) {
        static_cast<TSkCustomPopupMenu*>(container)->AddItem(container, item);
    });
    options_ = new TSkPopupMenuOptions();
    items_ = makeRoot ? makeRoot(this) : CreateItem(this);
    items_->SetParentComponentValue(this);
}

TSkCustomPopupMenu::~TSkCustomPopupMenu()
{
    if (g_running == this)
        g_running = nullptr;
    items_->SetMenuOptions(nullptr);
    delete items_;
    delete options_;
    UnregisterItemContainer(StaticClass());
}

TSkCustomPopupMenu* TSkCustomPopupMenu::Running() { return g_running; }

TSkCustomItem* TSkCustomPopupMenu::CreateItem(vcl::TComponent* owner) { return new TSkCustomItem(owner); }

void TSkCustomPopupMenu::AddItem(vcl::TComponent* container, TSkCustomItem* item)
{
    static_cast<TSkCustomPopupMenu*>(container)->items_->Add(item);
}

void TSkCustomPopupMenu::SetPopupMenuOptions(TSkPopupMenuOptions* v)
{
    options_->Assign(v);
    items_->SetMenuOptions(options_);
}

void TSkCustomPopupMenu::Loaded()
{
    vcl::TPopupMenu::Loaded();
    items_->SetBiDiMode(0);
}

void TSkCustomPopupMenu::GetChildren(const vcl::TGetChildProc& proc, vcl::TComponent* root)
{
    vcl::TPopupMenu::GetChildren(proc, root);
    for (int i = 0; i < items_->Count(); ++i)
        proc(items_->Items(i));
}

void TSkCustomPopupMenu::CloseMenu()
{
    if (auto* window = dynamic_cast<vcl::TWinControl*>(Owner()); window && window->HandleAllocated())
        PostMessageA(window->Handle(), WM_NCMBUTTONDBLCLK, 0, 0);
}

void TSkCustomPopupMenu::Popup(int x, int y)
{
    if (g_running && g_running != this) {
        g_running->CloseMenu();
        vcl::Application->ProcessMessages();
    }
    g_running = this;
    try {
        items_->SetMenuOptions(options_);
        if (auto* window = dynamic_cast<vcl::TWinControl*>(Owner()))
            items_->SetOwnerWindow(window);
        items_->SetAnimateNext(true);
        items_->SetMenuRunMark(true);
        OnPopup(this);
        items_->Popup(nullptr, x, y, RECT{});
    } catch (...) {
        g_running = nullptr;
        throw;
    }
    g_running = nullptr;
}

}  // namespace skin
