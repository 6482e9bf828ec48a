// Who may connect to the coupling's server: the addresses and networks of
// "TCP_Allow" (CIDR, separated by ";"), or, when that is empty, this
// machine and the networks it is directly attached to.
#pragma once

#include <QHostAddress>
#include <QString>
#include <utility>
#include <vector>

class TPeerFilter {
 public:
  // Entries that are not addresses are left out and named in badEntries.
  void Set(const QString& allow, QStringList* badEntries = nullptr);
  bool Allows(const QHostAddress& peer) const;
  bool UsesAttachedNetworks() const { return attached_; }

 private:
  std::vector<std::pair<QHostAddress, int>> subnets_;
  bool attached_ = true;
};

// An IPv4 address that came as IPv6 (::ffff:a.b.c.d) as plain IPv4.
QHostAddress PlainAddress(const QHostAddress& address);
