// SPDX-License-Identifier: MIT
// Keeps the window painted while a call of the layer blocks, without
// repainting more often than every 50 ms. The layer knows no window: the
// application registers what painting means.
#pragma once

#include <chrono>
#include <functional>

// Sets what a blocked transfer calls to keep the window painted (the window
// layer's AfxKeepPainted, say); with none set, or after setting an empty one,
// nothing is painted. Set it before transfers start, on their thread.
void SetTransferPaintCallback(std::function<void()> callback);

class PaintPacer {
public:
    static constexpr std::chrono::milliseconds kInterval{50};

    // Calls the paint callback when the interval has passed since it last did.
    void Tick();

private:
    std::chrono::steady_clock::time_point m_last{};
};
