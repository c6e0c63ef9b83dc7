#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "base/ui_dispatcher.h"
#include "base/ui_thread_check.h"
#include "serial/com_error.h"
#include "serial/com_settings.h"
#include "serial/serial_device.h"

namespace vidideza {

class TCustomComPort;
class TComThread;

// Flow-control settings; a change re-applies the line settings of an open port.
class TFlowControl {
 public:
  explicit TFlowControl(TCustomComPort& port) : port_(port) {}
  TDTRFlowControl DTR() const { return dtr_; }
  TRTSFlowControl RTS() const { return rts_; }
  TXOnXOffFlowControl XOnXOff() const { return xOnXOff_; }
  std::uint16_t XOnLimit() const { return xOnLimit_; }
  std::uint16_t XOffLimit() const { return xOffLimit_; }
  void SetDTR(TDTRFlowControl value);
  void SetRTS(TRTSFlowControl value);
  void SetXOnXOff(TXOnXOffFlowControl value);
  void SetXOnLimit(std::uint16_t value);
  void SetXOffLimit(std::uint16_t value);

 private:
  TCustomComPort& port_;
  TDTRFlowControl dtr_ = TDTRFlowControl::dcDefault;
  TRTSFlowControl rts_ = TRTSFlowControl::rcDefault;
  TXOnXOffFlowControl xOnXOff_ = TXOnXOffFlowControl::xcDefault;
  std::uint16_t xOnLimit_ = 0;
  std::uint16_t xOffLimit_ = 0;
};

// The five special characters; a change re-applies the line settings of an open port.
class TCharacters {
 public:
  enum class Which { XOn, XOff, Error, Eof, Event };
  explicit TCharacters(TCustomComPort& port) : port_(port) {}
  std::uint8_t Get(Which which) const { return values_[static_cast<int>(which)]; }
  void Set(Which which, std::uint8_t value);

 private:
  TCustomComPort& port_;
  std::uint8_t values_[5] = {0x11, 0x13, 0, 0, 0};
};

class TBufferSizes {
 public:
  explicit TBufferSizes(TCustomComPort& port) : port_(port) {}
  const BufferSizeSettings& Values() const { return values_; }
  void SetInput(std::int32_t bytes);
  void SetOutput(std::int32_t bytes);

 private:
  TCustomComPort& port_;
  BufferSizeSettings values_;
};

class TTimeouts {
 public:
  explicit TTimeouts(TCustomComPort& port) : port_(port) {}
  const TimeoutSettings& Values() const { return values_; }
  void Set(const TimeoutSettings& values);

 private:
  TCustomComPort& port_;
  TimeoutSettings values_;
};

// The serial-port component: all state and work of the link. Used on the UI thread only;
// its receive thread hands each characters-received event over to the UI thread.
class TCustomComPort {
 public:
  using PortEvent = std::function<void(TCustomComPort&)>;
  using ErrorEvent = std::function<void(TCustomComPort&, const EComError&, TComAction&)>;

  explicit TCustomComPort(UiDispatcher& ui);
  TCustomComPort(const TCustomComPort&) = delete;
  TCustomComPort& operator=(const TCustomComPort&) = delete;
  virtual ~TCustomComPort();

  bool Active() const { return device_ != nullptr; }
  void SetActive(bool active);
  // While loading, SetActive only stores the value; EndLoading applies it.
  void BeginLoading() { loading_ = true; }
  void EndLoading();
  void Open();
  void Close();

  const std::string& DeviceName() const { return deviceName_; }
  void SetDeviceName(const std::string& name);
  TPriorityClass PriorityClass() const { return priorityClass_; }
  void SetPriorityClass(TPriorityClass value);

  TBaudRate BaudRate() const { return baudRate_; }
  void SetBaudRate(TBaudRate value);
  int CustomBaudRate() const;
  void SetCustomBaudRate(int value);
  TDataBits DataBits() const { return dataBits_; }
  void SetDataBits(TDataBits value);
  TParity Parity() const { return parity_; }
  void SetParity(TParity value);
  TStopBits StopBits() const { return stopBits_; }
  void SetStopBits(TStopBits value);
  std::uint32_t Options() const { return options_; }
  void SetOptions(std::uint32_t value);

