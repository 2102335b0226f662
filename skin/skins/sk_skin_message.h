#pragma once

// TSkSkinMessage: message boxes whose dialogs are built from skinned
// controls with this component's skin manager, framed by a skinned form.

#include "skin/forms/sk_message.h"
#include "skin/skins/sk_skin_manager.h"

namespace skin {

class TSkSkinMessage : public TSkCustomMessage {
    VCL_DECLARE_CLASS(TSkSkinMessage, TSkCustomMessage)
public:
    explicit TSkSkinMessage(vcl::TComponent* owner);
    ~TSkSkinMessage() override;

    TSkSkinManager* SkinManager() const { return manager_; }
    // Dialogs already built keep the manager they were given.
    void SetSkinManager(TSkSkinManager* value);
    vcl::AnsiString Version() const { return "3.2.2"; }
    void SetVersion(const vcl::AnsiString&) {}

    TSkCustomButton* CreateButton(vcl::TComponent* owner) override;
    TSkCustomEdit* CreateEdit(vcl::TComponent* owner) override;
    TSkCustomForm* CreateForm(vcl::TComponent* owner) override;
    TSkCustomLabel* CreateLabel(vcl::TComponent* owner) override;
    TSkCustomCheckBox* CreateCheckBox(vcl::TComponent* owner) override;

protected:
    void Notification(vcl::TComponent* component, vcl::TOperation operation) override;

private:
    TSkSkinManager* manager_ = nullptr;
};

}  // namespace skin
