// "--demo can" as a user starts it: the emulated box's CAN image shows the
// bus's frames, the remote frame, the error frame and the lost frames.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ProgramRun.h"
#include "core/TempDir.h"

namespace {

TEST(HeadlessCanDemo, TheBusShowsItsFramesTheRemoteFrameAnErrorFrameAndTheLostFrames) {
  TTempDir work;
  TProgramRun run(TamarikProgram(), {"--headless", "--demo", "can", "--seconds", "8"}, work.Path().string());
  const TProgramResult result = run.Finish();
  ASSERT_EQ(result.ExitStatus, 0) << result.Err;
  const std::string& out = result.Out;
  EXPECT_EQ(out.rfind("Mode 440: USB \\\\.\\tamarik-emu-", 0), 0u) << out;
  EXPECT_NE(out.find("ID11:      100     DLC: 8 > "), std::string::npos) << out;
  EXPECT_NE(out.find("ID29: 18FEF100     DLC: 8 > "), std::string::npos) << out;
  EXPECT_NE(out.find("ID11:      321 RTR DLC: 2"), std::string::npos) << out;
  EXPECT_NE(out.find("Bus-Error RX: Stuff error in data field"), std::string::npos) << out;
  // The burst outran the held-up PC: the box says so, and the frame
  // numbers jump by the frames lost.
  std::vector<int> numbers;
  for (size_t at = out.find("No: "); at != std::string::npos; at = out.find("No: ", at + 1))
    numbers.push_back(std::stoi(out.substr(at + 4, 2), nullptr, 16));
  ASSERT_GT(numbers.size(), 50u) << out;
  int gaps = 0;
  for (size_t i = 1; i < numbers.size(); ++i)
    if (numbers[i] != (numbers[i - 1] + 1) % 256) ++gaps;
  EXPECT_GE(gaps, 1) << out;
  EXPECT_NE(out.find("Error - Buffer overflow!"), std::string::npos) << out;
  EXPECT_EQ(result.Err.find("3."), std::string::npos) << result.Err;
}

}  // namespace
