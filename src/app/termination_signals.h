#pragma once

#include <QObject>
#include <functional>

class QSocketNotifier;

namespace vidideza {

// Turns SIGTERM, SIGINT and SIGHUP into a call on the UI thread, so that a program ended from
// outside still shuts down as the close box does (settings written, log closed).
class TerminationSignals final : public QObject {
  Q_OBJECT

 public:
  TerminationSignals(std::function<void()> onSignal, QObject* parent = nullptr);
  ~TerminationSignals() override;

 private:
  std::function<void()> onSignal_;
  QSocketNotifier* notifier_ = nullptr;
};

}  // namespace vidideza
