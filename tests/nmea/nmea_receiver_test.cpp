// The receive path: cutting buffers into lines, filters, dispatch, checksums,
// the last-sentence table, repeating to the forward port and the port handling.

#include <gtest/gtest.h>

#include "core/messages.h"
#include "nmea/receiver_rig.h"

namespace tavrik::test {
namespace {

TEST(NmeaReceiver, LineEndsCutLinesAndKeepTheirLastCharacter) {
  struct Row {
    const char* legend;
    std::vector<std::string> chunks, lines;  // each chunk read in its own cycle; lines recorded in order
    std::string left;                        // what stays in the buffer
    uint32_t hdt;                            // HDT sentences parsed
  };
  const Row rows[] = {
      {"CR LF", {"$GPHDT,1.0,T\r\n"}, {"$GPHDT,1.0,T"}, "", 1},
      // Regression: a line ended by LF alone used to lose its last character.
      {"LF alone keeps the last character", {"$GPHDT,1.0,T\n"}, {"$GPHDT,1.0,T"}, "", 1},
      {"bare CR ends a line", {"$GPHDT,1.0,T\r$GPHDT,2.0,T\r"}, {"$GPHDT,1.0,T", "$GPHDT,2.0,T"}, "", 2},
      {"two sentences in one chunk, in order", {"AB1\r\nCD2\r\n"}, {"AB1", "CD2"}, "", 0},
      {"partial line waits for its line end", {"$GPHDT,1.0,T\r\n$GPHD"}, {"$GPHDT,1.0,T"}, "$GPHD", 1},
      {"a sentence split across reads parses once", {"$GPHDT,27", "4.07,T*03\r\n"}, {"$GPHDT,274.07,T*03"}, "", 1},
      {"only CR LF is cleared without a line", {"\r\n"}, {}, "", 0},
      {"a one-character fragment is dropped", {"X\r\n$GPHDT,3.0,T\r\n"}, {"$GPHDT,3.0,T"}, "", 1},
      {"a TAG block is stripped", {"\\s:r3669945,c:1241544035*4A\\$GPHDT,4.0,T\r\n"}, {"$GPHDT,4.0,T"}, "", 1},
      {"a TAG block without its end is dropped", {"\\s:r3669945$GPHDT,4.0,T\r\n"}, {}, "", 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.legend);
    ReceiverRig rig;
    std::vector<std::string> seen;
    rig.rx.lineRecorder = [&](std::string_view l) { seen.emplace_back(l); };
    for (const std::string& chunk : row.chunks) rig.feed(chunk);
    EXPECT_EQ(seen, row.lines);
    EXPECT_EQ(rig.rx.receiveBuffer(0).toStdString(), row.left);
    EXPECT_EQ(rig.received(Sentence::HDT), row.hdt) << "each sentence parsed once";
    EXPECT_EQ(rig.errors(Sentence::HDT), 0u);
  }
}

TEST(NmeaReceiver, GarbageWithoutLineEndIsThrownAwayPastTheLimit) {
  ReceiverRig rig;
  rig.feed(std::string(9000, 'x'));
  EXPECT_EQ(rig.rx.bufferLength(0), 9000u);
  rig.feed(std::string(1001, '\x01'));
  EXPECT_EQ(rig.rx.bufferLength(0), 0u);
  rig.feed("$GPHDT,5.0,T\r\n");
  EXPECT_FLOAT_EQ(rig.nav.HeadingTrue, 5.0f);
  EXPECT_EQ(rig.rx.garbageLines(), 0u) << "thrown away before it became a line";
  // A network burst of whole lines far past the limit loses none of them.
  std::string burst;
  for (int i = 0; i < 2000; ++i) burst += "$GPHDT,6.0,T\r\n";
  rig.feed(burst + "garbage\r\n");
  EXPECT_EQ(rig.received(Sentence::HDT), 2001u);
  EXPECT_EQ(rig.rx.garbageLines(), 1u);
}

TEST(NmeaReceiver, ChecksumsDecideWhatIsParsedAndRepeated) {
  struct Row { const char* legend; std::string line; bool good; };  // bad: counted, not parsed nor repeated
  const Row rows[] = {
      {"good checksum", "$GPHDT,274.07,T*03", true},   {"lower-case hex digits", "$GPHDT,208.0,T*3f", true},
      {"no checksum is accepted", "$GPHDT,274.07,T", true}, {"wrong checksum", "$GPHDT,274.07,T*13", false},
      {"one checksum digit", "$GPHDT,274.07,T*3", false}, {"non-hex checksum", "$GPHDT,274.07,T*ZZ", false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.legend);
    ReceiverRig rig;
    rig.settings.NMEAOutput = rig.settings.Ports = "2";
    rig.rx.StartCommunication();
    rig.feed(row.line + "\r\n");
    EXPECT_EQ(rig.received(Sentence::HDT), 1u);
    EXPECT_EQ(rig.errors(Sentence::HDT), row.good ? 0u : 1u);
    EXPECT_EQ(rig.nav.HeadingTrue != 0, row.good);
    ASSERT_EQ(rig.links.size(), 2u);
    EXPECT_EQ(rig.links[1]->written.toStdString(), row.good ? row.line + "\r\n" : "");
  }
  // AIS is repeated too, whatever the sentence filters say, unless its checksum fails.
  ReceiverRig rig;
  rig.settings.NMEAOutput = rig.settings.Ports = "2";
  rig.rx.StartCommunication();
  const std::string ais = "!AIVDM,1,1,,B,177KQJ5000G?tO`K>RA1wUbN0TKH,0*5C";
  rig.feed(ais + "\r\n" + ais.substr(0, ais.size() - 2) + "00\r\n");
  ASSERT_EQ(rig.links.size(), 2u);
  EXPECT_EQ(rig.links[1]->written.toStdString(), ais + "\r\n");
}

TEST(NmeaReceiver, TalkerAndSentenceFiltersGateParsingNotTheLastSentences) {
  ReceiverRig rig;
  rig.settings.Ports = rig.settings.NMEAOutput = "2";
  rig.settings.NMEAIn[0] = "1101111111111111111111";    // GGA (index 2) off for $GP
  rig.settings.NMEAOut[0] = "1111111111111111111110";   // ZDA not repeated
  rig.settings.AllNMEA[1] = "-1";                       // $AP repeats ids outside the table
  rig.rx.StartCommunication();
  const QStringList lines = {"$GPGGA,095305.802,2712.6547,S,15303.1350,E,1,04,21.1,3.0,M,42.2,M,,*75",
                             "$GPZDA,051133.00,04,07,2012,00,00", "$APXTE,A,A,0.1,R,N", "$GPXTE,A,A,0.1,R,N",
                             "$PGRME,15.0,M,45.0,M,25.0,M*22"};
  rig.feed((lines.join("\r\n") + "\r\n").toStdString());
  EXPECT_EQ(rig.received(Sentence::GGA), 0u) << "GGA filtered out";
  EXPECT_EQ(rig.received(Sentence::ZDA), 1u);
  EXPECT_EQ(rig.nav.Latitude, 0.0f);
  EXPECT_EQ(rig.rx.LastSentences(), lines);
  EXPECT_EQ(rig.links[1]->written, (lines[0] + "\r\n" + lines[2] + "\r\n").toLatin1()) << "GGA, $AP's XTE";
}

TEST(NmeaReceiver, LastMatchingTalkerWinsAndLastSentencesKeepsOneLinePerHeader) {
  ReceiverRig rig;
  rig.settings.IDIn[5] = "$GP";
  rig.settings.NMEAIn[5] = "0000000000000000000000";  // talker 5 parses nothing
  rig.rx.applySettings();
  rig.feed("$GPHDT,10.0,T\r\n$GPHDT,20.0,T\r\n$APHDT,30.0,T\r\n");
  EXPECT_EQ(rig.received(Sentence::HDT), 1u) << "$GP counts as talker 5, which filters HDT";
  EXPECT_FLOAT_EQ(rig.nav.HeadingTrue, 30.0f);
  EXPECT_EQ(rig.rx.LastSentences(), QStringList({"$GPHDT,20.0,T", "$APHDT,30.0,T"}));
}

TEST(NmeaReceiver, AstralShipsAndRadarSentencesTakeTheirOwnPaths) {
  ReceiverRig rig;
  rig.settings.Ports = rig.settings.NMEAOutput = "2";
  rig.rx.StartCommunication();
  QStringList ships;
  rig.rx.remoteShipParser = [&](const SentenceFields& f) { ships = f.toStringList(); };
  rig.feed("ASTRAL 1234\r\n$SHIPS,NAME,5223.1,N*00\r\n$RATTM,01,1.5,090.0,T,5.0,180.0,T,0.2,10.0,N,TGT,T,,*00\r\n");
  EXPECT_EQ(ships, QStringList({"$SHIPS", "NAME", "5223.1", "N", "00"}));
  EXPECT_EQ(rig.rx.RemoteShipFields(), ships);
  EXPECT_EQ(rig.received(Sentence::TTM), 0u) << "no radar parser installed yet";
  EXPECT_EQ(rig.rx.LastSentences().size(), 1) << "only the TTM line has a table entry";
  EXPECT_EQ(rig.links[1]->written.toStdString(), "ASTRAL\r\n");

  int calls = 0;
  rig.rx.setParser(Sentence::TTM, [&](const SentenceFields& f) {
    ++calls;
    return ParseResult{f.size() > 10, 0};
  });
  rig.feed("$RATTM,01,1.5\r\n");
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(rig.received(Sentence::TTM), 1u);
  EXPECT_EQ(rig.errors(Sentence::TTM), 1u);
}

TEST(NmeaReceiver, StartCommunicationOpensEveryPortSetAndNamesTheOneThatFails) {
  ReceiverRig rig;
  rig.settings.Ports = "3";
  rig.settings.Comm[0].Port = "/dev/ttyUSB0";
  rig.settings.Comm[1] = {.Baudrate = " 9600", .Bits = "7", .Parity = "E", .Paritybits = "2", .Port = "2"};
  rig.settings.Comm[2].Port = "/dev/ttyS9";
  rig.settings.Comm[2].Handshake = 2;
  rig.refuse = {false, true, false};
  rig.nav.received(Sentence::RMC) = 5;
  rig.rx.inject(1, "stale");
  bool running = false;
  rig.rx.onRunningChanged = [&](bool r) { running = r; };
  rig.rx.StartCommunication();
  ASSERT_EQ(rig.links.size(), 3u);
  EXPECT_EQ(rig.links[0]->device, "/dev/ttyUSB0");
  EXPECT_EQ(rig.links[0]->settings, "4800,N,8,1");
  EXPECT_EQ(rig.links[1]->settings, "9600,E,7,2");
  EXPECT_TRUE(rig.links[2]->isOpen()) << "a failing port does not stop the others";
  EXPECT_EQ(rig.links[2]->handshake, Handshake::RtsCts);
  ASSERT_EQ(rig.prompter.entries().size(), 1u);
  EXPECT_EQ(rig.prompter.entries()[0].kind, Prompter::Kind::Critical);
  EXPECT_EQ(rig.prompter.lastText(), "COM 2: Comm settings not correct, please run setup (refused)");
  EXPECT_EQ(rig.received(Sentence::RMC), 0u);
  EXPECT_EQ(rig.rx.bufferLength(1), 0u);
  EXPECT_TRUE(running);

  rig.panels[Panel::Speed] = "5.0 Kts";
  rig.nav.SpeedOverGround = 5;
  rig.rx.StopCommunication();
  EXPECT_FALSE(running);
  EXPECT_FALSE(rig.links[0]->isOpen());
  EXPECT_TRUE(rig.nav.TimeStale && rig.nav.DateStale);
  EXPECT_EQ(rig.nav.SpeedOverGround, 0.0f);
  EXPECT_TRUE(rig.panels[Panel::Speed].isEmpty());
}

TEST(NmeaReceiver, SerialEventFollowsTheInputSourcePanel) {
  ReceiverRig rig;
  rig.settings.Ports = "2";
  rig.rx.StartCommunication();
  FakeSerialLink& port2 = *rig.links[1];
  port2.deliver("$GPHDT,1.0,T\r\n");
  EXPECT_EQ(rig.panels.inputSource(), "Gps");
  for (const char* source : {"Simul", "Test"}) {
    SCOPED_TRACE(source);
    rig.panels[Panel::InputSource] = source;
    port2.deliver("$GPHDT,2.0,T\r\n");
    EXPECT_EQ(rig.rx.bufferLength(1), 14u) << "discarded while the panel shows " << source;
  }
  rig.panels[Panel::InputSource].clear();
  rig.rx.selectedTelephone = [] { return QStringLiteral("Harbour office"); };
  port2.deliver("x");
  EXPECT_EQ(rig.panels.inputSource(), "Harbour office");
  rig.rx.tick();
  EXPECT_FLOAT_EQ(rig.nav.HeadingTrue, 1.0f);
  EXPECT_TRUE(rig.nav.DataReceived);
}

TEST(NmeaReceiver, PortThatVanishesIsReportedOnceAndClosed) {
  ReceiverRig rig;
  rig.rx.StartCommunication();
  FakeSerialLink& port = *rig.links[0];
  port.deliver("$GPHDT,1");
  port.fail("Resource error");
  port.fail("Resource error");
  rig.rx.tick();
  rig.rx.tick();
  ASSERT_EQ(rig.prompter.entries().size(), 1u);
  EXPECT_EQ(rig.prompter.lastText(), "COM 1: Resource error");
  EXPECT_FALSE(port.isOpen());
  rig.rx.inject(0, "0.0,T\r\n");
  rig.rx.tick();
  EXPECT_FLOAT_EQ(rig.nav.HeadingTrue, 10.0f) << "the receive path keeps working";
}

}  // namespace
}  // namespace tavrik::test
