// Answers every dialog box of this process from a thread of its own, keeping
// its caption and texts, so that a message box shown by the code under test
// ends. The answer is the command posted to the box (OK unless set); a box
// still open 10 s after its answer is cancelled, so that the test fails
// instead of waiting for it.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace test_support {

class DialogAnswerer {
 public:
  // beforeAnswer, when given, is called on the answering thread with each
  // box before its answer is posted.
  explicit DialogAnswerer(int answer = IDOK, std::function<void(HWND)> beforeAnswer = {})
      : answer_(answer), beforeAnswer_(std::move(beforeAnswer)), thread_([this] { Run(); }) {}
  ~DialogAnswerer() {
    stop_ = true;
    thread_.join();
  }
  DialogAnswerer(const DialogAnswerer&) = delete;
  DialogAnswerer& operator=(const DialogAnswerer&) = delete;

  void SetAnswer(int answer) { answer_ = answer; }
  // The command posted instead to a box that does not show the answer's
  // button (OK for the messages among questions answered Yes); 0: none.
  void SetFallback(int fallback) { fallback_ = fallback; }
  // Dialogs holding a control of this id are no boxes: they are neither
  // answered nor kept (0: none). Told apart by the control, not by texts
  // that another thread may be filling in at that moment.
  void IgnoreDialogsWithControl(int id) { ignoredControl_ = id; }

  // The boxes that did not end on their answer and were cancelled.
  [[nodiscard]] int LeftOpen() const { return leftOpen_; }

  // The boxes answered since the last call: caption and texts, one a line.
  std::vector<std::string> Take() {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<std::string> out;
    out.swap(texts_);
    return out;
  }

 private:
  void Run() {
    while (!stop_) {
      EnumWindows(Answer, reinterpret_cast<LPARAM>(this));
      for (auto it = answered_.begin(); it != answered_.end();) {
        if (!IsWindow(it->first)) {
          it = answered_.erase(it);
          continue;
        }
        if (it->second != 0 && GetTickCount64() - it->second > 10000) {
          it->second = 0;
          ++leftOpen_;
          PostMessageA(it->first, WM_COMMAND, IDCANCEL, 0);
        }
        ++it;
      }
      Sleep(5);
    }
  }
  static BOOL CALLBACK Collect(HWND child, LPARAM lParam) {
    char text[1024] = {};
    GetWindowTextA(child, text, sizeof text);
    *reinterpret_cast<std::string*>(lParam) += std::string(text) + "\n";
    return TRUE;
  }
  static BOOL CALLBACK Answer(HWND window, LPARAM lParam) {
    auto* self = reinterpret_cast<DialogAnswerer*>(lParam);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    char name[16] = {};
    GetClassNameA(window, name, sizeof name);
    if (process != GetCurrentProcessId() || std::string(name) != "#32770" || !IsWindowVisible(window) ||
        self->answered_.count(window) != 0) {
      return TRUE;
    }
    const int ignored = self->ignoredControl_.load();
    if (ignored != 0 && GetDlgItem(window, ignored) != nullptr) return TRUE;
    // A box always holds its text and buttons: a dialog without children is
    // another thread's dialog that is going away at this moment (or not yet
    // made), and is looked at again in the next round if it is still there.
    if (GetWindow(window, GW_CHILD) == nullptr) return TRUE;
    char caption[260] = {};
    GetWindowTextA(window, caption, sizeof caption);
    std::string all = std::string(caption) + "\n";
    EnumChildWindows(window, Collect, reinterpret_cast<LPARAM>(&all));
    if (!IsWindow(window)) return TRUE;
    self->answered_[window] = 0;
    {
      std::lock_guard<std::mutex> lock(self->mutex_);
      self->texts_.push_back(all);
    }
    if (self->beforeAnswer_) self->beforeAnswer_(window);
    int answer = self->answer_.load();
    const HWND button = GetDlgItem(window, answer);
    if (self->fallback_ != 0 && (button == nullptr || !IsWindowVisible(button))) answer = self->fallback_;
    PostMessageA(window, WM_COMMAND, static_cast<WPARAM>(answer), 0);
    self->answered_[window] = GetTickCount64();
    return TRUE;
  }

  std::atomic<bool> stop_{false};
  std::atomic<int> answer_;
  const std::function<void(HWND)> beforeAnswer_;
  std::atomic<int> fallback_{0};
  std::atomic<int> ignoredControl_{0};
  std::atomic<int> leftOpen_{0};
  std::mutex mutex_;
  std::vector<std::string> texts_;
  std::map<HWND, ULONGLONG> answered_;  // when the answer was posted; 0: not yet, or cancelled
  std::thread thread_;
};

}  // namespace test_support
