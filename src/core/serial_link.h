#pragma once
// A serial line as the program uses it: opened with a settings text such as
// "4800,N,8,1", written to, and read through a bytes-arrived callback.

#include <QByteArray>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

namespace tavrik {

enum class Handshake { None = 0, XonXoff = 1, RtsCts = 2 };

class SerialLink {
 public:
  virtual ~SerialLink() = default;
  // device: "/dev/ttyUSB0", "/dev/pts/3", or a number n for the n-th port listed.
  // Returns false with errorText() set when the port cannot be opened.
  virtual bool open(const QString& device, const QString& settings, Handshake handshake) = 0;
  virtual void close() = 0;
  virtual bool isOpen() const = 0;
  virtual void write(const QByteArray& bytes) = 0;
  virtual bool carrierDetect() const = 0;
  // Carrier detect when the line can report it; nothing when it cannot (a
  // pseudo-terminal has no such line), so that silence is not taken as a lost carrier.
  virtual std::optional<bool> carrierDetectState() const { return carrierDetect(); }
  virtual QString errorText() const = 0;
  // What the input panel shows about the line's health ("no data for 12 s"); empty
  // while all is well. Serial lines have nothing to say.
  virtual QString statusText() const { return {}; }
  // Called on the UI thread whenever bytes arrive.
  std::function<void(const QByteArray&)> onBytes;
  // Called when the line fails while open (for example a USB adapter unplugged).
  std::function<void(const QString&)> onError;
};

using SerialLinkFactory = std::function<std::unique_ptr<SerialLink>()>;

}  // namespace tavrik
