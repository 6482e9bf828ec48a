#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/DateTime.h"
#include "core/ErrorLog.h"

TEST(ErrorLog, LineStartsWithShortDateAndTime) {
  const double when = EncodeDateTime(TDateTimeParts{2024, 3, 9, 7, 5, 4, 999});
  EXPECT_EQ(ErrorLogLine("UserAction: Clear protocol.", when), "24.03.09 07:05:04 UserAction: Clear protocol.");
}

TEST(ErrorLog, WritesOnlyWhileSwitchedOnOneLineEach) {
  const std::filesystem::path path = std::filesystem::temp_directory_path() / "tamarik_errorlog_test.log";
  std::filesystem::remove(path);
  SetErrorLogFile(path.string());
  WriteErrorLog("not written");
  EXPECT_FALSE(std::filesystem::exists(path));

  SetErrorLogEnabled(true);
  WriteErrorLog("first");
  WriteErrorLog("second");
  SetErrorLogEnabled(false);
  WriteErrorLog("not written either");

  std::ifstream in(path, std::ios::binary);
  std::stringstream content;
  content << in.rdbuf();
  const std::string text = content.str();
  ASSERT_EQ(text.size(), 2 * std::string("yy.mm.dd hh:nn:ss first\r\n").size() + 1);
  EXPECT_EQ(text.substr(17, 8), " first\r\n");
  EXPECT_EQ(text.substr(text.size() - 9), " second\r\n");
  std::filesystem::remove(path);
}
