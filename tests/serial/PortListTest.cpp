#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "serial/PortList.h"

namespace fs = std::filesystem;

namespace {

class PortList : public ::testing::Test {
 protected:
  void SetUp() override {
    char name[] = "/tmp/tamarik-portlist-XXXXXX";
    ASSERT_NE(mkdtemp(name), nullptr);
    root = name;
    fs::create_directories(root / "sys");
    fs::create_directories(root / "dev" / "serial" / "by-id");
  }
  void TearDown() override { fs::remove_all(root); }

  void Tty(const std::string& name, bool device, int type = -1) {
    const fs::path dir = root / "sys" / name;
    fs::create_directories(dir);
    if (device) fs::create_directories(dir / "device");
    if (type >= 0) std::ofstream(dir / "type") << type << "\n";
  }

  fs::path root;
};

}  // namespace

TEST_F(PortList, RealPortsOnlyInNaturalOrderWithStableNamesWherePresent) {
  Tty("tty0", false);
  Tty("console", false);
  Tty("ttyS0", true, 4);
  Tty("ttyS1", true, 0);  // a UART slot without a chip
  Tty("ttyS10", true, 4);
  Tty("ttyS2", true, 4);
  Tty("ttyUSB0", true);
  Tty("ttyACM0", true);
  fs::create_symlink("../../ttyUSB0", root / "dev" / "serial" / "by-id" / "usb-Maker_Cable_123-if00-port0");

  const auto ports = ListSerialPorts((root / "sys").string(), (root / "dev").string());
  std::vector<std::string> names;
  for (const TPortInfo& p : ports) names.push_back(p.Name());
  EXPECT_EQ(names, (std::vector<std::string>{"ttyACM0", "ttyS0", "ttyS2", "ttyS10",
                                             "serial/by-id/usb-Maker_Cable_123-if00-port0"}));
  EXPECT_EQ(ports.back().Kernel, "ttyUSB0");
}

TEST_F(PortList, NoPortsAndNoFoldersGiveAnEmptyList) {
  EXPECT_TRUE(ListSerialPorts((root / "sys").string(), (root / "dev").string()).empty());
  EXPECT_TRUE(ListSerialPorts((root / "missing").string(), (root / "missing").string()).empty());
  EXPECT_EQ(PortNameBelowDev("/dev/pts/3"), "pts/3");
  EXPECT_EQ(PortNameBelowDev("ttyUSB0"), "ttyUSB0");
}
