#include "viewing/PrintSettings.h"

namespace vek {

TPrintSettings& PrintSettings() {
    static TPrintSettings settings;
    return settings;
}

} // namespace vek
