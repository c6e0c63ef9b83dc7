// The traffic log file on Windows: held with read sharing only, so a second copy of the program
// gets the platform's sharing error (32); every failure reports the platform's own code.
#include <windows.h>

#include "app/io_error.h"
#include "app/log_file.h"
#include "base/win32_handle.h"

namespace vidideza {

namespace {

[[noreturn]] void RaiseFileError(DWORD error) {
  throw EInOutError(static_cast<int>(error));
}

class Win32LogFile final : public LogFile {
 public:
  explicit Win32LogFile(const std::string& path)
      : file_(::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr)) {
    if (!file_.valid()) {
      RaiseFileError(::GetLastError());
    }
    // No one else writes the file while it is held (read sharing only): the end is found once,
    // then followed here, and each line goes out in one call (under Wine every call to the file
    // costs several microseconds, and a burst brings a hundred thousand lines).
    if (!::SetFilePointerEx(file_.get(), LARGE_INTEGER{}, &end_, FILE_END)) {
      RaiseFileError(::GetLastError());
    }
  }

  void Append(std::initializer_list<std::string_view> pieces) override {
    std::size_t total = 0;
    for (const std::string_view piece : pieces) {
      WritePiece(piece);
      total += piece.size();
    }
    end_.QuadPart += static_cast<LONGLONG>(total);
  }

 private:
  // On failure the file is cut back to its end before the pieces, and the pointer with it.
  void WritePiece(std::string_view bytes) {
    while (!bytes.empty()) {
      DWORD written = 0;
      const BOOL wrote = ::WriteFile(file_.get(), bytes.data(), static_cast<DWORD>(bytes.size()),
                                     &written, nullptr);
      // A write that moves nothing without failing has found no room.
      const DWORD error = !wrote ? ::GetLastError() : (written == 0 ? ERROR_DISK_FULL : 0);
      if (error != 0) {
        // A half-written line would corrupt the log: take it back.
        if (::SetFilePointerEx(file_.get(), end_, nullptr, FILE_BEGIN)) {
          ::SetEndOfFile(file_.get());
        }
        RaiseFileError(error);
      }
      bytes.remove_prefix(written);
    }
  }

  UniqueHandle file_;
  LARGE_INTEGER end_{};  // where the next line goes
};

}  // namespace

std::unique_ptr<LogFile> OpenLogFile(const std::string& path) {
  return std::make_unique<Win32LogFile>(path);
}

}  // namespace vidideza
