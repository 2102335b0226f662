#pragma once

// TSkSkinSource: one skin in memory (its name strings, bitmaps and
// top-level skin objects), loaded and saved through the skin filters.

#include <cstdint>
#include <vector>

#include "platform/vcl/classes.h"
#include "platform/vcl/streams.h"
#include "skin/graphics/sk_bitmap.h"
#include "skin/skins/sk_skin_object.h"

namespace skin {

class TSkSkinSource : public vcl::TComponent {
    VCL_DECLARE_CLASS(TSkSkinSource, vcl::TComponent)
public:
    explicit TSkSkinSource(vcl::TComponent* owner);
    ~TSkSkinSource() override;

    vcl::AnsiString SkinName() const { return skinName_; }
    void SetSkinName(const vcl::AnsiString& v) { skinName_ = v; }
    vcl::AnsiString SkinVersion() const { return skinVersion_; }
    void SetSkinVersion(const vcl::AnsiString& v) { skinVersion_ = v; }
    vcl::AnsiString Author() const { return author_; }
    void SetAuthor(const vcl::AnsiString& v) { author_ = v; }
    vcl::AnsiString AuthorEMail() const { return authorEMail_; }
    void SetAuthorEMail(const vcl::AnsiString& v) { authorEMail_ = v; }
    vcl::AnsiString AuthorURL() const { return authorURL_; }
    void SetAuthorURL(const vcl::AnsiString& v) { authorURL_ = v; }

    // A load reads into a new source and takes its content only when the
    // whole stream was good, so a damaged stream leaves this skin as it was.
    virtual void LoadFromStream(vcl::TStream* stream);
    virtual void SaveToStream(vcl::TStream* stream);
    virtual void LoadFromFile(const vcl::AnsiString& fileName);
    virtual void SaveToFile(const vcl::AnsiString& fileName);

    void Clear();
    int GetObjectCount() const { return static_cast<int>(objects_.size()); }
    TSkSkinObject* GetObject(int index) const;
    TSkSkinObject* FindObject(const vcl::AnsiString& name) const;
    TSkSkinObject* FindObjectByKind(TSkKind kind) const;
    TSkSkinObject* GetFormObject() const;
    void ChangeHue(int value);

    TSkBitmapList& Bitmaps() { return bitmaps_; }
    // Takes ownership of a top-level object.
    void AddObject(TSkSkinObject* object);

    bool Reloading = false;
    int CurrentHue() const { return currentHue_; }
    int AppliedHue() const { return appliedHue_; }

    // Takes every skin field of `other`, leaving it with this one's.
    void SwapContent(TSkSkinSource& other);

private:
    vcl::AnsiString skinName_, skinVersion_, author_, authorEMail_, authorURL_;
    std::vector<TSkSkinObject*> objects_;
    TSkBitmapList bitmaps_;
    // The bitmaps' pixels before the first hue shift, so shifts are always
    // taken from the original colours.
    std::vector<std::vector<TPixel>> hueBase_;
    int currentHue_ = 0;
    int appliedHue_ = 0;
};

}  // namespace skin
