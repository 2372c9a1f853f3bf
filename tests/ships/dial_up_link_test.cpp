// The dial-up instrument link against a recorded line and a fake clock: the bytes
// written for each kind of entry, and how the wait for CONNECT ends.

#include <gtest/gtest.h>

#include "core/messages.h"
#include "ships/dial_up_link.h"

namespace tavrik {
namespace {

TEST(DialUpLink, DialsWaitsAndEndsAsTheModemAnswers) {
  using State = DialUpLink::State;
  struct Step {
    qint64 afterMs;     // clock advance before the step
    const char* bytes;  // received, or nullptr for a tick alone
  };
  struct Case {
    const char* legend;
    TelephoneEntry entry;
    bool portOpens;
    std::vector<Step> steps;
    QByteArray wire;
    State state;
    int message;  // 0: none shown
  };
  const std::vector<Case> cases = {
      {"ATDT without dial string, CONNECT across two reads", {"Home", " 0201234 ", "", ""}, true,
       {{900, "ATDT0201234\r\r\nCONN"}, {500, "ECT 9600\r\n$GPGGA,1"}}, "ATDT0201234\r", State::Connected, 0},
      {"init string with CR LF, own dial string, busy", {"Work", "555", "AT&F E0", "ATX3DP"}, true,
       {{2000, "\r\nOK\r\n"}, {3000, "\r\nBUSY\r\n"}}, "AT&F E0\r\nATX3DP555\r", State::Idle, Msg::LineBusy},
      {"no CONNECT after exactly 60 s: still waiting", {"Home", "1", "", ""}, true, {{60000, nullptr}},
       "ATDT1\r", State::Dialling, 0},
      {"more than 60 s: timed out", {"Home", "1", "", ""}, true, {{60000, nullptr}, {1, nullptr}}, "ATDT1\r",
       State::Idle, Msg::TimedOutCalling},
      {"CONNECT in time, no limit afterwards", {"Home", "1", "", ""}, true,
       {{59999, "CONNECT\r\n"}, {120000, nullptr}}, "ATDT1\r", State::Connected, 0},
      {"port refused: nothing written", {"Home", "1", "ATZ", ""}, false, {{1000, "BUSY"}}, "", State::Idle, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.legend);
    FakeClock clock;
    RecordingPrompter prompter;
    QByteArray wire;
    int closes = 0;
    DialUpLink link(clock, prompter,
                    {[&] { return c.portOpens; }, [&](const QByteArray& b) { wire += b; }, [&] { ++closes; }});
    EXPECT_EQ(link.start(c.entry), c.portOpens);
    for (const Step& s : c.steps) {
      clock.advanceMs(s.afterMs);
      if (s.bytes) link.onBytes(s.bytes);
      link.tick();
    }
    EXPECT_EQ(wire, c.wire);
    EXPECT_EQ(link.state(), c.state);
    EXPECT_EQ(prompter.lastText(), c.message ? MessageText(c.message) : QString());
    // A failed dial closes the line once; the entry stays selected while the link is up.
    EXPECT_EQ(closes, c.message ? 1 : 0);
    EXPECT_EQ(link.selectedName(), c.state == State::Idle ? QString() : c.entry.name);
    // "Sto&p communication" closes a link that is up, and only that.
    const int before = closes;
    link.stop();
    EXPECT_EQ(closes - before, c.state == State::Idle ? 0 : 1);
    EXPECT_EQ(link.selectedName(), QString());
  }
}

}  // namespace
}  // namespace tavrik