  TFlowControl& FlowControl() { return flowControl_; }
  TCharacters& Characters() { return characters_; }
  TBufferSizes& BufferSizes() { return bufferSizes_; }
  TTimeouts& Timeouts() { return timeouts_; }

  std::int32_t InputCount();
  std::uint32_t ModemStatus();
  void Read(char* buffer, std::int32_t count, bool wait);
  void Write(const char* buffer, std::int32_t count, bool wait);
  std::string ReadText();
  void WriteText(const std::string& text);
  void PurgeInput();
  void PurgeOutput();
  // Waits until every byte written has left: the writes in progress done and the device's
  // output queue empty, but no longer than `limit`. False when the limit came first; raises a
  // write's error. Closing purges the output, but not output drained since the last write: a
  // caller that ends right after writing drains first.
  bool DrainOutput(std::chrono::milliseconds limit);

  // Attaching or detaching OnRxChar rebuilds the event mask of an open port.
  void SetOnRxChar(PortEvent handler);
  PortEvent BeforeOpen, AfterOpen, BeforeClose, AfterClose;
  ErrorEvent OnError;

  // The receive thread's event handling, run on the UI thread.
  void HandleDeviceEvents();
  // How many reads have started, for the receive thread to see whether a handler read.
  std::uint64_t ReadCount() const { return readCount_.load(); }
  // How many device failures calls have raised so far, for the receive thread to report a
  // failure only when no call has reported it already.
  std::uint64_t FailuresRaised() const { return failuresRaised_.load(); }
  bool FailureRaisedSince(std::uint64_t mark, int code) const {
    return failuresRaised_.load() != mark && lastFailureCode_.load() == code;
  }
  // Receive thread's hand-over, after the device vanished and one of its name is back: opens
  // it in place of the vanished one with the same settings; false when it cannot be had yet.
  bool ReopenDevice();
  // Re-applies the line settings when open (used by the setting objects).
  void ApplyLineSettings();
  void ApplyBufferSizes();
  void ApplyTimeouts();

 protected:
  // The open sequence; a descendant may replace it.
  virtual void DoOpen();

 private:
  void CloseSequence();
  void ApplyEventMask();
  void CheckOpen() const;
  void CheckErrorState() const;
  void FinishRead();
  void FinishWrite();
  [[noreturn]] void Raise(const EComError& error);
  LineSettings CurrentLineSettings() const;
  void ChangeWhileClosed();

  UiDispatcher& ui_;
  UiThreadCheck uiThread_;
  bool storedActive_ = false;
  bool loading_ = false;
  bool closing_ = false;        // while the close sequence runs, on the UI thread
  bool outputDrained_ = false;  // DrainOutput returned true, and nothing was written since
  std::unique_ptr<SerialDevice> device_;
  std::unique_ptr<TComThread> thread_;
  std::int32_t pendingReadCount_ = 0;
  std::int32_t pendingWriteCount_ = 0;
  int customBaudRate_ = 0;
  std::string deviceName_ = "COM2";
  TBaudRate baudRate_ = TBaudRate::brDefault;
  TDataBits dataBits_ = TDataBits::dbDefault;
  TParity parity_ = TParity::paDefault;
  TStopBits stopBits_ = TStopBits::sbDefault;
  std::uint32_t options_ = 0;
  TPriorityClass priorityClass_ = TPriorityClass::pcDefault;
  std::optional<int> savedPriority_;  // the process's class before open, when it was changed
  TFlowControl flowControl_{*this};
  TCharacters characters_{*this};
  TBufferSizes bufferSizes_{*this};
  TTimeouts timeouts_{*this};
  PortEvent onRxChar_;
  std::atomic<std::uint64_t> readCount_{0};  // written on the UI thread, read by the receive thread
  // Written by whichever thread raised the failure, read by the receive thread.
  std::atomic<std::uint64_t> failuresRaised_{0};
  std::atomic<int> lastFailureCode_{0};
};

class TComPort final : public TCustomComPort {
 public:
  using TCustomComPort::TCustomComPort;
};

}  // namespace vidideza
