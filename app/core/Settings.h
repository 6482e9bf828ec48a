// Tamarik.ini: the one place that reads and writes the settings file. It is
// read into memory once at start and written back once at exit; in between
// the program works with the values below, never with the file.
//
// Adding keys: a section of plain values becomes a struct with a key table
// (SettingsSections.h, SettingKeys.h) and a member of TSettingsValues; a
// module that keeps its own settings registers a read/write pair with
// Register().
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/CanSettings.h"
#include "core/CodePageList.h"
#include "core/LineRuleSettings.h"
#include "core/SettingsSections.h"

class TIniFile;
struct TSysTestInfo;

struct TSettingsValues {
  std::string ProgrammVersion = "V 0.0.0000";  // the version that wrote the file
  TFrmMainSettings FrmMain;
  TLineRuleSettings LineRules;  // section FrmMain
  TProtArtSettings ProtArt;
  TLogSettings Log;
  TPortABSettings PortAB;
  TFlowCtrlSettings FlowCtrl;
  TCanSettings Can;  // sections USB-CAN, USB-CAN-Filter
  TFqSettings Fq;    // section USB-FQ
  bool operator==(const TSettingsValues&) const = default;
};

// A module's own keys: read at Load, written at Save.
struct TSettingsConcern {
  std::string Name;
  std::function<void(const TIniFile&)> Read;
  std::function<void(TIniFile&)> Write;
};

class TSettings {
 public:
  static constexpr std::string_view kFileName = "Tamarik.ini";

  // Reads startDir's Tamarik.ini into memory; a missing file gives the
  // defaults. Decides whether the file may be written this run and sets the
  // program-wide IniReadOnly accordingly.
  explicit TSettings(std::string startDir);
  ~TSettings();
  TSettings(const TSettings&) = delete;
  TSettings& operator=(const TSettings&) = delete;

  const std::string& StartDir() const { return startDir_; }
  const std::string& IniPath() const { return iniPath_; }
  // Never written this run: read-only on disk, unreadable, or nothing in it
  // could be read (the code page selection is then disabled).
  bool ReadOnly() const { return readOnly_; }
  // The file in memory, shared with the error report for ErrorsIntern.
  std::shared_ptr<TIniFile> Ini() const { return ini_; }

  // Reads every key into the values, the code pages and the registered
  // modules. Values that cannot be read keep their defaults and are reported.
  void Load();
  bool Loaded() const { return loaded_; }

  TSettingsValues& Values() { return values_; }
  const TSettingsValues& Values() const { return values_; }
  TCodePages& CodePages() { return *codePages_; }
  const TCodePages& CodePages() const { return *codePages_; }

  // The file was written by a version older than 2.2.2629: the interface
  // page's panel heights go back to their design values.
  bool ResetPanelHeights() const { return StoredVersionOlderThan("2.2.2629"); }
  // The same age test for the line settings: such files counted the
  // data-bits index from "7", so the interface page adds 2 to a stored 0 or 1.
  bool OldDataBitsNumbering() const { return StoredVersionOlderThan("2.2.2629"); }
  // Programm/Version (characters 3 to 10) is older than reference.
  bool StoredVersionOlderThan(std::string_view reference) const;

  // Reads the module's keys now when Load has run, otherwise at Load.
  void Register(TSettingsConcern concern);

  // Writes every key, the running version and sysTest, then the file.
  // Nothing is written before Load or while read-only. A failed write is
  // reported (location 16). True when the file was written.
  bool Save(const TSysTestInfo& sysTest);

 private:
  void DecideReadOnly();

  std::string startDir_;
  std::string iniPath_;
  std::shared_ptr<TIniFile> ini_;
  std::unique_ptr<TCodePages> codePages_;
  TSettingsValues values_;
  std::vector<TSettingsConcern> concerns_;
  bool readOnly_ = false;
  bool loaded_ = false;
};

// A path with repeated "/" collapsed after its first character.
std::string CollapseSlashes(std::string_view path);
// dir + "/" + name, collapsed.
std::string PathInDir(std::string_view dir, std::string_view name);
