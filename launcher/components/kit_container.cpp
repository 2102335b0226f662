#include "launcher/components/kit_container.h"

#include "launcher/components/kit_draw.h"

#include "launcher/components/kit_image_list.h"

#include <algorithm>

#include "launcher/components/kit_dib.h"
#include "launcher/components/kit_paths.h"
#include "platform/vcl/filer.h"
#include "platform/win32/kernel/module.h"

namespace kit {

VCL_IMPLEMENT_CLASS(TKitBaseContainer, TKitCustomComponent, [](auto&) {})
VCL_IMPLEMENT_CLASS(TKitListItem, TKitCustomComponent, [](auto&) {})
// The item properties are published for the designer; the item record
// ("Internal") carries them in a stream, so they are never stored alone.
namespace {
bool NeverStored(const vcl::TObject*) { return false; }
template <class B>
void PublishIdentAndDescription(B& b)
{
    b.template Int<WORD>("Ident", &TKitListItem::Ident, &TKitListItem::SetIdent).stored = NeverStored;
    b.Str("Description", &TKitListItem::Description, &TKitListItem::SetDescription).stored = NeverStored;
}
}  // namespace

VCL_IMPLEMENT_CLASS(TKitStringListItem, TKitListItem, [](auto& b) {
    b.Component();
    b.Object("Items", &TKitStringListItem::Items).stored = NeverStored;
    PublishIdentAndDescription(b);
})
VCL_IMPLEMENT_CLASS(TKitWaveListItem, TKitListItem, [](auto& b) {
    b.Component();
    b.Object("Wave", &TKitWaveListItem::Wave).stored = NeverStored;
    PublishIdentAndDescription(b);
})
VCL_IMPLEMENT_CLASS(TKitCustomContainer, TKitBaseContainer, [](auto& b) {
    b.Str("About", &TKitCustomContainer::About, &TKitCustomContainer::SetAbout).stored = [](const vcl::TObject*) {
        return false;
    };
})
VCL_IMPLEMENT_CLASS(TKitStringList, TKitCustomContainer, [](auto& b) {
    b.Component();
    b.Bool("DefaultCompressed", &TKitStringList::DefaultCompressed, &TKitStringList::SetDefaultCompressed, false);
})
VCL_IMPLEMENT_CLASS(TKitWaveList, TKitCustomContainer, [](auto& b) {
    b.Component();
    b.Bool("DefaultCompressed", &TKitWaveList::DefaultCompressed, &TKitWaveList::SetDefaultCompressed, false);
})
VCL_IMPLEMENT_CLASS(TKitBitmapListItem, TKitListItem, [](auto& b) {
    b.Component();
    b.Object("Bitmap", &TKitBitmapListItem::Bitmap).stored = NeverStored;
    PublishIdentAndDescription(b);
})
const vcl::TEnumInfo kSavePixelFormatInfo{"TKitSavePixelFormat", {"spfDefault", "spfMono", "spf4bit", "spf8bit"}};

VCL_IMPLEMENT_CLASS(TKitCustomImageList, TKitCustomContainer, [](auto&) {})
VCL_IMPLEMENT_CLASS(TKitBitmapList, TKitCustomImageList, [](auto& b) {
    using C = TKitBitmapList;
    b.Component();
    b.Bool("DefaultCompressed", &C::DefaultCompressed, &C::SetDefaultCompressed, false);
    b.template Enum<TKitSavePixelFormat>("DefaultPixelFormat", &kSavePixelFormatInfo, &C::DefaultPixelFormat, &C::SetDefaultPixelFormat,
           std::optional(spfDefault));
})
VCL_IMPLEMENT_CLASS(TKitContainer, TKitBaseContainer, [](auto& b) { b.Component(); })

// Sent to the clients of a container that changed.
constexpr UINT kContainerChanged = 0xB0F0;

// -------------------------------------------------------- TKitBaseContainer

void TKitBaseContainer::Attach(vcl::TComponent* client)
{
    if (client && std::find(clients_.begin(), clients_.end(), client) == clients_.end()) {
        clients_.push_back(client);
        client->FreeNotification(this);
    }
}

void TKitBaseContainer::Detach(vcl::TComponent* client)
{
    clients_.erase(std::remove(clients_.begin(), clients_.end(), client), clients_.end());
}

void TKitBaseContainer::Change()
{
    for (vcl::TComponent* client : clients_) {
        vcl::TMessage m{kContainerChanged, 0, reinterpret_cast<LPARAM>(this), 0};
        client->Dispatch(m);
    }
}

void TKitBaseContainer::Notification(vcl::TComponent* component, vcl::TOperation operation)
{
    TKitCustomComponent::Notification(component, operation);
    if (operation == vcl::opRemove)
        Detach(component);
}

// ------------------------------------------------------------- TKitListItem

TKitItemRecord TKitListItem::ToRecord() const
{
    TKitItemRecord record;
    record.compressed = compressed_;
    if (!description_.empty())
        record.description = description_;
    record.ident = ident_;
    record.flags = RecordFlags();
    record.strip = StripHeader();
    if (HasData())
        record.data = DataBytes();
    return record;
}

void TKitListItem::FromRecord(const TKitItemRecord& record)
{
    SetRecordFlags(record.flags);
    if (record.strip)
        SetStripHeader(*record.strip);
    if (record.data)
        SetDataBytes(*record.data);
    compressed_ = record.compressed;
    description_ = record.description.value_or("");
    ident_ = static_cast<WORD>(record.ident.value_or(0));
}

void TKitListItem::DefineProperties(vcl::TFiler* filer)
{
    TKitCustomComponent::DefineProperties(filer);
    filer->DefineBinaryProperty(
        "Internal", [this](vcl::TStream* s) { FromRecord(ReadItemRecord(s, StripHeader().has_value())); },
        [this](vcl::TStream* s) { WriteItemRecord(s, ToRecord()); }, true);
}

TKitStringListItem::TKitStringListItem(vcl::TComponent* owner) : TKitListItem(owner), items_(new vcl::TStringList()) {}
TKitStringListItem::~TKitStringListItem() { delete items_; }

std::vector<std::uint8_t> TKitStringListItem::DataBytes() const
{
    const AnsiString text = items_->GetTextStr();
    return std::vector<std::uint8_t>(text.begin(), text.end());
}

void TKitStringListItem::SetDataBytes(const std::vector<std::uint8_t>& data)
{
    items_->SetTextStr(AnsiString(data.begin(), data.end()));
}

TKitBitmapListItem::TKitBitmapListItem(vcl::TComponent* owner, const TKitCustomContainer* list)
    : TKitListItem(owner), bitmap_(new vcl::TBitmap()), list_(list)
{
}

TKitBitmapListItem::~TKitBitmapListItem() { delete bitmap_; }

AnsiString ContainerFileName(const AnsiString& location)
{
    const bool whole = (location.size() > 1 && location[1] == ':') ||
                       (!location.empty() && (location[0] == '\\' || location[0] == '/'));
    return whole ? location : ProgramFolder(true) + location;
}

AnsiString SeparateBitmapFileName(const AnsiString& location, WORD ident)
{
    const AnsiString file = ContainerFileName(location);
    return vcl::ExtractFilePath(file) + vcl::ExtractFileName(file).substr(0, 3) + vcl::IntToStr(ident) + ".bmp";
}

vcl::TBitmap* TKitBitmapListItem::Bitmap() const
{
    if (!loadTried_ && list_ && list_->StorageKind() != 0 && bitmap_->Empty()) {
        // Tried once only. The getter is also how a bitmap is filled in, so a
        // source that cannot be read leaves the bitmap empty instead of raising.
        loadTried_ = true;
        try {
            Load();
        } catch (const vcl::Exception&) {
            bitmap_->SetSize(0, 0);
        }
    }
    return bitmap_;
}

void TKitBitmapListItem::Load() const
{
    auto* self = const_cast<TKitBitmapListItem*>(this);
    switch (list_->StorageKind()) {
    case 1: {
        const AnsiString fileName = ContainerFileName(list_->Location());
        vcl::TFileStream stream(fileName, vcl::fmOpenRead | vcl::fmShareDenyWrite);
        for (const TKitItemRecord& record : ReadContainerFile(&stream, TKitContainerKind::BitmapList, fileName)) {
            if (record.ident.value_or(0) == Ident() && record.data) {
                self->SetRecordFlags(record.flags);
                self->SetDataBytes(*record.data);
                return;
            }
        }
        return;
    }
    case 2: bitmap_->LoadFromResourceName(nullptr, vcl::IntToStr(Ident())); return;
    case 3: {
        // The bitmaps of a library are not read; loading it only shows it is there.
        if (HMODULE library = LoadLibraryA(list_->Location().c_str()))
            FreeLibrary(library);
        return;
    }
    case 4: bitmap_->LoadFromFile(SeparateBitmapFileName(list_->Location(), Ident())); return;
    default: return;
    }
}

std::uint8_t SavePixelFormatBits(TKitSavePixelFormat format)
{
    static constexpr std::uint8_t kBits[] = {0, kRecMono, kRec4Bit, kRec8Bit};
    return kBits[format];
}

TKitSavePixelFormat SavePixelFormatOf(std::uint8_t bits)
{
    return bits & kRecMono ? spfMono : bits & kRec4Bit ? spf4bit : bits & kRec8Bit ? spf8bit : spfDefault;
}

int SavePixelFormatDepth(TKitSavePixelFormat format)
{
    static constexpr int kBitCounts[] = {0, 1, 4, 8};
    return kBitCounts[format];
}

std::uint8_t TKitBitmapListItem::RecordFlags() const { return SavePixelFormatBits(savePixelFormat_); }
void TKitBitmapListItem::SetRecordFlags(std::uint8_t bits) { savePixelFormat_ = SavePixelFormatOf(bits); }

std::vector<std::uint8_t> TKitBitmapListItem::DataBytes() const
{
    if (savePixelFormat_ != spfDefault)
        return WriteDibFile(bitmap_, SavePixelFormatDepth(savePixelFormat_));
    vcl::TMemoryStream stream;
    bitmap_->SaveToStream(&stream);
    return stream.Bytes();
}

void TKitBitmapListItem::SetDataBytes(const std::vector<std::uint8_t>& data)
{
    vcl::TMemoryStream stream;
    if (!data.empty())
        stream.WriteBuffer(data.data(), static_cast<std::int32_t>(data.size()));
    stream.SetPosition(0);
    bitmap_->LoadFromStream(&stream);
}

TKitWaveListItem::TKitWaveListItem(vcl::TComponent* owner) : TKitListItem(owner), wave_(new TKitWave()) {}
TKitWaveListItem::~TKitWaveListItem() { delete wave_; }

// ------------------------------------------------------ TKitCustomContainer

TKitCustomContainer::~TKitCustomContainer()
{
    for (TKitListItem* item : items_)
        delete item;
}

TKitListItem* TKitCustomContainer::Items(int index) const
{
    if (index < 0 || index >= Count())
        throw vcl::EListError(vcl::Format(vcl::consts::SListIndexError, index));
    return items_[static_cast<std::size_t>(index)];
}

TKitListItem* TKitCustomContainer::Add()
{
    TKitListItem* item = CreateItem();
    item->SetCompressed(defaultCompressed_);
    items_.push_back(item);
    NotifyChange();
    return item;
}

void TKitCustomContainer::Delete(int index)
{
    TKitListItem* item = Items(index);
    items_.erase(items_.begin() + index);
    delete item;
    NotifyChange();
}

void TKitCustomContainer::Clear()
{
    for (TKitListItem* item : items_)
        delete item;
    items_.clear();
    NotifyChange();
}

TKitListItem* TKitCustomContainer::FindByIdent(WORD ident) const
{
    const auto it = std::find_if(items_.begin(), items_.end(), [ident](TKitListItem* i) { return i->Ident() == ident; });
    return it == items_.end() ? nullptr : *it;
}

std::vector<TKitItemRecord> TKitCustomContainer::Records() const
{
    std::vector<TKitItemRecord> records;
    for (const TKitListItem* item : items_)
        records.push_back(item->ToRecord());
    return records;
}

void TKitCustomContainer::Replace(const std::vector<TKitItemRecord>& records)
{
    std::vector<TKitListItem*> fresh;
    try {
        for (const auto& record : records) {
            fresh.push_back(CreateItem());
            fresh.back()->FromRecord(record);
        }
    } catch (...) {
        for (TKitListItem* item : fresh)
            delete item;
        throw;
    }
    for (TKitListItem* item : items_)
        delete item;
    items_ = std::move(fresh);
    NotifyChange();
}

void TKitCustomContainer::SaveToStream(vcl::TStream* stream) const { WriteContainerStream(stream, Records(), true); }

void TKitCustomContainer::LoadFromStream(vcl::TStream* stream)
{
    Replace(ReadContainerStream(stream, true, Kind() == TKitContainerKind::ImageList));
}

void TKitCustomContainer::SaveToFile(const AnsiString& fileName) const
{
    vcl::TMemoryStream memory;
    WriteContainerFile(&memory, Kind(), Records());
    memory.SaveToFile(fileName);
}

void TKitCustomContainer::LoadFromFile(const AnsiString& fileName)
{
    vcl::TFileStream stream(fileName, vcl::fmOpenRead | vcl::fmShareDenyWrite);
    Replace(ReadContainerFile(&stream, Kind(), fileName));
}

RECT TKitBitmapList::DrawImage(vcl::TCanvas* canvas, const RECT& rect, int index, UINT flags, bool enabled)
{
    if (index < 0 || index >= Count())
        return RECT{0, 0, 0, 0};
    vcl::TBitmap* bitmap = BitmapItem(index)->Bitmap();
    if (enabled)
        return DrawBitmap(canvas, rect, bitmap, flags);
    const vcl::TColor key = (flags & kDrawTransparent) ? bitmap->TransparentColor() : vcl::clNone;
    return DrawDisabledBitmap(canvas, rect, bitmap, flags, key, nullptr, DisabledColor);
}

TKitListItem* TKitBitmapList::CreateItem()
{
    auto* item = new TKitBitmapListItem(nullptr, this);
    item->SetSavePixelFormat(DefaultPixelFormat());
    return item;
}

// ------------------------------------------------------------ TKitContainer

TKitContainer::TKitContainer(vcl::TComponent* owner)
    : TKitBaseContainer(owner),
      bitmaps_(new TKitBitmapList(nullptr)),
      images_(new TKitImageList(nullptr)),
      strings_(new TKitStringList(nullptr)),
      waves_(new TKitWaveList(nullptr))
{
}

TKitContainer::~TKitContainer()
{
    delete bitmaps_;
    delete images_;
    delete strings_;
    delete waves_;
}

}  // namespace kit
