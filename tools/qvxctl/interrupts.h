#pragma once

namespace qvxctl {

// Ctrl-C and the requests to end from outside (SIGINT and SIGTERM; on Windows the console's
// Ctrl-C and Ctrl-Break), as a batch takes them while this object lives: the first asks it to
// begin no new unit and to let the one in flight end; a second asks it to stop at once. The
// requests are only counted here: the batch looks at the count as it goes.
class Interrupts {
 public:
  Interrupts();
  Interrupts(const Interrupts&) = delete;
  Interrupts& operator=(const Interrupts&) = delete;
  ~Interrupts();

  // The requests so far.
  int Count() const;
  // The status a program ended by the first request ends with: 128 and its signal's number,
  // 130 for Ctrl-C.
  int ExitStatus() const;
};

}  // namespace qvxctl
