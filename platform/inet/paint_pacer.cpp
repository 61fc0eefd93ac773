// SPDX-License-Identifier: MIT
#include "platform/inet/paint_pacer.h"

#include <utility>

namespace {

std::function<void()>& PaintCallback()
{
    static std::function<void()> callback;
    return callback;
}

}  // namespace

void SetTransferPaintCallback(std::function<void()> callback) { PaintCallback() = std::move(callback); }

void PaintPacer::Tick()
{
    const std::function<void()>& paint = PaintCallback();
    if (!paint) return;
    const auto now = std::chrono::steady_clock::now();
    if (now - m_last < kInterval) return;
    m_last = now;
    paint();
}
