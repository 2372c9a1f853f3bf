#pragma once
// A Magellan hand-held for tests: answers "$PMGNCMD,VERSION", sends its waypoints,
// routes or track on request and ends with "$PMGNCMD,END"; keeps the sentences a host
// sends. In handshake mode ("$PMGNCMD,HANDON", as GPSBabel uploads) it acknowledges
// every sentence with "$PMGNCSM,<checksum>".

#include <QByteArray>
#include <QStringList>
#include <functional>

namespace tavrik::test {

class MagellanEmulator {
 public:
  QString version = QStringLiteral("$PMGNVER,33,1.50,EMU MERIDIAN");
  QStringList waypoints{QStringLiteral("$PMGNWPL,5330.000,N,00807.500,E,0000003,M,BUOY01,FIRST TEST WPT,a"),
                        QStringLiteral("$PMGNWPL,5224.500,S,00812.000,W,0000000,M,HARB02,HARBOUR,a")};
  QStringList routes{QStringLiteral("$PMGNRTE,1,1,c,3,BUOY01,a,HARB02,a")};
  QStringList track{QStringLiteral("$PMGNTRK,5330.000,N,00807.000,E,00000,M,120000.00,A,,071226"),
                    QStringLiteral("$PMGNTRK,5330.001,N,00807.001,E,00000,M,120001.00,A,,071226")};
  bool mute = false;
  int stopAfterLines = -1;  // of a dataset; -1: all, then END

  std::function<void(const QByteArray&)> write;
  QStringList received;  // host sentences, without checksum

  void onBytes(QByteArrayView bytes);

 private:
  void line(const QString& l);
  void send(const QString& body);
  QByteArray m_line;
  bool m_handshake = false;
};

}  // namespace tavrik::test
