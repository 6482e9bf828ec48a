#include "core/SendDialogMode.h"

TSendDialogMode SendDialogModeFor(int workMode, bool chkIPSend) {
  TSendDialogMode m;
  m.CanMode = workMode == 440 || workMode == 470;
  switch (workMode) {
    case 120:
      m.rbBVisible = false;
      m.Forced = 'A';
      break;
    case 130:
      m.rbAVisible = false;
      m.Forced = 'B';
      break;
    case 300:
      m.rbAVisible = m.rbBVisible = !chkIPSend;
      break;
    case 430:
      m.rbAVisible = m.rbBVisible = m.chkBrkAddVisible = false;
      break;
    case 440:
    case 470:
    case 500:
      m.rbAVisible = m.rbBVisible = false;
      break;
    case 450:
      m.rbAVisible = m.rbBVisible = false;
      m.Forced = 'A';
      break;
    case 460:
      m.rbAVisible = m.rbBVisible = false;
      m.Forced = 'B';
      break;
    default:  // 110, 140, 200, 410, 420
      break;
  }
  return m;
}

bool CanSendData(bool tcpChosen, bool chkIPSend, bool usbChosen, int workMode) {
  if (tcpChosen && chkIPSend) return false;
  return !(usbChosen && workMode == 430);
}
