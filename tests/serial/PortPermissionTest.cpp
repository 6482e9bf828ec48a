// A port that may not be opened says which group the user must join.
#include <gtest/gtest.h>

#include <cerrno>
#include <memory>
#include <string>
#include <vector>

#include "core/ErrorReport.h"
#include "serial/PortDevice.h"
#include "serial/PortPermission.h"
#include "core/ReceiveRing.h"
#include "serial/Seriell.h"

namespace {

// A device that never opens, with the given error.
class TRefusingDevice final : public TPortDevice {
 public:
  explicit TRefusingDevice(int error) : error_(error) {}
  int Open(const std::string&) override { return error_; }
  int Close() override { return 0; }
  bool IsOpen() const override { return false; }
  int Configure(const TLineSettings&) override { return EBADF; }
  int Purge() override { return EBADF; }
  unsigned WaitEvent(int& error) override { return error = EBADF, 0u; }
  void ReleaseWaits() override {}
  int Read(std::uint8_t*, std::size_t, std::size_t& got) override { return got = 0, EBADF; }
  int Write(std::uint8_t, int) override { return EBADF; }
  int OutputPending(bool& pending) override { return pending = false, EBADF; }
  int GetModemLines(unsigned& lines) override { return lines = 0, EBADF; }
  int SetModemLine(unsigned, bool) override { return EBADF; }
  int SetBreak(bool) override { return EBADF; }
  int GetCounters(TLineCounters&) override { return EBADF; }

 private:
  int error_;
};

std::vector<std::string> OpenReports(int error) {
  std::vector<std::string> reports;
  SetErrorReporter([&](const std::string& location, const std::string& message) {
    reports.push_back(location + "/" + message);
  });
  ReceiveRing ring;
  TSeriell port(ring, std::make_unique<TRefusingDevice>(error));
  port.SetPort("ttyUSB7");
  port.SetActive(true);
  EXPECT_FALSE(port.Opened());
  SetErrorReporter(nullptr);
  return reports;
}

}  // namespace

TEST(PortPermission, ARefusedOpenNamesTheGroupAndHowToJoinIt) {
  const std::vector<std::string> reports = OpenReports(EACCES);
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_NE(reports[0].find("23/Port ttyUSB7 (open)"), std::string::npos) << reports[0];
  EXPECT_NE(reports[0].find("'dialout'"), std::string::npos) << reports[0];  // no such device: Debian's group
  EXPECT_NE(reports[0].find("sudo adduser $USER dialout"), std::string::npos) << reports[0];

  const std::vector<std::string> missing = OpenReports(ENOENT);
  ASSERT_EQ(missing.size(), 1u);
  EXPECT_EQ(missing[0].find("adduser"), std::string::npos) << "only a refusal gets the hint";
}

TEST(PortPermission, TheGroupIsTheDevicesOwn) {
  // /dev/null belongs to group root on every Linux system.
  EXPECT_NE(PortPermissionHint("/dev/null").find("group 'root'"), std::string::npos);
}
