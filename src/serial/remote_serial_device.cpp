#include "serial/remote_serial_device.h"

#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "serial/com_error.h"
#include "serial/tcp_link.h"
#include "serial/telnet_codec.h"

namespace vidideza {

namespace {

using Clock = std::chrono::steady_clock;

// What arrived and nobody read yet is held up to this much; beyond it the server waits.
constexpr std::size_t kMostHeld = std::size_t{1} << 22;
// A wait that another thread's reading serves looks again this often.
constexpr auto kWaitSlice = std::chrono::milliseconds(20);
constexpr const char* kClientSignature = "VIDideza";

std::string ServerText(const RemotePortName& name) {
  return "serial server " + name.host + ", port " + std::to_string(name.port);
}

// The system's words, after the server they concern.
EComError AtServer(const EComError& error, const RemotePortName& name) {
  std::string server = ServerText(name);
  server[0] = 'S';
  return EComError(server + ": " + error.what(), error.code());
}

// How a setting's value reads in a refusal: a baud rate as a number, the others as the code.
std::string ValueText(ComPortCommand command, const std::string& value) {
  std::uint32_t number = 0;
  for (const char c : value) {
    number = (number << 8) | static_cast<std::uint8_t>(c);
  }
  if (value.empty()) {
    return "nothing";
  }
  return command == ComPortCommand::kSetBaudRate ? std::to_string(number)
                                                 : "code " + std::to_string(number);
}

// One overlapped transfer of the device: a worker thread that ends with a count or an error.
class Worker {
 public:
  Worker() = default;
  Worker(const Worker&) = delete;
  Worker& operator=(const Worker&) = delete;
  ~Worker() { Join(); }

  template <typename Body>
  void Start(Body body) {
    Join();
    running_ = true;
    thread_ = std::thread([this, body = std::move(body)]() mutable {
      try {
        moved_ = body();
      } catch (const EComError& error) {
        error_ = error;
      }
      running_ = false;
    });
  }
  void Completed(std::size_t moved) {
    Join();
    moved_ = moved;
  }
  bool InProgress() const { return running_.load(); }
  void Join() {
    if (thread_.joinable()) {
      thread_.join();
    }
  }
  std::size_t Finish() {
    Join();
    if (error_) {
      const EComError error = *error_;
      error_.reset();
      throw error;
    }
    return std::exchange(moved_, 0);
  }

 private:
  std::thread thread_;
  std::atomic<bool> running_{false};
  // Written by the worker, read by the owner only after joining it.
  std::size_t moved_ = 0;
  std::optional<EComError> error_;
};

class RemoteSerialDevice final : public SerialDevice {
 public:
  explicit RemoteSerialDevice(const RemotePortName& name)
      : name_(name), telnet_(name.kind == RemotePortName::Kind::kRfc2217) {
    try {
      link_ = ConnectTcp(name.host, name.port, kServerConnectLimit);
    } catch (const EComError& error) {
      throw AtServer(error, name_);
    }
    if (telnet_) {
      SendControl(options_.Opening());
      const bool agreed =
          Await([this] { return optionsSettled_; }, Clock::now() + kServerAnswerLimit);
      if (!agreed) {
        throw EComError(
            "The " + ServerText(name_) + " did not answer the Telnet option requests in time",
            ETIMEDOUT);
      }
      if (!comPortAgreed_) {
        throw EComError("The " + ServerText(name_) +
                            " refused the port settings option of RFC 2217 (COM-PORT-OPTION): it "
                            "takes no port settings",
                        0);
      }
    }
  }

  RemoteSerialDevice(const RemoteSerialDevice&) = delete;
  RemoteSerialDevice& operator=(const RemoteSerialDevice&) = delete;

  ~RemoteSerialDevice() override {
    CancelRead();
    CancelWrite();
    read_.Join();
    write_.Join();
  }

