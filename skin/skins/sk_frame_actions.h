#pragma once

// The window actions that the system buttons of a skin ask of the form
// frame. The frame component that answers the frame query (message 2122)
// implements this; a skin object finds it through TSkSkinObject::GetForm.

namespace skin {

class TSkSkinObject;

// Ordinals of the frame's border icons, in the order of its published set.
enum TSkFrameIcon { kfiClose, kfiSystemMenu, kfiMinimize, kfiMaximize, kfiHelp, kfiRollup, kfiTray };

class TSkFrameActions {
public:
    // Bit n is set when the border icon of ordinal n is shown.
    virtual unsigned FrameBorderIcons() const = 0;
    virtual void FrameClose() = 0;
    virtual void FrameHelp() = 0;
    virtual void FrameMinimize() = 0;
    virtual void FrameMaximize() = 0;
    virtual void FrameRestore() = 0;
    virtual void FrameRollup() = 0;
    virtual void FrameMinimizeToTray() = 0;
    virtual void FrameShowSystemMenu() = 0;
    // A button whose action is left to the program.
    virtual void FrameCustomAction(TSkSkinObject* button) = 0;

protected:
    ~TSkFrameActions() = default;
};

// The frame of the control that paints `object`, or nil.
TSkFrameActions* FrameActionsOf(TSkSkinObject* object);

}  // namespace skin
