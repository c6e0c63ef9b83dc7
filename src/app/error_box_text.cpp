#include "app/error_box_text.h"

#include <cctype>

#include "base/exception.h"

namespace vidideza {

std::string ErrorBoxText(std::string_view message) {
  std::string text(message);
  if (!text.empty() && static_cast<unsigned char>(text.back()) > '.') {
    text += '.';
  }
  return text;
}

std::optional<std::string> ErrorBoxTextFor(const std::exception_ptr& error) {
  try {
    std::rethrow_exception(error);
  } catch (const EAbort&) {
    return std::nullopt;
  } catch (const std::exception& e) {
    return ErrorBoxText(e.what());
  } catch (...) {
    return ErrorBoxText("Unknown error");
  }
}

std::string ApplicationTitle(std::string_view programFileName) {
  const auto slash = programFileName.find_last_of("/\\");
  if (slash != std::string_view::npos) {
    programFileName.remove_prefix(slash + 1);
  }
  std::string title(programFileName.substr(0, programFileName.find('.')));
  for (std::size_t i = 1; i < title.size(); ++i) {
    title[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(title[i])));
  }
  return title;
}

}  // namespace vidideza
