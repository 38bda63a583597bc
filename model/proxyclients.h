#pragma once

#include <QString>

namespace brevik {

// Which running processes count as a local proxy client (ClashX and its relatives). The
// scan's snapshot and the guardian ask the same question; both answer it here.
namespace ProxyClients {

// The pipeline tail that keeps the "ps" lines of the known client families.
QString familyFilter();

// Clients install privileged helpers and service daemons ("…ProxyConfigHelper",
// "…clash-verge-rev.service") that keep running after the client itself quit or crashed.
// They serve no proxy port, so they never count as a running client. `executablePath` is
// the path "ps" prints; only its last component is judged.
bool isHelper(const QString &executablePath);

} // namespace ProxyClients

} // namespace brevik
