#pragma once

// TSkCustomControlBar: a container that arranges its child controls as
// bands in rows, each with a grabber at its left. Bands are dragged within
// and between rows, dragged out to float, and floating controls dock into
// the bar.

#include <cstddef>
#include <vector>

#include "platform/vcl/dragdock.h"
#include "skin/controls/sk_custom_control.h"

namespace skin {

enum TBandPaintOption { bpoGrabber, bpoFrame };
using TBandPaintOptions = vcl::TSet<TBandPaintOption>;

using TBandDragEvent = vcl::TEvent<vcl::TObject*, vcl::TControl*, bool&>;
using TBandInfoEvent = vcl::TEvent<vcl::TObject*, vcl::TControl*, RECT&, int&, int&>;
using TBandMoveEvent = vcl::TEvent<vcl::TObject*, vcl::TControl*, RECT&>;
using TBandPaintEvent = vcl::TEvent<vcl::TObject*, vcl::TControl*, vcl::TCanvas*, RECT&, TBandPaintOptions&>;

// One band, or one row-part of a band that spans several rows.
struct TSkBand {
    vcl::TControl* control = nullptr;
    RECT insets{};
    bool visible = true;
    bool rowStart = false;
    int wantedLeft = 0, wantedTop = 0;
    int width = 0;
    int height = 0;
    int rowCount = 0;  // 0 until the band is first placed
    TSkBand* continues = nullptr;
    TSkBand* nextPart = nullptr;
    bool startsRowNow = false;
    int placedLeft = 0, placedTop = 0, placedWidth = 0;
};

class TSkCustomControlBar : public TSkCustomControl {
    VCL_DECLARE_CLASS(TSkCustomControlBar, TSkCustomControl)
public:
    explicit TSkCustomControlBar(vcl::TComponent* owner);
    ~TSkCustomControlBar() override;

    bool AutoDock() const { return autoDock_; }
    void SetAutoDock(bool v) { autoDock_ = v; }
    bool AutoDrag() const { return autoDrag_; }
    void SetAutoDrag(bool v) { autoDrag_ = v; }
    int RowSize() const { return rowSize_; }
    void SetRowSize(int v) { rowSize_ = v < 1 ? 1 : v; }
    bool RowSnap() const { return rowSnap_; }
    void SetRowSnap(bool v) { rowSnap_ = v; }
    vcl::TControl* DraggedControl() const { return dragged_; }
    vcl::TControl* PlacedControl() const { return placed_; }
    const std::vector<TSkBand*>& Bands() const { return bands_; }

    TBandDragEvent OnBandDrag;
    TBandInfoEvent OnBandInfo;
    TBandMoveEvent OnBandMove;
    TBandPaintEvent OnBandPaint;
    vcl::TNotifyEvent OnPaint;

    virtual void DoBandMove(vcl::TControl* control, RECT& rect);
    virtual void DoBandPaint(vcl::TControl* control, vcl::TCanvas* canvas, RECT& rect, TBandPaintOptions& options);
    virtual bool StartBandDrag(vcl::TControl* control, int x, int y, bool keepCapture);
    virtual void DoBandInfo(vcl::TControl* control, RECT& insets, int& rowCount, int& preferredSize);
    virtual void PaintBand(vcl::TCanvas* canvas, vcl::TControl* control, RECT rect);
    virtual void PaintBackground();
    virtual int GetGrabberWidth() { return 11; }
    virtual void SnapshotBands();

    TSkBand* FindBand(vcl::TControl* control) const;
    TSkBand* BandAt(int x, int y) const;
    vcl::TControl* ControlAt(int x, int y) const;
    using TSkCustomControl::Realign;
    void Realign(vcl::TControl* control);
    void ResetBands();
    void RemoveBand(vcl::TControl* control);

    void PaintClient() override;
    void DockOver(vcl::TDragDockObject* source, int x, int y, vcl::TDragState state, bool& accept) override;

protected:
    void AlignControls(vcl::TControl* control, RECT& rect) override;
    void CreateParams(vcl::TCreateParams& params) override;
    void MouseDown(vcl::TMouseButton button, vcl::TShiftState shift, int x, int y) override;
    void MouseMove(vcl::TShiftState shift, int x, int y) override;
    void MouseUp(vcl::TMouseButton button, vcl::TShiftState shift, int x, int y) override;
    bool CanAutoSize(int& newWidth, int& newHeight) override;

private:
    // A band spans at most this many rows, whatever OnBandInfo asks.
    static constexpr int kMaxBandRows = 100;
    // What a band taken out to be placed again had: per row-part, its
    // height insets, its row start and its index in the record list.
    struct Remembered {
        int heightInsets = -1;
        bool rowStart = false;
        int index = -1;
    };
    struct Insertion {
        std::size_t pos;
        bool newRow;
        bool takesRowStart;  // the record at pos gives its row start to the band
    };
    enum class LayoutResult { Quiet, Repaint, Abandoned };

    bool UpdateBands(vcl::TControl* control);
    void PlaceBand(vcl::TControl* control, RECT rect, const std::vector<Remembered>& remembered);
    Insertion FindInsertion(const RECT& band, std::size_t from, const Remembered& remembered) const;
    TSkBand* InsertRecord(const TSkBand& record, std::size_t from, const Remembered& remembered);
    LayoutResult LayoutRows(vcl::TControl* control, const RECT& client);
    bool LayoutPass(const RECT& client);
    int LayoutRow(std::size_t begin, std::size_t end, int rowTop, int& rowBottom, std::vector<TSkBand*>& row);
    static int PushLeft(std::vector<TSkBand*>& row, int need);
    static bool FitRow(std::vector<TSkBand*>& row, int excess);
    void FreeBand(TSkBand* band);
    RECT BandRect(const TSkBand* band) const;
    void CNKeyDown(vcl::TMessage& m);
    void CMControlListChange(vcl::TMessage& m);
    void CMDesignHitTest(vcl::TMessage& m);

    bool aligning_ = false;
    bool autoDrag_ = true;
    bool autoDock_ = true;
    vcl::TControl* placed_ = nullptr;
    vcl::TControl* dragged_ = nullptr;
    vcl::TControl* leaving_ = nullptr;  // being removed from the bar
    int dragOffsetX_ = 0, dragOffsetY_ = 0;
    std::vector<TSkBand*> bands_;
    RECT defaultInsets_{11, 2, 2, 2};
    int rowSize_ = 26;
    bool rowSnap_ = false;
};

}  // namespace skin
