#include "platform/inet/paint_pacer.h"

#include "platform/ui/host.h"

void PaintPacer::Tick()
{
    const auto now = std::chrono::steady_clock::now();
    if (now - m_last < kInterval) return;
    m_last = now;
    AfxKeepPainted();
}
