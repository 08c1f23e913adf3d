#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tessaline {

// What a copy writes into and a backup keeps: the current performance or the song mix.
enum class DestinationKind { Performance, SongMix };

// "performance" or "song-mix", as backup names and copy records spell them.
const char* destinationKindName(DestinationKind kind);
std::optional<DestinationKind> destinationKindFromName(std::string_view name);

// The label of a backup's file name: "performance-B16" or "song-mix".
std::string backupLabel(DestinationKind kind, std::string_view performance);

}  // namespace tessaline
