// A scratch folder per test and a capture of everything sent to ReportError.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/ErrorReport.h"

class LanguageFileFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir = std::filesystem::temp_directory_path() /
          (std::string("tamarik-texts-") + info->test_suite_name() + "-" + info->name() + "-" + std::to_string(::getpid()));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    path = dir / "Language.txt";
    SetErrorReporter([this](const std::string& location, const std::string& message) {
      errors.push_back(location + ": " + message);
    });
  }
  void TearDown() override {
    SetErrorReporter(nullptr);
    std::filesystem::remove_all(dir);
  }

  void WriteBytes(const std::string& bytes) const {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
  }
  std::string ReadBytes() const {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  bool ErrorMentions(const std::string& part) const {
    for (const std::string& error : errors)
      if (error.find(part) != std::string::npos) return true;
    return false;
  }

  std::filesystem::path dir;
  std::filesystem::path path;
  std::vector<std::string> errors;
};
