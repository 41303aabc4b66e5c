#pragma once
// The map's own scene chunks: the slot exposures and one chunk per saved look, little-endian,
// strings as a 32-bit count of UTF-16 units followed by the units.

#include "history/HistoryStore.h"

#include <ioapi.h>

constexpr USHORT kSlotExposuresChunk = 0x7010;
constexpr USHORT kHistoryEntryChunk = 0x7006;

/// Writes one look's payload into the open chunk.
void WriteHistoryEntry(ISave* isave, const HistoryEntry& entry);

/// Reads one look's payload from the open chunk; a short or damaged payload leaves default or
/// empty fields and never reads or allocates beyond what the chunk holds. False when the look
/// lacks its ids, its path or its parameter snapshot and is to be dropped.
bool ReadHistoryEntry(ILoad* iload, HistoryEntry& entry);
