#pragma once
// One receive path with its own state, settings and serial lines in memory.

#include <QByteArray>
#include <memory>
#include <string>
#include <vector>

#include "core/app_settings.h"
#include "core/navigation_state.h"
#include "core/prompter.h"
#include "core/serial_link.h"
#include "core/status_panels.h"
#include "nmea/nmea_checksum.h"
#include "nmea/nmea_receiver.h"

namespace tavrik::test {

// Records what is written and lets a test deliver bytes or a failure as the real port would.
class FakeSerialLink final : public SerialLink {
 public:
  bool open(const QString& d, const QString& s, Handshake h) override {
    device = d, settings = s, handshake = h;
    return m_open = !refuseOpen;
  }
  void close() override { m_open = false; }
  bool isOpen() const override { return m_open; }
  void write(const QByteArray& bytes) override { written += bytes; }
  bool carrierDetect() const override { return false; }
  QString errorText() const override { return QStringLiteral("refused"); }
  void deliver(const QByteArray& bytes) { if (onBytes) onBytes(bytes); }
  void fail(const QString& text) {
    m_open = false;
    if (onError) onError(text);
  }

  bool refuseOpen = false;
  QString device, settings;
  Handshake handshake = Handshake::None;
  QByteArray written;

 private:
  bool m_open = false;
};

struct ReceiverRig {
  NavigationState nav;
  StatusPanels panels;
  AppSettings settings;
  RecordingPrompter prompter;
  std::vector<FakeSerialLink*> links;  // in the order the receive path made them
  std::vector<bool> refuse;            // which of them refuse to open
  NmeaReceiver rx;

  // Serial lines in memory unless another factory is given.
  explicit ReceiverRig(SerialLinkFactory factory = {})
      : rx(nav, panels, settings, prompter, factory ? std::move(factory) : [this]() -> std::unique_ptr<SerialLink> {
          auto l = std::make_unique<FakeSerialLink>();
          l->refuseOpen = links.size() < refuse.size() && refuse[links.size()];
          links.push_back(l.get());
          return l;
        }) {
    rx.beginSession();
  }
  // Feeds text into buffer 0 and runs one receive cycle.
  void feed(const std::string& text) {
    rx.inject(0, text);
    rx.tick();
  }
  uint32_t received(Sentence s) const { return nav.received(s); }
  uint32_t errors(Sentence s) const { return nav.errors(s); }
};

}  // namespace tavrik::test
