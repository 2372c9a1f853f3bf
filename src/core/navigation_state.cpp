#include "core/navigation_state.h"

namespace tavrik {

int sentenceIndex(QStringView id) {
  if (id.size() != 3) return -1;
  for (int i = 0; i < kSentenceCount; ++i)
    if (id == QLatin1String(kSentenceNames[i])) return i;
  return -1;
}

void NavigationState::resetRunTime() {
  const float lat = Latitude, lon = Longitude;
  *this = NavigationState{};
  Latitude = lat;
  Longitude = lon;
}

}  // namespace tavrik
