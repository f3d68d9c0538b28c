#include "platform/foundation/NSClassRegistry.h"

#include <gtest/gtest.h>

namespace {

class RegisteredByName : public NSObject {};
NX_REGISTER_CLASS(RegisteredByName, [] { return std::make_shared<RegisteredByName>(); });

TEST(NSClassRegistry, FindsRegisteredClassesByNameAndNothingElse)
{
    auto make = NSClassFromString("RegisteredByName");
    ASSERT_TRUE(make);
    auto a = make();
    auto b = make();
    EXPECT_TRUE(std::dynamic_pointer_cast<RegisteredByName>(a));
    EXPECT_NE(a, b);  // a new instance each time
    EXPECT_FALSE(NSClassFromString("NoSuchClass"));
}

}  // namespace
