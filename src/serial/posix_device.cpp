// The serial device on POSIX systems: termios for the line, poll() with wake-up channels for
// the receive wait and for transfers, so nothing ever blocks without a way to end it.
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <functional>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

#include "base/posix_fd.h"
#include "serial/com_error.h"
#include "serial/posix_device_admission.h"
#include "serial/posix_device_holders.h"
#include "serial/posix_device_path.h"
#include "serial/posix_line_settings.h"
#include "serial/serial_device.h"

namespace vidideza {

namespace {

[[noreturn]] void RaiseOsError(int error) {
  throw EComError(std::strerror(error), error);
}

void CheckCall(int result) {
  if (result == -1 && errno != 0) {
    RaiseOsError(errno);
  }
}

// Devices without modem lines (pseudo-terminals) refuse the modem ioctls; that is no failure.
bool HasNoModemLines(int error) {
  return error == ENOTTY || error == EINVAL;
}

void SetModemLine(int fd, int line, bool on) {
  if (::ioctl(fd, on ? TIOCMBIS : TIOCMBIC, &line) == -1 && !HasNoModemLines(errno)) {
    RaiseOsError(errno);
  }
}

// One overlapped transfer: a worker thread moves the bytes while the caller goes on.
class Transfer {
 public:
  using Body = std::function<std::size_t(int cancelFd, int& error)>;

  Transfer() = default;
  Transfer(const Transfer&) = delete;
  Transfer& operator=(const Transfer&) = delete;
  ~Transfer() {
    Abort();
    Join();
  }

  void Start(Body body) {
    Join();
    cancel_.Clear();
    running_ = true;
    worker_ = std::thread([this, body = std::move(body)] {
      error_ = 0;
      moved_ = body(cancel_.fd(), error_);
      running_ = false;
    });
  }
  // A transfer that completed at once, as an overlapped call may.
  void Completed(std::size_t moved) {
    Join();
    error_ = 0;
    moved_ = moved;
  }
  bool InProgress() const { return running_.load(); }
  void Abort() const { cancel_.Signal(); }

  // The bytes moved; raises the OS error that ended the transfer early.
  std::size_t Finish() {
    Join();
    if (error_ != 0) {
      RaiseOsError(std::exchange(error_, 0));
    }
    return std::exchange(moved_, 0);
  }

  void Join() {
    if (worker_.joinable()) {
      worker_.join();
    }
  }

