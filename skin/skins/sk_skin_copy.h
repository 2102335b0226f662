#pragma once

// The skinned-control pattern: a control names one top-level object of its
// skin manager's skin and paints from a private copy of it. The copy is
// made when a manager is assigned and after every skin change (message
// 1702), and dropped before a change (1703), when the manager is removed
// and with the control, so the control never holds a pointer into a skin
// that is going away.

#include <memory>

#include "platform/vcl/messages.h"
#include "skin/skins/sk_skin_manager.h"

namespace skin {

class TSkSkinCopy {
public:
    TSkSkinCopy(vcl::TComponent& control, const char* defaultObject);
    ~TSkSkinCopy();
    TSkSkinCopy(const TSkSkinCopy&) = delete;
    TSkSkinCopy& operator=(const TSkSkinCopy&) = delete;

    TSkSkinManager* Manager() const { return manager_; }
    const vcl::AnsiString& ObjectName() const { return objectName_; }
    // Only recorded: it takes effect at the next assignment or skin change.
    void SetObjectName(const vcl::AnsiString& name) { objectName_ = name; }
    TSkSkinObject* Copy() const { return copy_.get(); }
    // A descendant of the copy (or the copy) by name, or nil.
    TSkSkinObject* Find(const char* name) const;

    // Stores the manager; makes a new copy when its skin is usable and holds
    // the named object. True when a copy results.
    bool Assign(TSkSkinManager* manager);
    void Drop() { copy_.reset(); }
    // The manager's skin is there and not being replaced; `testLoading`
    // also counts a control being loaded as not skinned.
    bool IsSkinned(bool testLoading) const;
    // Message 1702 or 1703 from this control's manager.
    bool FromManager(const vcl::TMessage& m) const;

private:
    bool SourceUsable() const;

    vcl::TComponent& control_;
    TSkSkinManager* manager_ = nullptr;
    vcl::AnsiString objectName_;
    std::unique_ptr<TSkSkinObject> copy_;
};

// What a skinned control class declares: the manager, the object name and
// the copy. `testLoading` false counts a control being loaded as skinned.
#define SK_SKINNED_CONTROL_MEMBERS(testLoading)                                      \
public:                                                                              \
    TSkSkinManager* SkinManager() const { return skin_.Manager(); }                  \
    void SetSkinManager(TSkSkinManager* manager);                                    \
    vcl::AnsiString SkinObject() const { return skin_.ObjectName(); }                \
    void SetSkinObject(const vcl::AnsiString& name) { skin_.SetObjectName(name); }   \
    vcl::AnsiString Version() const { return "3.2.2"; }                              \
    void SetVersion(const vcl::AnsiString&) {}                                       \
    TSkSkinCopy& Skin() { return skin_; }                                            \
    bool IsSkinned() const { return skin_.IsSkinned(testLoading); }                  \
                                                                                     \
protected:                                                                           \
    void Notification(vcl::TComponent* component, vcl::TOperation operation) override \
    {                                                                                \
        inherited::Notification(component, operation);                               \
        if (operation == vcl::opRemove && component == skin_.Manager())              \
            SetSkinManager(nullptr);                                                 \
    }                                                                                \
                                                                                     \
private:                                                                             \
    TSkSkinCopy skin_;

// The published properties and messages every skinned control shares; T
// has SkinManager/SetSkinManager, SkinObject/SetSkinObject and Skin() (its
// TSkSkinCopy).
template <class T, class B>
void PublishSkinnedControl(B& b)
{
    b.Object("SkinManager", &T::SkinManager, &T::SetSkinManager);
    b.Str("SkinObject", &T::SkinObject, &T::SetSkinObject);
    b.Str("Version", &T::Version, &T::SetVersion);
    b.Message(SKM_OBJECTCHANGED, [](T* self, vcl::TMessage&) { self->Invalidate(); });
    b.Message(SKM_SKINWILLCHANGE, [](T* self, vcl::TMessage& m) {
        if (self->Skin().FromManager(m))
            self->Skin().Drop();
    });
    b.Message(SKM_SKINCHANGED, [](T* self, vcl::TMessage& m) {
        if (self->Skin().FromManager(m))
            self->SetSkinManager(self->Skin().Manager());
    });
}

}  // namespace skin
