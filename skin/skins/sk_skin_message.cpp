#include "skin/skins/sk_skin_message.h"

#include "skin/skins/sk_skin_button.h"
#include "skin/skins/sk_skin_controls.h"
#include "skin/skins/sk_skin_form.h"
#include "skin/skins/sk_skin_label.h"
#include "skin/skins/sk_skin_lists.h"

namespace skin {

VCL_IMPLEMENT_CLASS(TSkSkinMessage, TSkCustomMessage, [](auto& b) {
    using T = TSkSkinMessage;
    b.Object("SkinManager", &T::SkinManager, &T::SetSkinManager);
    b.Str("Version", &T::Version, &T::SetVersion);
})

TSkSkinMessage::TSkSkinMessage(vcl::TComponent* owner) : TSkCustomMessage(owner) {}

TSkSkinMessage::~TSkSkinMessage()
{
    UntrackSkinManager(*this, manager_);
}

void TSkSkinMessage::SetSkinManager(TSkSkinManager* value)
{
    TrackSkinManager(*this, manager_, value);
}

void TSkSkinMessage::Notification(vcl::TComponent* component, vcl::TOperation operation)
{
    TSkCustomMessage::Notification(component, operation);
    if (operation == vcl::opRemove && component == manager_)
        manager_ = nullptr;
}

namespace {

// Buttons and edits go on the dialog before they take the skin.
template <class T>
T* OnOwner(T* control, vcl::TComponent* owner, TSkSkinManager* manager)
{
    if (auto* parent = dynamic_cast<vcl::TWinControl*>(owner))
        control->SetParent(parent);
    control->SetSkinManager(manager);
    return control;
}

}  // namespace

TSkCustomButton* TSkSkinMessage::CreateButton(vcl::TComponent* owner)
{
    return OnOwner(new TSkSkinButton(owner), owner, manager_);
}

TSkCustomEdit* TSkSkinMessage::CreateEdit(vcl::TComponent* owner)
{
    return OnOwner(new TSkSkinEdit(owner), owner, manager_);
}

TSkCustomForm* TSkSkinMessage::CreateForm(vcl::TComponent* owner)
{
    auto* frame = new TSkSkinForm(owner);
    frame->SetSkinObject("Form");
    frame->SetSkinManager(manager_);
    return frame;
}

TSkCustomLabel* TSkSkinMessage::CreateLabel(vcl::TComponent* owner)
{
    auto* label = new TSkSkinLabel(owner);
    label->SetSkinManager(manager_);
    return label;
}

TSkCustomCheckBox* TSkSkinMessage::CreateCheckBox(vcl::TComponent* owner)
{
    auto* box = new TSkSkinCheckBox(owner);
    box->SetSkinManager(manager_);
    return box;
}

}  // namespace skin
