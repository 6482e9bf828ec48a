// Sections USB-CAN, USB-CAN-Filter and USB-FQ: the CAN page's registers and
// filter list, the frequency panel.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/CanFilter.h"
#include "core/CanTiming.h"

class TIniFile;

struct TCanSettings {
  TCanRegisters Registers;
  std::vector<TCanFilterEntry> Filter;  // lstCANFilter, sorted
  bool chkCANFilter = false;

  // chkCANFilter defaults to "the list is not empty"; the list stops at the
  // first empty entry.
  void Read(const TIniFile& ini);
  void Write(TIniFile& ini) const;
  // The display filter the stored state makes.
  std::shared_ptr<const TCanFilter> MakeFilter() const;
  bool operator==(const TCanSettings&) const = default;
};

struct TFqSettings {
  int grpFQIN_ItemIndex = 1;
  std::string edFQZyk_Text = "1";

  void Read(const TIniFile& ini);
  void Write(TIniFile& ini) const;
  bool operator==(const TFqSettings&) const = default;
};
