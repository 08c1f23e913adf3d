#include "synth/DestinationKind.h"

namespace tessaline {

namespace {

constexpr const char* kPerformanceName = "performance";
constexpr const char* kSongMixName = "song-mix";

}  // namespace

const char* destinationKindName(DestinationKind kind) {
    return kind == DestinationKind::Performance ? kPerformanceName : kSongMixName;
}

std::optional<DestinationKind> destinationKindFromName(std::string_view name) {
    if (name == kPerformanceName) {
        return DestinationKind::Performance;
    }
    if (name == kSongMixName) {
        return DestinationKind::SongMix;
    }
    return std::nullopt;
}

std::string backupLabel(DestinationKind kind, std::string_view performance) {
    std::string label = destinationKindName(kind);
    if (kind == DestinationKind::Performance) {
        label += '-';
        label += performance;
    }
    return label;
}

}  // namespace tessaline
