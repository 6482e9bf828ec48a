/* The conversion plug-in interface, for plug-in authors. Plain C, so a
 * plug-in can be written in C or C++ and needs nothing of the program.
 *
 * A plug-in is a shared library (.so) with the five C exports declared
 * below; ParamSet is optional. The program accepts a library only when the
 * other four exist and Tamarik() returns a version text that begins with a
 * digit from "3" to "9".
 *
 * Threads: Convert is called from the receive thread and from the program's
 * plug-in timer thread. The program never runs two Convert calls at the same
 * time, but the calls do come from different threads, and ParamSet runs on
 * the window thread while Convert may be running. A plug-in must therefore
 * be thread-safe: guard state that ParamSet and Convert share, and keep no
 * per-thread state that one Convert call expects the next to find.
 *
 * Strings: every out string is a zero-terminated 8-bit string owned by the
 * plug-in. It must stay valid until the call returns; the program copies it
 * at once. The program never reads past the terminating zero, whatever
 * length the call returns.
 *
 * Crashes: a plug-in runs inside the program. A wild pointer or an abort in
 * a plug-in ends the whole monitor; only a C++ exception that leaves Convert
 * is caught (the record then shows nothing and "Error in PlugIn!" appears).
 */
#ifndef TAMARIK_PLUGIN_H
#define TAMARIK_PLUGIN_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
#define TAMARIK_PLUGIN_EXPORT extern "C" __attribute__((visibility("default")))
#else
#define TAMARIK_PLUGIN_EXPORT __attribute__((visibility("default")))
#endif

/* One received record, 60 bytes, little-endian. Valid only during the call. */
#pragma pack(push, 1)
typedef struct TPlugInRecord {
  uint32_t HostInternal; /* not for the plug-in */
  int32_t Kind;
  uint8_t RecType; /* 1 serial byte, 2 CAN frame, 3 baud-rate, 4 frequency measurement */
  uint8_t Pad9[3];
  int32_t Ready; /* above 0: the slot is complete */
  int32_t Ident; /* CAN identifier */
  int32_t Count; /* data bytes; 0: a signal change only */
  uint8_t Data[8];
  uint8_t Dir; /* 0 none, 1 port A (PC), 2 port B (SPS), 3..6 USB 1..4, 7..8 USB CAN 1..2 */
  uint16_t LineFlags; /* 0x10: break or line error seen */
  uint16_t Signals;   /* 1 CTS A, 2 CTS B, 4 DSR A, 8 DSR B, 0x10 DCD */
  uint8_t Pad37[3];
  int32_t Info;
  uint8_t Pad44[4];
  double Time;   /* days since 1899-12-30, local time; the fraction is the time of day */
  int32_t SubMs; /* microseconds beyond Time */
} TPlugInRecord;
#pragma pack(pop)

#ifdef __cplusplus
static_assert(sizeof(TPlugInRecord) == 60, "the record is 60 bytes");
static_assert(offsetof(TPlugInRecord, RecType) == 8 && offsetof(TPlugInRecord, Count) == 20 &&
                  offsetof(TPlugInRecord, Data) == 24 && offsetof(TPlugInRecord, Dir) == 32 &&
                  offsetof(TPlugInRecord, Signals) == 35 && offsetof(TPlugInRecord, Time) == 48 &&
                  offsetof(TPlugInRecord, SubMs) == 56,
              "offsets as the program writes them");
#endif

/* Colours of Convert, blue-green-red: any other value is drawn black. */
enum {
  TAMARIK_BLACK = 0x000000,
  TAMARIK_MAROON = 0x000080,
  TAMARIK_RED = 0x0000FF,
  TAMARIK_GREEN = 0x008000,
  TAMARIK_OLIVE = 0x008080,
  TAMARIK_LIME = 0x00FF00,
  TAMARIK_NAVY = 0x800000,
  TAMARIK_GRAY = 0x808080,
  TAMARIK_BLUE = 0xFF0000
};

/* The version text; its length (0 or less: none). */
typedef int32_t (*TTamarikProc)(const char** version);
/* A descriptive name of the plug-in; its length. */
typedef int32_t (*TPlugInTypeProc)(const char** name);
/* Whether the plug-in has a parameter dialog (non-zero), and the caption of
 * the program's parameter button (may be left null). */
typedef uint8_t (*TParamGetProc)(const char** caption);
/* Opens the parameter dialog. window is the native id of the program's main
 * window (QWidget::winId()); a Qt plug-in finds the widget with
 * QWidget::find(window) and parents its dialog to it. The result is ignored. */
typedef int32_t (*TParamSetProc)(uintptr_t window);
/* Renders one record. record is null when the program calls again on its own
 * (the interval asked for has passed). colour comes in as 0, interval as 0,
 * text as null. Returns how many characters of text to show (0: nothing).
 * Text beginning with CR LF starts a new line, ending with CR LF ends the
 * line; an inner CR LF starts a new line with a new time stamp.
 * interval: 0 no call of its own, 1 call again at once, n call again after
 * n milliseconds without a record. */
typedef int32_t (*TConvertProc)(const TPlugInRecord* record, uint32_t* colour, int32_t* interval, const char** text);

#ifdef TAMARIK_PLUGIN_DECLARE_EXPORTS
TAMARIK_PLUGIN_EXPORT int32_t Tamarik(const char** version);
TAMARIK_PLUGIN_EXPORT int32_t PlugInType(const char** name);
TAMARIK_PLUGIN_EXPORT uint8_t ParamGet(const char** caption);
TAMARIK_PLUGIN_EXPORT int32_t ParamSet(uintptr_t window);
TAMARIK_PLUGIN_EXPORT int32_t Convert(const TPlugInRecord* record, uint32_t* colour, int32_t* interval,
                                      const char** text);
#endif

#endif
