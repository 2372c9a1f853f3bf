#pragma once
// The App's steering service: the go-to and its way to the serial ports.

#include "nav/goto_controller.h"

namespace tavrik {

class NmeaReceiver;

// The main window's serial ports as the receive path holds them.
class ReceiverPorts final : public SentencePorts {
 public:
  explicit ReceiverPorts(NmeaReceiver& receiver) : m_receiver(receiver) {}
  bool isOpen(int portIndex) const override;
  void write(int portIndex, const QByteArray& line) override;

 private:
  NmeaReceiver& m_receiver;
};

class Steering {
 public:
  Steering(NavigationState& nav, const AppSettings& settings, RequestFlags& requests, const Clock& clock,
           NmeaReceiver& receiver)
      : go(nav, settings, requests, clock), ports(receiver) {}
  GotoController go;
  ReceiverPorts ports;
  // The route the go-to window follows (its number in Routes), 0 for none.
  int selectedRoute = 0;
};

}  // namespace tavrik
