#pragma once

#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

#include "app/traffic_log.h"

namespace qvxctl {

// The lines sent and received, as the window's response window shows them and its traffic log
// keeps them: printed on standard output as they come (unless the results go out as JSON at
// the end) and, with --log, appended to a log file, CR LF, as Test.log is written.
class Transcript {
 public:
  // logPath empty: no log file. Raises the log's EInOutError when it cannot be opened.
  Transcript(std::ostream& out, const std::string& logPath, bool printLines);
  Transcript(const Transcript&) = delete;
  Transcript& operator=(const Transcript&) = delete;
  ~Transcript();

  // A command line sent, without its line feed. Logged first, as the window does, so that it
  // stays in the log when sending then fails.
  void Sent(const std::string& line);
  // A reply line. A line feed inside a datagram's line starts its own "RCV: " line, so a unit
  // cannot make a line of its own making appear here.
  void Received(std::string_view line);

  const std::vector<std::string>& SentLines() const { return sent_; }
  const std::vector<std::string>& ReceivedLines() const { return received_; }

 private:
  void Emit(const std::string& text);

  std::ostream& out_;
  bool printLines_;
  vidideza::TrafficLog log_;
  std::vector<std::string> sent_;
  std::vector<std::string> received_;
};

}  // namespace qvxctl
