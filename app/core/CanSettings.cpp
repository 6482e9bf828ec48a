#include "core/CanSettings.h"

#include <algorithm>

#include "core/IniFile.h"
#include "core/SettingKeys.h"

namespace {

constexpr std::string_view kUsbCan = "USB-CAN";
constexpr std::string_view kUsbCanFilter = "USB-CAN-Filter";
constexpr std::string_view kUsbFq = "USB-FQ";

using R = TCanRegisters;
constexpr TSettingKey<R> kCanKeys[] = {
    {"edCANBTR0", &R::edCANBTR0},   {"edCANBTR1", &R::edCANBTR1},   {"rgrpCANQuarz", &R::rgrpCANQuarz},
    {"chkCANRS", &R::chkCANRS},     {"rgrpCANLOM", &R::rgrpCANLOM}, {"rgrpCANAFM", &R::rgrpCANAFM},
};

using Q = TFqSettings;
constexpr TSettingKey<Q> kFqKeys[] = {
    {"grpFQIN_ItemIndex", &Q::grpFQIN_ItemIndex},
    {"edFQZyk_Text", &Q::edFQZyk_Text},
};

std::string Indexed(std::string_view name, std::size_t i) { return std::string(name) + std::to_string(i); }

}  // namespace

void TCanSettings::Read(const TIniFile& ini) {
  *this = TCanSettings{};
  ReadKeys<R>(ini, kUsbCan, kCanKeys, Registers);
  for (int i = 0; i < 4; ++i) {
    ReadSettingKey(ini, kUsbCan, Indexed("edCANACR", i), Registers.edCANACR[i]);
    ReadSettingKey(ini, kUsbCan, Indexed("edCANAMR", i), Registers.edCANAMR[i]);
  }
  Registers.rgrpCANQuarz = std::clamp(Registers.rgrpCANQuarz, 0, 1);
  Registers.rgrpCANLOM = std::clamp(Registers.rgrpCANLOM, 0, 1);
  Registers.rgrpCANAFM = std::clamp(Registers.rgrpCANAFM, 0, 1);
  for (std::size_t i = 1;; ++i) {
    TCanFilterEntry entry;
    ReadSettingKey(ini, kUsbCanFilter, Indexed("lstCANFilter_", i), entry.Text);
    if (entry.Text.empty()) break;
    ReadSettingKey(ini, kUsbCanFilter, Indexed("lstCANFilterChecked_", i), entry.Checked);
    Filter.push_back(std::move(entry));
  }
  SortCanFilterEntries(Filter);
  chkCANFilter = !Filter.empty();
  ReadSettingKey(ini, kUsbCan, "chkCANFilter", chkCANFilter);
  // The box stays checked only while the list has entries.
  chkCANFilter = chkCANFilter && !Filter.empty();
}

void TCanSettings::Write(TIniFile& ini) const {
  WriteKeys<R>(ini, kUsbCan, kCanKeys, Registers);
  for (int i = 0; i < 4; ++i) {
    WriteSettingKey(ini, kUsbCan, Indexed("edCANACR", i), Registers.edCANACR[i]);
    WriteSettingKey(ini, kUsbCan, Indexed("edCANAMR", i), Registers.edCANAMR[i]);
  }
  WriteSettingKey(ini, kUsbCan, "chkCANFilter", chkCANFilter);
  // Rewritten whole, so a shorter list leaves no old entries behind.
  ini.EraseSection(kUsbCanFilter);
  for (std::size_t i = 0; i < Filter.size(); ++i) {
    WriteSettingKey(ini, kUsbCanFilter, Indexed("lstCANFilter_", i + 1), Filter[i].Text);
    WriteSettingKey(ini, kUsbCanFilter, Indexed("lstCANFilterChecked_", i + 1), Filter[i].Checked);
  }
}

std::shared_ptr<const TCanFilter> TCanSettings::MakeFilter() const {
  return std::make_shared<const TCanFilter>(Filter, chkCANFilter);
}

void TFqSettings::Read(const TIniFile& ini) {
  *this = TFqSettings{};
  ReadKeys<Q>(ini, kUsbFq, kFqKeys, *this);
  grpFQIN_ItemIndex = std::clamp(grpFQIN_ItemIndex, 0, 3);
}

void TFqSettings::Write(TIniFile& ini) const { WriteKeys<Q>(ini, kUsbFq, kFqKeys, *this); }
