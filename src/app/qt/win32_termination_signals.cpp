#include <QGuiApplication>
#include <utility>

#include "app/qt/termination_signals.h"

namespace vidideza {

// Windows ends a program with its session (log-off, shut-down) by asking it through the window
// system; Qt passes that on as a commit-data request, upon which the program shuts down as the
// close box does.
TerminationSignals::TerminationSignals(std::function<void()> onSignal, QObject* parent)
    : QObject(parent), onSignal_(std::move(onSignal)) {
  if (auto* application = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
    connect(application, &QGuiApplication::commitDataRequest, this, [this] { onSignal_(); });
  }
}

TerminationSignals::~TerminationSignals() = default;

}  // namespace vidideza
