#include "launcher/components/kit_container.h"

#include <algorithm>

namespace kit {

VCL_IMPLEMENT_CLASS(TKitBaseContainer, TKitCustomComponent, [](auto&) {})
VCL_IMPLEMENT_CLASS(TKitContainer, TKitBaseContainer, [](auto& b) { b.Component(); })

// Sent to the clients of a container that changed.
constexpr UINT kContainerChanged = 0xB0F0;

void TKitBaseContainer::Attach(vcl::TComponent* client)
{
    if (client && std::find(clients_.begin(), clients_.end(), client) == clients_.end()) {
        clients_.push_back(client);
        client->FreeNotification(this);
    }
}

void TKitBaseContainer::Detach(vcl::TComponent* client)
{
    clients_.erase(std::remove(clients_.begin(), clients_.end(), client), clients_.end());
}

void TKitBaseContainer::Change()
{
    for (vcl::TComponent* client : clients_) {
        vcl::TMessage m{kContainerChanged, 0, reinterpret_cast<LPARAM>(this), 0};
        client->Dispatch(m);
    }
}

void TKitBaseContainer::Notification(vcl::TComponent* component, vcl::TOperation operation)
{
    TKitCustomComponent::Notification(component, operation);
    if (operation == vcl::opRemove)
        Detach(component);
}

}  // namespace kit
