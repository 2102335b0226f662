#pragma once

// Resource containers of the component family.

#include <vector>

#include "launcher/components/kit_base.h"

namespace kit {

// A container with a list of attached clients, told of its changes.
class TKitBaseContainer : public TKitCustomComponent {
    VCL_DECLARE_CLASS(TKitBaseContainer, TKitCustomComponent)
public:
    explicit TKitBaseContainer(vcl::TComponent* owner) : TKitCustomComponent(owner) {}
    void Attach(vcl::TComponent* client);
    void Detach(vcl::TComponent* client);
    int ClientCount() const { return static_cast<int>(clients_.size()); }

protected:
    void Change() override;
    void Notification(vcl::TComponent* component, vcl::TOperation operation) override;

private:
    std::vector<vcl::TComponent*> clients_;
};

// One bitmap list, one image list, one string list and one wave list.
class TKitContainer : public TKitBaseContainer {
    VCL_DECLARE_CLASS(TKitContainer, TKitBaseContainer)
public:
    explicit TKitContainer(vcl::TComponent* owner) : TKitBaseContainer(owner) {}
};

}  // namespace kit
