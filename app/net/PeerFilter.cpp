#include "net/PeerFilter.h"

#include <QNetworkInterface>

QHostAddress PlainAddress(const QHostAddress& address) {
  bool mapped = false;
  const quint32 v4 = address.toIPv4Address(&mapped);
  return mapped && address.protocol() == QAbstractSocket::IPv6Protocol ? QHostAddress(v4) : address;
}

void TPeerFilter::Set(const QString& allow, QStringList* badEntries) {
  subnets_.clear();
  const QStringList entries = allow.split(QLatin1Char(';'), Qt::SkipEmptyParts);
  for (QString entry : entries) {
    entry = entry.trimmed();
    if (entry.isEmpty()) continue;
    if (!entry.contains(QLatin1Char('/'))) {
      const QHostAddress single(entry);
      if (single.isNull()) {
        if (badEntries) badEntries->append(entry);
        continue;
      }
      subnets_.emplace_back(PlainAddress(single), single.protocol() == QAbstractSocket::IPv4Protocol ? 32 : 128);
      continue;
    }
    const std::pair<QHostAddress, int> subnet = QHostAddress::parseSubnet(entry);
    if (subnet.first.isNull() || subnet.second < 0) {
      if (badEntries) badEntries->append(entry);
      continue;
    }
    subnets_.push_back(subnet);
  }
  attached_ = subnets_.empty() && (!badEntries || badEntries->isEmpty());
  // Only bad entries: nobody but this machine, never everybody.
  if (subnets_.empty() && !attached_) subnets_.emplace_back(QHostAddress::LocalHost, 8);
}

bool TPeerFilter::Allows(const QHostAddress& peer) const {
  const QHostAddress address = PlainAddress(peer);
  if (address.isNull()) return false;
  for (const auto& subnet : subnets_)
    if (address.isInSubnet(subnet)) return true;
  if (!attached_) return false;
  if (address.isLoopback()) return true;
  for (const QNetworkInterface& nic : QNetworkInterface::allInterfaces()) {
    if (!(nic.flags() & QNetworkInterface::IsUp)) continue;
    for (const QNetworkAddressEntry& entry : nic.addressEntries())
      if (entry.prefixLength() >= 0 && address.isInSubnet(entry.ip(), entry.prefixLength())) return true;
  }
  return false;
}
