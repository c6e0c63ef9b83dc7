// Drives the windows of this Wine session (or Windows desktop) for the window tests:
//   win32_window_driver                  prints each visible top-level window with the texts of
//                                        its controls, one a line: "Title | text | text ..."
//   win32_window_driver close TITLE      asks each window of that title to close, as its close
//                                        box does (WM_CLOSE)
//   win32_window_driver end-session TITLE  tells each window of that title that the session
//                                        ends (WM_QUERYENDSESSION, then WM_ENDSESSION)
//   win32_window_driver click TITLE CAPTION  clicks the button of that caption in each window
//                                        of that title (posted: its handler may ask a question)
//   win32_window_driver text TITLE CLASS  prints the text of the first control of that window
//                                        class in the window of that title, as it reads it
//   win32_window_driver set-text TITLE OLD NEW  gives the control whose text is OLD the text
//                                        NEW, as typed (its change notification follows)
//   win32_window_driver fields TITLE     prints the text of each edit of that window, a line each
//   win32_window_driver next-tab TITLE   shows the next page, as the Right key on the tabs does
//   win32_window_driver foreground TITLE  succeeds when the window of that title is the one
//                                        that takes the keys, as Wine or Windows sees it
//   win32_window_driver rounds TITLE CAPTION COUNT  clicks the button of that caption COUNT
//                                        times, each time waiting until the response window
//                                        (class TMemo) holds two lines more, the last a reply;
//                                        prints the time taken, fails on a round with no reply
//   win32_window_driver answers TITLE SECONDS  for that long, asks the window of that title
//                                        every 10 ms for a message it must answer (WM_NULL) and
//                                        prints how long the answers took: the median, p99, most
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::string Text(HWND window) {
  wchar_t text[1024];
  const int length = ::GetWindowTextW(window, text, 1024);
  std::string bytes;
  for (int i = 0; i < length; ++i) {
    bytes.push_back(text[i] <= 0xFF ? static_cast<char>(text[i]) : '?');
  }
  return bytes;
}

BOOL CALLBACK AddChild(HWND child, LPARAM line) {
  if (::IsWindowVisible(child)) {
    if (const std::string text = Text(child); !text.empty()) {
      *reinterpret_cast<std::string*>(line) += " | " + text;
    }
  }
  return TRUE;
}

struct ButtonSearch {
  std::string caption;
  HWND found = nullptr;
};

struct ClassSearch {
  std::wstring windowClass;
  HWND found = nullptr;
};

BOOL CALLBACK FindClass(HWND child, LPARAM search) {
  auto* wanted = reinterpret_cast<ClassSearch*>(search);
  wchar_t name[64] = {};
  ::GetClassNameW(child, name, 64);
  if (wanted->windowClass == name) {
    wanted->found = child;
    return FALSE;
  }
  return TRUE;
}

// A control's whole text through WM_GETTEXT, however long, as Latin-1 bytes.
std::string WholeText(HWND control) {
  const auto length = static_cast<std::size_t>(::SendMessageW(control, WM_GETTEXTLENGTH, 0, 0));
  std::wstring text(length + 1, L'\0');
  text.resize(static_cast<std::size_t>(
      ::SendMessageW(control, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()))));
  std::string bytes;
  for (const wchar_t c : text) {
    bytes.push_back(c <= 0xFF ? static_cast<char>(c) : '?');
  }
  return bytes;
}

BOOL CALLBACK FindButton(HWND child, LPARAM search) {
  auto* wanted = reinterpret_cast<ButtonSearch*>(search);
  if (Text(child) == wanted->caption) {
    wanted->found = child;
    return FALSE;
  }
  return TRUE;
}

// A control by the text it holds, asked of it (an edit's text is not its window caption).
BOOL CALLBACK FindHeldText(HWND child, LPARAM search) {
  auto* wanted = reinterpret_cast<ButtonSearch*>(search);
  if (WholeText(child) == wanted->caption) {
    wanted->found = child;
    return FALSE;
  }
  return TRUE;
}

