// The ring of QR_RING_SLOTS slots that the history and the two widths'
// exchange step through: one rule for the library and the host alike.
#pragma once

#include "core/contract.h"

// A slot of the ring.  A value outside it (the store slot and the recall
// cursor lie in the shared block, which any process writes) counts as slot 0.
inline int RingSlot(int value)
{
    return value >= 0 && value < QR_RING_SLOTS ? value : 0;
}

// The slot by steps from slot; by may be any int, negative to step back.
inline int RingStep(int slot, int by)
{
    return (RingSlot(slot) + by % QR_RING_SLOTS + QR_RING_SLOTS) % QR_RING_SLOTS;
}
