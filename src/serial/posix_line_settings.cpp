#include "serial/posix_line_settings.h"

#include <cerrno>
#include <optional>

namespace vidideza {

namespace {

// 0 for a rate termios cannot express.
speed_t SpeedFor(int baudRate) {
  switch (baudRate) {
    case 50:
      return B50;
    case 75:
      return B75;
    case 110:
      return B110;
    case 150:
      return B150;
    case 300:
      return B300;
    case 600:
      return B600;
    case 1200:
      return B1200;
    case 1800:
      return B1800;
    case 2400:
      return B2400;
    case 4800:
      return B4800;
    case 9600:
      return B9600;
    case 19200:
      return B19200;
    case 38400:
      return B38400;
    case 57600:
      return B57600;
    case 115200:
      return B115200;
    case 230400:
      return B230400;
    default:
      return 0;
  }
}

// Nothing for a size termios cannot express (CS5 itself is 0).
std::optional<tcflag_t> CharSize(TDataBits bits) {
  switch (bits) {
    case TDataBits::db5:
      return CS5;
    case TDataBits::db6:
      return CS6;
    case TDataBits::db7:
      return CS7;
    case TDataBits::db8:
      return CS8;
    default:
      return std::nullopt;
  }
}

void ApplyParity(termios& t, TParity parity) {
  t.c_cflag &= ~(PARENB | PARODD | CMSPAR);
  switch (parity) {
    case TParity::paOdd:
      t.c_cflag |= PARENB | PARODD;
      break;
    case TParity::paEven:
      t.c_cflag |= PARENB;
      break;
    case TParity::paMark:
      t.c_cflag |= PARENB | CMSPAR | PARODD;
      break;
    case TParity::paSpace:
      t.c_cflag |= PARENB | CMSPAR;
      break;
    default:
      break;
  }
}

void SetFlag(tcflag_t& flags, tcflag_t flag, bool on) {
  flags = on ? (flags | flag) : (flags & ~flag);
}

}  // namespace

int ApplyToTermios(termios& t, const LineSettings& s) {
  if (s.dtr == TDTRFlowControl::dcHandshake || s.rts == TRTSFlowControl::rcToggle) {
    return EINVAL;
  }
  t.c_iflag &= ~(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL);
  t.c_oflag &= ~OPOST;
  t.c_lflag &= ~(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
  t.c_cflag |= CREAD | CLOCAL;
  t.c_cc[VMIN] = 1;
  t.c_cc[VTIME] = 0;
  if (s.baudRate > 0) {
    const speed_t speed = SpeedFor(s.baudRate);
    if (speed == 0) {
      return EINVAL;
    }
    cfsetispeed(&t, speed);
    cfsetospeed(&t, speed);
  }
  if (s.dataBits != TDataBits::dbDefault) {
    const auto size = CharSize(s.dataBits);
    if (!size) {
      return EINVAL;
    }
    t.c_cflag = (t.c_cflag & ~CSIZE) | *size;
  }
  if (s.parity != TParity::paDefault) {
    ApplyParity(t, s.parity);
  }
  if (s.stopBits != TStopBits::sbDefault) {
    // With five data bits the line sends 1.5 stop bits for CSTOPB.
    SetFlag(t.c_cflag, CSTOPB, s.stopBits != TStopBits::sb1);
  }
  t.c_cc[VSTART] = s.xOnChar;
  t.c_cc[VSTOP] = s.xOffChar;
  if (s.xOnXOff != TXOnXOffFlowControl::xcDefault) {
    const bool in = s.xOnXOff == TXOnXOffFlowControl::xcInput ||
                    s.xOnXOff == TXOnXOffFlowControl::xcInputOutput;
    const bool out = s.xOnXOff == TXOnXOffFlowControl::xcOutput ||
                     s.xOnXOff == TXOnXOffFlowControl::xcInputOutput;
    SetFlag(t.c_iflag, IXON, out);
    SetFlag(t.c_iflag, IXOFF, in);
  }
  SetFlag(t.c_iflag, INPCK, (s.options & opCheckParity) != 0);
  SetFlag(t.c_cflag, CRTSCTS,
          (s.options & opOutputCTSFlow) != 0 || s.rts == TRTSFlowControl::rcHandshake);
  return 0;
}

}  // namespace vidideza
