#pragma once

// TSkSkinManager: the component that gives a form's skinned controls their
// skin. It owns one skin source, loads it from a file or from the form's
// own "SkinStream" property, shifts its hue, and tells every form and
// control before (1703) and after (1702) the skin changes.

#include "platform/vcl/controls.h"
#include "skin/skins/sk_skin_source.h"

namespace skin {

constexpr UINT SKM_SKINCHANGED = 1702;
constexpr UINT SKM_SKINWILLCHANGE = 1703;

class TSkSkinManager : public vcl::TComponent {
    VCL_DECLARE_CLASS(TSkSkinManager, vcl::TComponent)
public:
    explicit TSkSkinManager(vcl::TComponent* owner);
    ~TSkSkinManager() override;

    int DeltaHue() const { return deltaHue_; }
    void SetDeltaHue(int value);
    vcl::AnsiString SkinFile() const { return skinFile_; }
    void SetSkinFile(const vcl::AnsiString& value);
    vcl::AnsiString SkinStore() const;
    void SetSkinStore(const vcl::AnsiString&) {}
    bool SkinStoreCompression() const { return skinStoreCompression_; }
    void SetSkinStoreCompression(bool v) { skinStoreCompression_ = v; }
    vcl::AnsiString Version() const { return "3.2.2"; }
    void SetVersion(const vcl::AnsiString&) {}
    vcl::TNotifyEvent OnBeforeChange;
    vcl::TNotifyEvent OnAfterChange;

    TSkSkinSource* Source() const { return source_; }

    void DefineProperties(vcl::TFiler* filer) override;
    void Loaded() override;

    void BroadcastMessage(vcl::TControl* control, UINT msg);
    void BroadcastBeforeChange();
    void BroadcastAfterChange();

    void ReadSkinStream(vcl::TStream* stream);
    void WriteSkinStream(vcl::TStream* stream);

private:
    int deltaHue_ = 0;
    vcl::AnsiString skinFile_;
    bool skinStoreCompression_ = false;
    bool busy_ = false;
    TSkSkinSource* source_;
};

// Points `slot`, a manager reference held by `holder`, at `value`, moving
// the free notification along, so that the holder hears when it goes.
void TrackSkinManager(vcl::TComponent& holder, TSkSkinManager*& slot, TSkSkinManager* value);
// For the holder's destructor: the manager need not tell it any more.
void UntrackSkinManager(vcl::TComponent& holder, TSkSkinManager* slot);

}  // namespace skin
