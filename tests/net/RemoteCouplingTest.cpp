// Two instances in one test program, coupled over loopback: a capture
// instance forwards its ring's batches, a viewer takes them into its ring.
#include <gtest/gtest.h>

#include <QHostAddress>
#include <QTcpSocket>
#include <memory>

#include "core/AppFlags.h"
#include "core/TextIds.h"
#include "net/DynamicaIP.h"
#include "net/RemoteCoupling.h"
#include "core/ReceiveRing.h"
#include "core/RingTestSupport.h"
#include "NetTestSupport.h"
#include "core/TempDir.h"

namespace {

// One instance: its ring, its coupling, its lock folder shared with the other.
struct TInstance {
  TInstance(const std::string& lockFolder) : coupling(ring, lockFolder) {
    coupling.TcpSrv.PingIntervalMs = 0;
    coupling.TcpClnt.PingIntervalMs = 0;
  }
  ReceiveRing ring;
  TRemoteCoupling coupling;

  std::vector<TSeriellData> Taken() { return TakeCommittedRecords(ring); }
};

class RemoteCoupling : public ::testing::Test {
 protected:
  void SetUp() override {
    EnsureApp();
    settings.TCP_Bind = "127.0.0.1";
    settings.edIP = "127.0.0.1";
    settings.TCP_Port = FreeNumber();
  }
  void TearDown() override { TcpOff.store(false); }

  // A number nobody listens on now (the system's choice, freed again).
  static int FreeNumber() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
  }

  // The capture box in mode 200 listening, the viewer in mode 300 connected.
  void Couple(TInstance& box, TInstance& viewer) {
    box.coupling.Start(settings, false);
    box.coupling.SetWorkMode(200, true);
    viewer.coupling.Start(settings, false);
    viewer.coupling.SetWorkMode(300, true);
    ASSERT_TRUE(box.coupling.Listening());
    ASSERT_FALSE(viewer.coupling.Listening());
    viewer.coupling.ConnectTo(QString::fromStdString(settings.edIP));
    ASSERT_TRUE(TurnUntil([&] { return box.coupling.Peers().size() == 1 && viewer.coupling.TcpClnt.Registered(); }));
  }

  // Three bytes received by the box, forwarded as one batch.
  static void ForwardThree(TInstance& box) {
    for (int i = 0; i < 3; ++i) {
      TSeriellData r;
      r.Count = 1;
      r.Data[0] = static_cast<std::uint8_t>('x' + i);
      r.Dir = i == 1 ? dirPortB : dirPortA;
      box.ring.Put(r);
    }
    int start = 0;
    const int n = box.ring.ReadyBatch(start);
    box.coupling.Forward(box.ring, start, n);
    box.ring.Release(n);
  }

  TTempDir locks;
  TCouplingSettings settings;
};

}  // namespace

TEST_F(RemoteCoupling, FirstInstanceListensTheSecondConnectsAndGetsTheBatchInOrder) {
  TInstance box(locks.Path().string()), viewer(locks.Path().string());
  Couple(box, viewer);
  // The box itself never connects to its own server.
  box.coupling.ConnectTo(QStringLiteral("127.0.0.1"));
  EXPECT_FALSE(box.coupling.TcpClnt.Link());

  ForwardThree(box);
  std::vector<TSeriellData> got;
  ASSERT_TRUE(TurnUntil([&] {
    for (const TSeriellData& r : viewer.Taken()) got.push_back(r);
    return got.size() >= 3;
  }));
  ASSERT_EQ(got.size(), 3u);
  EXPECT_EQ(got[0].Data[0], 'x');
  EXPECT_EQ(got[1].Data[0], 'y');
  EXPECT_EQ(got[1].Dir, dirPortB);
  EXPECT_EQ(got[2].Data[0], 'z');
  EXPECT_EQ(viewer.coupling.ReceivedRecords(), 3u);
  // The viewer does not send the box's data back.
  int start = 0;
  viewer.ring.Put(TSeriellData{});
  viewer.coupling.Forward(viewer.ring, viewer.ring.ReadIndex(), viewer.ring.ReadyBatch(start));
  EXPECT_EQ(viewer.coupling.ForwardedRecords(), 0u);
}

TEST_F(RemoteCoupling, SwitchedOffNothingIsSentWhileAViewerIsConnected) {
  TInstance box(locks.Path().string()), viewer(locks.Path().string());
  Couple(box, viewer);
  TcpOff.store(true);
  ForwardThree(box);
  TurnFor(100);
  EXPECT_TRUE(viewer.Taken().empty());
  EXPECT_EQ(box.coupling.ForwardedRecords(), 0u);

  TInstance off(locks.Path().string());
  settings.TCP_Port = FreeNumber();
  off.coupling.Start(settings, true);
  EXPECT_FALSE(off.coupling.Listening());
}

TEST_F(RemoteCoupling, AnAddressOutsideTheAllowedNetworksIsRefusedAndReportedOnce) {
  TReportCatcher reports;
  settings.TCP_Allow = "10.0.0.0/8; 192.168.77.5";
  TInstance box(locks.Path().string()), viewer(locks.Path().string());
  box.coupling.Start(settings, false);
  box.coupling.SetWorkMode(200, true);
  for (int i = 0; i < 2; ++i) {
    QTcpSocket peer;
    peer.connectToHost(QHostAddress::LocalHost, static_cast<quint16>(settings.TCP_Port));
    ASSERT_TRUE(TurnUntil([&] { return peer.state() == QAbstractSocket::UnconnectedState; }));
    EXPECT_EQ(peer.bytesAvailable(), 0);  // not even asked to register
  }
  EXPECT_TRUE(box.coupling.Peers().isEmpty());
  int refused = 0;
  for (const std::string& m : reports.Messages) refused += m.find("127.0.0.1") != std::string::npos;
  EXPECT_EQ(refused, 1);

  // By default this machine may connect.
  TInstance box2(locks.Path().string());
  settings.TCP_Allow.clear();
  settings.TCP_Port = FreeNumber();
  box2.coupling.Start(settings, false);
  viewer.coupling.Start(settings, false);
  viewer.coupling.SetWorkMode(300, true);
  viewer.coupling.ConnectTo(QStringLiteral("127.0.0.1"));
  EXPECT_TRUE(TurnUntil([&] { return box2.coupling.Peers().size() == 1; }));
}

