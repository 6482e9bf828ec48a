#include "core/Settings.h"

#include "core/AppFlags.h"
#include "core/ErrorReport.h"
#include "core/IniFile.h"
#include "core/Language.h"
#include "core/ProgramVersion.h"
#include "core/SettingKeys.h"
#include "core/SysTest.h"

namespace {

constexpr std::string_view kLocation = "16";
constexpr std::string_view kProgramm = "Programm";
constexpr std::string_view kVersion = "Version";

bool HoldsAnyKey(const TIniFile& ini) {
  for (const std::string& section : ini.ReadSections())
    if (!ini.ReadSection(section).empty()) return true;
  return false;
}

}  // namespace

std::string CollapseSlashes(std::string_view path) {
  std::string out;
  out.reserve(path.size());
  for (std::size_t i = 0; i < path.size(); ++i) {
    if (i >= 2 && path[i] == '/' && out.back() == '/') continue;
    out.push_back(path[i]);
  }
  return out;
}

std::string PathInDir(std::string_view dir, std::string_view name) {
  std::string path(dir);
  path.push_back('/');
  path.append(name);
  return CollapseSlashes(path);
}

TSettings::TSettings(std::string startDir)
    : startDir_(std::move(startDir)),
      iniPath_(PathInDir(startDir_, kFileName)),
      ini_(std::make_shared<TIniFile>(iniPath_, std::string(kLocation))),
      codePages_(std::make_unique<TCodePages>(*ini_)) {
  DecideReadOnly();
}

TSettings::~TSettings() = default;

void TSettings::DecideReadOnly() {
  readOnly_ = ini_->ReadOnly();
  // A file of which not one key could be read is not ours to replace with
  // defaults (another encoding, a damaged copy): it stays as it is.
  const bool nothingReadable = ini_->SkippedLines() > 0 && !HoldsAnyKey(*ini_);
  if (nothingReadable) {
    readOnly_ = true;
    ini_->SetReadOnly(true);
  }
  if (ini_->LoadFailed() || nothingReadable)
    ReportError(kLocation, iniPath_ + " cannot be read; defaults are used and the file is not written this run");
  IniReadOnly.store(readOnly_);
}

void TSettings::Load() {
  values_ = TSettingsValues{};
  values_.FrmMain.SDlg_FileName = PathInDir(startDir_, "Tamarik.txt");
  values_.FrmMain.SDlgRoh_FileName = PathInDir(startDir_, "Tamarik.roh");
  ReadSettingKey(*ini_, kProgramm, kVersion, values_.ProgrammVersion);
  values_.FrmMain.Read(*ini_);
  if (values_.FrmMain.TCP_Port < 1000) values_.FrmMain.TCP_Port = 5839;
  values_.LineRules.Read(*ini_);
  values_.ProtArt.Read(*ini_);
  values_.Log.Read(*ini_);
  values_.PortAB.Read(*ini_, values_.FrmMain);
  values_.FlowCtrl.Read(*ini_);
  values_.Can.Read(*ini_);
  values_.Fq.Read(*ini_);
  codePages_->Load();
  for (const TSettingsConcern& concern : concerns_)
    if (concern.Read) concern.Read(*ini_);
  loaded_ = true;
}

bool TSettings::StoredVersionOlderThan(std::string_view reference) const {
  return ::StoredVersionOlderThan(values_.ProgrammVersion, reference);
}

void TSettings::Register(TSettingsConcern concern) {
  if (loaded_ && concern.Read) concern.Read(*ini_);
  concerns_.push_back(std::move(concern));
}

bool TSettings::Save(const TSysTestInfo& sysTest) {
  if (!loaded_ || readOnly_ || IniReadOnly.load()) return false;
  ini_->WriteString(kProgramm, kVersion, TLanguage::RunningVersion());
  values_.FrmMain.Write(*ini_);
  values_.LineRules.Write(*ini_);
  values_.ProtArt.Write(*ini_);
  values_.Log.Write(*ini_);
  values_.PortAB.Write(*ini_);
  values_.FlowCtrl.Write(*ini_);
  values_.Can.Write(*ini_);
  values_.Fq.Write(*ini_);
  codePages_->WriteSettings();
  for (const TSettingsConcern& concern : concerns_)
    if (concern.Write) concern.Write(*ini_);
  sysTest.Write(*ini_);
  if (ini_->UpdateFile()) return true;
  ReportError(kLocation, ini_->LastError());
  return false;
}
