// The automation object in the terminal front end: there is no window to
// hide or show, SetCOM fills an interface request that OpenPort opens.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "automation/AutomationHost.h"
#include "automation/AutomationRules.h"
#include "serial/InterfacePorts.h"


// SetCOM's walk over an interface request instead of the page.
class TRequestSetComTarget final : public TSetComTarget {
 public:
  TRequestSetComTarget(TInterfaceRequest& request, std::vector<std::string> portList)
      : request_(request), portList_(std::move(portList)) {}
  void SelectMode(TModeButton mode) override;
  int UsbModeCount() const override;
  void SelectUsbMode(int index) override;
  bool BaudSwitchVisible() const override;
  void PressSpeedButton(int which) override;
  bool PortListVisible() const override { return request_.Mode != mbG; }
  bool PortBListVisible() const override { return TwoPortMode(request_.Mode); }
  void SelectPortA(int index) override;
  void SelectPortB(int index) override;
  std::vector<std::string> BaudItems() const override { return request_.BaudItems; }
  void SelectBaud(int index) override;
  void SetOtherBaud(const std::string& text) override;
  int DataBitCount() const override { return 4; }
  int StopBitCount() const override { return 2; }
  int ParityCount() const override { return 5; }
  void SelectDataBits(int index) override;
  void SelectStopBits(int index) override;
  void SelectParity(int index) override;

 private:
  // The records the speed buttons point at.
  template <typename F>
  void ForShown(F f);

  TInterfaceRequest& request_;
  std::vector<std::string> portList_;
  int usbIndex_ = 0;
};

// What the terminal front end lends the automation object.
struct THeadlessAutomationHooks {
  std::function<int()> WorkMode;
  // The terminal's one send routine, bound to what is open.
  std::function<bool(bool targetB, const std::string& bytes, bool raw)> Send;
  // Closes what is open and opens the request; false when it did not open.
  std::function<bool(const TInterfaceRequest&)> Open;
  std::function<void()> Close;
  std::function<void(const std::string&)> StatusLine;
};

class THeadlessAutomation final : public TAutomationHost {
 public:
  THeadlessAutomation(THeadlessAutomationHooks hooks, TInterfaceRequest start);
  void Info() override;
  int Hide() override { return 0; }
  int Show() override { return 0; }
  int WorkMode() const override { return hooks_.WorkMode(); }
  bool Send(bool targetB, const std::string& bytes, bool raw) override;
  TSetComTarget& SetComTarget() override { return target_; }
  int OpenPort() override;
  int ClosePort() override;
  void AutomationActiveChanged(bool active) override;
  const TInterfaceRequest& Pending() const { return pending_; }

 private:
  THeadlessAutomationHooks hooks_;
  TInterfaceRequest pending_;
  TRequestSetComTarget target_;
  bool open_ = true;
};
