// The NMEA receive path on arbitrary bytes: four port buffers fed in chunks whose
// sizes come from the input, every cut line dispatched and parsed, repeated to a
// forward port and written as decoder JSON.

#include <cstddef>
#include <cstdint>
#include <string>

#include "core/app_settings.h"
#include "core/navigation_state.h"
#include "core/prompter.h"
#include "core/status_panels.h"
#include "nmea/nmea_decoder.h"
#include "nmea/nmea_receiver.h"

namespace {

class NullLink final : public tavrik::SerialLink {
 public:
  bool open(const QString&, const QString&, tavrik::Handshake) override { return m_open = true; }
  void close() override { m_open = false; }
  bool isOpen() const override { return m_open; }
  void write(const QByteArray& b) override { written += b.size(); }
  bool carrierDetect() const override { return false; }
  QString errorText() const override { return {}; }
  qsizetype written = 0;

 private:
  bool m_open = false;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  tavrik::NavigationState nav;
  tavrik::StatusPanels panels;
  tavrik::AppSettings settings;
  tavrik::RecordingPrompter prompter;
  settings.Ports = "4";
  settings.NMEAOutput = "3";
  settings.AllNMEA[0] = "1";
  settings.IDIn = {"$GP", "$II", "$SD", "$AP", "$RA", "$HC"};
  settings.system.localTime = static_cast<int>(size % 27) - 13;
  tavrik::NmeaReceiver rx(nav, panels, settings, prompter,
                          [] { return std::unique_ptr<tavrik::SerialLink>(new NullLink()); });
  rx.datumConversion = [](double& lat, double& lon) {
    lat *= 1.0000001;
    lon *= 0.9999999;
  };
  std::string json;
  rx.onParsed = [&](tavrik::Sentence, std::string_view line, const tavrik::ParseResult& r) {
    if (r.accepted) tavrik::NmeaDecoder::appendJson(json, line, r.changed, nav);
    if (json.size() > 1 << 16) json.clear();
  };
  rx.StartCommunication();
  // Every byte is payload; chunk sizes and cycle points follow a fixed sequence so
  // that one input always splits the same way.
  uint32_t seed = static_cast<uint32_t>(size);
  size_t i = 0;
  int port = 0;
  while (i < size) {
    seed = seed * 1103515245u + 12345u;
    const size_t n = std::min<size_t>(1 + (seed >> 16) % 200, size - i);
    rx.OnSerialEvent(port, QByteArray(reinterpret_cast<const char*>(data + i), static_cast<qsizetype>(n)));
    port = (port + 1) % 4;
    i += n;
    if (seed & 0x100) rx.tick();
  }
  rx.tick();
  rx.takeLogbookEvents();
  (void)rx.LastSentences();
  return 0;
}
