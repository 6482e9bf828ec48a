// One plug-in library in memory: dlopen, the exports, dlclose. Shared by the
// host and a running ParamSet, so a dialog still open keeps its code mapped.
#pragma once

#include <memory>
#include <string>

#include "TamarikPlugIn.h"

struct TPlugInExports {
  TTamarikProc Tamarik = nullptr;
  TPlugInTypeProc PlugInType = nullptr;
  TParamGetProc ParamGet = nullptr;
  TParamSetProc ParamSet = nullptr;
  TConvertProc Convert = nullptr;
  // The four a plug-in must have.
  bool Complete() const { return Tamarik && PlugInType && ParamGet && Convert; }
};

class TPlugInLibrary {
 public:
  // Null with the loader's message in error when the file cannot be loaded.
  static std::shared_ptr<TPlugInLibrary> Open(const std::string& path, std::string& error);
  ~TPlugInLibrary();
  TPlugInLibrary(const TPlugInLibrary&) = delete;
  TPlugInLibrary& operator=(const TPlugInLibrary&) = delete;

  const TPlugInExports& Exports() const { return exports_; }
  const std::string& Path() const { return path_; }

 private:
  TPlugInLibrary(void* handle, std::string path);
  void* handle_;
  std::string path_;
  TPlugInExports exports_;
};

// The text a plug-in returned: at most length characters, never past the
// terminating zero. Empty for a null text or a length of 0 or less.
std::string PlugInText(const char* text, long long length);
