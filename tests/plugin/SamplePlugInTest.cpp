// The sample plug-in as shipped: its own argument lists, the CAN line, and
// the host turning it down.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cctype>

#include "core/PipelineFixture.h"
#include "plugin/PlugInHost.h"

namespace {
#pragma pack(push, 1)
struct TCanRecord {
  std::int32_t Kind;
  std::int32_t Ident;
  std::uint8_t Reserved[4];
  std::int32_t Count;
  std::uint8_t Data[8];
};
#pragma pack(pop)

// The length of "t:<seconds>.<3 digits> " at the start, 0 when it is not there.
std::size_t TimePrefixLength(const std::string& line) {
  const auto digits = [&line](std::size_t from) {
    std::size_t at = from;
    while (at < line.size() && std::isdigit(static_cast<unsigned char>(line[at]))) ++at;
    return at - from;
  };
  if (line.rfind("t:", 0) != 0) return 0;
  const std::size_t seconds = digits(2);
  const std::size_t dot = 2 + seconds;
  if (seconds == 0 || dot >= line.size() || line[dot] != '.' || digits(dot + 1) != 3) return 0;
  const std::size_t blank = dot + 4;
  return blank < line.size() && line[blank] == ' ' ? blank + 1 : 0;
}

class SamplePlugInTest : public ::testing::Test {
 protected:
  void SetUp() override {
    handle = ::dlopen(TAMARIK_SAMPLE_PLUGIN, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(handle, nullptr) << ::dlerror();
    tamarik = reinterpret_cast<decltype(tamarik)>(::dlsym(handle, "Tamarik"));
    convert = reinterpret_cast<decltype(convert)>(::dlsym(handle, "Convert"));
    convertCan = reinterpret_cast<decltype(convertCan)>(::dlsym(handle, "ConvertCAN"));
    ASSERT_TRUE(tamarik && convert && convertCan);
  }
  void TearDown() override {
    if (handle) ::dlclose(handle);
  }
  // The line without its time prefix, which is checked on its own.
  std::string CanLine(TCanRecord record, const char* input = "") {
    const char* out = nullptr;
    const std::int32_t length = convertCan(&record, input, &out, 0);
    const std::string line(out, static_cast<std::size_t>(length));
    const std::size_t end = TimePrefixLength(line);
    EXPECT_NE(end, 0u) << line;
    return line.substr(end);
  }
  // The frame counter the next frame shows.
  std::string NextCounter() {
    const std::string line = CanLine({1, 0, {}, 0, {}});
    const unsigned shown = std::stoul(line.substr(line.find("n:") + 2, 4), nullptr, 16);
    char hex[8];
    std::snprintf(hex, sizeof hex, "%04X", (shown + 1) & 0xFFFF);
    return hex;
  }

  void* handle = nullptr;
  std::int32_t (*tamarik)(const char**) = nullptr;
  std::int32_t (*convert)(std::int32_t, std::uint8_t, const char*, const char**, std::uint32_t*) = nullptr;
  std::int32_t (*convertCan)(const TCanRecord*, const char*, const char**, std::int32_t) = nullptr;
};
}  // namespace

TEST_F(SamplePlugInTest, ConvertPassesTheTextAndMapsTheColour) {
  const char* out = nullptr;
  std::uint32_t colour = 0x0000FF;
  EXPECT_EQ(convert(0, 4, "abc", &out, &colour), 0);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(colour, 0x0000FFu);
  EXPECT_EQ(convert(0, 1, "abc", &out, &colour), 3);
  EXPECT_STREQ(out, "abc");
  EXPECT_EQ(colour, 0xFF0000u);
  colour = 0x123456;
  EXPECT_EQ(convert(0, 2, "", &out, &colour), 0);
  EXPECT_EQ(colour, 0x123456u);
}

TEST_F(SamplePlugInTest, CanFramesAsTheExampleShowsThem) {
  const std::string counter = NextCounter();
  EXPECT_EQ(CanLine({1, 0x123, {}, 2, {0x01, 0xAB}}),
            "--- PD0, id=123, s=2, d= 1 AB " + std::string(18, ' ') + " n:" + counter + " bl:0  f:0\r\n");
  EXPECT_NE(CanLine({2, 0x1F, {}, 1, {0x0A}}).find("id=1F, s=1, d= A "), std::string::npos);
  EXPECT_NE(CanLine({1, 0x1F, {}, 0, {}}).find("id=01F, s=0"), std::string::npos);
  // A count beyond eight reads no further than the eight bytes.
  EXPECT_NE(CanLine({2, 0, {}, 200, {}}).find("id=0, s=200, d= 0  0  0  0  0  0  0  0  n:"), std::string::npos);
}

TEST_F(SamplePlugInTest, PlainTextKeepsTheFrameCounter) {
  const std::string counter = NextCounter();
  EXPECT_EQ(CanLine({3, 0, {}, 0, {}}, "hallo"), "hallo");
  EXPECT_NE(CanLine({1, 0, {}, 0, {}}).find("n:" + counter), std::string::npos);
}

class SampleInHostTest : public PipelineTest {};

TEST_F(SampleInHostTest, HostTurnsItDown) {
  TPlugInHost host(pipeline, "");
  EXPECT_TRUE(host.PlugInLoadDLL(TAMARIK_SAMPLE_PLUGIN));  // its exports are all there
  EXPECT_EQ(host.PlugInTamarik(), "0.0.3706");
  EXPECT_EQ(host.ParamCaption(), "DLL-Test-Parameter");
  EXPECT_FALSE(host.Activate(TAMARIK_SAMPLE_PLUGIN));
  EXPECT_FALSE(host.Loaded());
}
