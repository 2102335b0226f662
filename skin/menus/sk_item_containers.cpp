// The container registry that items loaded with a form use to reach the
// menu component holding them, and the hidden window that runs a chosen
// item after the menus have closed.

#include <vector>

#include "platform/vcl/forms.h"
#include "skin/menus/sk_menu_item.h"

namespace skin {

using vcl::AnsiString;

namespace {

struct ContainerRecord {
    vcl::TClass containerClass;
    int count;
    TAddItemProc addItem;
};

std::vector<ContainerRecord>* g_containers = nullptr;

// Never shown; only its message handler matters.
class TSkClickHandler : public vcl::TForm {
    VCL_DECLARE_CLASS(TSkClickHandler, vcl::TForm)
public:
    explicit TSkClickHandler(vcl::TComponent* owner) : vcl::TForm(owner) { SetBounds(10000, 10000, 0, 0); }

    void SkItemClick(vcl::TMessage& m)
    {
        // Identities of freed items are gone from the table, so a click
        // whose item died while the menus closed runs nothing.
        TSkCustomItem* item = TSkCustomItem::FindById(static_cast<std::uint32_t>(m.LParam));
        if (!item)
            return;
        const std::uint32_t id = item->Id();
        vcl::Application->ProcessMessages();
        item = TSkCustomItem::FindById(id);
        if (item)
            item->RunClick();
    }
};

VCL_IMPLEMENT_CLASS(TSkClickHandler, vcl::TForm,
                    [](auto& b) { b.Message(SK_ITEMCLICK, &TSkClickHandler::SkItemClick); })

TSkClickHandler* g_clickHandler = nullptr;

}  // namespace

void RegisterItemContainer(vcl::TClass containerClass, const TAddItemProc& addItem)
{
    if (!g_containers)
        g_containers = new std::vector<ContainerRecord>;
    for (ContainerRecord& r : *g_containers) {
        if (r.containerClass == containerClass) {
            ++r.count;
            r.addItem = addItem;
            return;
        }
    }
    g_containers->push_back(ContainerRecord{containerClass, 1, addItem});
}

void UnregisterItemContainer(vcl::TClass containerClass)
{
    if (!g_containers)
        return;
    for (auto it = g_containers->begin(); it != g_containers->end(); ++it) {
        if (it->containerClass != containerClass)
            continue;
        if (--it->count <= 0)
            g_containers->erase(it);
        break;
    }
    if (g_containers->empty()) {
        delete g_containers;
        g_containers = nullptr;
    }
}

void FreeItemContainers()
{
    delete g_containers;
    g_containers = nullptr;
}

int ItemContainerCount() { return g_containers ? static_cast<int>(g_containers->size()) : 0; }

void TSkCustomItem::SetParentComponent(vcl::TComponent* value)
{
    if (parent_)
        parent_->Remove(this);
    if (auto* item = dynamic_cast<TSkCustomItem*>(value)) {
        item->Add(this);
        return;
    }
    if (!value || !g_containers)
        return;
    for (auto it = g_containers->rbegin(); it != g_containers->rend(); ++it) {
        if (value->InheritsFrom(it->containerClass)) {
            // The procedure may change the registry; call a copy.
            const TAddItemProc addItem = it->addItem;
            addItem(value, this);
            return;
        }
    }
}

HWND ClickHandlerWindow() { return g_clickHandler ? g_clickHandler->Handle() : nullptr; }

void CreateClickHandler()
{
    if (!g_clickHandler)
        g_clickHandler = new TSkClickHandler(nullptr);
}

void FreeClickHandler()
{
    delete g_clickHandler;
    g_clickHandler = nullptr;
}

}  // namespace skin
