// The real TavrickSetup.exe run as a process, with its windows driven from outside.
#pragma once

#include <windows.h>

#include <string>

class SetupProcess {
 public:
  // Starts exe with the given arguments from workingDir.
  SetupProcess(const std::string& exe, const std::string& arguments, const std::string& workingDir);
  // The same for a program whose path the ANSI code page may not hold; output
  // and errors, when given, are its standard output and error, and token,
  // when given, the one it runs with.
  SetupProcess(const std::wstring& exe, const std::string& arguments, const std::string& workingDir,
               HANDLE output = nullptr, HANDLE errors = nullptr, HANDLE token = nullptr);
  ~SetupProcess();
  SetupProcess(const SetupProcess&) = delete;
  SetupProcess& operator=(const SetupProcess&) = delete;

  bool started() const {
    return process_ != nullptr;
  }
  // The process's visible top-level window with this caption, other than
  // besides; nullptr after the deadline, once the process has ended, or as
  // soon as another visible window of the process appears instead.
  static constexpr DWORD kDeadlineMs = 15000;
  HWND WaitForWindow(const std::string& caption, HWND besides = nullptr,
                     DWORD deadlineMs = kDeadlineMs);
  // The setup dialog, as WaitForWindow finds it; nullptr as soon as a message
  // box, which has the same caption, appears instead.
  HWND WaitForDialog();
  bool running() const {
    return process_ != nullptr && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
  }
  // The text of the next message box, answered with button; "" when none came
  // or the dialog (when it is not dialog) came instead. The box has the
  // setup's caption, or the one given.
  std::string Answer(HWND dialog, int button, const char* caption = nullptr);
  // The exit code, or -1 when the process did not end before the deadline.
  int WaitForExit();

 private:
  HANDLE process_ = nullptr;
  DWORD id_ = 0;
};

// The limited token linked to the test program's own full one, as UAC gives a
// standard user's programs, ready to start a process with; the caller closes it.
HANDLE LimitedToken();

// The folder of the running test program.
std::string TestProgramFolder();
