#include "automation/chart_object.h"

#include <QDBusMessage>
#include <QStringList>
#include <cmath>
#include <mutex>

#include "app/app.h"
#include "core/shared_selections.h"
#include "geo/nav_math.h"
#include "store/sql_text.h"

// QtDBus's hook that sees every incoming call just before it is delivered (exported by
// libQt6DBus, declared in its private headers).
void qDBusAddSpyHook(void (*hook)(const QDBusMessage&));

namespace tavrik {

namespace {

// QtDBus gives a property's setter no QDBusContext, so a refused write could not answer
// with an error. The spy hook keeps the Properties.Set call being delivered (calls are
// delivered one at a time on the object's thread, right after the hook), and refuse()
// answers it; the daemon then drops the program's own later success reply as unexpected.
QDBusMessage& propertyWriteInDelivery() {
  static QDBusMessage message;
  return message;
}

void notePropertyWrite(const QDBusMessage& m) {
  const bool ours = m.member() == QLatin1String("Set") && m.path() == QLatin1String(kAutomationPath) &&
                    m.interface() == QLatin1String("org.freedesktop.DBus.Properties");
  propertyWriteInDelivery() = ours ? m : QDBusMessage();
}

// The navigation values PropertiesChanged reports; the rest change only when a
// client writes them.
const char* const kNavigationProperties[] = {"latitude",   "longitude",   "course",      "speed",
                                             "GotoBearingM", "GotoBearingT", "GotoDistance", "GotoETE",
                                             "GotoVMG",    "GotoXTE",     "GotoWP",      "GotoSteer",
                                             "GotoAlarm"};

QStringList filterItems(const QString& list) {
  QStringList items;
  for (const QString& item : list.split(QLatin1Char(','))) {
    const QString t = item.trimmed();
    if (!t.isEmpty()) items << t;
  }
  if (items.isEmpty()) items << QStringLiteral("ALL");
  return items;
}

}  // namespace

QString checkNmeaText(const QString& text) {
  if (text.size() > kAutomationSentenceLimit)
    return QStringLiteral("nmea takes at most %1 characters, not %2").arg(kAutomationSentenceLimit).arg(text.size());
  for (const QChar c : text) {
    const char16_t u = c.unicode();
    if ((u < 0x20 && u != '\r' && u != '\n') || u == 0x7f)
      return QStringLiteral("nmea text holds the control character %1").arg(int(u));
    if (u > 0x7e) return QStringLiteral("nmea text holds the non-ASCII character U+%1").arg(int(u), 4, 16, QLatin1Char('0'));
  }
  return {};
}

ChartObject::ChartObject(App& app, AutomationHost& host, QObject* parent)
    : QObject(parent), m_app(app), m_host(host) {}

bool ChartObject::registerOn(QDBusConnection bus, QString* why) {
  if (!bus.isConnected()) {
    if (why) *why = QStringLiteral("no session bus: ") + bus.lastError().message();
    return false;
  }
  if (!bus.registerObject(QLatin1String(kAutomationPath), this, QDBusConnection::ExportAdaptors)) {
    if (why) *why = QStringLiteral("the object /chart is taken on the session bus");
    return false;
  }
  if (!bus.registerService(QLatin1String(kAutomationService))) {
    bus.unregisterObject(QLatin1String(kAutomationPath));
    if (why) *why = QStringLiteral("another program serves org.tavrik.Tavrik: ") + bus.lastError().message();
    return false;
  }
  m_bus = bus;
  static std::once_flag hooked;
  std::call_once(hooked, [] { qDBusAddSpyHook(&notePropertyWrite); });
  return true;
}

void ChartObject::startAutomationSession() {
  NavigationState& n = m_app.nav;
  n.Latitude = n.Longitude = 0;
  n.SpeedOverGround = n.CourseOverGround = 0;
  n.HeadingTrue = n.HeadingMagnetic = n.WaterSpeed = 0;
  n.DepthFeet = n.DepthMetres = n.WaterTemperature = n.AirPressure = 0;
  n.WindAngle = n.WindSpeed = n.WindDirection = 0;
  if (!m_app.steering.go.running()) m_app.steering.go.state() = GotoState();
  m_app.steering.go.automationServer = true;
  // Empties the buffers, resets the radar targets and starts the receive cycle.
  m_app.receiver.beginSession();
  m_app.panels[Panel::InputSource] = QStringLiteral("OLE");
}

void ChartObject::ensureSession() {
  if (m_app.panels.inputSource().isEmpty() && !m_app.receiver.isRunning()) startAutomationSession();
}

void ChartObject::refuse(const char* errorName, const QString& text) const {
  if (calledFromDBus()) {
    sendErrorReply(QLatin1String(errorName), text);
    return;
  }
  QDBusMessage& write = propertyWriteInDelivery();
  if (write.type() == QDBusMessage::MethodCallMessage && m_bus.isConnected()) {
    m_bus.send(write.createErrorReply(QLatin1String(errorName), text));
    write = QDBusMessage();
  }
}

QVariant ChartObject::lookup(const QString& sql, const QVariant& param) const {
  if (!m_app.db.isOpen()) {
    refuse(automation_error::kDatabase, QStringLiteral("no database is open"));
    return {};
  }
  StoreResult result;
  const QVariant v = m_app.db.scalar(sql, {param}, &result);
  if (!result.ok()) {
    refuse(automation_error::kDatabase, result.detail.isEmpty() ? m_app.db.lastEngineMessage() : result.detail);
    return {};
  }
  return v;
}

// Window and appearance.
bool ChartObject::visible() const { return m_host.mainVisible(); }
void ChartObject::setVisible(bool v) { m_host.setMainVisible(v); }
double ChartObject::height() const { return m_host.mainGeometry().height(); }
double ChartObject::left() const { return m_host.mainGeometry().x(); }
double ChartObject::top() const { return m_host.mainGeometry().y(); }
double ChartObject::width() const { return m_host.mainGeometry().width(); }

void ChartObject::setHeight(double v) {
  if (!(v >= 1 && v <= 100000)) return refuse(automation_error::kInvalidArgument, QStringLiteral("Height out of range"));
  QRect r = m_host.mainGeometry();
  r.setHeight(static_cast<int>(std::lround(v)));
  m_host.setMainGeometry(r);
}
void ChartObject::setWidth(double v) {
  if (!(v >= 1 && v <= 100000)) return refuse(automation_error::kInvalidArgument, QStringLiteral("Width out of range"));
  QRect r = m_host.mainGeometry();
  r.setWidth(static_cast<int>(std::lround(v)));
  m_host.setMainGeometry(r);
}
void ChartObject::setLeft(double v) {
  if (!(std::fabs(v) <= 100000)) return refuse(automation_error::kInvalidArgument, QStringLiteral("Left out of range"));
  QRect r = m_host.mainGeometry();
  r.moveLeft(static_cast<int>(std::lround(v)));
  m_host.setMainGeometry(r);
}
void ChartObject::setTop(double v) {
  if (!(std::fabs(v) <= 100000)) return refuse(automation_error::kInvalidArgument, QStringLiteral("Top out of range"));
  QRect r = m_host.mainGeometry();
  r.moveTop(static_cast<int>(std::lround(v)));
  m_host.setMainGeometry(r);
}
short ChartObject::windowState() const { return static_cast<short>(m_host.mainWindowState()); }
void ChartObject::setWindowState(short v) {
  if (v < 0 || v > 2)
    return refuse(automation_error::kInvalidArgument, QStringLiteral("WindowState is 0 (normal), 1 (minimised) or 2 (maximised)"));
  m_host.setMainWindowState(v);
}
bool ChartObject::menu() const { return m_host.menusVisible(); }
void ChartObject::setMenu(bool v) { m_host.setMenusVisible(v); }
bool ChartObject::statusbar() const { return m_host.statusBarVisible(); }
void ChartObject::setStatusbar(bool v) { m_host.setStatusBarVisible(v); }
bool ChartObject::toolbar() const { return m_host.toolBarVisible(); }
void ChartObject::setToolbar(bool v) { m_host.setToolBarVisible(v); }
void ChartObject::StayOnTop() { m_host.stayOnTop(); }
void ChartObject::NightScreen() {
  if (!m_host.toggleNightScreen())
    return refuse(automation_error::kNotAvailable, QStringLiteral("this Tavrik has no night screen"));
  m_app.requests.nightScreenChanged = true;
}
void ChartObject::CloseGPS() { m_host.closeProgram(); }
QString ChartObject::user() const { return m_app.options.loginUser; }
void ChartObject::setUser(const QString& v) { m_app.options.loginUser = v; }
void ChartObject::setPassword(const QString& v) { m_app.options.loginPassword = v; }

// Chart, folder and overlay selection.
QString ChartObject::chart() const { return m_app.activeChart; }

void ChartObject::setChart(const QString& name) {
  if (name.isEmpty()) return;
  const QVariant found = lookup(QStringLiteral("SELECT description FROM Charts WHERE description = ?"), name);
  if (!found.isValid()) return;
  m_app.activeChart = found.toString().left(50);
  m_app.requests.chartChanged = true;
}

void ChartObject::ClearChart() {
  if (m_app.activeChart.isEmpty()) return;
  m_app.activeChart.clear();
  m_app.requests.chartChanged = true;
}

void ChartObject::CheckCharts() { m_app.requests.searchChart = true; }

QString ChartObject::folder() const { return m_app.panels[Panel::Folder]; }

void ChartObject::setFolder(const QString& name) {
  if (name.isEmpty()) return;
  const QVariant found = lookup(QStringLiteral("SELECT folder FROM Folders WHERE description = ?"), name);
  if (!found.isValid()) return;
  const int number = found.toInt();
  m_app.settings.system.folder = number;
  m_app.panels[Panel::Folder] = name;
  m_app.selections.folderCharts =
      QStringLiteral("SELECT Charts.* FROM [Folder charts], Charts") + " WHERE [Folder charts].Chart = Charts.chart" +
      " AND [Folder charts].Folder = " + QString::number(number);
}

void ChartObject::ClearFolder() {
  m_app.settings.system.folder = 0;
  m_app.panels[Panel::Folder].clear();
  m_app.selections.folderCharts.clear();
}

void ChartObject::setRoute(const QString& name) {
  if (name.isEmpty()) return;
  const QVariant found = lookup(QStringLiteral("SELECT route FROM Routes WHERE description = ?"), name);
  if (!found.isValid()) return;
  const int number = found.toInt();
  m_routeName = name;
  m_app.steering.selectedRoute = number;
  m_app.selections.routeWaypoints = QStringLiteral("SELECT Waypoints.* FROM [Route points], Waypoints ") +
                                    " WHERE [Route points].Waypoint = Waypoints.Waypoint" +
                                    " AND [Route points].Route = " + QString::number(number) +
                                    " OrdER BY [Route points].Sequence";
  m_app.requests.redrawOverlays = true;
}

void ChartObject::ClearRoute() {
  m_routeName.clear();
  m_app.steering.selectedRoute = 0;
  m_app.selections.routeWaypoints.clear();
  m_app.requests.redrawOverlays = true;
}

void ChartObject::ClearWaypoints() {
  m_app.selections.displayedWaypoints.clear();
  m_app.requests.redrawOverlays = true;
}

void ChartObject::setWPGroup(const QString& v) { m_groups = filterItems(v).join(QStringLiteral(", ")); }
void ChartObject::setWPType(const QString& v) { m_types = filterItems(v).join(QStringLiteral(", ")); }

void ChartObject::DisplayWaypoints() {
  // Each item is quoted on its own, so a name never ends the list early.
  m_app.selections.displayedWaypoints = DisplayWaypointsQuery(filterItems(m_groups), filterItems(m_types));
  m_app.requests.redrawOverlays = true;
}

bool ChartObject::circles() const { return m_app.settings.ChartCircles; }
void ChartObject::setCircles(bool v) {
  m_app.settings.ChartCircles = v;
  m_app.requests.redrawAll = true;
}
bool ChartObject::track() const { return m_app.settings.ChartTrack; }
void ChartObject::setTrack(bool v) {
  m_app.settings.ChartTrack = v;
  m_app.requests.redrawAll = true;
}

short ChartObject::zoom() const { return static_cast<short>(m_host.chartZoomPercent()); }
void ChartObject::setZoom(short v) {
  // -1 fits the whole chart in the window, as the zoom window's "Fit" does.
  if (v != -1 && (v < 5 || v > 1600))
    return refuse(automation_error::kInvalidArgument, QStringLiteral("zoom takes 5 to 1600 per cent, or -1 to fit"));
  m_app.requests.zoomRequest = v;
}

void ChartObject::position() { m_app.requests.centreOnPosition = true; }
void ChartObject::Refresh() { m_app.requests.redrawOverlays = true; }

// Navigation values.
double ChartObject::latitude() const { return m_app.nav.Latitude; }
double ChartObject::longitude() const { return m_app.nav.Longitude; }
void ChartObject::setLatitude(double v) {
  if (!(std::fabs(v) <= 90)) return refuse(automation_error::kInvalidArgument, QStringLiteral("latitude out of range"));
  m_app.nav.Latitude = static_cast<float>(v);
}
void ChartObject::setLongitude(double v) {
  if (!(std::fabs(v) <= 180)) return refuse(automation_error::kInvalidArgument, QStringLiteral("longitude out of range"));
  m_app.nav.Longitude = static_cast<float>(v);
}
double ChartObject::course() const { return m_app.nav.CourseOverGround; }
double ChartObject::speed() const { return m_app.nav.SpeedOverGround; }
double ChartObject::gotoBearingM() const { return m_app.steering.go.state().BearingM; }
double ChartObject::gotoBearingT() const { return m_app.steering.go.state().BearingT; }
double ChartObject::gotoDistance() const { return m_app.steering.go.state().Distance; }
double ChartObject::gotoETE() const { return m_app.steering.go.state().ETE; }
double ChartObject::gotoVMG() const { return m_app.steering.go.state().VMG; }
double ChartObject::gotoXTE() const { return m_app.steering.go.state().XTE; }
int ChartObject::gotoWP() const { return m_app.steering.go.state().WP; }
QString ChartObject::gotoSteer() const { return m_app.steering.go.state().Steer.left(1); }
bool ChartObject::gotoAlarm() const { return m_app.steering.go.state().Alarm; }
double ChartObject::clickLat() const { return m_app.automation.ClickLat; }
double ChartObject::clickLon() const { return m_app.automation.ClickLon; }
double ChartObject::clickX() const { return m_app.automation.ClickX; }
double ChartObject::clickY() const { return m_app.automation.ClickY; }
int ChartObject::clickWP() const { return m_app.automation.ClickWP; }

// Drawing a line from the own position.
double ChartObject::drawLat() const { return m_app.automation.DrawLat; }
double ChartObject::drawLon() const { return m_app.automation.DrawLon; }
double ChartObject::drawCourse() const { return m_app.automation.DrawCourse; }
double ChartObject::drawDistance() const { return m_app.automation.DrawDistance; }
void ChartObject::setDrawLat(double v) {
  if (!(std::fabs(v) < 90)) return refuse(automation_error::kInvalidArgument, QStringLiteral("DrawLat out of range"));
  m_app.automation.DrawLat = v;
}
void ChartObject::setDrawLon(double v) {
  if (!(std::fabs(v) <= 180)) return refuse(automation_error::kInvalidArgument, QStringLiteral("DrawLon out of range"));
  m_app.automation.DrawLon = v;
}
void ChartObject::setDrawCourse(double v) {
  if (!(v >= 0 && v <= 360)) return refuse(automation_error::kInvalidArgument, QStringLiteral("DrawCourse out of range"));
  m_app.automation.DrawCourse = v;
}
void ChartObject::setDrawDistance(double v) {
  if (!(v >= 0 && v <= 10800))
    return refuse(automation_error::kInvalidArgument, QStringLiteral("DrawDistance out of range"));
  m_app.automation.DrawDistance = v;
}

void ChartObject::DrawCourseDistance() {
  CalcRecord r;
  r.Lat1 = m_app.nav.Latitude;
  r.Lon1 = m_app.nav.Longitude;
  r.Course = m_app.automation.DrawCourse;
  r.Distance = m_app.automation.DrawDistance;
  DeadReckoning(r);
  m_app.automation.DrawLat = r.Lat2;
  m_app.automation.DrawLon = r.Lon2;
  m_app.automation.drawLineShown = true;
  m_app.requests.drawAutomationLine = true;
}

void ChartObject::DrawToPosition() {
  CalcRecord r;
  r.Lat1 = m_app.nav.Latitude;
  r.Lon1 = m_app.nav.Longitude;
  r.Lat2 = m_app.automation.DrawLat;
  r.Lon2 = m_app.automation.DrawLon;
  RhumbCourseDistance(r);
  m_app.automation.DrawCourse = r.Course;
  m_app.automation.DrawDistance = r.Distance;
  m_app.automation.drawLineShown = true;
  m_app.requests.drawAutomationLine = true;
}

// Go-to.
void ChartObject::GotoWaypoint(int Waypoint) {
  if (Waypoint != 0) {
    if (!m_app.db.isOpen()) return refuse(automation_error::kDatabase, QStringLiteral("no database is open"));
    StoreResult result;
    const auto rows = m_app.db.rows(QStringLiteral("SELECT latitude, longitude FROM Waypoints WHERE Waypoint = ?"),
                                    {Waypoint}, &result);
    if (!result.ok()) return refuse(automation_error::kDatabase, result.detail);
    if (!rows.empty()) {
      // The main cycle reopens the go-to window on this position at its next tick.
      m_app.requests.gotoLatitude = rows.front().value(0).toDouble();
      m_app.requests.gotoLongitude = rows.front().value(1).toDouble();
      return;
    }
  }
  if (m_app.steering.selectedRoute != 0) {
    m_host.closeWindow(QStringLiteral("gpsgoto"));
    m_host.openWindow(QStringLiteral("gpsgoto"));
  }
}

void ChartObject::GotoNext() { m_app.steering.go.state().nextRequest = true; }
void ChartObject::GotoPrevious() { m_app.steering.go.state().previousRequest = true; }
void ChartObject::GotoStop() { m_host.closeWindow(QStringLiteral("gpsgoto")); }

// Windows.
void ChartObject::openWindow(const QString& objectName, const QString& member) {
  if (!m_host.openWindow(objectName))
    refuse(automation_error::kNotAvailable, member + QStringLiteral(": this Tavrik has no such window"));
}
void ChartObject::Calculations() { openWindow(QStringLiteral("gpscalc"), QStringLiteral("Calculations")); }
void ChartObject::Calibrate() { openWindow(QStringLiteral("gpscalib"), QStringLiteral("Calibrate")); }
void ChartObject::DatumConversion() { openWindow(QStringLiteral("gpsdconv"), QStringLiteral("DatumConversion")); }
void ChartObject::UTMConversion() { openWindow(QStringLiteral("gpsgrid"), QStringLiteral("UTMConversion")); }
void ChartObject::NGRConversion() { openWindow(QStringLiteral("gpsgrid"), QStringLiteral("NGRConversion")); }
void ChartObject::DeleteChart() { openWindow(QStringLiteral("gpsdelchart"), QStringLiteral("DeleteChart")); }
void ChartObject::EditFolders() { openWindow(QStringLiteral("gpsfolders"), QStringLiteral("EditFolders")); }
void ChartObject::SetupColor() { openWindow(QStringLiteral("gpscolor"), QStringLiteral("SetupColor")); }
void ChartObject::SetupNavigation() { openWindow(QStringLiteral("gpscauto"), QStringLiteral("SetupNavigation")); }

// NMEA input.
void ChartObject::setNmea(const QString& text) {
  const QString why = checkNmeaText(text);
  if (!why.isEmpty()) return refuse(automation_error::kInvalidArgument, why);
  ensureSession();
  if (m_app.panels.inputSource().isEmpty()) m_app.panels[Panel::InputSource] = QStringLiteral("OLE");
  if (m_app.panels.inputSource() != QLatin1String("OLE")) return;
  if (m_app.receiver.bufferLength(0) >= static_cast<size_t>(kAutomationBufferLimit)) return;
  const QByteArray line = text.toLatin1() + "\r\n";
  m_app.receiver.inject(0, std::string_view(line.constData(), static_cast<size_t>(line.size())));
}

QVariantMap ChartObject::navigationValues() const {
  QVariantMap values;
  for (const char* name : kNavigationProperties) values.insert(QLatin1String(name), property(name));
  return values;
}

void ChartObject::emitPropertiesChanged() {
  const QVariantMap now = navigationValues();
  QVariantMap changed;
  for (auto it = now.cbegin(); it != now.cend(); ++it)
    if (m_reported.value(it.key()) != it.value()) changed.insert(it.key(), it.value());
  m_reported = now;
  if (changed.isEmpty() || !m_bus.isConnected()) return;
  QDBusMessage signal = QDBusMessage::createSignal(QLatin1String(kAutomationPath),
                                                   QStringLiteral("org.freedesktop.DBus.Properties"),
                                                   QStringLiteral("PropertiesChanged"));
  signal << QLatin1String(kAutomationInterface) << changed << QStringList();
  m_bus.send(signal);
}

void ChartObject::tick() {
  AutomationValues& a = m_app.automation;
  if (a.clickPending) {
    a.clickPending = false;
    emit ChartClick(a.ClickX, a.ClickY, a.ClickLat, a.ClickLon, a.ClickWP);
  }
  const qint64 nowMs = m_app.clock.now().toMSecsSinceEpoch();
  if (m_lastReportMs >= 0 && nowMs - m_lastReportMs < 1000 && nowMs >= m_lastReportMs) return;
  m_lastReportMs = nowMs;
  emitPropertiesChanged();
}

}  // namespace tavrik