BOOL CALLBACK PrintEdit(HWND child, LPARAM /*unused*/) {
  wchar_t name[64] = {};
  ::GetClassNameW(child, name, 64);
  if (std::wstring(name) == L"Edit") {
    std::printf("%s\n", WholeText(child).c_str());
  }
  return TRUE;
}

BOOL CALLBACK AddWindow(HWND window, LPARAM windows) {
  if (::IsWindowVisible(window)) {
    reinterpret_cast<std::vector<HWND>*>(windows)->push_back(window);
  }
  return TRUE;
}

}  // namespace

std::size_t LineCount(const std::string& text) {
  return text.empty() ? 0
                      : static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) + 1;
}

// Send and reply rounds, as a technician clicking one button again and again.
int Rounds(HWND window, const std::string& caption, int count) {
  ButtonSearch button{caption};
  ::EnumChildWindows(window, &FindButton, reinterpret_cast<LPARAM>(&button));
  ClassSearch memo{L"TMemo"};
  ::EnumChildWindows(window, &FindClass, reinterpret_cast<LPARAM>(&memo));
  if (button.found == nullptr || memo.found == nullptr) {
    std::fprintf(stderr, "no button %s or no response window\n", caption.c_str());
    return 1;
  }
  const DWORD start = ::GetTickCount();
  std::size_t lines = LineCount(WholeText(memo.found));
  for (int round = 0; round < count; ++round) {
    ::SendMessageW(button.found, BM_CLICK, 0, 0);
    lines += 2;
    const DWORD sent = ::GetTickCount();
    for (;;) {
      const std::string text = WholeText(memo.found);
      const std::size_t lastLine = text.rfind('\n');
      const std::string last = lastLine == std::string::npos ? text : text.substr(lastLine + 1);
      if (LineCount(text) >= lines && last.rfind("RCV: ", 0) == 0) {
        break;
      }
      if (::GetTickCount() - sent > 10000) {
        std::fprintf(stderr, "round %d: no reply within 10 s; the window's last line: %s\n",
                     round + 1, last.c_str());
        return 1;
      }
      ::Sleep(1);
    }
  }
  std::printf("%d rounds in %lu ms\n", count, static_cast<unsigned long>(::GetTickCount() - start));
  return 0;
}

// How long the window's thread takes to answer a message while it works: every 10 ms for the
// given time, as a person's clicks would come.
int Answers(HWND window, double seconds) {
  LARGE_INTEGER frequency{};
  LARGE_INTEGER begin{};
  ::QueryPerformanceFrequency(&frequency);
  ::QueryPerformanceCounter(&begin);
  const auto now = [&] {
    LARGE_INTEGER t{};
    ::QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart - begin.QuadPart) * 1000.0 /
           static_cast<double>(frequency.QuadPart);
  };
  std::vector<double> took;
  while (now() < seconds * 1000.0) {
    const double asked = now();
    DWORD_PTR result = 0;
    if (::SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result) == 0) {
      std::printf("the window did not answer within 10 s\n");
      return 1;
    }
    took.push_back(now() - asked);
    ::Sleep(10);
  }
  std::sort(took.begin(), took.end());
  const auto at = [&](double share) {
    return took[std::min(took.size() - 1, static_cast<std::size_t>(share * took.size()))];
  };
  std::printf("%zu answers: median %.1f ms, p99 %.1f ms, most %.1f ms\n", took.size(), at(0.5),
              at(0.99), took.back());
  return 0;
}