  void ApplyLineSettings(const LineSettings& settings) override {
    if (!telnet_) {
      return;  // a raw socket's line is set at the server
    }
    std::string unsupported;
    const std::vector<ComPortSetting> requests = ComPortSettingsFor(settings, unsupported);
    if (!unsupported.empty()) {
      throw EComError("A serial server cannot set " + unsupported, 0);
    }
    std::string wire;
    {
      const std::lock_guard lock(mutex_);
      for (const ComPortSetting& request : requests) {
        answers_.erase(static_cast<std::uint8_t>(request.command));
        wire += ComPortRequest(request.command, request.value);
      }
    }
    SendControl(wire);
    const auto answered = [&] {
      for (const ComPortSetting& request : requests) {
        if (answers_.count(static_cast<std::uint8_t>(request.command)) == 0) {
          return false;
        }
      }
      return true;
    };
    if (!Await(answered, Clock::now() + kServerAnswerLimit)) {
      throw EComError("The " + ServerText(name_) + " did not answer the port settings in time",
                      ETIMEDOUT);
    }
    std::string refused;
    {
      const std::lock_guard lock(mutex_);
      for (const ComPortSetting& request : requests) {
        const std::string& answer = answers_[static_cast<std::uint8_t>(request.command)];
        if (answer != request.value) {
          refused += (refused.empty() ? "" : "; ") + request.name + ", it set " +
                     ValueText(request.command, answer);
        }
      }
    }
    if (!refused.empty()) {
      throw EComError("The " + ServerText(name_) + " refused " + refused, 0);
    }
  }

  // A server keeps its own buffers and the network has no device time-outs to set.
  void ApplyBufferSizes(const BufferSizeSettings& /*sizes*/) override {}
  void ApplyTimeouts(const TimeoutSettings& /*timeouts*/) override {}

  void PurgeInput() override {
    CancelRead();
    {
      const std::lock_guard lock(mutex_);
      input_.clear();
    }
    if (telnet_) {
      SendControl(ComPortRequest(ComPortCommand::kPurgeData, std::string(1, kPurgeReceive)));
    }
  }

  void PurgeOutput() override {
    CancelWrite();
    write_.Join();
    {
      // Bytes already begun on the wire go out whole, or the stream would be cut mid-command.
      const std::lock_guard lock(sendMutex_);
      std::deque<Segment> kept;
      for (std::size_t i = 0; i < out_.size(); ++i) {
        if (!out_[i].data || (i == 0 && frontSent_ > 0)) {
          kept.push_back(std::move(out_[i]));
        }
      }
      out_ = std::move(kept);
    }
    if (telnet_) {
      SendControl(ComPortRequest(ComPortCommand::kPurgeData, std::string(1, kPurgeTransmit)));
    }
  }

  std::int32_t InputCount() override {
    const std::lock_guard lock(mutex_);
    if (input_.empty() && failure_) {
      throw *failure_;
    }
    return static_cast<std::int32_t>(std::min<std::size_t>(input_.size(), INT32_MAX));
  }

  std::int32_t OutputCount() override {
    const std::lock_guard lock(sendMutex_);
    std::size_t waiting = 0;
    for (const Segment& segment : out_) {
      waiting += segment.bytes.size();
    }
    return static_cast<std::int32_t>(std::min<std::size_t>(waiting - frontSent_, INT32_MAX));
  }

  std::uint32_t ModemStatus() override {
    const std::lock_guard lock(mutex_);
    return ModemStatusFromComPort(modemState_);
  }

  void StartRead(char* buffer, std::size_t count) override {
    read_.Join();
    {
      const std::lock_guard lock(mutex_);
      readCancelled_ = false;
    }
    const std::size_t now = TakeInput(buffer, count);
    if (now == count) {
      read_.Completed(now);
      return;
    }
    read_.Start([this, buffer, count, now] {
      std::size_t done = now;
      const auto ready = [&] { return readCancelled_ || !input_.empty(); };
      while (done < count) {
        Await(ready, std::nullopt);
        if (ReadCancelled()) {
          throw EComError(std::strerror(ECANCELED), ECANCELED);
        }
        done += TakeInput(buffer + done, count - done);
      }
      return done;
    });
  }
  bool ReadInProgress() const override { return read_.InProgress(); }
  std::size_t FinishRead() override { return read_.Finish(); }

  std::size_t ReadWaiting(char* buffer, std::size_t count) override {
    read_.Join();
    const std::size_t taken = TakeInput(buffer, count);
    const std::lock_guard lock(mutex_);
    if (taken == 0 && failure_) {
      throw *failure_;
    }
    return taken;
  }

