#include "platform/user/user_state.h"

namespace vls::user {
namespace {

void Fill(HDC dc, const RECT& r, int color)
{
    FillRect(dc, &r, GetSysColorBrush(color));
}

}  // namespace

bool HasClassicFrame(const Window* w)
{
    return (w->style & (WS_BORDER | WS_DLGFRAME | WS_THICKFRAME | WS_VSCROLL | WS_HSCROLL)) ||
           (w->exStyle & (WS_EX_DLGMODALFRAME | WS_EX_CLIENTEDGE | WS_EX_STATICEDGE));
}

// The classic look of a frame: raised edges, a caption in the caption
// colours with the title and the caption buttons, sunken client edges and
// empty scroll-bar areas. The client area is left alone.
void PaintClassicFrame(Window* w, bool active)
{
    const HDC dc = GetWindowDC(w->handle);
    if (!dc)
        return;
    const int width = w->rect.right - w->rect.left;
    const int height = w->rect.bottom - w->rect.top;
    RECT client = w->client;
    OffsetRect(&client, -w->rect.left, -w->rect.top);
    ExcludeClipRect(dc, client.left, client.top, client.right, client.bottom);

    RECT r{0, 0, width, height};
    const DWORD style = w->style;
    const DWORD ex = w->exStyle;
    if ((style & (WS_THICKFRAME | WS_DLGFRAME)) || (ex & WS_EX_DLGMODALFRAME)) {
        Fill(dc, r, COLOR_BTNFACE);
        DrawEdge(dc, &r, EDGE_RAISED, BF_RECT);
        const int frame = GetSystemMetrics((style & WS_THICKFRAME) ? SM_CXFRAME : SM_CXDLGFRAME);
        InflateRect(&r, -frame, -frame);
    } else if (style & WS_BORDER) {
        FrameRect(dc, &r, GetSysColorBrush(COLOR_WINDOWFRAME));
        InflateRect(&r, -1, -1);
    }
    if ((style & WS_CAPTION) == WS_CAPTION) {
        const int captionH = GetSystemMetrics((ex & WS_EX_TOOLWINDOW) ? SM_CYSMCAPTION : SM_CYCAPTION);
        RECT caption{r.left, r.top, r.right, r.top + captionH - 1};
        Fill(dc, {r.left, caption.bottom, r.right, r.top + captionH}, COLOR_BTNFACE);
        Fill(dc, caption, active ? COLOR_ACTIVECAPTION : COLOR_INACTIVECAPTION);
        RECT text = caption;
        text.left += 4;
        if (style & WS_SYSMENU) {
            const int bw = GetSystemMetrics(SM_CXSIZE) - 2;
            const int bh = GetSystemMetrics(SM_CYSIZE) - 4;
            const int top = caption.top + (captionH - 1 - bh) / 2;
            int right = caption.right - 2;
            const UINT inactive = active ? 0 : DFCS_INACTIVE;
            RECT button{right - bw, top, right, top + bh};
            DrawFrameControl(dc, &button, DFC_CAPTION, DFCS_CAPTIONCLOSE | inactive);
            right -= bw + 2;
            if (style & (WS_MAXIMIZEBOX | WS_MINIMIZEBOX)) {
                button = {right - bw, top, right, top + bh};
                DrawFrameControl(dc, &button, DFC_CAPTION, (w->maximized ? DFCS_CAPTIONRESTORE : DFCS_CAPTIONMAX) | inactive);
                right -= bw;
                button = {right - bw, top, right, top + bh};
                DrawFrameControl(dc, &button, DFC_CAPTION, DFCS_CAPTIONMIN | inactive);
                right -= bw;
            }
            text.right = right - 2;
        }
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, GetSysColor(active ? COLOR_CAPTIONTEXT : COLOR_INACTIVECAPTIONTEXT));
        const HGDIOBJ oldFont = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
        DrawTextA(dc, w->text.c_str(), -1, &text, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS);
        SelectObject(dc, oldFont);
        r.top += captionH;
    }
    if (ex & WS_EX_CLIENTEDGE) {
        DrawEdge(dc, &r, EDGE_SUNKEN, BF_RECT);
        InflateRect(&r, -GetSystemMetrics(SM_CXEDGE), -GetSystemMetrics(SM_CYEDGE));
    } else if (ex & WS_EX_STATICEDGE) {
        DrawEdge(dc, &r, BDR_SUNKENOUTER, BF_RECT);
        InflateRect(&r, -1, -1);
    }
    if (style & WS_VSCROLL)
        Fill(dc, {client.right, client.top, client.right + GetSystemMetrics(SM_CXVSCROLL), client.bottom}, COLOR_SCROLLBAR);
    if (style & WS_HSCROLL)
        Fill(dc, {client.left, client.bottom, client.right, client.bottom + GetSystemMetrics(SM_CYHSCROLL)}, COLOR_SCROLLBAR);
    ReleaseDC(w->handle, dc);
}

}  // namespace vls::user
