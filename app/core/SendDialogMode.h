// Which port choices the send dialog offers in each operating mode, and
// whether the trace may open it at all.
#pragma once

struct TSendDialogMode {
  bool rbAVisible = true;
  bool rbBVisible = true;
  char Forced = 0;  // 'A' or 'B': that port is chosen
  bool chkBrkAddVisible = true;
  bool CanMode = false;  // 440, 470: CAN frames instead of bytes
};

TSendDialogMode SendDialogModeFor(int workMode, bool chkIPSend);

// False in the coupling mode when the coupled instance sends, and in the
// frequency measurement.
bool CanSendData(bool tcpChosen, bool chkIPSend, bool usbChosen, int workMode);
