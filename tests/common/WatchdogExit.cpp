// Linked into every test program: after main, it waits until QtTest's watchdog thread is gone.
//
// QtTest runs a watchdog thread beside each test program. Its destructor waits until the thread has
// finished its run, not until the thread has exited: two runs in three, the thread is still there
// when main returns, about to drop its last reference to its QThreadData on its way out. The leak
// check that AddressSanitizer runs at exit can meet it there, and once in CI it reported that
// thread data (152 bytes, allocated in QThread's constructor) as lost. With this wait, no thread but
// the main one is left when the check runs.
//
// The wait runs in a static object's destructor, after main and before the sanitizer's own check
// at the very end, and it uses no Qt: the application is gone by then.
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <thread>

namespace {

bool watchdogRunning()
{
    std::error_code error;
    for (const auto &task : std::filesystem::directory_iterator("/proc/self/task", error)) {
        std::ifstream comm(task.path() / "comm");
        std::string name;
        if (std::getline(comm, name) && name == "QtTest Watchdog")
            return true;
    }
    return false;
}

struct cWatchdogExit
{
    ~cWatchdogExit()
    {
        // Generous: the thread has nothing left to do but exit, but this machine can be slow.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (watchdogRunning() && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
};

const cWatchdogExit g_watchdogExit;

} // namespace