 private:
  WakeChannel cancel_;
  std::thread worker_;
  std::atomic<bool> running_{false};
  // Written by the worker, read by the owner only after joining it.
  std::size_t moved_ = 0;
  int error_ = 0;
};

// Moves count bytes with op (read or write) on fd, waiting for readiness; stops early when
// cancelled or when the device fails.
std::size_t MoveBytes(int fd, short readiness, int cancelFd, std::size_t count, int& error,
                      const std::function<ssize_t(std::size_t done)>& op) {
  std::size_t done = 0;
  while (done < count) {
    pollfd fds[2] = {{fd, readiness, 0}, {cancelFd, POLLIN, 0}};
    if (::poll(fds, 2, -1) == -1) {
      if (errno == EINTR) {
        continue;
      }
      error = errno;
      break;
    }
    if ((fds[1].revents & POLLIN) != 0) {
      error = ECANCELED;
      break;
    }
    if ((fds[0].revents & readiness) == 0) {
      error = EIO;  // hang-up or device error without data
      break;
    }
    const ssize_t n = op(done);
    if (n > 0) {
      done += static_cast<std::size_t>(n);
    } else if (n == 0) {
      error = EIO;
      break;
    } else if (errno != EAGAIN && errno != EINTR) {
      error = errno;
      break;
    }
  }
  return done;
}

// Moves what the descriptor takes or gives right now, without waiting; error is the OS error
// that stopped it, 0 when the descriptor just had nothing more now.
std::size_t MoveNow(std::size_t count, int& error,
                    const std::function<ssize_t(std::size_t done)>& op) {
  error = 0;
  std::size_t done = 0;
  while (done < count) {
    const ssize_t n = op(done);
    if (n <= 0) {
      if (n < 0 && errno == EINTR) {
        continue;
      }
      if (n < 0 && errno != EAGAIN) {
        error = errno;
      }
      break;
    }
    done += static_cast<std::size_t>(n);
  }
  return done;
}

void CheckAdmitted(const struct stat& st, const std::vector<dev_t>& ownTerminals) {
  if (const int refusal = DeviceRefusal(st.st_mode, st.st_rdev, ownTerminals); refusal != 0) {
    RaiseOsError(refusal);
  }
}

// Opens the device behind the name, checked before the open (so that no FIFO, folder or
// terminal of the tool's own is ever opened) and again after it (the name may have changed
// in between).
UniqueFd OpenAdmittedDevice(const std::string& deviceName) {
  if (deviceName.empty()) {
    RaiseOsError(ENOENT);
  }
  const std::string path = PosixDevicePath(deviceName);
  const std::vector<dev_t> ownTerminals = OwnTerminals();
  struct stat st {};
  if (::stat(path.c_str(), &st) == -1) {
    RaiseOsError(errno);
  }
  CheckAdmitted(st, ownTerminals);
  UniqueFd fd(::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
  if (!fd.valid()) {
    RaiseOsError(errno);
  }
  if (::fstat(fd.get(), &st) == -1) {
    RaiseOsError(errno);
  }
  CheckAdmitted(st, ownTerminals);
  return fd;
}

// The line settings the device had before the port took it, put back when the port lets it
// go, as serial terminals do.
class SavedLineSettings {
 public:
  explicit SavedLineSettings(int fd) : fd_(fd), saved_(::tcgetattr(fd, &settings_) == 0) {}
  SavedLineSettings(const SavedLineSettings&) = delete;
  SavedLineSettings& operator=(const SavedLineSettings&) = delete;
  // A vanished device has nothing to restore; that is no failure.
  ~SavedLineSettings() {
    if (saved_) {
      (void)::tcsetattr(fd_, TCSANOW, &settings_);
    }
  }

 private:
  int fd_;
  termios settings_{};
  bool saved_;
};

class PosixSerialDevice final : public SerialDevice {
 public:
  explicit PosixSerialDevice(const std::string& deviceName) : fd_(OpenAdmittedDevice(deviceName)) {
    // flock also holds against root, whom TIOCEXCL lets through.
    if (::flock(fd_.get(), LOCK_EX | LOCK_NB) == -1) {
      RaiseOsError(errno == EWOULDBLOCK ? EBUSY : errno);
    }
    if (::isatty(fd_.get()) == 0) {
      RaiseOsError(errno);
    }
    // Locks only stop openers that respect them; a reader that came first would share the
    // line and take the unit's replies.
    if (AnotherProcessHoldsDevice(fd_.get())) {
      RaiseOsError(EBUSY);
    }
    ::ioctl(fd_.get(), TIOCEXCL);
    saved_.emplace(fd_.get());
  }

  void ApplyLineSettings(const LineSettings& s) override {
    termios t{};
    CheckCall(::tcgetattr(fd_.get(), &t));
    if (const int error = ApplyToTermios(t, s); error != 0) {
      RaiseOsError(error);
    }
    CheckCall(::tcsetattr(fd_.get(), TCSANOW, &t));
    if (s.dtr != TDTRFlowControl::dcDefault) {
      SetModemLine(fd_.get(), TIOCM_DTR, s.dtr == TDTRFlowControl::dcEnable);
    }
    if (s.rts == TRTSFlowControl::rcDisable || s.rts == TRTSFlowControl::rcEnable) {
      SetModemLine(fd_.get(), TIOCM_RTS, s.rts == TRTSFlowControl::rcEnable);
    }
  }

  // The kernel's queues have fixed sizes and poll() replaces the device time-outs.
  void ApplyBufferSizes(const BufferSizeSettings& /*sizes*/) override {}
  void ApplyTimeouts(const TimeoutSettings& /*timeouts*/) override {}

  void PurgeInput() override {
    read_.Abort();
    CheckCall(::tcflush(fd_.get(), TCIFLUSH));
  }
  void PurgeOutput() override {
    write_.Abort();
    CheckCall(::tcflush(fd_.get(), TCOFLUSH));
  }

  std::int32_t InputCount() override {
    int count = 0;
    CheckCall(::ioctl(fd_.get(), FIONREAD, &count));
    return count;
  }

  std::int32_t OutputCount() override {
    int count = 0;
    CheckCall(::ioctl(fd_.get(), TIOCOUTQ, &count));
    return count;
  }

  std::uint32_t ModemStatus() override {
    int lines = 0;
    if (::ioctl(fd_.get(), TIOCMGET, &lines) == -1) {
      if (HasNoModemLines(errno)) {
        return 0;
      }
      RaiseOsError(errno);
    }
    return ((lines & TIOCM_CTS) != 0 ? msCTS : 0U) | ((lines & TIOCM_DSR) != 0 ? msDSR : 0U) |
           ((lines & TIOCM_RNG) != 0 ? msRing : 0U) | ((lines & TIOCM_CAR) != 0 ? msRLSD : 0U);
  }

  void StartRead(char* buffer, std::size_t count) override {
    const int fd = fd_.get();
    // Most reads ask for bytes already waiting: they complete at once, without a worker.
    int failed = 0;  // met again, and reported, by the worker
    const std::size_t now = MoveNow(
        count, failed, [&](std::size_t done) { return ::read(fd, buffer + done, count - done); });
    if (now == count) {
      read_.Completed(now);
      return;
    }
    read_.Start([fd, buffer, count, now](int cancelFd, int& error) {
      return now + MoveBytes(fd, POLLIN, cancelFd, count - now, error, [&](std::size_t done) {
               return ::read(fd, buffer + now + done, count - now - done);
             });
    });
  }
  std::size_t ReadWaiting(char* buffer, std::size_t count) override {
    read_.Join();
    const int fd = fd_.get();
    int failed = 0;
    const std::size_t done = MoveNow(
        count, failed, [&](std::size_t got) { return ::read(fd, buffer + got, count - got); });
    if (failed != 0) {
      RaiseOsError(failed);
    }
    return done;
  }
  bool ReadInProgress() const override { return read_.InProgress(); }
  std::size_t FinishRead() override { return read_.Finish(); }

  void StartWrite(std::string bytes) override {
    write_.Join();
    writeBytes_ = std::move(bytes);
    const int fd = fd_.get();
    const std::string* data = &writeBytes_;
    int failed = 0;
    const std::size_t now = MoveNow(data->size(), failed, [&](std::size_t done) {
      return ::write(fd, data->data() + done, data->size() - done);
    });
    // A device that is gone fails the send that meets it, not the next one.
    if (failed != 0) {
      write_.Completed(0);
      RaiseOsError(failed);
    }
    if (now == data->size()) {
      write_.Completed(now);
      return;
    }
    write_.Start([fd, data, now](int cancelFd, int& error) {
      return now +
             MoveBytes(fd, POLLOUT, cancelFd, data->size() - now, error, [&](std::size_t done) {
               return ::write(fd, data->data() + now + done, data->size() - now - done);
             });
    });
  }
  bool WriteInProgress() const override { return write_.InProgress(); }
  std::size_t FinishWrite() override { return write_.Finish(); }

  DeviceEvent WaitForEvent(bool watchInput) override {
    for (;;) {
      pollfd fds[2] = {{watchInput ? fd_.get() : -1, POLLIN, 0}, {wake_.fd(), POLLIN, 0}};
      if (::poll(fds, 2, -1) == -1) {
        if (errno == EINTR) {
          continue;
        }
        RaiseOsError(errno);
      }
      if ((fds[1].revents & POLLIN) != 0) {
        wake_.Clear();
        return DeviceEvent::kWoken;
      }
      // A hung-up line also reads as readable; what counts then is whether bytes still wait.
      if ((fds[0].revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
        if (WaitingBytesSurvive()) {
          return DeviceEvent::kCharsReceived;
        }
        RaiseOsError(EIO);
      }
      if ((fds[0].revents & POLLIN) != 0) {
        return DeviceEvent::kCharsReceived;
      }
    }
  }
  void WakeWait() override { wake_.Signal(); }

 private:
  bool WaitingBytesSurvive() const {
    int count = 0;
    return ::ioctl(fd_.get(), FIONREAD, &count) == 0 && count > 0;
  }

  UniqueFd fd_;
  // Restored after the transfers below have ended and before the descriptor closes.
  std::optional<SavedLineSettings> saved_;
  WakeChannel wake_;
  std::string writeBytes_;  // the bytes of the write in progress, kept until it has finished
  // Declared last so that their workers end before the descriptor closes.
  Transfer read_;
  Transfer write_;
};

}  // namespace

// Raising a process's or thread's priority needs privileges on POSIX systems that a service
// tool does not have: the setting is kept and the process left as it is.
std::optional<int> ChangeProcessPriority(TPriorityClass /*priority*/) {
  return std::nullopt;
}
void RestoreProcessPriority(int /*saved*/) {}
void RaiseReceiveThreadPriority() {}

std::unique_ptr<SerialDevice> OpenLocalSerialDevice(const std::string& deviceName) {
  return std::make_unique<PosixSerialDevice>(deviceName);
}

bool LocalSerialDevicePresent(const std::string& deviceName) {
  struct stat st {};
  return !deviceName.empty() && ::stat(PosixDevicePath(deviceName).c_str(), &st) == 0 &&
         S_ISCHR(st.st_mode);
}

}  // namespace vidideza
