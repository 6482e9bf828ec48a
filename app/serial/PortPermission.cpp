#include "serial/PortPermission.h"

#include <grp.h>
#include <sys/stat.h>

#include <vector>

namespace {

std::string GroupOf(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return "dialout";
  std::vector<char> buffer(4096);
  struct group entry {};
  struct group* found = nullptr;
  if (::getgrgid_r(st.st_gid, &entry, buffer.data(), buffer.size(), &found) != 0 || found == nullptr) return "dialout";
  return found->gr_name;
}

}  // namespace

std::string PortPermissionHint(const std::string& devicePath) {
  const std::string group = GroupOf(devicePath);
  return "only members of the group '" + group + "' may open " + devicePath + "; join it with 'sudo adduser $USER " +
         group + "' and log in again";
}
