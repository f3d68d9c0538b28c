#include "protocol/ServiceConfig.h"

#include <cstdlib>

#include "platform/foundation/NSUserDefaults.h"

namespace {

// The environment's value, else the user default's; nil when neither is set
// to a non-empty text.
NSString configured(const char* variable, const char* key)
{
    if (const char* v = std::getenv(variable); v && *v) return NSString(v);
    NSString stored = NSUserDefaults::standardUserDefaults()->stringForKey(key);
    return stored.isNil() || stored.str().empty() ? NSString() : stored;
}

double positive(const NSString& text, double fallback)
{
    double v = text.isNil() ? 0 : text.doubleValue();
    return v > 0 ? v : fallback;
}

}  // namespace

NSString ServiceConfig::host()
{
    NSString v = configured("NX_SERVICE_HOST", "ServiceHost");
    return v.isNil() ? NSString("127.0.0.1") : v;
}

long ServiceConfig::port()
{
    long v = configured("NX_SERVICE_PORT", "ServicePort").integerValue();
    return v > 0 && v < 65536 ? v : 80;
}

NSString ServiceConfig::serviceNamespace()
{
    NSString v = configured("NX_SERVICE_NAMESPACE", "ServiceNamespace");
    return v.isNil() ? NSString("http://tempuri.org/") : v;
}

double ServiceConfig::timeOutSeconds() { return positive(configured("NX_SERVICE_TIMEOUT", "ServiceTimeOut"), 30.0); }

NSString ServiceConfig::ownDomain()
{
    NSString v = configured("NX_SERVICE_DOMAIN", "ServiceDomain");
    return v.isNil() ? NSString("zazo-family.example") : v;
}

NSString ServiceConfig::URLWithPath(const NSString& path)
{
    return NSString::stringWithFormat("http://%@:%ld%@", host(), port(), path);
}

NSString ServiceConfig::chartServerURL()
{
    NSString v = configured("NX_CHART_URL", "ChartServiceURL");
    if (v.isNil()) return URLWithPath("");
    std::string base = v.str();
    while (!base.empty() && base.back() == '/') base.pop_back();
    return NSString(base);
}
