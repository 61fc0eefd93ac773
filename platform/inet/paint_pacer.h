// Keeps the window painted while a call blocks, without repainting more often
// than every 50 ms.
#pragma once

#include <chrono>

class PaintPacer {
public:
    static constexpr std::chrono::milliseconds kInterval{50};

    // Lets the host paint when the interval has passed since it last did.
    void Tick();

private:
    std::chrono::steady_clock::time_point m_last{};
};