  void StartWrite(std::string bytes) override {
    write_.Join();
    const std::size_t size = bytes.size();
    std::uint64_t id = 0;
    {
      const std::lock_guard lock(sendMutex_);
      id = ++writesQueued_;
      writeCancelled_ = false;
      out_.push_back({telnet_ ? EscapeTelnetData(bytes) : std::move(bytes), true, id});
    }
    // A link that is gone fails the send that meets it, not the next one.
    if (FlushNow() || WriteDone(id)) {
      write_.Completed(size);
      return;
    }
    write_.Start([this, id, size] {
      while (!WriteDone(id)) {
        if (!link_->WaitSendable() || WriteCancelled()) {
          if (WriteCancelled()) {
            throw EComError(std::strerror(ECANCELED), ECANCELED);
          }
          continue;
        }
        FlushNow();
      }
      return size;
    });
  }
  bool WriteInProgress() const override { return write_.InProgress(); }
  std::size_t FinishWrite() override { return write_.Finish(); }

  DeviceEvent WaitForEvent(bool watchInput) override {
    for (;;) {
      // Taken before the flags are looked at, so that no other reader of the link can take
      // the wake-up meant for this wait.
      const std::lock_guard pump(pumpMutex_);
      {
        std::unique_lock lock(mutex_);
        // Beyond what is held, the server is left to wait until the port reads.
        cv_.wait(lock, [&] { return woken_ || input_.size() < kMostHeld || watchInput; });
        if (woken_) {
          woken_ = false;
          return DeviceEvent::kWoken;
        }
        if (watchInput && !input_.empty()) {
          return DeviceEvent::kCharsReceived;
        }
        if (failure_) {
          throw *failure_;
        }
      }
      Pump(std::nullopt);
    }
  }

  void WakeWait() override {
    {
      const std::lock_guard lock(mutex_);
      woken_ = true;
    }
    cv_.notify_all();
    link_->WakeReceiver();
  }

 private:
  struct Segment {
    std::string bytes;
    bool data = false;
    std::uint64_t write = 0;
  };

  // Waits, reading the link itself whenever no other thread does, until ready() holds (true)
  // or the deadline passes (false). ready() is called with mutex_ held; raises the link's
  // failure.
  template <typename Ready>
  bool Await(const Ready& ready, std::optional<Clock::time_point> deadline) {
    for (;;) {
      {
        std::unique_lock lock(mutex_);
        if (ready()) {
          return true;
        }
        if (failure_) {
          throw *failure_;
        }
        if (deadline && Clock::now() >= *deadline) {
          return false;
        }
      }
      std::unique_lock pump(pumpMutex_, std::try_to_lock);
      if (pump.owns_lock()) {
        Pump(kWaitSlice);
      } else {
        std::unique_lock lock(mutex_);
        cv_.wait_for(lock, kWaitSlice);
      }
    }
  }

  // Reads what has come and sorts it into data, answers and option requests. The caller holds
  // pumpMutex_. A failed link is kept as the failure every later call raises.
  void Pump(std::optional<std::chrono::milliseconds> limit) {
    std::string bytes;
    try {
      if (!link_->WaitReceivable(limit)) {
        return;
      }
      bytes = link_->ReceiveNow();
    } catch (const EComError& error) {
      Fail(error);
      return;
    }
    std::string data;
    std::vector<TelnetEvent> events;
    if (telnet_) {
      decoder_.Feed(bytes, data, events);
    } else {
      data = std::move(bytes);
    }
    std::string replies;
    {
      const std::lock_guard lock(mutex_);
      input_ += data;
      for (const TelnetEvent& event : events) {
        if (event.kind == TelnetEvent::Kind::kOption) {
          replies += options_.Answer(event.verb, event.option);
          comPortAgreed_ = options_.ComPortAgreed();
          optionsSettled_ = options_.ComPortAgreed() || options_.ComPortRefused();
        } else {
          HandleComPort(event, replies);
        }
      }
    }
    cv_.notify_all();
    if (!replies.empty()) {
      try {
        SendControl(replies);
      } catch (const EComError&) {
        // Kept as the link's failure, which the next call raises.
      }
    }
  }

