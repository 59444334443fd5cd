#pragma once

#include <functional>

// The int a call threw, or 0 when it threw none.
inline int Thrown(const std::function<void()>& call)
{
    try {
        call();
    } catch (int code) {
        return code;
    }
    return 0;
}
