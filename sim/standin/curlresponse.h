#pragma once

#include <QString>

namespace brevik {

class Sim;

// One request as curl makes it, and what came back.
struct Request {
    QString url;
    QString proxy;      // "http://host:port" (-x); empty: direct
    bool head = false;  // -I
    bool ipv6 = false;  // -6
    double limit = 300; // -m, seconds for the whole transfer, redirects included
    double elapsed = 0; // spent on earlier redirects
    qint64 rangeLength = -1;
};

struct Transfer {
    int exit = 0;    // curl's exit code
    int code = 0;    // HTTP status; 0 prints as "000"
    double time = 0; // seconds since the first request began
    double connectTime = 0;
    qint64 size = 0; // body bytes received
    QString body;
    QString headers;  // as -I prints them, CR LF line ends
    QString location; // of a redirect
    QString error;    // curl's message for a non-zero exit
    QString url;
    QString remoteIp;
    QString contentType;
    int redirects = 0;
    double waited = 0; // of `time`, what was already spent waiting at a meeting point
};

// What the simulated network answers to one request (no redirect followed).
Transfer fetch(const Sim &sim, const Request &request);

} // namespace brevik
