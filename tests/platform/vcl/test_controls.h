#pragma once

// A push button, a label and a check box made on the class library, as a
// program would make its own controls.

#include "platform/vcl/forms.h"

namespace vcltest {

using namespace vcl;

class TTestButton : public TCustomControl {
    VCL_DECLARE_CLASS(TTestButton, TCustomControl)
public:
    explicit TTestButton(TComponent* owner) : TCustomControl(owner)
    {
        SetBounds(0, 0, 75, 25);
        SetTabStop(true);
    }
    bool pressed = false;

protected:
    void Paint() override
    {
        RECT r = ClientRect();
        DrawFrameControl(Canvas()->Handle(), &r, DFC_BUTTON, DFCS_BUTTONPUSH | (pressed ? DFCS_PUSHED : 0));
        Canvas()->Font()->Assign(Font());
        SetBkMode(Canvas()->Handle(), TRANSPARENT);
        SetTextColor(Canvas()->Handle(), ColorToRGB(Font()->Color()));
        SelectObject(Canvas()->Handle(), Canvas()->Font()->Handle());
        const std::u16string text = AnsiToWide(Caption());
        DrawTextW(Canvas()->Handle(), text.c_str(), -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        if (Focused()) {
            InflateRect(&r, -4, -4);
            ::DrawFocusRect(Canvas()->Handle(), &r);
        }
    }
    void MouseDown(TMouseButton b, TShiftState s, int x, int y) override
    {
        pressed = true;
        if (CanFocus())
            SetFocus();
        Invalidate();
        TCustomControl::MouseDown(b, s, x, y);
    }
    void MouseUp(TMouseButton b, TShiftState s, int x, int y) override
    {
        pressed = false;
        Invalidate();
        TCustomControl::MouseUp(b, s, x, y);
    }
    void KeyPress(char& key) override
    {
        if (key == ' ') {
            Click();
            key = 0;
        }
        TCustomControl::KeyPress(key);
    }
};

class TTestLabel : public TGraphicControl {
    VCL_DECLARE_CLASS(TTestLabel, TGraphicControl)
public:
    explicit TTestLabel(TComponent* owner) : TGraphicControl(owner) { SetBounds(0, 0, 120, 17); }

protected:
    void Paint() override
    {
        RECT r = ClientRect();
        Canvas()->Font()->Assign(Font());
        Canvas()->Brush()->SetStyle(bsClear);
        const std::u16string text = AnsiToWide(Caption());
        Canvas()->RequiredState({csHandleValid, csFontValid, csBrushValid});
        DrawTextW(Canvas()->Handle(), text.c_str(), -1, &r, DT_LEFT | DT_WORDBREAK);
    }
};

class TTestCheckBox : public TCustomControl {
    VCL_DECLARE_CLASS(TTestCheckBox, TCustomControl)
public:
    explicit TTestCheckBox(TComponent* owner) : TCustomControl(owner)
    {
        SetBounds(0, 0, 120, 17);
        SetTabStop(true);
    }
    bool Checked() const { return checked_; }
    void SetChecked(bool v)
    {
        if (v != checked_) {
            checked_ = v;
            Invalidate();
        }
    }

protected:
    void Click() override
    {
        SetChecked(!checked_);
        TCustomControl::Click();
    }
    void MouseDown(TMouseButton b, TShiftState s, int x, int y) override
    {
        if (CanFocus())
            SetFocus();
        TCustomControl::MouseDown(b, s, x, y);
    }
    void KeyPress(char& key) override
    {
        if (key == ' ') {
            Click();
            key = 0;
        }
        TCustomControl::KeyPress(key);
    }
    void Paint() override
    {
        RECT box{0, (Height() - 13) / 2, 13, (Height() - 13) / 2 + 13};
        DrawFrameControl(Canvas()->Handle(), &box, DFC_BUTTON, DFCS_BUTTONCHECK | (checked_ ? DFCS_CHECKED : 0));
        RECT text{18, 0, Width(), Height()};
        Canvas()->Font()->Assign(Font());
        Canvas()->Brush()->SetStyle(bsClear);
        Canvas()->RequiredState({csHandleValid, csFontValid, csBrushValid});
        const std::u16string caption = AnsiToWide(Caption());
        DrawTextW(Canvas()->Handle(), caption.c_str(), -1, &text, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
        if (Focused()) {
            RECT f = text;
            ::DrawFocusRect(Canvas()->Handle(), &f);
        }
    }

private:
    bool checked_ = false;
};

// The small form: a button, a label and a check box, made in code.
class TSmallForm : public TForm {
    VCL_DECLARE_CLASS(TSmallForm, TForm)
public:
    explicit TSmallForm(TComponent* owner) : TForm(owner)
    {
        SetCaption("Small form");
        SetBorderStyle(bsSingle);
        SetBounds(100, 80, 260, 150);
        label = new TTestLabel(this);
        label->SetName("Label1");
        label->SetCaption("Hello from the label");
        label->SetBounds(16, 12, 200, 17);
        label->SetParent(this);
        check = new TTestCheckBox(this);
        check->SetName("CheckBox1");
        check->SetCaption("Check me");
        check->SetBounds(16, 40, 150, 17);
        check->SetParent(this);
        button = new TTestButton(this);
        button->SetName("Button1");
        button->SetCaption("OK");
        button->SetBounds(16, 70, 75, 25);
        button->SetParent(this);
        button->OnClick = [this](TObject*) { ++clicks; };
    }
    TTestLabel* label;
    TTestCheckBox* check;
    TTestButton* button;
    int clicks = 0;
};

// Inline: the header is shared by the test programs of this folder.
inline VCL_IMPLEMENT_CLASS(TTestButton, TCustomControl, [](auto& b) { b.Component(); })
inline VCL_IMPLEMENT_CLASS(TTestLabel, TGraphicControl, [](auto& b) { b.Component(); })
inline VCL_IMPLEMENT_CLASS(TTestCheckBox, TCustomControl, [](auto& b) { b.Component(); })
inline VCL_IMPLEMENT_CLASS(TSmallForm, TForm, [](auto& b) { b.Component(); })

}  // namespace vcltest
