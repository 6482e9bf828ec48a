// The port component over real pseudo-terminals: data, the send slot,
// line settings as the tty keeps them, failures.
#include <asm/termbits.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <memory>

#include "RecordingDevice.h"
#include "SerialTestUtil.h"
#include "serial/PortList.h"
#include "serial/PseudoTerminal.h"
#include "serial/Seriell.h"
#include "serial/TermiosSettings.h"

using namespace serial_test;

namespace {

std::string ReadMaster(int master, std::size_t want) {
  std::string got;
  WaitFor([&] {
    pollfd fd{master, POLLIN, 0};
    if (poll(&fd, 1, 10) > 0) {
      char buffer[256];
      const ssize_t n = ::read(master, buffer, sizeof buffer);
      if (n > 0) got.append(buffer, static_cast<std::size_t>(n));
    }
    return got.size() >= want;
  });
  return got;
}

class SerialPtyPort : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(line.Open(), 0); }

  TSeriell& MakePort(std::unique_ptr<TPortDevice> device = nullptr) {
    port = std::make_unique<TSeriell>(ring, std::move(device));
    port->SetDirection(dirPortB);
    port->IsPortB.store(true);
    port->SetFlowMode(fcNone);
    port->SetPort(line.SlaveName());
    return *port;
  }

  ReceiveRing ring;
  TPseudoTerminal line;
  std::unique_ptr<TSeriell> port;
};

}  // namespace

TEST_F(SerialPtyPort, TwoHundredBytesAtOnceArriveInOneReadSharingItsTimeStamp) {
  std::string sent;
  for (int i = 0; i < 200; ++i) sent.push_back(static_cast<char>(i));
  ASSERT_TRUE(line.WriteAll(sent.data(), sent.size()));
  // All 200 wait in the line before the port opens, so they come at once.
  ASSERT_TRUE(WaitFor([&] {
    int queued = 0;
    return ioctl(line.Slave(), FIONREAD, &queued) == 0 && queued == 200;
  }));
  auto device = std::make_unique<TRecordingDevice>();
  TRecordingDevice* recording = device.get();
  MakePort(std::move(device)).SetActive(true);
  ASSERT_TRUE(port->Opened());

  const auto records = TakeRecords(ring, 200);
  ASSERT_EQ(records.size(), 200u);
  for (int i = 0; i < 200; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(records[i].Count, 1);
    EXPECT_EQ(records[i].Data[0], static_cast<std::uint8_t>(i));
    EXPECT_EQ(records[i].Dir, dirPortB);
    EXPECT_EQ(records[i].RecType, rtSeriell);
    EXPECT_EQ(records[i].Ready, 1);
    EXPECT_EQ(records[i].LineFlags, 0);
    // They arrived together: no finer time than the read's is invented.
    EXPECT_EQ(records[i].Time, records[0].Time);
  }
  EXPECT_EQ(recording->ReadSizes(), (std::vector<std::size_t>{200}));
}

TEST_F(SerialPtyPort, DataHandedToAddTxOutLeavesThePortInOrder) {
  MakePort().SetActive(true);
  ASSERT_TRUE(port->Opened());
  std::string expected;
  for (int block = 0; block < 20; ++block) {
    std::string data = "block " + std::to_string(block) + ";";
    data.push_back(static_cast<char>(0xFF));
    ASSERT_TRUE(port->WaitCanAddTxOut(std::chrono::seconds(20)));
    port->AddTxOut(data);
    expected += data;
  }
  EXPECT_EQ(ReadMaster(line.Master(), expected.size()), expected);
}

