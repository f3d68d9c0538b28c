// URLs as replies and settings give them: absolute, and relative to a base
// (as a redirect's Location is resolved).
#include "fuzz/support/FuzzInput.h"
#include "platform/cfnetwork/NSURL.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const auto base = NSURL::URLWithString("http://user:pw@127.0.0.1:8080/dir/page?x=1");
    NSString text(fuzz::Text(data, size));
    for (const auto& url : {NSURL::URLWithString(text), NSURL::URLWithString(text, base)}) {
        if (!url) continue;
        (void)url->absoluteStringWithoutCredentials();
        (void)NSURL::URLWithString(url->absoluteString());
    }
    return 0;
}
