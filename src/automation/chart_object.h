#pragma once
// The automation object `/chart` (interface org.tavrik.chart, defined by
// org.tavrik.chart.xml): every member reads or writes the App's shared state or asks
// the windows through an AutomationHost. It keeps no navigation state of its own.
// Arguments are checked here; a refused one or a failing database call answers the
// client with a named D-Bus error.
//
// Periodic work: tick() every 100 ms (the owner's QTimer) raises ChartClick for a
// pending click and, at most once a second, PropertiesChanged for the navigation
// values that changed.

#include <QDBusConnection>
#include <QDBusContext>
#include <QObject>
#include <QString>
#include <QVariantMap>

#include "automation/automation_host.h"

namespace tavrik {

class App;

inline constexpr auto kAutomationService = "org.tavrik.Tavrik";
inline constexpr auto kAutomationPath = "/chart";
inline constexpr auto kAutomationInterface = "org.tavrik.chart";
// The receive buffer takes a client's sentences while it holds fewer characters.
inline constexpr int kAutomationBufferLimit = 65500;
// One call carries one sentence (or a few), never more than this.
inline constexpr int kAutomationSentenceLimit = 1000;

namespace automation_error {
inline constexpr auto kInvalidArgument = "org.tavrik.Error.InvalidArgument";
inline constexpr auto kDatabase = "org.tavrik.Error.Database";
inline constexpr auto kNotAvailable = "org.tavrik.Error.NotAvailable";
}  // namespace automation_error

// Why an nmea text is refused (empty when it is taken).
QString checkNmeaText(const QString& text);

class ChartObject : public QObject, protected QDBusContext {
  Q_OBJECT
  Q_PROPERTY(bool Visible READ visible WRITE setVisible)
  Q_PROPERTY(double Height READ height WRITE setHeight)
  Q_PROPERTY(double Left READ left WRITE setLeft)
  Q_PROPERTY(double Top READ top WRITE setTop)
  Q_PROPERTY(double Width READ width WRITE setWidth)
  Q_PROPERTY(short WindowState READ windowState WRITE setWindowState)
  Q_PROPERTY(bool Menu READ menu WRITE setMenu)
  Q_PROPERTY(bool Statusbar READ statusbar WRITE setStatusbar)
  Q_PROPERTY(bool Toolbar READ toolbar WRITE setToolbar)
  Q_PROPERTY(QString User READ user WRITE setUser)
  Q_PROPERTY(QString Password READ password WRITE setPassword)
  Q_PROPERTY(QString chart READ chart WRITE setChart)
  Q_PROPERTY(QString folder READ folder WRITE setFolder)
  Q_PROPERTY(QString route READ route WRITE setRoute)
  Q_PROPERTY(QString WPGroup READ wpGroup WRITE setWPGroup)
  Q_PROPERTY(QString WPType READ wpType WRITE setWPType)
  Q_PROPERTY(bool circles READ circles WRITE setCircles)
  Q_PROPERTY(bool Track READ track WRITE setTrack)
  Q_PROPERTY(short zoom READ zoom WRITE setZoom)
  Q_PROPERTY(double latitude READ latitude WRITE setLatitude)
  Q_PROPERTY(double longitude READ longitude WRITE setLongitude)
  Q_PROPERTY(double course READ course)
  Q_PROPERTY(double speed READ speed)
  Q_PROPERTY(double GotoBearingM READ gotoBearingM)
  Q_PROPERTY(double GotoBearingT READ gotoBearingT)
  Q_PROPERTY(double GotoDistance READ gotoDistance)
  Q_PROPERTY(double GotoETE READ gotoETE)
  Q_PROPERTY(double GotoVMG READ gotoVMG)
  Q_PROPERTY(double GotoXTE READ gotoXTE)
  Q_PROPERTY(int GotoWP READ gotoWP)
  Q_PROPERTY(QString GotoSteer READ gotoSteer)
  Q_PROPERTY(bool GotoAlarm READ gotoAlarm)
  Q_PROPERTY(double ClickLat READ clickLat)
  Q_PROPERTY(double ClickLon READ clickLon)
  Q_PROPERTY(double ClickX READ clickX)
  Q_PROPERTY(double ClickY READ clickY)
  Q_PROPERTY(int ClickWP READ clickWP)
  Q_PROPERTY(double DrawLat READ drawLat WRITE setDrawLat)
  Q_PROPERTY(double DrawLon READ drawLon WRITE setDrawLon)
  Q_PROPERTY(double DrawCourse READ drawCourse WRITE setDrawCourse)
  Q_PROPERTY(double DrawDistance READ drawDistance WRITE setDrawDistance)
  Q_PROPERTY(QString nmea READ nmeaEmpty WRITE setNmea)

