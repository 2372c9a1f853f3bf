#pragma once
// One receive path with its own state, settings and fake ports.

#include <string>

#include "core/app_settings.h"
#include "core/navigation_state.h"
#include "core/prompter.h"
#include "core/status_panels.h"
#include "nmea/fake_serial_link.h"
#include "nmea/nmea_checksum.h"
#include "nmea/nmea_receiver.h"

namespace tavrik::test {

struct ReceiverRig {
  NavigationState nav;
  StatusPanels panels;
  AppSettings settings;
  RecordingPrompter prompter;
  FakeLinks links;
  NmeaReceiver rx{nav, panels, settings, prompter, links.factory()};

  ReceiverRig() { rx.beginSession(); }
  // Feeds text into buffer 0 and runs one receive cycle.
  void feed(const std::string& text) {
    rx.inject(0, text);
    rx.tick();
  }
  // One sentence with its checksum and CR LF.
  void sentence(const QString& body) { feed((NmeaChecksum(body) + "\r\n").toStdString()); }
  uint32_t received(Sentence s) const { return nav.received(s); }
  uint32_t errors(Sentence s) const { return nav.errors(s); }
};

inline std::string withChecksum(const char* body) { return (NmeaChecksum(QString::fromLatin1(body)) + "\r\n").toStdString(); }

}  // namespace tavrik::test
