#include "skin/skins/sk_skin_source.h"

#include <memory>

#include "platform/vcl/sysobjs.h"
#include "platform/win32/kernel/files.h"
#include "platform/win32/kernel/module.h"
#include "skin/skins/sk_skin_filters.h"

namespace skin {

VCL_IMPLEMENT_CLASS(TSkSkinSource, vcl::TComponent, [](auto& b) {
    b.Component();
    b.Str("SkinName", &TSkSkinSource::SkinName, &TSkSkinSource::SetSkinName);
    b.Str("SkinVersion", &TSkSkinSource::SkinVersion, &TSkSkinSource::SetSkinVersion);
    b.Str("Author", &TSkSkinSource::Author, &TSkSkinSource::SetAuthor);
    b.Str("AuthorEMail", &TSkSkinSource::AuthorEMail, &TSkSkinSource::SetAuthorEMail);
    b.Str("AuthorURL", &TSkSkinSource::AuthorURL, &TSkSkinSource::SetAuthorURL);
})

TSkSkinSource::TSkSkinSource(vcl::TComponent* owner)
    : vcl::TComponent(owner),
      skinName_("Untitled Skin"),
      skinVersion_("3.2.2"),
      author_("Veilstrand skin library"),
      authorEMail_("skins@veilstrand.invalid"),
      authorURL_("https://veilstrand.invalid/skins")
{
}

TSkSkinSource::~TSkSkinSource() { Clear(); }

void TSkSkinSource::Clear()
{
    for (TSkSkinObject* o : objects_)
        delete o;
    objects_.clear();
    bitmaps_.Clear();
    hueBase_.clear();
    currentHue_ = 0;
    appliedHue_ = 0;
}

void TSkSkinSource::AddObject(TSkSkinObject* object) { objects_.push_back(object); }

void TSkSkinSource::SwapContent(TSkSkinSource& other)
{
    std::swap(skinName_, other.skinName_);
    std::swap(skinVersion_, other.skinVersion_);
    std::swap(author_, other.author_);
    std::swap(authorEMail_, other.authorEMail_);
    std::swap(authorURL_, other.authorURL_);
    std::swap(objects_, other.objects_);
    bitmaps_.Swap(other.bitmaps_);
    std::swap(hueBase_, other.hueBase_);
    std::swap(currentHue_, other.currentHue_);
    std::swap(appliedHue_, other.appliedHue_);
    // The objects point at the list they were read with; the lists stay
    // where they are, their content moved.
    for (TSkSkinObject* o : objects_)
        o->SetBitmapList(&bitmaps_);
    for (TSkSkinObject* o : other.objects_)
        o->SetBitmapList(&other.bitmaps_);
}

namespace {

void LoadWith(TSkSkinSource& target, const TSkSkinFilterClass* cls, vcl::TStream* stream)
{
    TSkSkinSource fresh(nullptr);
    std::unique_ptr<TSkSkinFilter> filter(cls->create());
    filter->Source = &fresh;
    filter->LoadFromStream(stream);
    target.SwapContent(fresh);
}

}  // namespace

void TSkSkinSource::LoadFromStream(vcl::TStream* stream) { LoadWith(*this, DefaultSkinFilter, stream); }

void TSkSkinSource::SaveToStream(vcl::TStream* stream)
{
    std::unique_ptr<TSkSkinFilter> filter(DefaultSkinFilter->create());
    filter->Source = this;
    filter->SaveToStream(stream);
}

void TSkSkinSource::LoadFromFile(const vcl::AnsiString& fileName)
{
    if (fileName.empty())
        return;
    vcl::AnsiString name = fileName;
    if (!vcl::FileExists(name)) {
        if (name.size() >= 2 && name[1] == ':')
            return;
        char module[MAX_PATH] = {};
        GetModuleFileNameA(nullptr, module, MAX_PATH);
        name = vcl::ExtractFilePath(module) + name;
        if (!vcl::FileExists(name))
            return;
    }
    const TSkSkinFilterClass* cls = FindSkinFilter(name);
    if (!cls)
        return;
    vcl::TFileStream file(name, vcl::fmOpenRead | vcl::fmShareDenyWrite);
    LoadWith(*this, cls, &file);
}

void TSkSkinSource::SaveToFile(const vcl::AnsiString& fileName)
{
    if (fileName.empty())
        return;
    const TSkSkinFilterClass* cls = FindSkinFilter(fileName);
    if (!cls)
        cls = DefaultSkinFilter;
    // Written beside the target and renamed over it, so a failed save
    // never leaves half a skin behind.
    const vcl::AnsiString temp = fileName + ".tmp";
    {
        vcl::TFileStream file(temp, vcl::fmCreate);
        std::unique_ptr<TSkSkinFilter> filter(cls->create());
        filter->Source = this;
        filter->SaveToStream(&file);
    }
    if (!MoveFileExA(temp.c_str(), fileName.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        DeleteFileA(temp.c_str());
        throw vcl::EFCreateError(vcl::Format(vcl::consts::SFCreateError, fileName));
    }
}

TSkSkinObject* TSkSkinSource::GetObject(int index) const
{
    if (Reloading || index < 0 || index >= GetObjectCount())
        return nullptr;
    return objects_[static_cast<size_t>(index)];
}

TSkSkinObject* TSkSkinSource::FindObject(const vcl::AnsiString& name) const
{
    if (Reloading)
        return nullptr;
    const vcl::AnsiString wanted = vcl::LowerCase(name);
    for (TSkSkinObject* o : objects_)
        if (vcl::LowerCase(o->Name()) == wanted)
            return o;
    return nullptr;
}

TSkSkinObject* TSkSkinSource::FindObjectByKind(TSkKind kind) const
{
    if (Reloading)
        return nullptr;
    for (TSkSkinObject* o : objects_)
        if (o->Kind() == kind)
            return o;
    return nullptr;
}

TSkSkinObject* TSkSkinSource::GetFormObject() const
{
    TSkSkinObject* form = FindObject("Form");
    return form ? form : FindObjectByKind(skForm);
}

void TSkSkinSource::ChangeHue(int value)
{
    if (value == currentHue_)
        return;
    currentHue_ = value;
    const int delta = value - appliedHue_;
    if (hueBase_.size() != static_cast<size_t>(bitmaps_.Count())) {
        hueBase_.clear();
        for (int i = 0; i < bitmaps_.Count(); ++i) {
            TSkBitmap* b = bitmaps_.GetBitmap(i);
            hueBase_.emplace_back(b->Bits(), b->Bits() + static_cast<std::ptrdiff_t>(b->Width()) * b->Height());
        }
    }
    for (int i = 0; i < bitmaps_.Count(); ++i) {
        TSkBitmap* b = bitmaps_.GetBitmap(i);
        const auto& base = hueBase_[static_cast<size_t>(i)];
        std::copy(base.begin(), base.end(), b->Bits());
        if (value != 0)
            b->ChangeHue(value);
    }
    for (TSkSkinObject* o : objects_)
        o->ChangeHue(delta);
    appliedHue_ = value;
}

}  // namespace skin