TEST_F(SerialPtyPort, ChangedBaudRateReopensWithTheNewLineSettings) {
  auto device = std::make_unique<TRecordingDevice>();
  TRecordingDevice* recording = device.get();
  MakePort(std::move(device));
  port->SetBaudrate(115200);
  port->SetActive(true);
  ASSERT_EQ(recording->OpenCount(), 1);
  port->SetBaudrate(115200);
  EXPECT_EQ(recording->OpenCount(), 1);

  port->SetBaudrate(250000);  // no standard rate: BOTHER
  EXPECT_EQ(recording->OpenCount(), 2);
  ASSERT_TRUE(port->Opened());
  termios2 t{};
  ASSERT_EQ(ioctl(line.Slave(), TCGETS2, &t), 0);
  EXPECT_EQ(t.c_ospeed, 250000u);
  EXPECT_EQ(t.c_cflag & CBAUD, static_cast<tcflag_t>(BOTHER));
  EXPECT_EQ(t.c_cflag & (CSTOPB | CRTSCTS), 0u);
  EXPECT_EQ(t.c_iflag & (INPCK | PARMRK | IXON | ISTRIP | ICRNL), static_cast<tcflag_t>(INPCK | PARMRK));
  EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG), 0u);

  port->SetBaudrate(19200);
  port->SetParity(PaOdd);
  port->SetDataBits(d7bit);
  port->SetStopBits(st2bit);
  port->SetFlowMode(fcRTS_CTS);
  EXPECT_EQ(recording->OpenCount(), 7);
  ASSERT_EQ(ioctl(line.Slave(), TCGETS2, &t), 0);
  // A pseudo-terminal keeps all but the character size and parity enable.
  EXPECT_EQ(t.c_ospeed, 19200u);
  EXPECT_EQ(t.c_cflag & CBAUD, static_cast<tcflag_t>(B19200));
  EXPECT_EQ(t.c_cflag & (PARODD | CMSPAR | CSTOPB | CRTSCTS), static_cast<tcflag_t>(PARODD | CSTOPB | CRTSCTS));

  port->SetParity(paSpace);
  port->SetFlowMode(fcXON_XOF);
  ASSERT_EQ(ioctl(line.Slave(), TCGETS2, &t), 0);
  EXPECT_EQ(t.c_cflag & (PARODD | CMSPAR | CRTSCTS), static_cast<tcflag_t>(CMSPAR));
  EXPECT_EQ(t.c_iflag & (IXON | IXOFF), static_cast<tcflag_t>(IXON | IXOFF));
  EXPECT_EQ(t.c_cc[VSTART], 0x11);
  EXPECT_EQ(t.c_cc[VSTOP], 0x13);

  // Reopened ports still receive.
  ASSERT_TRUE(line.WriteAll("ok", 2));
  const auto records = TakeRecords(ring, 2);
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[1].Data[0], 'k');
}

TEST_F(SerialPtyPort, MissingPortStaysClosedWithErrorCodeReadOnce) {
  TReportCapture reports;
  MakePort().SetPort("ttyNoSuchPort99");
  port->SetActive(true);
  EXPECT_FALSE(port->Opened());
  EXPECT_EQ(port->ErrorCode(), ENOENT);
  EXPECT_EQ(port->ErrorCode(), 0);
  ASSERT_EQ(reports.Count(), 1u);
  EXPECT_EQ(reports.Reports()[0].Location, "23");
  EXPECT_NE(reports.Reports()[0].Message.find("ttyNoSuchPort99"), std::string::npos);
}

TEST_F(SerialPtyPort, SecondPortOnTheSameLineIsRefused) {
  MakePort().SetActive(true);
  ASSERT_TRUE(port->Opened());
  TReportCapture reports;
  TSeriell other(ring);
  other.SetPort(line.SlaveName());
  other.SetActive(true);
  EXPECT_FALSE(other.Opened());
  EXPECT_EQ(other.ErrorCode(), EBUSY);
}

