#include "geo/ui/position_control.h"

#include <QApplication>
#include <QEvent>
#include <QFocusEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QTimer>

#include "core/sound_player.h"

namespace tavrik {
namespace {

const char* const kAllTags[] = {"LATD", "LATM", "LATS", "LATNS", "LOND", "LONM", "LONS", "LONEW", "ZONE",
                                "ZONEDES", "UTMX", "UTMY", "RDPX", "RDPY", "NGRSQ", "NGRX", "NGRY"};

// Characters of room each field gets.
int fieldChars(const QString& tag, int decimals) {
  if (tag == "LATD" || tag == "LOND") return 3;
  if (tag == "LATM" || tag == "LONM") return decimals > 0 ? 3 + decimals : 2;
  if (tag == "LATS" || tag == "LONS") return decimals > 0 ? 3 + decimals : 2;
  if (tag == "LATNS" || tag == "LONEW" || tag == "ZONEDES" || tag == "NGRSQ") return 2;
  if (tag == "ZONE") return 2;
  if (tag == "UTMX" || tag == "RDPX" || tag == "RDPY") return 7;
  if (tag == "UTMY") return 8;
  return 5;  // NGRX, NGRY
}

}  // namespace

PositionControl::PositionControl(QWidget* parent) : QFrame(parent) {
  m_decimalSeparator = QLocale::system().decimalPoint().at(0);
  m_captions = {{"PosCaption", QStringLiteral("Position")},    {"LatCaption", QStringLiteral("Latitude")},
                {"LonCaption", QStringLiteral("Longitude")},   {"UTMCaption1", QStringLiteral("UTM Zone")},
                {"UTMCaption2", QStringLiteral("UTM X/Y")},    {"RDPXCaption", QStringLiteral("RDP X")},
                {"RDPYCaption", QStringLiteral("RDP Y")},      {"NGRCaption", QStringLiteral("NGR")}};
  m_layout = new QGridLayout(this);
  m_layout->setContentsMargins(2, 2, 2, 2);
  m_layout->setHorizontalSpacing(6);
  m_layout->setVerticalSpacing(3);
  for (auto it = m_captions.cbegin(); it != m_captions.cend(); ++it) {
    auto* label = new QLabel(it.value(), this);
    label->setObjectName(it.key());
    label->hide();
    m_captionLabels[it.key()] = label;
  }
  m_displayCaption = m_captionLabels["PosCaption"];
  m_displayLabel = new QLabel(this);
  m_displayLabel->setObjectName(QStringLiteral("display"));
  m_displayLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
  m_displayLabel->hide();
  for (const char* t : kAllTags) {
    const QString tag = QLatin1String(t);
    auto* edit = new QLineEdit(this);
    edit->setObjectName(tag);
    edit->setProperty("tag", tag);
    edit->setAlignment(GridNotation::isNumericTag(tag) ? Qt::AlignRight : Qt::AlignHCenter);
    edit->installEventFilter(this);
    edit->hide();
    m_fields[tag] = edit;
  }
  for (const char* t : {"LATD", "LATM", "LATS", "LOND", "LONM", "LONS"}) {
    const QString tag = QLatin1String(t);
    const QString unit = tag.endsWith('D') ? QStringLiteral("°") : (tag.endsWith('M') ? QStringLiteral("'") : QStringLiteral("''"));
    auto* label = new QLabel(unit, this);
    label->setObjectName(tag + QStringLiteral("_unit"));
    label->hide();
    m_units[tag] = label;
  }
  InitGrid();
}

PositionControl::~PositionControl() = default;

void PositionControl::setLatitude(double lat) {
  m_lat = lat;
  refresh();
}

void PositionControl::setLongitude(double lon) {
  m_lon = lon;
  refresh();
}

void PositionControl::setPosition(double lat, double lon) {
  m_lat = lat;
  m_lon = lon;
  refresh();
}

void PositionControl::setGrid(int grid) {
  m_notation.grid = grid >= 0 && grid < kGridCount ? grid : 1;
  InitGrid();
}

void PositionControl::setDecimals(int decimals) {
  m_notation.decimals = decimals < 0 ? 0 : (decimals > 9 ? 9 : decimals);
  InitGrid();
}

void PositionControl::setMajoraxis(double a) {
  m_notation.majoraxis = a;
  refresh();
}

void PositionControl::setMinoraxis(double b) {
  m_notation.minoraxis = b;
  refresh();
}

void PositionControl::setLocked(bool locked) {
  m_locked = locked;
  applyLockState();
}

void PositionControl::setDisplay(bool display) {
  m_display = display;
  InitGrid();
}

void PositionControl::setBorderStyle(int style) {
  m_borderStyle = style;
  setFrameStyle(style == 0 ? QFrame::NoFrame : (QFrame::Box | QFrame::Plain));
}

void PositionControl::setNorth(const QString& s) {
  m_notation.North = s;
  refresh();
}
void PositionControl::setSouth(const QString& s) {
  m_notation.South = s;
  refresh();
}
void PositionControl::setEast(const QString& s) {
  m_notation.East = s;
  refresh();
}
void PositionControl::setWest(const QString& s) {
  m_notation.West = s;
  refresh();
}

void PositionControl::setCaption(const QString& key, const QString& text) {
  m_captions[key] = text;
  if (QLabel* label = m_captionLabels.value(key)) label->setText(text);
}

QString PositionControl::position() const { return m_notation.displayText(currentFields()); }

PositionFields PositionControl::currentFields() const {
  PositionFields f;
  for (const QString& tag : GridNotation::fieldTags(m_notation.effectiveGrid())) f[tag] = m_fields[tag]->text();
  return f;
}

void PositionControl::InitGrid() {
  // Take every widget out of the layout; the notation decides what comes back.
  while (QLayoutItem* item = m_layout->takeAt(0)) {
    if (QLayout* row = item->layout()) {
      while (QLayoutItem* inner = row->takeAt(0)) delete inner;
    }
    delete item;
  }
  for (QLineEdit* e : std::as_const(m_fields)) e->hide();
  for (QLabel* l : std::as_const(m_units)) l->hide();
  for (QLabel* l : std::as_const(m_captionLabels)) l->hide();
  m_displayLabel->hide();

  const QFontMetrics fm(font());
  const int digit = fm.horizontalAdvance(QLatin1Char('0'));
  for (auto it = m_fields.cbegin(); it != m_fields.cend(); ++it)
    it.value()->setFixedWidth(digit * fieldChars(it.key(), m_notation.decimals) + 14);

  const int g = m_notation.effectiveGrid();
  if (m_display) {
    m_layout->addWidget(m_displayCaption, 0, 0);
    m_layout->addWidget(m_displayLabel, 0, 1);
    m_layout->setColumnStretch(1, 1);
    m_displayCaption->show();
    m_displayLabel->show();
  } else {
    struct Row {
      const char* caption;
      QStringList tags;
    };
    std::vector<Row> rows;
    switch (g) {
      case 0:
        rows = {{"LatCaption", {"LATD", "LATM", "LATNS"}}, {"LonCaption", {"LOND", "LONM", "LONEW"}}};
        break;
      case 2:
        rows = {{"UTMCaption1", {"ZONE", "ZONEDES"}}, {"UTMCaption2", {"UTMX", "UTMY"}}};
        break;
      case 3:
        rows = {{"RDPXCaption", {"RDPX"}}, {"RDPYCaption", {"RDPY"}}};
        break;
      case 4:
        rows = {{"NGRCaption", {"NGRSQ", "NGRX", "NGRY"}}};
        break;
      default:
        rows = {{"LatCaption", {"LATD", "LATM", "LATS", "LATNS"}}, {"LonCaption", {"LOND", "LONM", "LONS", "LONEW"}}};
        break;
    }
    int r = 0;
    for (const Row& row : rows) {
      QLabel* caption = m_captionLabels[QLatin1String(row.caption)];
      m_layout->addWidget(caption, r, 0);
      caption->show();
      auto* line = new QHBoxLayout;
      line->setSpacing(2);
      for (const QString& tag : row.tags) {
        line->addWidget(m_fields[tag]);
        m_fields[tag]->show();
        if (QLabel* unit = m_units.value(tag)) {
          line->addWidget(unit);
          unit->show();
          line->addSpacing(4);
        }
      }
      line->addStretch(1);
      m_layout->addLayout(line, r, 1);
      ++r;
    }
    m_layout->setColumnStretch(1, 1);
  }
  // Keep the Tab order the reading order of the notation.
  QWidget* previous = nullptr;
  for (const QString& tag : GridNotation::fieldTags(g)) {
    if (previous) setTabOrder(previous, m_fields[tag]);
    previous = m_fields[tag];
  }
  applyLockState();
  refresh();
}

void PositionControl::refresh() {
  m_filling = true;
  const PositionFields f = m_notation.fill(m_lat, m_lon);
  for (auto it = f.cbegin(); it != f.cend(); ++it) {
    QLineEdit* e = m_fields.value(it.key());
    if (!e) continue;
    e->setText(it.value());
    e->setModified(false);
    e->setCursorPosition(0);
  }
  m_filling = false;
  updateDisplayLabel();
}

void PositionControl::updateDisplayLabel() { m_displayLabel->setText(position()); }

void PositionControl::applyLockState() {
  for (QLineEdit* e : std::as_const(m_fields)) e->setReadOnly(m_locked);
}

void PositionControl::beep() {
  if (m_sound) m_sound->beep();
  else QApplication::beep();
}

bool PositionControl::applyEntry() {
  const GridNotation::Entry e = m_notation.read(currentFields(), m_decimalSeparator);
  if (!e.accepted) {
    beep();
    return false;
  }
  for (QLineEdit* f : std::as_const(m_fields)) f->setModified(false);
  const bool changed = e.lat != m_lat || e.lon != m_lon;
  m_lat = e.lat;
  m_lon = e.lon;
  updateDisplayLabel();
  if (changed) emit positionEdited(m_lat, m_lon);
  return true;
}

bool PositionControl::eventFilter(QObject* watched, QEvent* event) {
  auto* edit = qobject_cast<QLineEdit*>(watched);
  if (!edit || m_filling) return QFrame::eventFilter(watched, event);
  const QString tag = edit->property("tag").toString();
  if (event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    if ((key->key() == Qt::Key_Up || key->key() == Qt::Key_Down) && !m_locked) {
      const QString stepped =
          m_notation.step(tag, edit->text(), key->key() == Qt::Key_Up ? +1 : -1, m_decimalSeparator);
      if (stepped != edit->text()) {
        edit->setText(stepped);
        edit->setModified(true);
        if (tag != QLatin1String("ZONEDES") || GridNotation::designatorAcceptable(stepped)) applyEntry();
      }
      return true;
    }
    if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && !m_locked) {
      bool modified = false;
      for (QLineEdit* f : std::as_const(m_fields)) modified = modified || f->isModified();
      if (modified) applyEntry();
      return false;  // let the window's default button see it too
    }
  } else if (event->type() == QEvent::FocusOut && !m_locked && !m_refocusing) {
    if (tag == QLatin1String("ZONEDES") && m_notation.effectiveGrid() == 2 &&
        !GridNotation::designatorAcceptable(edit->text())) {
      beep();
      // Back into the designator once the focus change has finished.
      m_refocusing = true;
      QTimer::singleShot(0, edit, [this, edit] {
        edit->setFocus(Qt::OtherFocusReason);
        edit->selectAll();
        m_refocusing = false;
      });
      return false;
    }
    bool modified = false;
    for (QLineEdit* f : std::as_const(m_fields)) modified = modified || f->isModified();
    // Only what the user typed is read back, so that tabbing through the fields does not
    // round the position to the shown decimals.
    if (modified) applyEntry();
  }
  return QFrame::eventFilter(watched, event);
}

void PositionControl::changeEvent(QEvent* event) {
  QFrame::changeEvent(event);
  if (event->type() == QEvent::FontChange) InitGrid();
}

}  // namespace tavrik
