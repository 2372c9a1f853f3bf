// The Garmin receive side on arbitrary bytes: frames cut in chunks whose sizes come
// from the input, every sound packet decoded as every record type, product data and
// protocol arrays applied, and a download session fed the same bytes.

#include <cstddef>
#include <cstdint>

#include "transfer/garmin_protocol.h"
#include "transfer/garmin_session.h"

namespace {

class NullLink final : public tavrik::SerialLink {
 public:
  bool open(const QString&, const QString&, tavrik::Handshake) override { return true; }
  void close() override {}
  bool isOpen() const override { return true; }
  void write(const QByteArray& b) override { written += b.size(); }
  bool carrierDetect() const override { return false; }
  QString errorText() const override { return {}; }
  qsizetype written = 0;
};

void decodeEverything(const QByteArray& d) {
  using namespace tavrik::garmin;
  for (int t = 0; t <= static_cast<int>(WaypointType::D155); ++t) (void)decodeWaypoint(static_cast<WaypointType>(t), d, 1);
  for (int t = 0; t <= static_cast<int>(ProximityType::D450); ++t) (void)decodeProximity(static_cast<ProximityType>(t), d);
  for (int t = 0; t <= static_cast<int>(RouteHeaderType::D202); ++t) (void)decodeRouteHeader(static_cast<RouteHeaderType>(t), d);
  (void)decodeTrackPoint(d);
  if (auto p = decodeProductData(d)) {
    Capabilities c = capabilitiesFromProductTable(p->productId, p->version);
    applyProtocolArray(c, d);
    (void)productStatusText(*p);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  tavrik::garmin::FrameReader reader;
  NullLink link;
  tavrik::FakeClock clock;
  tavrik::TransferSink sink;
  tavrik::garmin::GarminSession session(link, clock, sink);
  session.startDownload(tavrik::Dataset::Waypoints);
  const qsizetype chunk = size > 0 ? 1 + data[0] % 17 : 1;
  for (qsizetype i = 0; i < bytes.size(); i += chunk) {
    const QByteArray part = bytes.mid(i, chunk);
    reader.onBytes(part);
    session.onBytes(part);
    clock.advanceMs(150);
    session.tick();
  }
  for (const auto& f : reader.takeFrames()) decodeEverything(f.packet.data);
  decodeEverything(bytes);
  return 0;
}
