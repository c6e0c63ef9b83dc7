#include "serial/com_port.h"

#include <system_error>
#include <thread>
#include <utility>

#include "serial/com_thread.h"

namespace vidideza {

// --- setting objects ---------------------------------------------------------------------

void TFlowControl::SetDTR(TDTRFlowControl value) {
  dtr_ = value;
  port_.ApplyLineSettings();
}
void TFlowControl::SetRTS(TRTSFlowControl value) {
  rts_ = value;
  port_.ApplyLineSettings();
}
void TFlowControl::SetXOnXOff(TXOnXOffFlowControl value) {
  xOnXOff_ = value;
  port_.ApplyLineSettings();
}
void TFlowControl::SetXOnLimit(std::uint16_t value) {
  xOnLimit_ = value;
  port_.ApplyLineSettings();
}
void TFlowControl::SetXOffLimit(std::uint16_t value) {
  xOffLimit_ = value;
  port_.ApplyLineSettings();
}

void TCharacters::Set(Which which, std::uint8_t value) {
  values_[static_cast<int>(which)] = value;
  port_.ApplyLineSettings();
}

void TBufferSizes::SetInput(std::int32_t bytes) {
  values_.input = bytes;
  port_.ApplyBufferSizes();
}
void TBufferSizes::SetOutput(std::int32_t bytes) {
  values_.output = bytes;
  port_.ApplyBufferSizes();
}

void TTimeouts::Set(const TimeoutSettings& values) {
  values_ = values;
  port_.ApplyTimeouts();
}

// --- the port ----------------------------------------------------------------------------

TCustomComPort::TCustomComPort(UiDispatcher& ui) : ui_(ui) {}

TCustomComPort::~TCustomComPort() {
  // A hand-over served while the port closes must not reach an owner that is being destroyed
  // around it (its members, or its pointer to this port, may be gone already): a port that ends
  // hands nothing over. Close() still serves them.
  onRxChar_ = nullptr;
  try {
    CloseSequence();
  } catch (const EComError&) {
    // Nobody is left to show it; the handle and thread are released regardless.
  }
}

void TCustomComPort::SetActive(bool active) {
  uiThread_.OnUiThread("TCustomComPort::SetActive");
  if (!loading_ && active != Active()) {
    if (active) {
      Open();
    } else {
      Close();
    }
  }
  storedActive_ = active;
}

void TCustomComPort::EndLoading() {
  loading_ = false;
  if (storedActive_ != Active()) {
    SetActive(storedActive_);
  }
}

void TCustomComPort::Open() {
  uiThread_.OnUiThread("TCustomComPort::Open");
  if (Active()) {
    return;
  }
  if (BeforeOpen) {
    BeforeOpen(*this);
  }
  DoOpen();
  if (Active() && AfterOpen) {
    AfterOpen(*this);
  }
}

void TCustomComPort::Close() {
  uiThread_.OnUiThread("TCustomComPort::Close");
  const bool wasOpen = Active();
  if (wasOpen && BeforeClose) {
    BeforeClose(*this);
  }
  CloseSequence();
  if (wasOpen && !Active() && AfterClose) {
    AfterClose(*this);
  }
}

void TCustomComPort::DoOpen() {
  CloseSequence();
  try {
    try {
      if (priorityClass_ != TPriorityClass::pcDefault) {
        savedPriority_ = ChangeProcessPriority(priorityClass_);
      }
      device_ = OpenSerialDevice(deviceName_);
    } catch (const EComError& error) {
      Raise(error);
    }
    PurgeInput();
    PurgeOutput();
    ApplyBufferSizes();
    ApplyLineSettings();
    ApplyTimeouts();
    try {
      thread_ = std::make_unique<TComThread>(*this, *device_, ui_, static_cast<bool>(onRxChar_));
    } catch (const std::system_error&) {
      Raise(EComError(kNoThreadText, 0));
    }
  } catch (...) {
    CloseSequence();
    throw;
  }
}

bool TCustomComPort::ReopenDevice() {
  uiThread_.OnUiThread("TCustomComPort::ReopenDevice");
  if (!device_ || !thread_) {
    return false;
  }
  std::unique_ptr<SerialDevice> fresh;
  try {
    fresh = OpenSerialDevice(deviceName_);
    fresh->PurgeInput();
    fresh->PurgeOutput();
    fresh->ApplyBufferSizes(bufferSizes_.Values());
    fresh->ApplyLineSettings(CurrentLineSettings());
    fresh->ApplyTimeouts(timeouts_.Values());
  } catch (const EComError&) {
    return false;  // not ready yet: the system may still be setting the new device up
  }
  // The transfers of the vanished device are lost with it.
  try {
    device_->PurgeInput();
    device_->PurgeOutput();
    (void)device_->FinishRead();
  } catch (const EComError&) {
  }
  try {
    (void)device_->FinishWrite();
  } catch (const EComError&) {
  }
  pendingReadCount_ = 0;
  pendingWriteCount_ = 0;
  device_ = std::move(fresh);
  thread_->Rebind(*device_);
  return true;
}

void TCustomComPort::CloseSequence() {
  closing_ = true;
  if (device_) {
    // A vanished device or a transfer cut short by the purge must not keep the port from
    // closing; the unsent output is discarded either way.
    try {
      device_->PurgeInput();
      // Output drained since the last write has left: purging then could only discard it where
      // the line still holds it for the other end (a pseudo-terminal's purge empties what its
      // other end has not read yet).
      if (!outputDrained_) {
        device_->PurgeOutput();
      }
    } catch (const EComError&) {
    }
    outputDrained_ = false;
    try {
      FinishRead();
    } catch (const EComError&) {
    }
    try {
      FinishWrite();
    } catch (const EComError&) {
    }
  }
  if (thread_) {
    thread_->Stop();
    thread_.reset();
  }
  device_.reset();
  closing_ = false;
  if (savedPriority_) {
    RestoreProcessPriority(*savedPriority_);
    savedPriority_.reset();
  }
}

void TCustomComPort::Raise(const EComError& error) {
  if (error.code() != 0) {
    lastFailureCode_ = error.code();
    ++failuresRaised_;
  }
  TComAction action = TComAction::caFail;
  if (OnError) {
    OnError(*this, error, action);
  }
  if (action == TComAction::caAbort) {
    throw EAbort();
  }
  throw error;
}

void TCustomComPort::CheckOpen() const {
  if (!device_) {
    const_cast<TCustomComPort*>(this)->Raise(EComError(kClosedPortText, 0));
  }
}

void TCustomComPort::ChangeWhileClosed() {
  if (Active()) {
    Raise(EComError(kOpenPortText, 0));
  }
}

void TCustomComPort::SetDeviceName(const std::string& name) {
  uiThread_.OnUiThread("TCustomComPort::SetDeviceName");
  if (name != deviceName_) {
    ChangeWhileClosed();
    deviceName_ = name;
  }
}

void TCustomComPort::SetPriorityClass(TPriorityClass value) {
  if (value != priorityClass_) {
    ChangeWhileClosed();
    priorityClass_ = value;
  }
}

void TCustomComPort::SetBaudRate(TBaudRate value) {
  if (value != baudRate_) {
    baudRate_ = value;
    ApplyLineSettings();
  }
}

int TCustomComPort::CustomBaudRate() const {
  return baudRate_ == TBaudRate::brCustom ? customBaudRate_ : BaudRateValue(baudRate_);
}

void TCustomComPort::SetCustomBaudRate(int value) {
  if (value != CustomBaudRate()) {
    customBaudRate_ = value;
    baudRate_ = TBaudRate::brCustom;
    ApplyLineSettings();
  }
}

void TCustomComPort::SetDataBits(TDataBits value) {
  if (value != dataBits_) {
    dataBits_ = value;
    ApplyLineSettings();
  }
}

void TCustomComPort::SetParity(TParity value) {
  if (value != parity_) {
    parity_ = value;
    ApplyLineSettings();
  }
}

void TCustomComPort::SetStopBits(TStopBits value) {
  if (value != stopBits_) {
    stopBits_ = value;
    ApplyLineSettings();
  }
}

void TCustomComPort::SetOptions(std::uint32_t value) {
  if (value != options_) {
    options_ = value;
    ApplyLineSettings();
  }
}

LineSettings TCustomComPort::CurrentLineSettings() const {
  LineSettings s;
  s.baudRate = baudRate_ == TBaudRate::brCustom ? customBaudRate_ : BaudRateValue(baudRate_);
  s.dataBits = dataBits_;
  s.parity = parity_;
  s.stopBits = stopBits_;
  s.dtr = flowControl_.DTR();
  s.rts = flowControl_.RTS();
  s.xOnXOff = flowControl_.XOnXOff();
  s.xOnLimit = flowControl_.XOnLimit();
  s.xOffLimit = flowControl_.XOffLimit();
  s.xOnChar = characters_.Get(TCharacters::Which::XOn);
  s.xOffChar = characters_.Get(TCharacters::Which::XOff);
  s.errorChar = characters_.Get(TCharacters::Which::Error);
  s.eofChar = characters_.Get(TCharacters::Which::Eof);
  s.eventChar = characters_.Get(TCharacters::Which::Event);
  s.options = options_;
  return s;
}

void TCustomComPort::ApplyLineSettings() {
  uiThread_.OnUiThread("TCustomComPort::ApplyLineSettings");
  if (!device_) {
    return;
  }
  try {
    device_->ApplyLineSettings(CurrentLineSettings());
  } catch (const EComError& error) {
    Raise(error);
  }
}

void TCustomComPort::ApplyBufferSizes() {
  if (device_) {
    device_->ApplyBufferSizes(bufferSizes_.Values());
  }
}

void TCustomComPort::ApplyTimeouts() {
  if (device_) {
    device_->ApplyTimeouts(timeouts_.Values());
  }
}

void TCustomComPort::SetOnRxChar(PortEvent handler) {
  uiThread_.OnUiThread("TCustomComPort::SetOnRxChar");
  onRxChar_ = std::move(handler);
  ApplyEventMask();
}

void TCustomComPort::ApplyEventMask() {
  if (thread_) {
    thread_->SetWatchInput(static_cast<bool>(onRxChar_));
  }
}

void TCustomComPort::HandleDeviceEvents() {
  uiThread_.OnUiThread("TCustomComPort::HandleDeviceEvents");
  if (onRxChar_) {
    onRxChar_(*this);
  }
}

void TCustomComPort::CheckErrorState() const {
  CheckOpen();
}

std::int32_t TCustomComPort::InputCount() {
  uiThread_.OnUiThread("TCustomComPort::InputCount");
  CheckErrorState();
  try {
    return device_->InputCount();
  } catch (const EComError& error) {
    Raise(error);
  }
}

bool TCustomComPort::DrainOutput(std::chrono::milliseconds limit) {
  uiThread_.OnUiThread("TCustomComPort::DrainOutput");
  CheckOpen();
  const auto deadline = std::chrono::steady_clock::now() + limit;
  const auto drained = [this] {
    try {
      return !device_->WriteInProgress() && device_->OutputCount() == 0;
    } catch (const EComError& error) {
      Raise(error);
    }
  };
  while (!drained()) {
    if (std::chrono::steady_clock::now() >= deadline) {
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  FinishWrite();  // collects the write's outcome: a failed one raises its error
  outputDrained_ = true;
  return true;
}

std::uint32_t TCustomComPort::ModemStatus() {
  uiThread_.OnUiThread("TCustomComPort::ModemStatus");
  CheckOpen();
  try {
    return device_->ModemStatus();
  } catch (const EComError& error) {
    Raise(error);
  }
}

void TCustomComPort::FinishRead() {
  if (device_->ReadInProgress() || pendingReadCount_ > 0) {
    std::size_t moved = 0;
    try {
      moved = device_->FinishRead();
    } catch (const EComError& error) {
      pendingReadCount_ = 0;
      Raise(error);
    }
    if (moved < static_cast<std::size_t>(std::exchange(pendingReadCount_, 0))) {
      Raise(EComError(kTimeoutText, 0));
    }
  }
}

void TCustomComPort::FinishWrite() {
  if (device_->WriteInProgress() || pendingWriteCount_ > 0) {
    std::size_t moved = 0;
    try {
      moved = device_->FinishWrite();
    } catch (const EComError& error) {
      pendingWriteCount_ = 0;
      Raise(error);
    }
    if (moved < static_cast<std::size_t>(std::exchange(pendingWriteCount_, 0))) {
      Raise(EComError(kTimeoutText, 0));
    }
  }
}

void TCustomComPort::Read(char* buffer, std::int32_t count, bool wait) {
  uiThread_.OnUiThread("TCustomComPort::Read");
  CheckOpen();
  ++readCount_;
  FinishRead();
  CheckErrorState();
  pendingReadCount_ = count;
  if (count > 0) {
    device_->StartRead(buffer, static_cast<std::size_t>(count));
    if (wait) {
      FinishRead();
    }
  } else {
    pendingReadCount_ = 0;
  }
}

void TCustomComPort::Write(const char* buffer, std::int32_t count, bool wait) {
  uiThread_.OnUiThread("TCustomComPort::Write");
  CheckOpen();
  outputDrained_ = false;
  FinishWrite();
  CheckErrorState();
  pendingWriteCount_ = 0;
  if (count > 0) {
    try {
      device_->StartWrite(std::string(buffer, static_cast<std::size_t>(count)));
    } catch (const EComError& error) {
      Raise(error);
    }
    pendingWriteCount_ = count;  // only a write that started is owed
    if (wait) {
      FinishWrite();
    }
  }
}

std::string TCustomComPort::ReadText() {
  CheckOpen();
  if (closing_) {
    // A hand-over served while the port closes: its input is discarded, and a device that
    // went away meanwhile is no news to report.
    return {};
  }
  ++readCount_;
  FinishRead();
  std::string text(static_cast<std::size_t>(InputCount()), '\0');
  if (!text.empty()) {
    try {
      text.resize(device_->ReadWaiting(text.data(), text.size()));
    } catch (const EComError& error) {
      Raise(error);
    }
  }
  return text;
}

void TCustomComPort::WriteText(const std::string& text) {
  Write(text.data(), static_cast<std::int32_t>(text.size()), false);
}

void TCustomComPort::PurgeInput() {
  uiThread_.OnUiThread("TCustomComPort::PurgeInput");
  if (device_) {
    try {
      device_->PurgeInput();
    } catch (const EComError& error) {
      Raise(error);
    }
  }
}

void TCustomComPort::PurgeOutput() {
  uiThread_.OnUiThread("TCustomComPort::PurgeOutput");
  if (device_) {
    try {
      device_->PurgeOutput();
    } catch (const EComError& error) {
      Raise(error);
    }
  }
}

}  // namespace vidideza
