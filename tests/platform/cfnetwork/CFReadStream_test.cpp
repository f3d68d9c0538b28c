#include "platform/cfnetwork/CFReadStream.h"

#include <gtest/gtest.h>

namespace {

// Reading before any byte arrived (an empty body reads the same way) copies
// nothing and reports nothing read.
TEST(CFReadStream, ReadingWithNothingBufferedReadsNothing)
{
    auto request = CFHTTPMessageCreateRequest("GET", NSURL::URLWithString("http://127.0.0.1:9/"), kCFHTTPVersion1_1);
    CFReadStreamRef stream = CFReadStreamCreateForHTTPRequest(request);
    uint8_t buffer[16] = {};
    EXPECT_EQ(CFReadStreamRead(stream, buffer, sizeof buffer), 0);
    EXPECT_FALSE(CFReadStreamHasBytesAvailable(stream));
}

}  // namespace
