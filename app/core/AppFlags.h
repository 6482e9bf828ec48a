// Program-wide flags shared by the window, the workers and the consumer.
#pragma once

#include <atomic>

extern std::atomic<bool> AppClosing;   // the main window is closing: every loop and wait ends
extern std::atomic<bool> SendAbort;    // ends the waits of the send path
extern std::atomic<bool> DebugMode;    // "/DEBUGMODE": dump every record
extern std::atomic<bool> ServiceMode;  // the service switch
extern std::atomic<bool> IniReadOnly;  // Tamarik.ini is never written this run
extern std::atomic<bool> TcpOff;       // "/TCPOFF"
extern std::atomic<bool> UsbError;     // the USB access layer's last request failed (sticky)
