#pragma once
// Where the supervision service lives: its host, port and SOAP namespace, and
// how long one exchange may take. Every value is read at each call, so a
// change takes effect with the next exchange. For each value the environment
// variable wins, then the user-defaults key, then the built-in default:
//
//   value      environment            user-defaults key    default
//   host       NX_SERVICE_HOST        "ServiceHost"        "127.0.0.1"
//   port       NX_SERVICE_PORT        "ServicePort"        80
//   namespace  NX_SERVICE_NAMESPACE   "ServiceNamespace"   "http://tempuri.org/"
//   time-out   NX_SERVICE_TIMEOUT     "ServiceTimeOut"     30 (seconds)
//   own domain NX_SERVICE_DOMAIN      "ServiceDomain"      "zazo-family.example"
//
// The own domain is the service's web domain, which no black list may refuse.
//
// A port or time-out that is not a positive number counts as absent.
//
// The chart server that draws the statistics' pie charts is read the same
// way: NX_CHART_URL, then "ChartServiceURL", then the service's own
// "http://host:port" (the service double draws the charts too).

#include "platform/foundation/NSString.h"

class ServiceConfig {
public:
    static NSString host();
    static long port();
    static NSString serviceNamespace();
    static double timeOutSeconds();
    static NSString ownDomain();

    // The chart server's base address, without a trailing "/".
    static NSString chartServerURL();

    // "http://host:port" followed by the path.
    static NSString URLWithPath(const NSString& path);

    // The three endpoints.
    static NSString messageEndpoint() { return URLWithPath("/ZAZORE2.2/MsgService.asmx"); }
    static NSString authEndpoint() { return URLWithPath("/ZazoRE2.2/AuthService.asmx"); }
    static NSString fileEndpoint() { return URLWithPath("/ZAZORE2.2/FileService.asmx"); }
};
