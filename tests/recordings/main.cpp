#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

// Date texts are local times: every test runs in UTC unless it sets another zone itself.
int main(int argc, char** argv)
{
    ::setenv("TZ", "UTC", 1);
    ::tzset();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
