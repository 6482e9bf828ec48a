#include "headless/HeadlessStartup.h"

#include <cstdio>

#include "core/AboutText.h"
#include "core/IniFile.h"
#include "core/Language.h"
#include "core/LocaleLanguage.h"
#include "core/SendSettings.h"
#include "core/TextIds.h"
#include "headless/AnsiTerminal.h"

namespace {

// The list's own line breaks and tabs stay; any other control is named.
std::string VisibleReport(std::string_view text) {
  std::string out;
  std::size_t from = 0;
  for (std::size_t i = 0; i <= text.size(); ++i) {
    if (i < text.size() && text[i] != '\n' && text[i] != '\t') continue;
    TAnsiTerminal::AppendVisible(out, text.substr(from, i - from), false);
    if (i < text.size()) out += text[i];
    from = i + 1;
  }
  return out;
}

}  // namespace

THeadlessStartup::THeadlessStartup(const std::vector<std::string>& args) {
  TStartupOptions options;
  options.Arguments = args;
  options.ProgramDir = ProgramDirectory();
  startup_ = std::make_unique<TStartup>(std::move(options));
  // Reports made while starting are in the list already.
  PrintNewReports(startup_->Errors().DisplayText());
  startup_->Errors().SetListChanged([this](const std::string& text) { PrintNewReports(text); });
}

THeadlessStartup::~THeadlessStartup() {
  startup_->Errors().SetListChanged(nullptr);
  Close();
}

std::string THeadlessStartup::AboutText() const {
  return ::AboutText(GetText(TextId::Label9), GetText(TextId::InfoVersion), TLanguage::RunningVersion());
}

void THeadlessStartup::Close() {
  if (shutdown_) return;
  shutdown_ = std::make_unique<TShutdown>(*startup_);
  shutdown_->BeginClose();
  // The online logs never ran here: their stored states stay as they were.
  shutdown_->WriteSettings(startup_->SysTest());
  shutdown_->Destroyed();
}

// The list only grows; what follows the part already printed is new.
void THeadlessStartup::PrintNewReports(const std::string& displayText) {
  std::lock_guard guard(printLock_);
  if (displayText == printed_) return;
  const bool grown = displayText.size() > printed_.size() && displayText.compare(0, printed_.size(), printed_) == 0;
  std::string added = grown ? displayText.substr(printed_.size()) : displayText;
  if (!added.empty() && added.front() == '\n') added.erase(0, 1);
  // A report may quote what came from outside (a port name, a file's text).
  std::fprintf(stderr, "%s\n", VisibleReport(added).c_str());
  printed_ = displayText;
}

int RunHeadless(const std::vector<std::string>& args, const THeadlessOptions& commandLine, bool demoAsked) {
  THeadlessStartup startup(args);
  if (startup.Startup().CommandLine().ShowAbout) {
    std::puts(startup.AboutText().c_str());
    std::fflush(stdout);
  }
  int status = 0;
  {
    TSettingsValues& values = startup.Startup().Settings().Values();
    // The messages in the stored language (at the first start: the
    // system's), chosen and stored as the window does.
    TLanguage& language = ProgramLanguage();
    language.BuildLanguageList();
    values.FrmMain.Sprache = language.StartIndex(values.FrmMain.Sprache, LocaleLanguageCode());
    language.Select(values.FrmMain.Sprache);

    // Ports stored by the interface page apply unless the command line
    // names some; the trace always follows the file.
    THeadlessOptions options = commandLine;
    UseStoredInterface(startup.Startup(), demoAsked, options);
    UseStoredTraceSettings(startup.Startup(), options);
    UseStoredCoupling(startup.Startup(), options);
    // Typed lines end as the send dialog's boxes say.
    if (const auto ini = startup.Startup().Settings().Ini()) {
      const TSendFormSettings form = ReadSendSettings(*ini).Form;
      options.Send.AddCR = form.chkCRAdd_Checked;
      options.Send.AddLF = form.chkLFAdd_Checked;
    }
    options.ComOn = startup.Startup().CommandLine().ComOn;
    options.Can = values.Can;
    options.Fq = values.Fq;
    THeadlessApp app(options);
    app.StartLogsFromSettings(values);
    app.StartPlugInFromSettings(ReadPlugInSettings(*startup.Startup().Settings().Ini()));
    status = app.Run();
    if (app.SoundSwitchedOff()) values.FrmMain.chkSound = false;
  }
  startup.Close();
  return status;
}