int main(int argc, char* argv[]) {
  std::vector<HWND> windows;
  ::EnumWindows(&AddWindow, reinterpret_cast<LPARAM>(&windows));
  if (argc == 1) {
    for (HWND window : windows) {
      std::string line = Text(window);
      ::EnumChildWindows(window, &AddChild, reinterpret_cast<LPARAM>(&line));
      std::printf("%s\n", line.c_str());
    }
    return 0;
  }
  if (argc == 4 && std::strcmp(argv[1], "text") == 0) {
    for (HWND window : windows) {
      if (Text(window) == argv[2]) {
        const std::string name = argv[3];
        ClassSearch search{std::wstring(name.begin(), name.end())};
        ::EnumChildWindows(window, &FindClass, reinterpret_cast<LPARAM>(&search));
        if (search.found != nullptr) {
          const std::string text = WholeText(search.found);
          std::fwrite(text.data(), 1, text.size(), stdout);
          return 0;
        }
      }
    }
    return 1;
  }
  if (argc == 5 && std::strcmp(argv[1], "set-text") == 0) {
    for (HWND window : windows) {
      if (Text(window) == argv[2]) {
        ButtonSearch search{argv[3]};  // any control, found by its text
        ::EnumChildWindows(window, &FindHeldText, reinterpret_cast<LPARAM>(&search));
        if (search.found != nullptr) {
          const std::string text = argv[4];
          const std::wstring wide(text.begin(), text.end());
          ::SendMessageW(search.found, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()));
          return 0;
        }
      }
    }
    return 1;
  }
  if (argc == 3 && std::strcmp(argv[1], "fields") == 0) {
    for (HWND window : windows) {
      if (Text(window) == argv[2]) {
        ::EnumChildWindows(window, &PrintEdit, 0);
        return 0;
      }
    }
    return 1;
  }
  if (argc == 3 && std::strcmp(argv[1], "next-tab") == 0) {
    for (HWND window : windows) {
      if (Text(window) == argv[2]) {
        ClassSearch search{L"SysTabControl32"};
        ::EnumChildWindows(window, &FindClass, reinterpret_cast<LPARAM>(&search));
        if (search.found != nullptr) {
          ::SendMessageW(search.found, WM_KEYDOWN, VK_RIGHT, 0);
          ::SendMessageW(search.found, WM_KEYUP, VK_RIGHT, 0);
          return 0;
        }
      }
    }
    return 1;
  }
  if (argc == 3 && std::strcmp(argv[1], "foreground") == 0) {
    const HWND front = ::GetForegroundWindow();
    return front != nullptr && Text(front) == argv[2] ? 0 : 1;
  }
  if (argc == 4 && std::strcmp(argv[1], "answers") == 0) {
    for (HWND window : windows) {
      if (Text(window) == argv[2]) {
        return Answers(window, std::atof(argv[3]));
      }
    }
    return 1;
  }
  if (argc == 5 && std::strcmp(argv[1], "rounds") == 0) {
    for (HWND window : windows) {
      if (Text(window) == argv[2]) {
        return Rounds(window, argv[3], std::atoi(argv[4]));
      }
    }
    return 1;
  }
  const bool click = argc == 4 && std::strcmp(argv[1], "click") == 0;
  if (argc != 3 && !click) {
    std::fprintf(stderr,
                 "usage: win32_window_driver [close|end-session TITLE | click TITLE CAPTION]\n");
    return 2;
  }
  int found = 0;
  for (HWND window : windows) {
    if (Text(window) != argv[2]) {
      continue;
    }
    if (click) {
      ButtonSearch search{argv[3]};
      ::EnumChildWindows(window, &FindButton, reinterpret_cast<LPARAM>(&search));
      if (search.found != nullptr) {
        ++found;
        ::PostMessageW(search.found, BM_CLICK, 0, 0);
      }
      continue;
    }
    ++found;
    if (std::strcmp(argv[1], "close") == 0) {
      ::PostMessageW(window, WM_CLOSE, 0, 0);
    } else if (::SendMessageW(window, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF) != FALSE) {
      ::SendMessageW(window, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
    }
  }
  return found > 0 ? 0 : 1;
}
