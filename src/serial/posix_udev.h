#pragma once

#include <map>
#include <memory>
#include <string>

struct udev;

namespace vidideza {

// udev's records of the tty devices, where udev runs: the properties its rules and hardware
// database gave a device. Where udev does not run (a container, an early boot), there are none.
class UdevRecords {
 public:
  UdevRecords();
  ~UdevRecords();
  UdevRecords(const UdevRecords&) = delete;
  UdevRecords& operator=(const UdevRecords&) = delete;

  // The properties of the tty of that name; empty when udev has no record of it.
  std::map<std::string, std::string> Properties(const std::string& ttyName) const;

 private:
  struct Unref {
    void operator()(udev* context) const;
  };
  std::unique_ptr<udev, Unref> context_;
};

}  // namespace vidideza