TEST_F(SerialPtyPort, DataByteFFIsNeverTakenForAnErrorMark) {
  MakePort().SetActive(true);
  ASSERT_TRUE(port->Opened());
  const unsigned char bytes[] = {0xFF, 0x00, 0x41, 0xFF, 0xFF, 0x00, 0x00, 0xFF};
  ASSERT_TRUE(line.WriteAll(bytes, sizeof bytes));
  const auto records = TakeRecords(ring, sizeof bytes);
  ASSERT_EQ(records.size(), sizeof bytes);
  for (std::size_t i = 0; i < sizeof bytes; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(records[i].Count, 1);
    EXPECT_EQ(records[i].Data[0], bytes[i]);
    EXPECT_EQ(records[i].LineFlags, 0);
  }
}

TEST_F(SerialPtyPort, HungUpLineReportsOnceAndKeepsEarlierRecords) {
  TReportCapture reports;
  MakePort().SetActive(true);
  ASSERT_TRUE(port->Opened());
  ASSERT_TRUE(line.WriteAll("last words", 10));
  const auto before = TakeRecords(ring, 10);
  line.CloseMaster();
  ASSERT_TRUE(WaitFor([&] { return port->Lost(); }));
  ASSERT_EQ(before.size(), 10u);
  EXPECT_EQ(before[9].Data[0], 's');
  port->AddTxOut("into the void");
  EXPECT_TRUE(port->WaitCanAddTxOut(std::chrono::seconds(20)));
  port->SetActive(false);
  EXPECT_EQ(reports.Count(), 1u);
  EXPECT_TRUE(TakeRecords(ring).empty());
}

TEST_F(SerialPtyPort, TypedPseudoTerminalNameIsAddedToTheChoice) {
  std::vector<std::string> choice = {"ttyS0"};
  EXPECT_TRUE(AddPortIfPresent(choice, "/dev/" + line.SlaveName()));
  EXPECT_EQ(choice.back(), line.SlaveName());
  EXPECT_TRUE(AddPortIfPresent(choice, line.SlaveName()));
  EXPECT_EQ(choice.size(), 2u);
  EXPECT_FALSE(AddPortIfPresent(choice, "pts/999999"));
  EXPECT_FALSE(AddPortIfPresent(choice, "../etc/passwd"));
  EXPECT_EQ(choice.size(), 2u);
}

TEST(SerialTermiosSettings, SizeParityAndStopBitsAsTheLineWantsThem) {
  struct TCase {
    eDataBits Bits;
    eParity Parity;
    eStopBits Stop;
    tcflag_t Flags;
  };
  const TCase cases[] = {
      {d5bit, paNone, st1bit5, CS5 | CSTOPB},  // 1.5 stop bits: CSTOPB with five data bits
      {d6bit, paEven, st1bit, CS6 | PARENB},
      {d7bit, PaOdd, st2bit, CS7 | PARENB | PARODD | CSTOPB},
      {d8bit, paMark, st1bit, CS8 | PARENB | PARODD | CMSPAR},
      {d8bit, paSpace, st1bit, CS8 | PARENB | CMSPAR},
  };
  for (const TCase& c : cases) {
    TLineSettings s;
    s.DataBits = c.Bits;
    s.Parity = c.Parity;
    s.StopBits = c.Stop;
    s.FlowMode = fcNone;
    termios2 t{};
    t.c_iflag = ICRNL | ISTRIP;
    t.c_lflag = ICANON | ECHO;
    FillTermios(t, s);
    EXPECT_EQ(t.c_cflag & (CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS), c.Flags);
    EXPECT_EQ(t.c_cflag & (CREAD | CLOCAL), static_cast<tcflag_t>(CREAD | CLOCAL));
    EXPECT_EQ(t.c_iflag, static_cast<tcflag_t>(INPCK | PARMRK));
    EXPECT_EQ(t.c_lflag, 0u);
    EXPECT_EQ(t.c_cc[VMIN], 0);
    EXPECT_EQ(t.c_ospeed, 9600u);
    EXPECT_EQ(t.c_cflag & CBAUD, static_cast<tcflag_t>(B9600));
  }
}
