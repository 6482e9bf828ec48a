#include "core/SendSettings.h"

#include <algorithm>

#include "core/IniFile.h"

namespace {
constexpr const char* kHistory = "SendBytes";
constexpr const char* kForm = "SendBytesForm";
}  // namespace

TSendSettings ReadSendSettings(const TIniFile& ini) {
  TSendSettings s;
  for (const std::string& key : ini.ReadSection(kHistory)) s.History.push_back(ini.ReadString(kHistory, key, ""));
  TSendFormSettings& f = s.Form;
  const TSendFormSettings d;
  f.rbA_Checked = ini.ReadBool(kForm, "rbA_Checked", d.rbA_Checked);
  f.rbB_Checked = ini.ReadBool(kForm, "rbB_Checked", d.rbB_Checked);
  f.chkCRAdd_Checked = ini.ReadBool(kForm, "chkCRAdd_Checked", d.chkCRAdd_Checked);
  f.chkLFAdd_Checked = ini.ReadBool(kForm, "chkLFAdd_Checked", d.chkLFAdd_Checked);
  f.pgMain_ActivePageIndex = ini.ReadInteger(kForm, "pgMain_ActivePageIndex", d.pgMain_ActivePageIndex);
  f.chkWartAfterLine_Checked = ini.ReadBool(kForm, "chkWartAfterLine_Checked", d.chkWartAfterLine_Checked);
  f.edWartAfterLine_Text = ini.ReadString(kForm, "edWartAfterLine_Text", d.edWartAfterLine_Text);
  f.edDateiSend_Text = ini.ReadString(kForm, "edDateiSend_Text", d.edDateiSend_Text);
  f.chkBrkAdd_Checked = ini.ReadBool(kForm, "chkBrkAdd_Checked", d.chkBrkAdd_Checked);
  f.edRTRLen_Text = ini.ReadString(kForm, "edRTRLen_Text", d.edRTRLen_Text).substr(0, 1);
  return s;
}

void WriteSendSettings(TIniFile& ini, const TSendSettings& s) {
  ini.EraseSection(kHistory);
  for (std::size_t i = 0; i < s.History.size(); ++i) ini.WriteString(kHistory, "ID" + std::to_string(i), s.History[i]);
  const TSendFormSettings& f = s.Form;
  ini.WriteBool(kForm, "rbA_Checked", f.rbA_Checked);
  ini.WriteBool(kForm, "rbB_Checked", f.rbB_Checked);
  ini.WriteBool(kForm, "chkCRAdd_Checked", f.chkCRAdd_Checked);
  ini.WriteBool(kForm, "chkLFAdd_Checked", f.chkLFAdd_Checked);
  ini.WriteInteger(kForm, "pgMain_ActivePageIndex", f.pgMain_ActivePageIndex);
  ini.WriteBool(kForm, "chkWartAfterLine_Checked", f.chkWartAfterLine_Checked);
  ini.WriteString(kForm, "edWartAfterLine_Text", f.edWartAfterLine_Text);
  ini.WriteString(kForm, "edDateiSend_Text", f.edDateiSend_Text);
  ini.WriteBool(kForm, "chkBrkAdd_Checked", f.chkBrkAdd_Checked);
  ini.WriteString(kForm, "edRTRLen_Text", f.edRTRLen_Text.substr(0, 1));
}

void AddToSendHistory(std::vector<std::string>& history, const std::string& text) {
  const auto found = std::find(history.begin(), history.end(), text);
  if (found != history.end()) history.erase(found);
  history.insert(history.begin(), text);
  if (history.size() > kSendHistoryMax) history.resize(kSendHistoryMax);
}
