// Two runs of the terminal front end on one machine, coupled over loopback:
// the box sits in the line between two pseudo-terminals, the viewer runs in
// mode 300 and prints what the box receives.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>

#include "ProgramRun.h"
#include "core/TempDir.h"
#include "serial/PseudoTerminal.h"

namespace {

// A loopback port nobody listens on now (the system's choice, freed again).
int FreeNumber() {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  ::close(fd);
  return ntohs(address.sin_port);
}

// Loopback only, whatever the defaults.
void WriteIni(const TTempDir& dir, int port) {
  TTempDir::Write(dir.File("Tamarik.ini"), "[FrmMain]\nTCP_Bind=127.0.0.1\nTCP_Port=" + std::to_string(port) + "\n");
}

// True once something listens on the loopback port (the box is up).
bool WaitForListener(int port) {
  for (int i = 0; i < 400; ++i) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    const bool up = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    if (up) return true;
    ::usleep(25'000);
  }
  return false;
}

}  // namespace

TEST(CouplingRun, ViewerInModeThreeHundredPrintsWhatTheBoxReceives) {
  TTempDir locks, boxDir, viewerDir;
  // Both runs look for the port's lock in one folder of this test.
  ::setenv("XDG_RUNTIME_DIR", locks.Path().c_str(), 1);
  const int port = FreeNumber();
  WriteIni(boxDir, port);
  WriteIni(viewerDir, port);
  TPseudoTerminal lineA, lineB;
  ASSERT_EQ(lineA.Open(), 0);
  ASSERT_EQ(lineB.Open(), 0);

  TProgramRun box(TamarikProgram(),
                  {"--headless", "--mode", "200", "--port-a", lineA.SlaveName(), "--port-b", lineB.SlaveName(),
                   "--seconds", "8"},
                  boxDir.Path().string());
  // Started second, the viewer finds the box listening and connects to it.
  ASSERT_TRUE(WaitForListener(port));
  TProgramRun viewer(TamarikProgram(), {"--headless", "--mode", "300", "--peer", "127.0.0.1", "--seconds", "6"},
                     viewerDir.Path().string());
  // The viewer announces the box when it has registered there.
  ASSERT_TRUE(viewer.WaitForOutput());
  const std::string bytes = "coupled-over-tcp";
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(lineA.WriteAll(bytes.data(), bytes.size()));
  const TProgramResult seen = viewer.Finish();
  const TProgramResult boxResult = box.Finish();
  ::unsetenv("XDG_RUNTIME_DIR");
  EXPECT_EQ(seen.ExitStatus, 0) << seen.Err;
  EXPECT_EQ(boxResult.ExitStatus, 0) << boxResult.Err;
  EXPECT_NE(seen.Out.find("127.0.0.1"), std::string::npos) << seen.Out;
  EXPECT_NE(seen.Out.find(bytes), std::string::npos) << seen.Out;
  EXPECT_NE(boxResult.Out.find(bytes), std::string::npos);
}
