#pragma once

#include <chrono>
#include <functional>
#include <thread>

// Polls a condition until it holds or a generous deadline passes; the
// deadline only keeps a broken build from hanging, it asserts no speed.
inline bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit = std::chrono::seconds(10))
{
    auto deadline = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}
