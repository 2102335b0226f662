#pragma once

// The class library's status panel: a collection item with text, width and
// alignment, which other panel classes take their values from.

#include "platform/vcl/collection.h"
#include "platform/vcl/controls.h"

namespace vcl {

class TStatusPanel : public TCollectionItem {
    VCL_DECLARE_CLASS(TStatusPanel, TCollectionItem)
public:
    explicit TStatusPanel(TCollection* collection = nullptr) : TCollectionItem(collection) {}
    AnsiString Text() const { return text_; }
    void SetText(const AnsiString& v);
    int Width() const { return width_; }
    void SetWidth(int v);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment v);
    void Assign(TPersistent* source) override;

private:
    AnsiString text_;
    int width_ = 50;
    TAlignment alignment_ = taLeftJustify;
};

}  // namespace vcl
