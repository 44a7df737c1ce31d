#include "support/message_boxes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

namespace {

thread_local MessageBoxScript* t_active = nullptr;

constexpr int kMaxUnexpected = 20;

std::string WindowText(HWND window) {
  char text[1024] = "";
  GetWindowTextA(window, text, sizeof text);
  return text;
}

bool IsMessageBox(HWND window) {
  char className[32] = "";
  GetClassNameA(window, className, sizeof className);
  return std::string(className) == "#32770";
}

// The box's message is its only static control with text.
std::string MessageText(HWND box) {
  for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    char className[32] = "";
    GetClassNameA(child, className, sizeof className);
    if (lstrcmpiA(className, "Static") == 0 && !WindowText(child).empty()) {
      return WindowText(child);
    }
  }
  return "";
}

UINT IconFlags(HWND box) {
  struct Known {
    LPCSTR id;
    UINT flag;
  };
  const Known known[] = {{IDI_HAND, MB_ICONERROR},
                         {IDI_QUESTION, MB_ICONQUESTION},
                         {IDI_EXCLAMATION, MB_ICONWARNING},
                         {IDI_ASTERISK, MB_ICONINFORMATION}};
  for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    HICON icon = reinterpret_cast<HICON>(SendMessageA(child, STM_GETICON, 0, 0));
    if (!icon || !(GetWindowLongA(child, GWL_STYLE) & WS_VISIBLE)) {
      continue;
    }
    for (const Known& k : known) {
      if (LoadIconA(nullptr, k.id) == icon) {
        return k.flag;
      }
    }
    return 0xF0;  // an icon, but not one of the system's
  }
  return 0;
}

// Buttons in the order a message box lays them out.
const int kButtonOrder[] = {IDOK, IDYES, IDNO, IDABORT, IDRETRY, IDIGNORE, IDCANCEL};

std::vector<int> VisibleButtons(HWND box) {
  std::vector<int> buttons;
  for (int id : kButtonOrder) {
    HWND button = GetDlgItem(box, id);
    if (button && (GetWindowLongA(button, GWL_STYLE) & WS_VISIBLE)) {
      buttons.push_back(id);
    }
  }
  return buttons;
}

UINT ButtonFlags(const std::vector<int>& buttons) {
  struct Layout {
    std::vector<int> ids;
    UINT flag;
  };
  const Layout layouts[] = {{{IDOK}, MB_OK},
                            {{IDOK, IDCANCEL}, MB_OKCANCEL},
                            {{IDABORT, IDRETRY, IDIGNORE}, MB_ABORTRETRYIGNORE},
                            {{IDYES, IDNO, IDCANCEL}, MB_YESNOCANCEL},
                            {{IDYES, IDNO}, MB_YESNO},
                            {{IDRETRY, IDCANCEL}, MB_RETRYCANCEL}};
  for (const Layout& layout : layouts) {
    if (layout.ids == buttons) {
      return layout.flag;
    }
  }
  return 0xF;
}

UINT DefaultButtonFlags(HWND box, const std::vector<int>& buttons) {
  for (size_t i = 0; i < buttons.size(); ++i) {
    LONG style = GetWindowLongA(GetDlgItem(box, buttons[i]), GWL_STYLE);
    if ((style & 0xF) == BS_DEFPUSHBUTTON) {
      return static_cast<UINT>(i) << 8;
    }
  }
  return 0xF00;
}

}  // namespace

MessageBoxScript::MessageBoxScript(std::initializer_list<Answer> answers)
    : MessageBoxScript(std::vector<Answer>(answers)) {}

MessageBoxScript::MessageBoxScript(std::vector<Answer> answers)
    : cbtHook_(SetWindowsHookExA(WH_CBT, CbtProc, nullptr, GetCurrentThreadId())),
      filterHook_(SetWindowsHookExA(WH_MSGFILTER, FilterProc, nullptr, GetCurrentThreadId())),
      answers_(std::move(answers)) {
  std::reverse(answers_.begin(), answers_.end());
  t_active = this;
}

MessageBoxScript::MessageBoxScript(std::function<int(const ShownBox&)> responder)
    : MessageBoxScript() {
  responder_ = std::move(responder);
}

MessageBoxScript::~MessageBoxScript() {
  t_active = nullptr;
  UnhookWindowsHookEx(filterHook_);
  UnhookWindowsHookEx(cbtHook_);
}

// A box is noted when it is activated, and read and answered from its own
// modal loop, once its initialisation has set the default button.
LRESULT CALLBACK MessageBoxScript::CbtProc(int code, WPARAM wParam, LPARAM lParam) {
  HWND window = reinterpret_cast<HWND>(wParam);
  if (code == HCBT_ACTIVATE && t_active && IsMessageBox(window) &&
      std::find(t_active->handled_.begin(), t_active->handled_.end(), window) ==
          t_active->handled_.end()) {
    t_active->handled_.push_back(window);
    t_active->pending_ = window;
    PostMessageA(window, WM_NULL, 0, 0);
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK MessageBoxScript::FilterProc(int code, WPARAM wParam, LPARAM lParam) {
  if (code == MSGF_DIALOGBOX && t_active && t_active->pending_) {
    HWND box = t_active->pending_;
    t_active->pending_ = nullptr;
    t_active->Handle(box);
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

void MessageBoxScript::Handle(HWND box) {
  std::vector<int> buttons = VisibleButtons(box);
  shown_.push_back({GetWindow(box, GW_OWNER), WindowText(box), MessageText(box),
                    ButtonFlags(buttons) | IconFlags(box) | DefaultButtonFlags(box, buttons)});
  int button = buttons.empty() ? IDCANCEL : buttons.back();
  if (responder_) {
    button = responder_(shown_.back());
  } else if (answers_.empty()) {
    // A program that asks again and again would keep the test here for ever.
    if (++unexpected_ > kMaxUnexpected) {
      std::fprintf(stderr, "FAILED: %d boxes beyond the script, the last: %s\n", unexpected_,
                   Describe(shown_.back()).c_str());
      std::fflush(stderr);
      TerminateProcess(GetCurrentProcess(), 3);
    }
  } else {
    if (answers_.back().first) {
      answers_.back().first(box);
    }
    button = answers_.back().button;
    answers_.pop_back();
  }
  PostMessageA(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(box, button)));
}

std::string Describe(const ShownBox& box) {
  char flags[16];
  std::snprintf(flags, sizeof flags, "0x%X", box.flags);
  return box.caption + "|" + box.text + "|" + flags;
}

std::vector<std::string> DescribeOwned(const MessageBoxScript& script, HWND owner) {
  std::vector<std::string> texts;
  for (const ShownBox& box : script.shown()) {
    EXPECT_EQ(box.owner, owner) << box.text;
    texts.push_back(Describe(box));
  }
  return texts;
}
