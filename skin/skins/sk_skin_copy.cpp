#include "skin/skins/sk_skin_copy.h"

namespace skin {

TSkSkinCopy::TSkSkinCopy(vcl::TComponent& control, const char* defaultObject)
    : control_(control), objectName_(defaultObject)
{
}

TSkSkinCopy::~TSkSkinCopy()
{
    UntrackSkinManager(control_, manager_);
}

TSkSkinObject* TSkSkinCopy::Find(const char* name) const { return copy_ ? copy_->FindObject(name) : nullptr; }

bool TSkSkinCopy::SourceUsable() const
{
    const TSkSkinSource* source = manager_ ? manager_->Source() : nullptr;
    return source && !source->Reloading && source->GetObjectCount() > 0;
}

bool TSkSkinCopy::Assign(TSkSkinManager* manager)
{
    TrackSkinManager(control_, manager_, manager);
    copy_.reset();
    if (!SourceUsable())
        return false;
    if (TSkSkinObject* original = manager_->Source()->FindObject(objectName_))
        copy_.reset(CloneSkinObject(original, nullptr));
    return copy_ != nullptr;
}

bool TSkSkinCopy::IsSkinned(bool testLoading) const
{
    const vcl::TComponentState state = control_.ComponentState();
    if (state.Contains(vcl::csDestroying) || (testLoading && state.Contains(vcl::csLoading)))
        return false;
    return SourceUsable() && manager_->Source()->FindObject(objectName_) && copy_;
}

bool TSkSkinCopy::FromManager(const vcl::TMessage& m) const
{
    return manager_ && m.LParam == reinterpret_cast<LPARAM>(manager_);
}

}  // namespace skin
