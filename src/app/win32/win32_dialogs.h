#pragma once

#include <windows.h>

#include <string>

#include "app/dialogs.h"

namespace vidideza {

// The three message boxes, modal to the main window and captioned with the application title.
class Win32Dialogs final : public Dialogs {
 public:
  explicit Win32Dialogs(std::wstring title) : title_(std::move(title)) {}
  void SetOwner(HWND owner) { owner_ = owner; }

  void Notice(const std::string& text) override;
  bool Confirm(const std::string& text) override;
  void Error(const std::string& text) override;

 private:
  int Show(const std::string& text, UINT style);

  std::wstring title_;
  HWND owner_ = nullptr;
};

}  // namespace vidideza
