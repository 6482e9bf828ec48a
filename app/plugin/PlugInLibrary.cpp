#include "plugin/PlugInLibrary.h"

#include <dlfcn.h>

#include <cstring>

namespace {
template <typename T>
T Lookup(void* handle, const char* name) {
  return reinterpret_cast<T>(::dlsym(handle, name));
}
}  // namespace

std::shared_ptr<TPlugInLibrary> TPlugInLibrary::Open(const std::string& path, std::string& error) {
  // A bare name would send dlopen through the system's library path.
  const std::string file = path.find('/') == std::string::npos ? "./" + path : path;
  ::dlerror();
  void* handle = ::dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    const char* message = ::dlerror();
    error = message ? message : "cannot load " + path;
    return nullptr;
  }
  return std::shared_ptr<TPlugInLibrary>(new TPlugInLibrary(handle, path));
}

TPlugInLibrary::TPlugInLibrary(void* handle, std::string path) : handle_(handle), path_(std::move(path)) {
  exports_.Tamarik = Lookup<TTamarikProc>(handle_, "Tamarik");
  exports_.PlugInType = Lookup<TPlugInTypeProc>(handle_, "PlugInType");
  exports_.ParamGet = Lookup<TParamGetProc>(handle_, "ParamGet");
  exports_.ParamSet = Lookup<TParamSetProc>(handle_, "ParamSet");
  exports_.Convert = Lookup<TConvertProc>(handle_, "Convert");
}

TPlugInLibrary::~TPlugInLibrary() { ::dlclose(handle_); }

std::string PlugInText(const char* text, long long length) {
  if (text == nullptr || length <= 0) return {};
  return std::string(text, ::strnlen(text, static_cast<std::size_t>(length)));
}
