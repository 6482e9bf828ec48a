#include "PlugIn.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

#ifdef SAMPLE_WITH_QT
#include <QApplication>
#include <QMessageBox>
#include <QWidget>
#endif

namespace {
constexpr const char* kVersion = "0.0.3706";
constexpr const char* kType = "Test-PlugIn von Qv";
constexpr const char* kParamCaption = "DLL-Test-Parameter";

// Set when the library is loaded; the plug-in's clock counts from here.
std::chrono::steady_clock::time_point loadTime;
std::atomic<std::uint16_t> frameCounter{0};

__attribute__((constructor)) void OnLoad() {
  loadTime = std::chrono::steady_clock::now();
  frameCounter.store(0);
}

// Each thread keeps its own result, valid until its next call of the same export.
thread_local std::string canText;

void AppendHex(std::string& out, std::uint32_t value, int digits) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4) out += kDigits[(value >> shift) & 0xF];
}

std::string TimePrefix() {
  const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - loadTime);
  const long long ms = elapsed.count();
  char buffer[48];
  std::snprintf(buffer, sizeof buffer, "t:%lld.%03lld ", ms / 1000, ms % 1000);
  return buffer;
}
}  // namespace

SAMPLE_EXPORT std::int32_t Tamarik(const char** version) {
  *version = kVersion;
  return static_cast<std::int32_t>(std::strlen(kVersion));
}

SAMPLE_EXPORT std::int32_t PlugInType(const char** name) {
  *name = kType;
  return static_cast<std::int32_t>(std::strlen(kType));
}

SAMPLE_EXPORT std::uint8_t ParamGet(const char** caption) {
  *caption = kParamCaption;
  return 1;
}

// ownerWindow is the program's main window as QWidget::winId() gives it.
SAMPLE_EXPORT std::int32_t ParamSet(std::uintptr_t ownerWindow) {
  static constexpr const char* kText = "Parameteraufruf\n*Kein Parameter*";
#ifdef SAMPLE_WITH_QT
  if (qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr) {
    QWidget* owner = QWidget::find(static_cast<WId>(ownerWindow));
    return QMessageBox::information(owner, QStringLiteral("Tamarik"), QString::fromUtf8(kText)) == QMessageBox::Ok ? 1
                                                                                                                 : 0;
  }
#else
  (void)ownerWindow;
#endif
  std::fprintf(stderr, "Tamarik: %s\n", kText);
  return 1;
}

SAMPLE_EXPORT std::int32_t Convert(std::int32_t, std::uint8_t directionFlags, const char* input, const char** output,
                                   std::uint32_t* colour) {
  if ((directionFlags & 0x03) == 0) return 0;
  switch (*colour) {
    case 0x000000: *colour = 0x008000; break;
    case 0x000080: *colour = 0x800000; break;
    case 0x0000FF: *colour = 0xFF0000; break;
    case 0x808080: *colour = 0x00FF00; break;
    default: break;
  }
  *output = input;
  return input ? static_cast<std::int32_t>(std::strlen(input)) : 0;
}

SAMPLE_EXPORT std::int32_t ConvertCAN(const TSampleCanRecord* record, const char* input, const char** output,
                                      std::int32_t) {
  canText = TimePrefix();
  if (record->Kind > 2) {
    if (input) canText += input;
  } else {
    const std::uint16_t frame = static_cast<std::uint16_t>(frameCounter.fetch_add(1) + 1);
    canText += "--- PD0, id=";
    if (record->Kind == 2) {
      std::string digits;
      AppendHex(digits, static_cast<std::uint32_t>(record->Ident), 8);
      const std::size_t first = digits.find_first_not_of('0');
      canText += first == std::string::npos ? std::string("0") : digits.substr(first);
    } else {
      AppendHex(canText, static_cast<std::uint32_t>(record->Ident), 3);
    }
    // A count beyond the eight data bytes is not read past them.
    const int count = record->Count < 0 ? 0 : (record->Count > 8 ? 8 : record->Count);
    canText += ", s=" + std::to_string(record->Count) + ", d=";
    for (int i = 0; i < 8; ++i) {
      if (i < count) {
        std::string hex;
        AppendHex(hex, record->Data[i], 2);
        if (hex[0] == '0') hex[0] = ' ';
        canText += hex + " ";
      } else {
        canText += "   ";
      }
    }
    canText += " n:";
    AppendHex(canText, frame, 4);
    canText += " bl:0  f:0\r\n";
  }
  *output = canText.c_str();
  return static_cast<std::int32_t>(canText.size());
}
