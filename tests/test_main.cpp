#include "world/resourcemanager.h"

#include <SFML/System/Err.hpp>
#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <sstream>
#include <unistd.h>

namespace testsupport {
std::stringstream& sfErrStream()
{
    static std::stringstream stream;
    return stream;
}
} // namespace testsupport

// Present only in sanitizer builds.
extern "C" __attribute__((weak)) void __lsan_do_leak_check();

namespace {
// The media library aborts on some fatal errors after printing to sf::err(), which the
// tests capture; show what it said before going down, or the abort stays a riddle.
void dumpMediaErrors(int signal)
{
    const std::string text = testsupport::sfErrStream().str();
    const char header[] = "\n--- media library errors before the abort ---\n";
    (void)!write(STDERR_FILENO, header, sizeof header - 1);
    (void)!write(STDERR_FILENO, text.data(), text.size());
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}
} // namespace

int main(int argc, char** argv)
{
    // Expected media errors (missing files on purpose) stay out of the test log.
    sf::err().rdbuf(testsupport::sfErrStream().rdbuf());
    std::signal(SIGABRT, dumpMediaErrors);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::GTEST_FLAG(death_test_style) = "threadsafe";
    const int result = RUN_ALL_TESTS();
    ResourceManager::unloadResources();
    // The leak check, here rather than at exit: our own resources are released by now, and
    // the static destructors still to run are the media libraries' own.
    if (__lsan_do_leak_check)
        __lsan_do_leak_check();
    return result;
}
