#pragma once

// Resource containers of the component family: lists of items that carry
// string lists or waves, stored as item records in a form, in a container
// file or in separate files.

#include <cstdint>
#include <vector>

#include "launcher/components/kit_base.h"
#include "launcher/components/kit_records.h"
#include "launcher/components/kit_wave.h"
#include "platform/vcl/graphics.h"
#include "platform/vcl/lists.h"

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

// One item of a container: compressed flag, description and identifier,
// and the data its subclass keeps.
class TKitListItem : public TKitCustomComponent {
    VCL_DECLARE_CLASS(TKitListItem, TKitCustomComponent)
public:
    explicit TKitListItem(vcl::TComponent* owner) : TKitCustomComponent(owner) {}

    bool Compressed() const { return compressed_; }
    void SetCompressed(bool value) { compressed_ = value; }
    AnsiString Description() const { return description_; }
    void SetDescription(const AnsiString& value) { description_ = value; }
    WORD Ident() const { return ident_; }
    void SetIdent(WORD value) { ident_ = value; }

    TKitItemRecord ToRecord() const;
    void FromRecord(const TKitItemRecord& record);
    // The record as the binary property "Internal".
    void DefineProperties(vcl::TFiler* filer) override;

protected:
    virtual std::vector<std::uint8_t> DataBytes() const = 0;
    virtual void SetDataBytes(const std::vector<std::uint8_t>& data) = 0;
    virtual bool HasData() const = 0;
    // The pixel-format bits of the record.
    virtual std::uint8_t RecordFlags() const { return 0; }
    virtual void SetRecordFlags(std::uint8_t) {}
    // Image-strip items carry their strip header in the record.
    virtual std::optional<TKitStripHeader> StripHeader() const { return std::nullopt; }
    virtual void SetStripHeader(const TKitStripHeader&) {}

private:
    bool compressed_ = false;
    AnsiString description_;
    WORD ident_ = 0;
};

class TKitStringListItem : public TKitListItem {
    VCL_DECLARE_CLASS(TKitStringListItem, TKitListItem)
public:
    explicit TKitStringListItem(vcl::TComponent* owner);
    ~TKitStringListItem() override;
    vcl::TStringList* Items() const { return items_; }

protected:
    std::vector<std::uint8_t> DataBytes() const override;
    void SetDataBytes(const std::vector<std::uint8_t>& data) override;
    bool HasData() const override { return items_->Count() > 0; }

private:
    vcl::TStringList* items_;
};

class TKitWaveListItem : public TKitListItem {
    VCL_DECLARE_CLASS(TKitWaveListItem, TKitListItem)
public:
    explicit TKitWaveListItem(vcl::TComponent* owner);
    ~TKitWaveListItem() override;
    TKitWave* Wave() const { return wave_; }

protected:
    std::vector<std::uint8_t> DataBytes() const override { return wave_->Data(); }
    void SetDataBytes(const std::vector<std::uint8_t>& data) override { wave_->SetData(data); }
    bool HasData() const override { return !wave_->Empty(); }

private:
    TKitWave* wave_;
};

enum TKitSavePixelFormat { spfDefault, spfMono, spf4bit, spf8bit };
extern const vcl::TEnumInfo kSavePixelFormatInfo;
// The record's pixel-format bits and back; the DIB depth of a format (0 for
// the bitmap's own stream).
std::uint8_t SavePixelFormatBits(TKitSavePixelFormat format);
TKitSavePixelFormat SavePixelFormatOf(std::uint8_t bits);
int SavePixelFormatDepth(TKitSavePixelFormat format);

class TKitCustomContainer;

// One bitmap; its data is the bitmap's own stream.
class TKitBitmapListItem : public TKitListItem {
    VCL_DECLARE_CLASS(TKitBitmapListItem, TKitListItem)
public:
    explicit TKitBitmapListItem(vcl::TComponent* owner, const TKitCustomContainer* list = nullptr);
    ~TKitBitmapListItem() override;
    // The bitmap, loaded on first use from where the list keeps its bitmaps:
    // 1 the container file, 2 the program's bitmap resource named by the
    // identifier in decimal, 3 a library (loaded and freed; the bitmap stays
    // empty), 4 a separate file. Kind 0 holds it in the form. A source that
    // cannot be read leaves the bitmap empty.
    vcl::TBitmap* Bitmap() const;
    TKitSavePixelFormat SavePixelFormat() const { return savePixelFormat_; }
    void SetSavePixelFormat(TKitSavePixelFormat value) { savePixelFormat_ = value; }

protected:
    std::vector<std::uint8_t> DataBytes() const override;
    void SetDataBytes(const std::vector<std::uint8_t>& data) override;
    bool HasData() const override { return !bitmap_->Empty(); }
    std::uint8_t RecordFlags() const override;
    void SetRecordFlags(std::uint8_t bits) override;

private:
    void Load() const;

    vcl::TBitmap* bitmap_;
    TKitSavePixelFormat savePixelFormat_ = spfDefault;
    const TKitCustomContainer* list_;
    mutable bool loadTried_ = false;
};

// The file a container of storage kind 1 or 4 names by `location`: a bare
// name lies in the program's folder, a path with a drive or a leading
// backslash is kept whole.
AnsiString ContainerFileName(const AnsiString& location);
// The separate file of a bitmap of storage kind 4: the folder, the first
// three letters of the location's file name, the identifier and ".bmp".
AnsiString SeparateBitmapFileName(const AnsiString& location, WORD ident);

