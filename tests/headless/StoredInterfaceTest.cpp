// The terminal front end started from a settings file that puts the monitor
// in the line between two pseudo-terminals: it opens both ports without being
// told on the command line, relays and traces both directions, and leaves no
// thread or descriptor behind.
#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <thread>

#include "../core/TempDir.h"
#include "core/Startup.h"
#include "headless/HeadlessApp.h"
#include "serial/PseudoTerminal.h"

namespace {

using namespace std::chrono_literals;

std::size_t CountEntries(const char* dir) {
  std::size_t n = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir)) ++n;
  return n;
}

bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds limit = 20s) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(5ms);
  }
  return true;
}

// Collects what arrives at a master until want is in it.
// One look at what arrived within a short wait.
bool ReadNow(int fd, std::string& got, const std::string& want, int waitMs = 10) {
  char buffer[256];
  pollfd p{fd, POLLIN, 0};
  if (poll(&p, 1, waitMs) > 0 && (p.revents & POLLIN) != 0) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n > 0) got.append(buffer, static_cast<std::size_t>(n));
  }
  return got.find(want) != std::string::npos;
}

bool ReadUntil(int fd, std::string& got, const std::string& want) {
  return WaitUntil([&] { return ReadNow(fd, got, want); });
}

std::string Ini(const std::string& portA, const std::string& portB) {
  return "[Programm]\nVersion=V 2.3.2700\n"
         "[FrmMain]\nrgrpA_Checked=0\nrgrpE_Checked=1\nchkTextBegin_Checked=1\nchkDatenAend_Checked=1\n"
         "grpSSA_ItemIndex_S=" + portA + "\ngrpSSB_ItemIndex_S=/dev/" + portB + "\n"
         "[PortAB]\nppSSABaudrate=12\nppSSADataBits=3\nppSSBBaudrate=12\nppSSBDataBits=3\n";
}

TEST(StoredInterfaceTest, ModeInTheLineFromTheSettingsFileRelaysAndCleansUp) {
  const std::size_t fdsBefore = CountEntries("/proc/self/fd");
  const std::size_t tasksBefore = CountEntries("/proc/self/task");
  {
    TPseudoTerminal pc, sps;
    ASSERT_EQ(pc.Open(), 0);
    ASSERT_EQ(sps.Open(), 0);
    TTempDir dir;
    TTempDir::Write(dir.File("Tamarik.ini"), Ini(pc.SlaveName(), sps.SlaveName()));
    std::string trace;
    {
      TStartup startup({{}, dir.Path().string(), ""});
      THeadlessOptions options;
      options.RunSeconds = 0;
      UseStoredInterface(startup, false, options);
      ASSERT_TRUE(options.Stored.has_value());
      EXPECT_FALSE(options.Demo);
      EXPECT_EQ(options.Stored->WorkMode, 200);
      EXPECT_EQ(options.Stored->PortB, sps.SlaveName()) << "/dev/ in front is dropped";
      UseStoredTraceSettings(startup, options);

      THeadlessApp app(options);
      testing::internal::CaptureStdout();
      int rc = -1;
      std::thread runner([&] { rc = app.Run(); });
      std::string atSps, atPc;
      // The monitor opens the ports only once it runs (and drops what came
      // before): write again until relayed, looking briefly each time.
      const bool toSps = WaitUntil([&] {
        pc.WriteAll("hello PLC\n", 10);
        return ReadNow(sps.Master(), atSps, "hello PLC", 200);
      });
      sps.WriteAll("answer PC\n", 10);
      const bool toPc = ReadUntil(pc.Master(), atPc, "answer PC");
      std::this_thread::sleep_for(200ms);  // let the trace drain once more
      std::raise(SIGINT);
      runner.join();
      trace = testing::internal::GetCapturedStdout();
      EXPECT_TRUE(toSps) << atSps;
      EXPECT_TRUE(toPc) << atPc;
      EXPECT_EQ(rc, 0);
    }
    EXPECT_NE(trace.find("von PC : hello[ ]PLC"), std::string::npos) << trace;
    EXPECT_NE(trace.find("von SPS : answer[ ]PC"), std::string::npos) << trace;
  }
  // ThreadSanitizer starts a helper thread of its own on first need.
#if defined(__SANITIZE_THREAD__)
  constexpr std::size_t kSanitizerThreads = 1;
#else
  constexpr std::size_t kSanitizerThreads = 0;
#endif
  EXPECT_TRUE(WaitUntil([&] { return CountEntries("/proc/self/task") <= tasksBefore + kSanitizerThreads; }, 5s))
      << CountEntries("/proc/self/task") << " threads, " << tasksBefore << " before";
  EXPECT_EQ(CountEntries("/proc/self/fd"), fdsBefore);
}

TEST(StoredInterfaceTest, NoStoredPortOrCommandLinePortsKeepTheDemo) {
  TTempDir dir;
  TTempDir::Write(dir.File("Tamarik.ini"), "[FrmMain]\nrgrpE_Checked=1\n");
  TStartup startup({{}, dir.Path().string(), ""});
  THeadlessOptions options;
  UseStoredInterface(startup, false, options);
  EXPECT_FALSE(options.Stored.has_value());
  EXPECT_TRUE(options.Demo);
  TTempDir::Write(dir.File("Tamarik.ini"), Ini("pts/0", "pts/1"));
  TStartup again({{}, dir.Path().string(), ""});
  THeadlessOptions fromCommandLine;
  fromCommandLine.PortA = "ttyUSB7";
  fromCommandLine.Demo = false;
  UseStoredInterface(again, false, fromCommandLine);
  EXPECT_FALSE(fromCommandLine.Stored.has_value()) << "command-line ports win";
  THeadlessOptions demo;
  UseStoredInterface(again, true, demo);
  EXPECT_FALSE(demo.Stored.has_value()) << "--demo wins";
}

}  // namespace
