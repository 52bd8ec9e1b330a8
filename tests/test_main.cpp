#include "resourcemanager.h"

#include <SFML/System/Err.hpp>
#include <gtest/gtest.h>

#include <sstream>

namespace testsupport {
std::stringstream& sfErrStream()
{
    static std::stringstream stream;
    return stream;
}
} // namespace testsupport

int main(int argc, char** argv)
{
    // Expected media errors (missing files on purpose) stay out of the test log.
    sf::err().rdbuf(testsupport::sfErrStream().rdbuf());
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::GTEST_FLAG(death_test_style) = "threadsafe";
    const int result = RUN_ALL_TESTS();
    ResourceManager::unloadResources(); // the leak checker runs after main
    return result;
}