 public:
  ChartObject(App& app, AutomationHost& host, QObject* parent = nullptr);

  // The object and the service name on `bus`; false with the reason when the name is
  // taken (another Tavrik serves it) or the bus refuses.
  bool registerOn(QDBusConnection bus, QString* why);
  // Automation mode: navigation, motion, instrument and go-to values cleared, receive
  // buffers emptied, radar targets reset and the receive cycle running (what a
  // client's first call does to an idle program, and `tavrik --automation` at start).
  void startAutomationSession();

  void tick();

  // Properties.
  bool visible() const;
  void setVisible(bool v);
  double height() const;
  void setHeight(double v);
  double left() const;
  void setLeft(double v);
  double top() const;
  void setTop(double v);
  double width() const;
  void setWidth(double v);
  short windowState() const;
  void setWindowState(short v);
  bool menu() const;
  void setMenu(bool v);
  bool statusbar() const;
  void setStatusbar(bool v);
  bool toolbar() const;
  void setToolbar(bool v);
  QString user() const;
  void setUser(const QString& v);
  QString password() const { return {}; }  // never readable over the bus
  void setPassword(const QString& v);
  QString chart() const;
  void setChart(const QString& name);
  QString folder() const;
  void setFolder(const QString& name);
  QString route() const { return m_routeName; }
  void setRoute(const QString& name);
  QString wpGroup() const { return m_groups; }
  void setWPGroup(const QString& v);
  QString wpType() const { return m_types; }
  void setWPType(const QString& v);
  bool circles() const;
  void setCircles(bool v);
  bool track() const;
  void setTrack(bool v);
  short zoom() const;
  void setZoom(short v);
  double latitude() const;
  void setLatitude(double v);
  double longitude() const;
  void setLongitude(double v);
  double course() const;
  double speed() const;
  double gotoBearingM() const;
  double gotoBearingT() const;
  double gotoDistance() const;
  double gotoETE() const;
  double gotoVMG() const;
  double gotoXTE() const;
  int gotoWP() const;
  QString gotoSteer() const;
  bool gotoAlarm() const;
  double clickLat() const;
  double clickLon() const;
  double clickX() const;
  double clickY() const;
  int clickWP() const;
  double drawLat() const;
  void setDrawLat(double v);
  double drawLon() const;
  void setDrawLon(double v);
  double drawCourse() const;
  void setDrawCourse(double v);
  double drawDistance() const;
  void setDrawDistance(double v);
  QString nmeaEmpty() const { return {}; }
  void setNmea(const QString& text);

  // The navigation values PropertiesChanged reports, by property name.
  QVariantMap navigationValues() const;

 public slots:
  void StayOnTop();
  void NightScreen();
  void CloseGPS();
  void ClearChart();
  void CheckCharts();
  void ClearFolder();
  void ClearRoute();
  void ClearWaypoints();
  void DisplayWaypoints();
  void position();
  void Refresh();
  void DrawCourseDistance();
  void DrawToPosition();
  void GotoWaypoint(int Waypoint);
  void GotoNext();
  void GotoPrevious();
  void GotoStop();
  void Calculations();
  void Calibrate();
  void DatumConversion();
  void UTMConversion();
  void NGRConversion();
  void DeleteChart();
  void EditFolders();
  void SetupColor();
  void SetupNavigation();

 signals:
  void ChartClick(double x, double y, double latitude, double longitude, int Waypoint);

 private:
  // Answers the calling client with a named error (no-op outside a bus call).
  void refuse(const char* errorName, const QString& text) const;
  // The first column of a bound lookup; invalid when nothing matched or it failed
  // (then the client has its Database error).
  QVariant lookup(const QString& sql, const QVariant& param) const;
  void openWindow(const QString& objectName, const QString& member);
  void ensureSession();
  void emitPropertiesChanged();

  App& m_app;
  AutomationHost& m_host;
  QDBusConnection m_bus{QString()};
  QString m_routeName;
  QString m_groups = QStringLiteral("ALL"), m_types = QStringLiteral("ALL");
  QVariantMap m_reported;
  qint64 m_lastReportMs = -1;
};

}  // namespace tavrik
