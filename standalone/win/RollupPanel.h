#pragma once
// A scrolling panel of rollup pages: each page is a dialog built from a template, under a title
// bar that opens and closes it.

#include <windows.h>

#include <string>
#include <vector>

namespace standalone::win {

class RollupPanel {
public:
    /// Creates the panel window as a child of `parent`.
    explicit RollupPanel(HWND parent);
    ~RollupPanel();
    RollupPanel(const RollupPanel&) = delete;
    RollupPanel& operator=(const RollupPanel&) = delete;

    HWND Window() const { return panel; }
    /// Builds a page from `dialogTemplate` of `instance` (a template's name, or its id through
    /// MAKEINTRESOURCE); its procedure gets `param` with WM_INITDIALOG. Pages stack by category;
    /// within one, a new page goes right below the category's first page, so that a set added
    /// from last to first reads first to last.
    HWND AddPage(HINSTANCE instance, const wchar_t* dialogTemplate, DLGPROC proc,
                 const std::wstring& title, LPARAM param, int category);
    /// Destroys a page; false when `dialog` is no page of this panel.
    bool DeletePage(HWND dialog);
    void DeleteAllPages();
    std::vector<HWND> Pages() const;
    /// The page's title; empty when `dialog` is no page.
    std::wstring Title(HWND dialog) const;
    void SetOpen(HWND dialog, bool open);
    /// The width the widest page needs, scroll bar included.
    int PreferredWidth() const;
    /// Places the pages and the scroll bar after a change of size, page or scroll position.
    void Layout();

private:
    struct Page {
        HWND title;
        HWND dialog;
        int category;
        bool open;
        std::wstring text;
    };
    static LRESULT CALLBACK PanelProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK TitleProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    void Scroll(int newPos);
    Page* Find(HWND dialog);
    const Page* Find(HWND dialog) const;

    HWND panel = nullptr;
    std::vector<Page> pages;
    int scrollPos = 0;
    int contentHeight = 0;
};

}  // namespace standalone::win
