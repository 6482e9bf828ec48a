// The send dialog's keys: the history in section "SendBytes" and the
// dialog's boxes in "SendBytesForm". The terminal front end reads the same
// keys for its line ends.
#pragma once

#include <string>
#include <vector>

class TIniFile;

inline constexpr std::size_t kSendHistoryMax = 25;

struct TSendFormSettings {
  bool rbA_Checked = true;
  bool rbB_Checked = true;  // wins when both are set
  bool chkCRAdd_Checked = true;
  bool chkLFAdd_Checked = true;
  int pgMain_ActivePageIndex = 0;
  bool chkWartAfterLine_Checked = true;
  std::string edWartAfterLine_Text = "0";
  std::string edDateiSend_Text = "Textfile.txt";
  bool chkBrkAdd_Checked = false;
  std::string edRTRLen_Text = "0";  // one character
  bool operator==(const TSendFormSettings&) const = default;
};

struct TSendSettings {
  std::vector<std::string> History;  // newest first
  TSendFormSettings Form;
};

TSendSettings ReadSendSettings(const TIniFile& ini);
// The history section is erased and written again from the list.
void WriteSendSettings(TIniFile& ini, const TSendSettings& settings);

// The text moves to the front (or is inserted there); at most 25 remain.
void AddToSendHistory(std::vector<std::string>& history, const std::string& text);
