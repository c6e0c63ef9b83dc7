#pragma once

#include <QObject>
#include <functional>

#ifndef _WIN32
#include "base/posix_fd.h"
#endif

class QSocketNotifier;

namespace vidideza {

// Turns the platform's request to end the program from outside (SIGTERM, SIGINT and SIGHUP; on
// Windows the end of the session) into a call on the UI thread, so that the program still shuts
// down as the close box does (settings written, log closed). A burst of signals makes one call
// per wake of the UI thread; once this object is gone, the signals are ignored.
class TerminationSignals final : public QObject {
  Q_OBJECT

 public:
  TerminationSignals(std::function<void()> onSignal, QObject* parent = nullptr);
  ~TerminationSignals() override;

 private:
  std::function<void()> onSignal_;
  QSocketNotifier* notifier_ = nullptr;
#ifndef _WIN32
  UniqueFd writeEnd_;
  UniqueFd readEnd_;
#endif
};

}  // namespace vidideza