// A list of items with a storage kind (0 form, 1 container file, 2 program
// resources, 3 library, 4 separate files) and a storage location.
class TKitCustomContainer : public TKitBaseContainer {
    VCL_DECLARE_CLASS(TKitCustomContainer, TKitBaseContainer)
public:
    explicit TKitCustomContainer(vcl::TComponent* owner) : TKitBaseContainer(owner) {}
    ~TKitCustomContainer() override;

    int Count() const { return static_cast<int>(items_.size()); }
    TKitListItem* Items(int index) const;  // EListError out of range
    TKitListItem* Add();
    void Delete(int index);
    void Clear();
    TKitListItem* FindByIdent(WORD ident) const;
    int StorageKind() const { return storageKind_; }
    void SetStorageKind(int kind) { storageKind_ = kind; }
    AnsiString Location() const { return location_; }
    void SetLocation(const AnsiString& location) { location_ = location; }
    bool DefaultCompressed() const { return defaultCompressed_; }
    void SetDefaultCompressed(bool value) { defaultCompressed_ = value; }
    // The save format new items of bitmap and image lists start with.
    TKitSavePixelFormat DefaultPixelFormat() const { return defaultPixelFormat_; }
    void SetDefaultPixelFormat(TKitSavePixelFormat value) { defaultPixelFormat_ = value; }

    virtual TKitContainerKind Kind() const = 0;

    // The container stream of a form; the items are replaced only when the
    // whole stream reads.
    void SaveToStream(vcl::TStream* stream) const;
    void LoadFromStream(vcl::TStream* stream);
    // The container file.
    void SaveToFile(const AnsiString& fileName) const;
    void LoadFromFile(const AnsiString& fileName);

protected:
    virtual TKitListItem* CreateItem() = 0;

private:
    std::vector<TKitItemRecord> Records() const;
    void Replace(const std::vector<TKitItemRecord>& records);

    std::vector<TKitListItem*> items_;
    int storageKind_ = 2;
    AnsiString location_;
    bool defaultCompressed_ = false;
    TKitSavePixelFormat defaultPixelFormat_ = spfDefault;
};

// A container whose items draw: the bitmap list's bitmaps, the image list's
// images (numbered through its strips in item order).
class TKitCustomImageList : public TKitCustomContainer {
    VCL_DECLARE_CLASS(TKitCustomImageList, TKitCustomContainer)
public:
    explicit TKitCustomImageList(vcl::TComponent* owner) : TKitCustomContainer(owner) {}

    // Disabled images are drawn as a checkerboard of this colour, or greyed
    // when it is clNone (DrawDisabledBitmap).
    vcl::TColor DisabledColor = vcl::clBtnShadow;

    // Draws image `index` into `rect` by DrawBitmap's flags; the covered
    // rectangle, empty for an index out of range.
    virtual RECT DrawImage(vcl::TCanvas* canvas, const RECT& rect, int index, UINT flags, bool enabled = true) = 0;
};

class TKitStringList : public TKitCustomContainer {
    VCL_DECLARE_CLASS(TKitStringList, TKitCustomContainer)
public:
    explicit TKitStringList(vcl::TComponent* owner) : TKitCustomContainer(owner) {}
    TKitContainerKind Kind() const override { return TKitContainerKind::StringList; }
    TKitStringListItem* StringItem(int index) const { return static_cast<TKitStringListItem*>(Items(index)); }

protected:
    TKitListItem* CreateItem() override { return new TKitStringListItem(nullptr); }
};

class TKitWaveList : public TKitCustomContainer {
    VCL_DECLARE_CLASS(TKitWaveList, TKitCustomContainer)
public:
    explicit TKitWaveList(vcl::TComponent* owner) : TKitCustomContainer(owner) {}
    TKitContainerKind Kind() const override { return TKitContainerKind::WaveList; }
    TKitWaveListItem* WaveItem(int index) const { return static_cast<TKitWaveListItem*>(Items(index)); }

protected:
    TKitListItem* CreateItem() override { return new TKitWaveListItem(nullptr); }
};

class TKitBitmapList : public TKitCustomImageList {
    VCL_DECLARE_CLASS(TKitBitmapList, TKitCustomImageList)
public:
    explicit TKitBitmapList(vcl::TComponent* owner) : TKitCustomImageList(owner) {}
    TKitContainerKind Kind() const override { return TKitContainerKind::BitmapList; }
    TKitBitmapListItem* BitmapItem(int index) const { return static_cast<TKitBitmapListItem*>(Items(index)); }
    // The bitmap of item `index`, transparent by its own transparent colour
    // when `flags` ask for it.
    RECT DrawImage(vcl::TCanvas* canvas, const RECT& rect, int index, UINT flags, bool enabled = true) override;

protected:
    TKitListItem* CreateItem() override;
};

class TKitImageList;

// The containers of each kind, created with it.
class TKitContainer : public TKitBaseContainer {
    VCL_DECLARE_CLASS(TKitContainer, TKitBaseContainer)
public:
    explicit TKitContainer(vcl::TComponent* owner);
    ~TKitContainer() override;
    TKitStringList* StringList() const { return strings_; }
    TKitWaveList* WaveList() const { return waves_; }
    TKitBitmapList* BitmapList() const { return bitmaps_; }
    TKitImageList* ImageList() const { return images_; }

private:
    TKitBitmapList* bitmaps_;
    TKitImageList* images_;
    TKitStringList* strings_;
    TKitWaveList* waves_;
};

}  // namespace kit
