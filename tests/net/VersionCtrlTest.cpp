// The version check against a local file and a loopback web server that
// answers, answers too much, or never answers.
#include <gtest/gtest.h>

#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <fstream>

#include "NetTestSupport.h"
#include "core/SendText.h"
#include "net/VersionCtrl.h"

namespace {

const QString kNewer = "Neuer.\nLaden?";
const QString kNone = "Es ist keine neuere Version verfügbar.";

class VersionCheck : public ::testing::Test {
 protected:
  void SetUp() override { EnsureApp(); }

  // A synchronous load of this document from a file.
  void LoadFile(const std::string& xml) {
    const QString name = dir.filePath("version.xml");
    std::ofstream(name.toStdString(), std::ios::binary) << xml;
    ctrl.XMLSource = name;
    ctrl.AsynchronLoad = false;
    ctrl.Load();
  }
  void Publish(const std::string& v, const std::string& more = "") {
    LoadFile("<?xml version=\"1.0\"?><Quorvent><Programs><Tamarik V=\"" + v + "\" " + more +
             "/></Programs></Quorvent>");
  }

  QTemporaryDir dir;
  TQvVersionCtrl ctrl;
};

TEST_F(VersionCheck, ComparesMajorMinorAndHexadecimalBuild) {
  const struct {
    const char* Published;
    const char* Own;
    bool Newer;
  } cases[] = {{"2.3.9114", "2.3.9113", true}, {"2.4.0", "2.3.9113", true}, {"1.9.0", "2.3.9113", false},
               {"2.3.10", "2.3.9", true},      {"2.3.9113", "2.3.9113", false}, {"2.3.A", "2.3.9", true}};
  for (const auto& c : cases) {
    Publish(c.Published);
    ASSERT_EQ(ctrl.Version(), c.Published) << ctrl.LastError().toStdString();
    EXPECT_EQ(ctrl.IsNewer(c.Own), c.Newer) << c.Published << " against " << c.Own;
  }
  EXPECT_EQ(ctrl.Build(), 0xA);
  Publish("2.3.XY");
  EXPECT_THROW(ctrl.IsNewer("2.3.9"), THexError);
}

TEST_F(VersionCheck, ElementNameInAnyCaseWithEveryAttribute) {
  LoadFile("<root><other V=\"9.9.9\"/><group><tAMARIK V=\"2.5.1\" DL=\"https://example.invalid/dl\" X=\"y\"/>"
           "</group></root>");
  EXPECT_EQ(ctrl.Version(), "2.5.1");
  EXPECT_EQ(ctrl.Major(), 2);
  EXPECT_EQ(ctrl.Minor(), 5);
  EXPECT_EQ(ctrl.GetAttr("X"), "y");
  EXPECT_EQ(ctrl.GetAttr("DH"), "");
  QString opened;
  ctrl.Opener = [&](const QString& address) {
    opened = address;
    return true;
  };
  EXPECT_FALSE(ctrl.OpenLink("DH"));
  EXPECT_TRUE(ctrl.OpenLink("DL"));
  EXPECT_EQ(opened, "https://example.invalid/dl");
}

TEST_F(VersionCheck, OfferTexts) {
  Publish("2.3.9113", "SH=\"4711\"");
  auto offer = EvaluateVersionOffer(ctrl, "V 2.3.9113", 4711, kNewer, kNone);
  ASSERT_TRUE(offer);
  EXPECT_EQ(offer->Message, kNone);  // text 1146

  offer = EvaluateVersionOffer(ctrl, "V 2.3.9113", 4000, kNewer, kNone);
  EXPECT_TRUE(offer->HelpNewer);
  EXPECT_FALSE(offer->ProgramNewer);
  EXPECT_EQ(offer->Message, kNewer);  // no version for the help alone

  Publish("2.3.9114", "SH=\"abc\"");
  offer = EvaluateVersionOffer(ctrl, "V 2.3.9113", 4711, kNewer, kNone);
  EXPECT_FALSE(offer->HelpNewer);
  EXPECT_EQ(offer->Message, "Neuer. (2.3.9114)\nLaden?");
}

TEST_F(VersionCheck, MalformedOrMissingFileGivesNoVersionAndSaysWhy) {
  LoadFile("<root><Tamarik V=\"3.0.0\"></root>");
  EXPECT_EQ(ctrl.LoadedVersion(), "");
  EXPECT_TRUE(ctrl.LastError().contains("not well-formed"));
  EXPECT_FALSE(EvaluateVersionOffer(ctrl, "V 2.3.9113", 0, kNewer, kNone));
  LoadFile("<root><Tamarik/></root>");  // the element is the document element only below it
  EXPECT_EQ(ctrl.LoadedVersion(), "");
  ctrl.XMLSource = dir.filePath("absent.xml");
  ctrl.Load();
  EXPECT_FALSE(ctrl.LastError().isEmpty());
}

// A loopback web server: answers with body, or never when body is null.
class TTinyServer : public QTcpServer {
 public:
  explicit TTinyServer(std::optional<QByteArray> body) : body_(std::move(body)) {
    connect(this, &QTcpServer::newConnection, this, [this] {
      while (QTcpSocket* s = nextPendingConnection()) {
        if (!body_) continue;  // keeps the connection and says nothing
        connect(s, &QTcpSocket::readyRead, s, [this, s] {
          s->readAll();
          s->write("HTTP/1.0 200 OK\r\nContent-Type: text/xml\r\n\r\n" + *body_);
          s->disconnectFromHost();
        });
      }
    });
    listen(QHostAddress::LocalHost);
  }
  QString Url() const { return QString("http://127.0.0.1:%1/version.xml").arg(serverPort()); }

 private:
  std::optional<QByteArray> body_;
};

TEST_F(VersionCheck, LoadsFromLoopbackServerInBackground) {
  TTinyServer server(QByteArray("<v><Tamarik V=\"2.4.0\" SH=\"1\"/></v>"));
  int ready = 0;
  QObject::connect(&ctrl, &TQvVersionCtrl::EventLoadReady, [&] { ++ready; });
  ctrl.XMLSource = server.Url();
  ctrl.Load();
  EXPECT_EQ(ctrl.LoadedVersion(), "");  // not yet: it loads in the background
  ASSERT_TRUE(TurnUntil([&] { return ready == 1; }));
  EXPECT_EQ(ctrl.LoadedVersion(), "2.4.0");
}

TEST_F(VersionCheck, SilentOrHugeServerEndsWithAMessage) {
  TTinyServer silent(std::nullopt);
  int ready = 0;
  QObject::connect(&ctrl, &TQvVersionCtrl::EventLoadReady, [&] { ++ready; });
  ctrl.TimeoutMs = 300;
  ctrl.XMLSource = silent.Url();
  ctrl.Load();
  ASSERT_TRUE(TurnUntil([&] { return ready == 1; }));
  EXPECT_EQ(ctrl.LoadedVersion(), "");
  EXPECT_FALSE(ctrl.LastError().isEmpty());

  TTinyServer huge(QByteArray("<v>") + QByteArray(4 << 20, ' ') + "<Tamarik V=\"9.0.0\"/></v>");
  ctrl.TimeoutMs = 20000;
  ctrl.SizeLimit = 64 << 10;
  ctrl.XMLSource = huge.Url();
  ctrl.Load();
  ASSERT_TRUE(TurnUntil([&] { return ready == 2; }));
  EXPECT_EQ(ctrl.LoadedVersion(), "");
  EXPECT_TRUE(ctrl.LastError().contains("larger than")) << ctrl.LastError().toStdString();
}

}  // namespace
