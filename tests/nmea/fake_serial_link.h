#pragma once
// A serial line in memory: records what is written and lets a test deliver bytes or
// a failure as the real port would.

#include <QByteArray>
#include <QString>
#include <memory>
#include <vector>

#include "core/serial_link.h"

namespace tavrik::test {

class FakeSerialLink final : public SerialLink {
 public:
  bool open(const QString& device, const QString& settings, Handshake h) override {
    this->device = device;
    this->settings = settings;
    handshake = h;
    ++openCount;
    m_open = !refuseOpen;
    return m_open;
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
  int openCount = 0;
  QByteArray written;

 private:
  bool m_open = false;
};

// Hands out links in creation order and keeps pointers to them.
struct FakeLinks {
  std::vector<FakeSerialLink*> links;
  std::vector<bool> refuse;
  SerialLinkFactory factory() {
    return [this]() -> std::unique_ptr<SerialLink> {
      auto l = std::make_unique<FakeSerialLink>();
      if (links.size() < refuse.size()) l->refuseOpen = refuse[links.size()];
      links.push_back(l.get());
      return l;
    };
  }
};

}  // namespace tavrik::test
