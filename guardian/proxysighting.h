#pragma once

#include <QString>

namespace brevik {

// What one check saw of the system proxy, reduced to what the guardian acts on.
struct ProxySighting {
    enum class Kind {
        off,            // no kind of proxy is switched on
        noPort,         // switched on, but names no port to test (a PAC file on disk)
        listening,      // something accepts connections on its port
        clientStarting, // nothing listens yet, but a proxy client runs
        elsewhere,      // nothing listens, and the host is not this Mac
        dead,           // nothing listens on this Mac and no client runs: a leftover, maybe
    };
    Kind kind = Kind::off;
    QString host;
    QString port;
    bool portAlive = false;
    bool clientRunning = false;

    QString target() const { return host + QLatin1Char(':') + port; }
};

// Reads the proxy and, as far as the answer needs it, tests its port, looks for a proxy
// client and for the host among this Mac's addresses.
ProxySighting sightProxy();

} // namespace brevik
