#include "net/DynamicaIP.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

#include "core/Language.h"
#include "core/TextIds.h"

std::string DialUpAddresses() {
  ifaddrs* list = nullptr;
  if (::getifaddrs(&list) != 0) return GetText(TextId::RasNotInstalled);
  std::string joined;
  for (const ifaddrs* i = list; i; i = i->ifa_next) {
    if (!i->ifa_addr || i->ifa_addr->sa_family != AF_INET) continue;
    if (!(i->ifa_flags & IFF_POINTOPOINT) || !(i->ifa_flags & IFF_UP)) continue;
    char text[INET_ADDRSTRLEN] = {};
    const auto* in = reinterpret_cast<const sockaddr_in*>(i->ifa_addr);
    if (!::inet_ntop(AF_INET, &in->sin_addr, text, sizeof text)) continue;
    if (!joined.empty()) joined += "; ";
    joined += text;
  }
  ::freeifaddrs(list);
  return joined.empty() ? GetText(TextId::NoDialUpConnection) : joined;
}
