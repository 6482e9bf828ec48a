#include "headless/HeadlessCommandLine.h"

#include <charconv>

#include "core/InterfaceConfig.h"
#include "serial/PortList.h"

namespace {

bool ToInt(const std::string& text, int& value) {
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, value);
  return ec == std::errc() && ptr == end;
}

bool ToFlow(const std::string& text, eFlowControl& flow) {
  if (text == "none") flow = fcNone;
  else if (text == "xon") flow = fcXON_XOF;
  else if (text == "rtscts") flow = fcRTS_CTS;
  else if (text == "dtrdsr") flow = fcDTR_DSR;
  else return false;
  return true;
}

}  // namespace

const char* HeadlessUsage() {
  return "Usage: tamarik [--headless] [--demo [usb|can]] [--seconds N]\n"
         "               [--mode N] [--port-a NAME] [--port-b NAME] [--baud N] [--flow none|xon|rtscts|dtrdsr] [--send-b]\n"
         "               [--device NAME] [--usb-emu [N]]\n"
         "               [--peer HOST] [--tcp-port N]\n"
         "               [/ERRLOG] [/DEBUGMODE] [/TCPOFF] [/COMON] [/?]\n"
         "  -h, --help     print these options and end\n"
         "  --version      print the version and end\n"
         "  --desktop      as started from the desktop menu: settings in $XDG_CONFIG_HOME/tamarik\n"
         "  --headless     trace in the terminal, no window\n"
         "  --demo         simulated PC and controller on pseudo-terminals (the default)\n"
         "  --demo usb     the USB interface emulated, running its V.24 monitor\n"
         "  --demo can     the USB interface emulated, running its CAN monitor on a busy bus\n"
         "  --seconds N    end after N seconds (headless)\n"
         "  --mode N       operating mode: 110, 120, 130 port A; 140, 200 ports A and B\n"
         "                 (200: the monitor in the line, relaying); 500 converter on port A;\n"
         "                 300 shows what another instance receives (with --peer);\n"
         "                 410 V.24, 420 RS422/RS485, 450 RS485, 460 LIN, 430 frequency,\n"
         "                 440 CAN, 470 single-wire CAN on the USB interface (CAN and frequency\n"
         "                 set up from the CAN page and frequency panel stored in Tamarik.ini)\n"
         "  --port-a NAME  port A (PC side) below /dev: ttyUSB0, pts/3\n"
         "  --port-b NAME  port B (controller side)\n"
         "  --baud N       bits per second (9600); in the USB modes both inputs\n"
         "  --device NAME  the USB interface: tamarik-0 (the first, default), tamarik-1, ezusb-0\n"
         "  --flow F       flow control in mode 200 (none)\n"
         "  --peer HOST    the other instance's address or name (edIP_Text)\n"
         "  --tcp-port N   the coupling's port (TCP_Port, 5839)\n"
         "  --send-b       lines typed on standard input go to port B (default port A)\n"
         "  --usb-emu [N]  N emulated USB interfaces (1 to 8, default 1) as tamarik-0 …\n"
         "  /ERRLOG        error log TamarikErr.log in the working folder\n"
         "  /DEBUGMODE     record dumps instead of the trace\n"
         "  /TCPOFF        TCP coupling off\n"
         "  /COMON         automation object on the session bus (org.tamarik.Tamarik, /Tamarik)\n"
         "  /?             show the version and run on\n"
         "Settings: Tamarik.ini in the working folder. See tamarik(1).";
}

THeadlessCommandLine ParseHeadlessCommandLine(const std::vector<std::string>& args, bool hasDisplay) {
  THeadlessCommandLine cl;
  cl.Headless = !hasDisplay;
  THeadlessOptions& o = cl.Options;
  bool demoAsked = false;
  for (std::size_t i = 0; i < args.size() && cl.Error.empty(); ++i) {
    const std::string& arg = args[i];
    const bool hasValue = i + 1 < args.size();
    const std::string value = hasValue ? args[i + 1] : std::string();
    const auto needValue = [&] {
      if (!hasValue) cl.Error = arg + " needs a value";
      else ++i;
      return hasValue;
    };
    if (arg == "--headless") {
      cl.Headless = true;
    } else if (arg == "--demo") {
      demoAsked = true;
      if (value == "usb" || value == "can") {
        (value == "usb" ? o.DemoUsb : o.DemoCan) = true;
        ++i;
      }
    } else if (arg == "--device") {
      if (needValue()) o.UsbDevice = value;
    } else if (arg == "--seconds") {
      if (needValue()) {
        try {
          o.RunSeconds = std::stod(value);
        } catch (...) {
          cl.Error = "--seconds: not a number: " + value;
        }
      }
    } else if (arg == "--mode") {
      if (needValue() && !ToInt(value, o.WorkMode)) cl.Error = "--mode: not a number: " + value;
    } else if (arg == "--port-a") {
      if (needValue()) o.PortA = PortNameBelowDev(value);
    } else if (arg == "--port-b") {
      if (needValue()) o.PortB = PortNameBelowDev(value);
    } else if (arg == "--baud") {
      if (needValue() && (!ToInt(value, o.Baudrate) || o.Baudrate <= 0)) cl.Error = "--baud: not a rate: " + value;
    } else if (arg == "--flow") {
      if (needValue() && !ToFlow(value, o.FlowMode)) cl.Error = "--flow: none, xon, rtscts or dtrdsr";
    } else if (arg == "--peer") {
      if (needValue()) o.Peer = value;
    } else if (arg == "--tcp-port") {
      if (needValue() && (!ToInt(value, o.TcpPort) || o.TcpPort < 1 || o.TcpPort > 65535))
        cl.Error = "--tcp-port: not a port number: " + value;
    } else if (arg == "--usb-emu") {
      // The count is optional: a following word that is no number is the next option.
      int count = 1;
      if (hasValue && ToInt(value, count)) ++i;
      else count = 1;
      if (count < 1 || count > 8) cl.Error = "--usb-emu: 1 to 8 interfaces, not " + value;
      cl.UsbEmu = count;
    } else if (arg == "--send-b") {
      o.Send.TargetB = true;
    } else if (arg == "--help" || arg == "-h") {
      cl.Help = true;
    } else if (arg == "--version") {
      cl.Version = true;
    } else if (arg == "--desktop") {
      cl.Desktop = true;
    } else if (arg.size() > 1 && arg[0] == '-') {
      cl.Error = "unknown option: " + arg;
    }
  }
  // Ports given: they are the source, unless the demo is asked for too.
  // Mode 300 takes its records from the coupled instance.
  o.Demo = demoAsked || (o.PortA.empty() && o.PortB.empty() && o.WorkMode != 300 && !IsUsbWorkMode(o.WorkMode));
  cl.DemoAsked = demoAsked;
  return cl;
}
