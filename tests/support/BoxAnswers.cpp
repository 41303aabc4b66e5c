#include "support/BoxAnswers.h"

#include "platform/Platform.h"

#if defined(_WIN32)
#include <windows.h>
#endif

namespace testsupport {
namespace {

ScopedBoxAnswer* current = nullptr;

#if defined(_WIN32)
HWND answered = nullptr;  // the box whose click is on its way

void CALLBACK AnswerBox(HWND, UINT, UINT_PTR, DWORD) {
    HWND box = FindWindowW(L"#32770", L"HDR Lighting History");
    if (!box || box == answered || !current) {
        return;
    }
    answered = box;
    std::wstring text;
    for (HWND c = nullptr; (c = FindWindowExW(box, c, L"Static", nullptr));) {
        wchar_t part[1024] = {};
        GetWindowTextW(c, part, 1024);  // the icon's static has no text
        text += part;
    }
    current->texts.push_back(text);
    HWND button = GetDlgItem(box, current->button);
    PostMessageW(button ? button : GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
}
UINT_PTR timer = 0;
#else
int AnswerBox(const std::wstring& text, const std::wstring& caption, uint32_t style) {
    if (!current || caption != L"HDR Lighting History") {
        return platform::kAnswerCancel;
    }
    current->texts.push_back(text);
    return (style & 0xF) == platform::kBoxOk ? platform::kAnswerOk : current->button;
}
#endif

}  // namespace

ScopedBoxAnswer::ScopedBoxAnswer(int button) : button(button) {
    current = this;
#if defined(_WIN32)
    answered = nullptr;
    timer = SetTimer(nullptr, 0, 50, AnswerBox);
#else
    platform::SetMessageBoxAnswerer(AnswerBox);
#endif
}

ScopedBoxAnswer::~ScopedBoxAnswer() {
#if defined(_WIN32)
    KillTimer(nullptr, timer);
#else
    platform::SetMessageBoxAnswerer(nullptr);
#endif
    current = nullptr;
}

}  // namespace testsupport
