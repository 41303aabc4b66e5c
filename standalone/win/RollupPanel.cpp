// The rollup panel of the material editor: title bars that open and close their pages, pages
// stacked top to bottom, and a vertical scroll bar when they are taller than the panel.

#include "RollupPanel.h"

#include "WindowClass.h"
#include "platform/Win32Owned.h"

#include <windowsx.h>

#include <algorithm>

namespace standalone::win {

namespace {

const wchar_t* const kPanelClass = L"HostRollupPanel";
const wchar_t* const kTitleClass = L"HostRollupTitle";
constexpr int kTitleHeight = 18;
constexpr int kMargin = 4;
constexpr int kGap = 3;

// The panel that the panel's and its title bars' windows belong to: their creation parameter,
// kept in the window's user data from WM_NCCREATE on (null before).
RollupPanel* PanelOf(HWND hwnd, UINT msg, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    }
    return reinterpret_cast<RollupPanel*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

int WindowHeight(HWND hwnd) {
    RECT r{};
    GetWindowRect(hwnd, &r);
    return r.bottom - r.top;
}
int WindowWidth(HWND hwnd) {
    RECT r{};
    GetWindowRect(hwnd, &r);
    return r.right - r.left;
}

}  // namespace

RollupPanel::RollupPanel(HWND parent) {
    RegisterWindowClass(kPanelClass, PanelProc, GetSysColorBrush(COLOR_BTNFACE));
    RegisterWindowClass(kTitleClass, TitleProc, nullptr);
    panel =
        CreateWindowExW(0, kPanelClass, L"", WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_CLIPCHILDREN,
                        0, 0, 100, 100, parent, nullptr, GetModuleHandleW(nullptr), this);
}

RollupPanel::~RollupPanel() {
    DeleteAllPages();
    if (IsWindow(panel)) {
        SetWindowLongPtrW(panel, GWLP_USERDATA, 0);
        DestroyWindow(panel);
    }
}

HWND RollupPanel::AddPage(HINSTANCE instance, const wchar_t* dialogTemplate, DLGPROC proc,
                          const std::wstring& title, LPARAM param, int category) {
    if (!panel) {
        return nullptr;
    }
    size_t at = pages.size();
    auto first = std::find_if(pages.begin(), pages.end(),
                              [&](const Page& p) { return p.category == category; });
    if (first != pages.end()) {
        at = size_t(first - pages.begin()) + 1;
    } else {
        auto higher = std::find_if(pages.begin(), pages.end(),
                                   [&](const Page& p) { return p.category > category; });
        at = size_t(higher - pages.begin());
    }
    HWND titleBar = CreateWindowExW(0, kTitleClass, title.c_str(), WS_CHILD | WS_VISIBLE, 0, 0, 10,
                                    kTitleHeight, panel, nullptr, GetModuleHandleW(nullptr), this);
    // The page is listed before its dialog exists, so that a procedure that asks the panel
    // during WM_INITDIALOG already finds it; it is taken out again if the dialog fails.
    pages.insert(pages.begin() + std::ptrdiff_t(at),
                 Page{titleBar, nullptr, category, true, title});
    HWND dialog = CreateDialogParamW(instance, dialogTemplate, panel, proc, param);
    auto it = std::find_if(pages.begin(), pages.end(),
                           [&](const Page& p) { return p.title == titleBar; });
    if (!dialog || it == pages.end()) {
        if (it != pages.end()) {
            pages.erase(it);
        }
        DestroyWindow(titleBar);
        if (dialog) {
            DestroyWindow(dialog);
        }
        Layout();
        return nullptr;
    }
    it->dialog = dialog;
    Layout();
    return dialog;
}

bool RollupPanel::DeletePage(HWND dialog) {
    auto it = std::find_if(pages.begin(), pages.end(),
                           [&](const Page& p) { return dialog && p.dialog == dialog; });
    if (it == pages.end()) {
        return false;
    }
    Page page = *it;
    pages.erase(it);
    // Taken out of the list first: the dialog's own WM_DESTROY may add or delete pages.
    DestroyWindow(page.dialog);
    DestroyWindow(page.title);
    Layout();
    return true;
}

void RollupPanel::DeleteAllPages() {
    while (!pages.empty()) {
        DeletePage(pages.back().dialog);
    }
}

std::vector<HWND> RollupPanel::Pages() const {
    std::vector<HWND> out;
    for (const Page& p : pages) {
        if (p.dialog) {
            out.push_back(p.dialog);
        }
    }
    return out;
}

std::wstring RollupPanel::Title(HWND dialog) const {
    const Page* p = Find(dialog);
    return p ? p->text : std::wstring();
}

void RollupPanel::SetOpen(HWND dialog, bool open) {
    if (Page* p = Find(dialog)) {
        p->open = open;
        InvalidateRect(p->title, nullptr, FALSE);
        Layout();
    }
}

int RollupPanel::PreferredWidth() const {
    int widest = 0;
    for (const Page& p : pages) {
        if (p.dialog) {
            widest = std::max(widest, WindowWidth(p.dialog));
        }
    }
    return widest + 2 * kMargin + GetSystemMetrics(SM_CXVSCROLL);
}

RollupPanel::Page* RollupPanel::Find(HWND dialog) {
    for (Page& p : pages) {
        if (dialog && p.dialog == dialog) {
            return &p;
        }
    }
    return nullptr;
}
const RollupPanel::Page* RollupPanel::Find(HWND dialog) const {
    return const_cast<RollupPanel*>(this)->Find(dialog);
}

void RollupPanel::Layout() {
    if (!IsWindow(panel)) {
        return;
    }
    RECT client{};
    GetClientRect(panel, &client);
    int width = client.right - kMargin * 2;
    contentHeight = kMargin;
    for (const Page& p : pages) {
        contentHeight += kTitleHeight + kGap;
        if (p.open && p.dialog) {
            contentHeight += WindowHeight(p.dialog) + kGap;
        }
    }
    int viewHeight = client.bottom;
    int maxPos = std::max(0, contentHeight - viewHeight);
    scrollPos = std::clamp(scrollPos, 0, maxPos);
    SCROLLINFO si{};
    si.cbSize = sizeof(si);
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL;
    si.nMin = 0;
    si.nMax = std::max(0, contentHeight - 1);
    si.nPage = UINT(std::max(0, viewHeight));
    si.nPos = scrollPos;
    SetScrollInfo(panel, SB_VERT, &si, TRUE);

    int y = kMargin - scrollPos;
    for (const Page& p : pages) {
        SetWindowPos(p.title, nullptr, kMargin, y, width, kTitleHeight,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        y += kTitleHeight + kGap;
        if (!p.dialog) {
            continue;
        }
        if (p.open) {
            int dialogWidth = WindowWidth(p.dialog);
            int x = kMargin + std::max(0, (width - dialogWidth) / 2);
            SetWindowPos(p.dialog, nullptr, x, y, 0, 0,
                         SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
            y += WindowHeight(p.dialog) + kGap;
        } else {
            ShowWindow(p.dialog, SW_HIDE);
        }
    }
    InvalidateRect(panel, nullptr, TRUE);
}

void RollupPanel::Scroll(int newPos) {
    scrollPos = newPos;
    Layout();
}

LRESULT CALLBACK RollupPanel::PanelProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    RollupPanel* self = PanelOf(hwnd, msg, lParam);
    if (!self) {
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    switch (msg) {
        case WM_SIZE:
            self->Layout();
            return 0;
        case WM_VSCROLL: {
            SCROLLINFO si{};
            si.cbSize = sizeof(si);
            si.fMask = SIF_ALL;
            GetScrollInfo(hwnd, SB_VERT, &si);
            int pos = si.nPos;
            switch (LOWORD(wParam)) {
                case SB_LINEUP:
                    pos -= 20;
                    break;
                case SB_LINEDOWN:
                    pos += 20;
                    break;
                case SB_PAGEUP:
                    pos -= int(si.nPage);
                    break;
                case SB_PAGEDOWN:
                    pos += int(si.nPage);
                    break;
                case SB_THUMBTRACK:
                case SB_THUMBPOSITION:
                    pos = si.nTrackPos;
                    break;
                case SB_TOP:
                    pos = 0;
                    break;
                case SB_BOTTOM:
                    pos = self->contentHeight;
                    break;
            }
            self->Scroll(pos);
            return 0;
        }
        case WM_MOUSEWHEEL:
            self->Scroll(self->scrollPos - GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA * 40);
            return 0;
        case WM_COMMAND:
        case WM_NOTIFY:
            // Pages are dialogs of their own; nothing of theirs is meant for the panel.
            return 0;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

LRESULT CALLBACK RollupPanel::TitleProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    RollupPanel* self = PanelOf(hwnd, msg, lParam);
    Page* page = nullptr;
    if (self) {
        for (Page& p : self->pages) {
            if (p.title == hwnd) {
                page = &p;
            }
        }
    }
    switch (msg) {
        case WM_PAINT: {
            win32::PaintScope paint(hwnd);
            HDC dc = paint.Dc();
            RECT r;
            GetClientRect(hwnd, &r);
            SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
            ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr);
            DrawEdge(dc, &r, EDGE_RAISED, BF_RECT);
            win32::Selection font(dc, GetStockObject(DEFAULT_GUI_FONT));
            SetBkMode(dc, TRANSPARENT);
            SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
            std::wstring text = page ? page->text : std::wstring();
            RECT sign = r;
            sign.left += 6;
            DrawTextW(dc, page && page->open ? L"-" : L"+", 1, &sign,
                      DT_LEFT | DT_VCENTER | DT_SINGLELINE);
            DrawTextW(dc, text.c_str(), int(text.size()), &r,
                      DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
            return 0;
        }
        case WM_LBUTTONUP:
            if (self && page) {
                self->SetOpen(page->dialog, !page->open);
            }
            return 0;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

}  // namespace standalone::win
