#include "tests/ui/ImageTestSupport.h"

namespace {
testing::Environment* const kHome = testing::AddGlobalTestEnvironment(new uitest::ImageHome);
}