  // The server's answers and notifications; the caller holds mutex_.
  void HandleComPort(const TelnetEvent& event, std::string& replies) {
    if (event.command < kServerOffset) {
      return;  // a client's command: no server sends those
    }
    const auto command = static_cast<std::uint8_t>(event.command - kServerOffset);
    switch (static_cast<ComPortCommand>(command)) {
      case ComPortCommand::kSignature:
        if (event.value.empty()) {
          replies += ComPortRequest(ComPortCommand::kSignature, kClientSignature);
        }
        break;
      case ComPortCommand::kNotifyModemState:
        if (!event.value.empty()) {
          modemState_ = static_cast<std::uint8_t>(event.value[0]);
        }
        break;
      case ComPortCommand::kSetBaudRate:
      case ComPortCommand::kSetDataSize:
      case ComPortCommand::kSetParity:
      case ComPortCommand::kSetStopSize:
      case ComPortCommand::kSetControl:
        answers_[command] = event.value;
        break;
      default:
        break;  // line state, flow control and masks change nothing the port reports
    }
  }

  void Fail(const EComError& error) {
    {
      const std::lock_guard lock(mutex_);
      if (!failure_) {
        failure_ = AtServer(error, name_);
      }
    }
    cv_.notify_all();
  }

  std::size_t TakeInput(char* buffer, std::size_t count) {
    const std::lock_guard lock(mutex_);
    const std::size_t taken = std::min(count, input_.size());
    input_.copy(buffer, taken);
    input_.erase(0, taken);
    if (taken > 0) {
      cv_.notify_all();
    }
    return taken;
  }

  // Sends what the socket takes now; true when nothing is left to send.
  bool FlushNow() {
    const std::lock_guard lock(sendMutex_);
    while (!out_.empty()) {
      Segment& front = out_.front();
      std::size_t sent = 0;
      try {
        sent = link_->SendNow(std::string_view(front.bytes).substr(frontSent_));
      } catch (const EComError& error) {
        Fail(error);
        throw AtServer(error, name_);
      }
      frontSent_ += sent;
      if (frontSent_ < front.bytes.size()) {
        return false;
      }
      if (front.data) {
        writesDone_ = front.write;
      }
      out_.pop_front();
      frontSent_ = 0;
    }
    return true;
  }

  // Queues control bytes behind what is queued and waits until they have left: they are few,
  // and the server reads them at once.
  void SendControl(const std::string& bytes) {
    {
      const std::lock_guard lock(sendMutex_);
      out_.push_back({bytes, false, 0});
    }
    while (!FlushNow()) {
      if (!link_->WaitSendable() && WriteCancelled()) {
        return;  // closing: what is left goes with the link
      }
    }
  }

  bool WriteDone(std::uint64_t id) {
    const std::lock_guard lock(sendMutex_);
    return writesDone_ >= id;
  }
  bool ReadCancelled() {
    const std::lock_guard lock(mutex_);
    return readCancelled_;
  }
  bool WriteCancelled() {
    const std::lock_guard lock(sendMutex_);
    return writeCancelled_;
  }
  void CancelWrite() {
    {
      const std::lock_guard lock(sendMutex_);
      writeCancelled_ = true;
    }
    link_->WakeSender();
  }
  void CancelRead() {
    {
      const std::lock_guard lock(mutex_);
      readCancelled_ = true;
    }
    cv_.notify_all();
  }

  const RemotePortName name_;
  const bool telnet_;
  std::unique_ptr<TcpLink> link_;

  // Held by the one thread that reads the link: the decoder and options are its alone.
  std::mutex pumpMutex_;
  TelnetDecoder decoder_;
  TelnetOptions options_;

  std::mutex mutex_;
  std::condition_variable cv_;
  std::string input_;
  std::map<std::uint8_t, std::string> answers_;
  std::optional<EComError> failure_;
  std::uint8_t modemState_ = 0;
  bool optionsSettled_ = false;
  bool comPortAgreed_ = false;
  bool woken_ = false;
  bool readCancelled_ = false;

  std::mutex sendMutex_;
  std::deque<Segment> out_;
  std::size_t frontSent_ = 0;
  std::uint64_t writesQueued_ = 0;
  std::uint64_t writesDone_ = 0;
  bool writeCancelled_ = false;

  // Declared last so that their workers end before the link closes.
  Worker read_;
  Worker write_;
};

}  // namespace

std::unique_ptr<SerialDevice> OpenRemoteSerialDevice(const RemotePortName& name) {
  return std::make_unique<RemoteSerialDevice>(name);
}

bool RemoteSerialDevicePresent(const RemotePortName& name) {
  try {
    // Bounded closer than an open: closing the port waits for a look that is under way.
    (void)ConnectTcp(name.host, name.port, kServerConnectLimit / 2);
    return true;
  } catch (const EComError&) {
    return false;
  }
}

}  // namespace vidideza
