// A plug-in whose answers the test sets beforehand. Built several times with
// another version text or without an export.
#define TAMARIK_PLUGIN_DECLARE_EXPORTS
#include "TamarikPlugIn.h"

#include <cstring>
#include <deque>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

#ifndef TEST_VERSION
#define TEST_VERSION "3.0"
#endif

namespace {
struct TReply {
  std::int32_t Result;
  std::string Text;
  std::uint32_t Colour;
  std::int32_t Interval;
};

std::mutex lock;
std::deque<TReply> recordReplies;
std::deque<TReply> timerReplies;
TReply timerDefault{0, "", 0, 0};
std::vector<TPlugInRecord> seen;
int nullCalls = 0;
bool throwNext = false;
// Exactly as long as the text, so that a read past its zero is caught.
std::unique_ptr<char[]> lastText;

[[maybe_unused]] const char* Keep(const std::string& text) {
  lastText = std::make_unique<char[]>(text.size() + 1);
  std::memcpy(lastText.get(), text.c_str(), text.size() + 1);
  return lastText.get();
}
}  // namespace

TAMARIK_PLUGIN_EXPORT void TestReset() {
  std::lock_guard guard(lock);
  recordReplies.clear();
  timerReplies.clear();
  timerDefault = {0, "", 0, 0};
  seen.clear();
  nullCalls = 0;
  throwNext = false;
}

TAMARIK_PLUGIN_EXPORT void TestReply(int forTimer, std::int32_t result, const char* text, std::uint32_t colour,
                                     std::int32_t interval) {
  std::lock_guard guard(lock);
  (forTimer ? timerReplies : recordReplies).push_back({result, text, colour, interval});
}

// What every timer call answers once its queue is empty.
TAMARIK_PLUGIN_EXPORT void TestTimerDefault(std::int32_t result, const char* text, std::int32_t interval) {
  std::lock_guard guard(lock);
  timerDefault = {result, text, 0, interval};
}

TAMARIK_PLUGIN_EXPORT void TestThrowNext() {
  std::lock_guard guard(lock);
  throwNext = true;
}

TAMARIK_PLUGIN_EXPORT int TestNullCalls() {
  std::lock_guard guard(lock);
  return nullCalls;
}

TAMARIK_PLUGIN_EXPORT int TestSeen(TPlugInRecord* records, int max) {
  std::lock_guard guard(lock);
  const int n = static_cast<int>(seen.size()) < max ? static_cast<int>(seen.size()) : max;
  for (int i = 0; i < n; ++i) records[i] = seen[static_cast<std::size_t>(i)];
  return static_cast<int>(seen.size());
}

TAMARIK_PLUGIN_EXPORT std::int32_t Tamarik(const char** version) {
  *version = TEST_VERSION;
  return static_cast<std::int32_t>(std::strlen(TEST_VERSION));
}

TAMARIK_PLUGIN_EXPORT std::int32_t PlugInType(const char** name) {
  *name = "Scripted";
  return 8;
}

#ifndef TEST_NO_PARAMGET
TAMARIK_PLUGIN_EXPORT std::uint8_t ParamGet(const char** caption) {
  *caption = "Einstellen";
  return 1;
}
#endif

#ifndef TEST_NO_CONVERT
TAMARIK_PLUGIN_EXPORT std::int32_t Convert(const TPlugInRecord* record, std::uint32_t* colour, std::int32_t* interval,
                                           const char** text) {
  std::lock_guard guard(lock);
  if (throwNext) {
    throwNext = false;
    throw std::runtime_error("scripted failure");
  }
  TReply reply;
  if (record) {
    seen.push_back(*record);
    if (recordReplies.empty()) return 0;
    reply = recordReplies.front();
    recordReplies.pop_front();
  } else {
    ++nullCalls;
    if (timerReplies.empty()) {
      reply = timerDefault;
    } else {
      reply = timerReplies.front();
      timerReplies.pop_front();
    }
  }
  *colour = reply.Colour;
  *interval = reply.Interval;
  *text = Keep(reply.Text);
  return reply.Result;
}
#endif
