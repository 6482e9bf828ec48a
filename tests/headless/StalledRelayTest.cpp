// The monitor in the line over two pseudo-terminals while the controller's
// end stops reading: the run still ends cleanly on SIGTERM.
#include <gtest/gtest.h>
#include <signal.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "ProgramRun.h"
#include "core/TempDir.h"
#include "serial/PseudoTerminal.h"

TEST(HeadlessRun, ARelayTargetThatTakesNothingDoesNotHoldTheClosing) {
  TPseudoTerminal pc, sps;
  ASSERT_EQ(pc.Open(), 0);
  ASSERT_EQ(sps.Open(), 0);
  TTempDir work;
  TProgramRun run(TamarikProgram(),
                  {"--headless", "--mode", "200", "--port-a", pc.SlaveName(), "--port-b", sps.SlaveName()},
                  work.Path().string());
  // Far more than the controller's line buffers: its end never reads.
  const std::string block(4096, 'x');
  for (int i = 0; i < 100; ++i) pc.WriteAll(block.data(), block.size(), 200);
  ASSERT_TRUE(run.WaitForOutput());  // the trace shows what came
  std::this_thread::sleep_for(std::chrono::milliseconds(300));

  run.Signal(SIGTERM);
  // A run that hangs is killed, which fails the test below.
  std::atomic<bool> finished{false};
  std::jthread watchdog([&](std::stop_token stop) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
    while (!stop.stop_requested() && !finished.load() && std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    if (!finished.load()) run.Signal(SIGKILL);
  });
  const TProgramResult result = run.Finish();
  finished = true;
  EXPECT_TRUE(result.Exited) << result.Err;
  EXPECT_EQ(result.ExitStatus, 0) << result.Err;
  EXPECT_NE(result.Err.find("not relayed: port B took no more data"), std::string::npos) << result.Err;
}
