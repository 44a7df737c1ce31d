// Answers the real MessageBoxA from a script, through a thread-local CBT hook,
// and records what each box showed.
#pragma once

#include <windows.h>

#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

struct ShownBox {
  HWND owner;
  std::string caption;
  std::string text;
  UINT flags;  // buttons, icon and default button, read back from the box itself
};

struct Answer {
  Answer(int button, std::function<void(HWND box)> first = {})
      : button(button), first(std::move(first)) {}
  int button;                           // IDYES, IDNO, IDCANCEL, IDRETRY, IDOK...
  std::function<void(HWND box)> first;  // runs while the box is up, before the answer
};

class MessageBoxScript {
 public:
  MessageBoxScript() : MessageBoxScript(std::initializer_list<Answer>{}) {}
  MessageBoxScript(std::initializer_list<Answer> answers);
  explicit MessageBoxScript(std::vector<Answer> answers);
  // Answers every box with the button that responder picks for it.
  explicit MessageBoxScript(std::function<int(const ShownBox&)> responder);
  ~MessageBoxScript();
  MessageBoxScript(const MessageBoxScript&) = delete;
  MessageBoxScript& operator=(const MessageBoxScript&) = delete;

  const std::vector<ShownBox>& shown() const {
    return shown_;
  }
  // Boxes that appeared after the script ran out; each was dismissed.
  int unexpected() const {
    return unexpected_;
  }

 private:
  static LRESULT CALLBACK CbtProc(int code, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK FilterProc(int code, WPARAM wParam, LPARAM lParam);
  void Handle(HWND box);

  HHOOK cbtHook_;
  HHOOK filterHook_;
  HWND pending_ = nullptr;
  std::vector<Answer> answers_;
  std::function<int(const ShownBox&)> responder_;
  std::vector<ShownBox> shown_;
  std::vector<HWND> handled_;
  int unexpected_ = 0;
};

// The text of the box the way a test writes it: "caption|text|0xflags".
std::string Describe(const ShownBox& box);

// Describe() of every box shown, each of which must have been owned by owner.
std::vector<std::string> DescribeOwned(const MessageBoxScript& script, HWND owner);
