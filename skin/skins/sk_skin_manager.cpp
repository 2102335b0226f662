#include "skin/skins/sk_skin_manager.h"

#include "platform/vcl/filer.h"
#include "platform/vcl/forms.h"
#include "platform/user/winuser.h"

namespace skin {

VCL_IMPLEMENT_CLASS(TSkSkinManager, vcl::TComponent, [](auto& b) {
    b.Component();
    b.Int("DeltaHue", &TSkSkinManager::DeltaHue, &TSkSkinManager::SetDeltaHue, std::nullopt);
    b.Str("SkinFile", &TSkSkinManager::SkinFile, &TSkSkinManager::SetSkinFile).stored = [](const vcl::TObject*) {
        return true;
    };
    b.Str("SkinStore", &TSkSkinManager::SkinStore, &TSkSkinManager::SetSkinStore);
    b.Bool("SkinStoreCompression", &TSkSkinManager::SkinStoreCompression, &TSkSkinManager::SetSkinStoreCompression,
           false);
    b.Str("Version", &TSkSkinManager::Version, &TSkSkinManager::SetVersion);
    b.Event("OnBeforeChange", &TSkSkinManager::OnBeforeChange);
    b.Event("OnAfterChange", &TSkSkinManager::OnAfterChange);
})

TSkSkinManager::TSkSkinManager(vcl::TComponent* owner) : vcl::TComponent(owner)
{
    source_ = new TSkSkinSource(this);
}

TSkSkinManager::~TSkSkinManager()
{
    // The source is an owned component; freeing it here keeps its skin
    // objects from outliving the manager's own fields.
    delete source_;
}

vcl::AnsiString TSkSkinManager::SkinStore() const
{
    if (ComponentState().Contains(vcl::csDesigning) && source_->GetObjectCount() > 0)
        return vcl::ExtractFileName(source_->SkinName());
    return "(none)";
}

void TSkSkinManager::DefineProperties(vcl::TFiler* filer)
{
    inherited::DefineProperties(filer);
    filer->DefineBinaryProperty(
        "SkinStream", [this](vcl::TStream* s) { ReadSkinStream(s); }, [this](vcl::TStream* s) { WriteSkinStream(s); },
        true);
}

void TSkSkinManager::ReadSkinStream(vcl::TStream* stream)
{
    std::uint8_t flag = 0;
    stream->ReadBuffer(&flag, 1);
    if (flag == 0)
        return;
    source_->LoadFromStream(stream);
    skinFile_.clear();
}

void TSkSkinManager::WriteSkinStream(vcl::TStream* stream)
{
    const std::uint8_t flag = source_->GetObjectCount() > 0 ? 2 : 0;
    stream->WriteBuffer(&flag, 1);
    if (flag)
        source_->SaveToStream(stream);
}

void TSkSkinManager::Loaded()
{
    inherited::Loaded();
    if (OnAfterChange && source_->GetObjectCount() > 0)
        OnAfterChange(this);
}

void TSkSkinManager::BroadcastMessage(vcl::TControl* control, UINT msg)
{
    if (!control)
        return;
    const auto self = reinterpret_cast<WPARAM>(this);
    if (auto* form = dynamic_cast<vcl::TCustomForm*>(control))
        SendMessageA(form->Handle(), msg, self, static_cast<LPARAM>(self));
    else
        control->Perform(msg, self, static_cast<LPARAM>(self));
    if (auto* win = dynamic_cast<vcl::TWinControl*>(control))
        for (int i = 0; i < win->ControlCount(); ++i)
            BroadcastMessage(win->Controls(i), msg);
}

void TSkSkinManager::BroadcastBeforeChange()
{
    OnBeforeChange(this);
    if (!vcl::Screen)
        return;
    const int count = vcl::Screen->FormCount();
    for (int i = 0; i < count && i < vcl::Screen->FormCount(); ++i) {
        BroadcastMessage(vcl::Screen->Forms(i), SKM_SKINWILLCHANGE);
        if (vcl::Application)
            vcl::Application->ProcessMessages();
    }
}

void TSkSkinManager::BroadcastAfterChange()
{
    if (vcl::Screen)
        for (int i = 0; i < vcl::Screen->FormCount(); ++i) {
            BroadcastMessage(vcl::Screen->Forms(i), SKM_SKINCHANGED);
            if (vcl::Application)
                vcl::Application->ProcessMessages();
        }
    OnAfterChange(this);
}

void TSkSkinManager::SetSkinFile(const vcl::AnsiString& value)
{
    skinFile_ = value;
    if (ComponentState().Contains(vcl::csDesigning)) {
        if (!value.empty() && source_->GetObjectCount() > 0)
            source_->Clear();
        return;
    }
    if (source_->GetObjectCount() == 0) {
        source_->LoadFromFile(skinFile_);
        source_->ChangeHue(deltaHue_);
        BroadcastAfterChange();
        return;
    }
    source_->Reloading = true;
    try {
        BroadcastBeforeChange();
        source_->Clear();
        source_->LoadFromFile(skinFile_);
    } catch (...) {
        // The controls have dropped their skin: tell them it is gone
        // before the failure goes on, and never leave lookups blocked.
        source_->Reloading = false;
        source_->ChangeHue(deltaHue_);
        BroadcastAfterChange();
        throw;
    }
    source_->Reloading = false;
    source_->ChangeHue(deltaHue_);
    BroadcastAfterChange();
}

void TSkSkinManager::SetDeltaHue(int value)
{
    if (value == deltaHue_ && value == source_->CurrentHue())
        return;
    deltaHue_ = value;
    if (source_->GetObjectCount() == 0 || busy_)
        return;
    busy_ = true;
    try {
        BroadcastBeforeChange();
        source_->ChangeHue(deltaHue_);
        BroadcastAfterChange();
    } catch (...) {
        busy_ = false;
        throw;
    }
    busy_ = false;
}

void TrackSkinManager(vcl::TComponent& holder, TSkSkinManager*& slot, TSkSkinManager* value)
{
    if (value == slot)
        return;
    UntrackSkinManager(holder, slot);
    slot = value;
    if (slot)
        slot->FreeNotification(&holder);
}

void UntrackSkinManager(vcl::TComponent& holder, TSkSkinManager* slot)
{
    // A manager that is going away is telling us so; it drops its list itself.
    if (slot && !slot->ComponentState().Contains(vcl::csDestroying))
        slot->RemoveFreeNotification(&holder);
}

}  // namespace skin
