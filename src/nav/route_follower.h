#pragma once
// Follows a go-to target or a route over an NMEA stream without windows or ports:
// the receive path parses the stream, and every accepted position fix runs one go-to
// tick whose clock is the fix's time; the tick's sentences go to a sink, one line
// each with checksum and CR LF. Behind tavrik-nav and its benchmark.

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

#include "core/app_settings.h"
#include "core/clock.h"
#include "core/navigation_state.h"
#include "core/prompter.h"
#include "core/request_flags.h"
#include "core/status_panels.h"
#include "nav/goto_controller.h"
#include "nmea/nmea_receiver.h"

namespace tavrik {

struct RouteFollowerOptions {
  std::optional<std::pair<double, double>> gotoTarget;  // latitude, longitude
  std::vector<GotoTarget> route;
  QString units = QStringLiteral("Nm");
  QString talker = QStringLiteral("GP");
  std::vector<GotoSentence> sentences{GotoSentence::RMB, GotoSentence::XTE, GotoSentence::APB};
  double alarmDistanceNm = 0.001;
  double turnDistanceNm = 0.001;
  bool automatic = false;
};

// "lat lon [name]" lines in decimal degrees; blank lines and lines starting with "#"
// are skipped. On a bad line returns false with error naming the line.
bool readRouteText(const QString& text, std::vector<GotoTarget>& route, QString& error);
// "RMB,APB,XTE" into sentence kinds; false with error naming an unknown one.
bool parseSentenceList(const QString& text, std::vector<GotoSentence>& out, QString& error);

class RouteFollower {
 public:
  RouteFollower(const RouteFollowerOptions& options, std::function<void(std::string_view)> sink);

  void feed(std::string_view bytes);
  void finish();

  uint64_t fixCount() const { return m_fixes; }
  const GotoController& controller() const { return m_goto; }
  const NavigationState& nav() const { return m_nav; }

 private:
  // The tick's clock is the time of the fix being processed.
  class FixClock final : public Clock {
   public:
    explicit FixClock(const NavigationState& nav) : m_nav(nav) {}
    // UTC spares a time-zone lookup per fix; only the time of day is used.
    QDateTime now() const override {
      return QDateTime(QDate(2000, 1, 1), m_nav.FixTime.isValid() ? m_nav.FixTime : QTime(0, 0), Qt::UTC);
    }

   private:
    const NavigationState& m_nav;
  };

  void onFix();

  NavigationState m_nav;
  StatusPanels m_panels;
  AppSettings m_settings;
  RequestFlags m_requests;
  RecordingPrompter m_prompter;
  FixClock m_clock{m_nav};
  NmeaReceiver m_rx;
  GotoController m_goto;
  std::function<void(std::string_view)> m_sink;
  std::string m_out;
  uint64_t m_fixes = 0;
  std::array<bool, kGotoSentenceCount> m_chosen{};
};

}  // namespace tavrik
