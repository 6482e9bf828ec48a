#include <gtest/gtest.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include "LogTestSupport.h"
#include "core/OnlineLog.h"

namespace {

TEST(LogDeviceName, SixCharactersOfComOrLptAndOneMore) {
  const auto com2 = ParseLogDeviceName("[COM2]");
  ASSERT_TRUE(com2);
  EXPECT_EQ(DefaultLogDevicePath(*com2), "/dev/ttyS1");
  const auto lpt1 = ParseLogDeviceName("[lpt1]");
  ASSERT_TRUE(lpt1);
  EXPECT_EQ(DefaultLogDevicePath(*lpt1), "/dev/lp0");
  EXPECT_FALSE(ParseLogDeviceName("[COM10]"));
  EXPECT_FALSE(ParseLogDeviceName("[COM2].txt"));
  EXPECT_FALSE(ParseLogDeviceName("[USB2]"));
  EXPECT_EQ(DefaultLogDevicePath(*ParseLogDeviceName("[COM0]")), "");
  EXPECT_EQ(DefaultLogDevicePath(*ParseLogDeviceName("[COMx]")), "");
}

class TPty {
 public:
  TPty() {
    char name[256] = {};
    if (openpty(&master, &slave, name, nullptr, nullptr) == 0) SlaveName = name;
  }
  ~TPty() {
    if (master >= 0) close(master);
    if (slave >= 0) close(slave);
  }
  std::string ReadMaster(std::size_t want) {
    std::string got;
    char buf[256];
    while (got.size() < want) {
      const ssize_t n = read(master, buf, sizeof buf);
      if (n <= 0) break;
      got.append(buf, static_cast<std::size_t>(n));
    }
    return got;
  }
  int master = -1, slave = -1;
  std::string SlaveName;
};

TEST(LogDevice, Com2OnAPseudoTerminalRunsAt9600N81AndPassesTextUnchanged) {
  TPty pty;
  ASSERT_FALSE(pty.SlaveName.empty());
  TLogHooks hooks;
  int asked = 0;
  hooks.AskYesNo = [&](std::string_view) { return ++asked, true; };
  hooks.DevicePath = [&](const TLogDeviceName& d) { return d.Com && d.Number == '2' ? pty.SlaveName : ""; };
  TOnlineLog log(hooks);
  log.SetFileChoice({"[COM2]", 2});
  ASSERT_TRUE(log.Start(lsUser));
  EXPECT_TRUE(log.LogDevice());
  EXPECT_FALSE(log.LogRtf()) << "a port gets plain text whatever the filter";
  EXPECT_EQ(asked, 0);

  termios tio{};
  ASSERT_EQ(tcgetattr(pty.slave, &tio), 0);
  EXPECT_EQ(cfgetospeed(&tio), static_cast<speed_t>(B9600));
  EXPECT_EQ(cfgetispeed(&tio), static_cast<speed_t>(B9600));
  EXPECT_EQ(tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
  EXPECT_EQ(tio.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
  EXPECT_EQ(tio.c_oflag & OPOST, 0u);

  log.WriteStreamData("a{b}\n", clRed, true);
  EXPECT_EQ(pty.ReadMaster(7), "a{b}\n\r\n");
  log.CloseOnlineFile();
  EXPECT_FALSE(log.LogDevice());
}

TEST(LogDevice, AMissingDeviceFailsLikeAFile) {
  TErrorCapture errors;
  int beeps = 0;
  TLogHooks hooks;
  hooks.Beep = [&] { ++beeps; };
  hooks.DevicePath = [](const TLogDeviceName&) { return std::string("/dev/no-such-tamarik-port"); };
  TOnlineLog log(hooks);
  log.SetFileChoice({"[COM3]", 1});
  EXPECT_FALSE(log.Start(lsRestore));
  EXPECT_FALSE(log.LogReady());
  EXPECT_EQ(beeps, 1);
  ASSERT_EQ(errors.Errors().size(), 1u);
  EXPECT_EQ(errors.Errors()[0].Location, "25");
}

}  // namespace