TEST_F(RemoteCoupling, MalformedMessagesAreDroppedAndTheConnectionStays) {
  TInstance box(locks.Path().string()), viewer(locks.Path().string());
  Couple(box, viewer);
  std::vector<std::uint8_t> packet;
  TCouplingWriter writer;
  std::vector<TSeriellData> two(2);
  writer.AppendPacket(packet, 200, two);
  std::vector<std::uint8_t> notZero = packet, badCount = packet;
  notZero[kPacketHeaderSize + 4] = 1;
  PutU32(&badCount[kPacketHeaderSize + 16], 20001);
  for (const auto* bytes : {&notZero, &badCount})
    box.coupling.TcpSrv.SendRawToRegistered(
        QByteArray(reinterpret_cast<const char*>(bytes->data()), static_cast<qsizetype>(bytes->size())));
  box.coupling.TcpSrv.SendMessage("");
  ForwardThree(box);
  std::vector<TSeriellData> got;
  ASSERT_TRUE(TurnUntil([&] {
    for (const TSeriellData& r : viewer.Taken()) got.push_back(r);
    return got.size() >= 3;
  }));
  TurnFor(30);
  EXPECT_EQ(got.size(), 3u);
  EXPECT_EQ(got[0].Data[0], 'x');
}

TEST_F(RemoteCoupling, AFullViewerHoldsThePeerBackInsteadOfLosing) {
  TInstance box(locks.Path().string()), viewer(locks.Path().string());
  Couple(box, viewer);
  // Fill the viewer's ring to one free slot.
  for (int i = 0; i < ReceiveRing::Size - 1; ++i) viewer.ring.Put(TSeriellData{});
  ForwardThree(box);
  ASSERT_TRUE(TurnUntil([&] { return viewer.coupling.ReceivedRecords() == 1; }));
  TurnFor(30);
  EXPECT_EQ(viewer.coupling.ReceivedRecords(), 1u);
  EXPECT_EQ(viewer.ring.FreeSlots(), 0);
  std::vector<TSeriellData> all = viewer.Taken();
  ASSERT_TRUE(TurnUntil([&] {
    for (const TSeriellData& r : viewer.Taken()) all.push_back(r);
    return viewer.coupling.ReceivedRecords() == 3;
  }));
  for (const TSeriellData& r : viewer.Taken()) all.push_back(r);
  ASSERT_EQ(all.size(), static_cast<std::size_t>(ReceiveRing::Size + 2));
  EXPECT_EQ(all[ReceiveRing::Size - 1].Data[0], 'x');
  EXPECT_EQ(all.back().Data[0], 'z');
  EXPECT_EQ(viewer.ring.LostTotal(), 0u);
}

TEST(CouplingSettings, LowOrOutOfRangeNumbersBecomeTheDefault) {
  EXPECT_EQ(CouplingPort(80), 5839);
  EXPECT_EQ(CouplingPort(999), 5839);
  EXPECT_EQ(CouplingPort(70000), 5839);
  EXPECT_EQ(CouplingPort(1000), 1000);
}

TEST(CouplingLock, OnlyTheFirstHolderPerNumber) {
  TTempDir dir;
  TPortLock first(dir.Path().string()), second(dir.Path().string());
  EXPECT_TRUE(first.Acquire(6001));
  EXPECT_FALSE(second.Acquire(6001));
  EXPECT_TRUE(second.Acquire(6002));
  first.Release();
  EXPECT_TRUE(second.Acquire(6001));
}

TEST(PeerFilter, AllowListAndDefault) {
  EnsureApp();
  TPeerFilter filter;
  filter.Set(QString());
  EXPECT_TRUE(filter.Allows(QHostAddress(QStringLiteral("127.0.0.1"))));
  EXPECT_TRUE(filter.Allows(QHostAddress(QStringLiteral("::ffff:127.0.0.1"))));
  EXPECT_FALSE(filter.Allows(QHostAddress(QStringLiteral("203.0.113.9"))));
  QStringList bad;
  filter.Set(QStringLiteral("10.0.0.0/8;192.168.1.7; nonsense"), &bad);
  EXPECT_EQ(bad, QStringList{QStringLiteral("nonsense")});
  EXPECT_TRUE(filter.Allows(QHostAddress(QStringLiteral("10.20.30.40"))));
  EXPECT_TRUE(filter.Allows(QHostAddress(QStringLiteral("192.168.1.7"))));
  EXPECT_FALSE(filter.Allows(QHostAddress(QStringLiteral("192.168.1.8"))));
  EXPECT_FALSE(filter.Allows(QHostAddress(QStringLiteral("127.0.0.1"))));
  // Nothing usable: this machine only, never everybody.
  filter.Set(QStringLiteral("nonsense"), &bad);
  EXPECT_TRUE(filter.Allows(QHostAddress(QStringLiteral("127.0.0.1"))));
  EXPECT_FALSE(filter.Allows(QHostAddress(QStringLiteral("10.1.1.1"))));
}
