#pragma once
// The position control: holds one latitude/longitude and shows it in one of five
// notations (degrees and minutes, degrees-minutes-seconds, UTM, RD, British National
// Grid), either as entry fields (one text box per part, each named by its tag:
// "LATD", "LATM", "ZONE", "NGRSQ", ...) or in display mode as one label.
//
// The hosting window sets the object name ("Position1", ...), the properties, and the
// position; the control refreshes itself on every change. A user entry is converted
// back when a field is left (or Enter is pressed) and the entry is complete and valid;
// otherwise the control beeps and keeps the previous position. Texts and rules are
// GridNotation's; this widget only hosts the fields.

#include <QFrame>
#include <QMap>
#include <QPointer>

#include "geo/grid_notation.h"

class QGridLayout;
class QLabel;
class QLineEdit;

namespace tavrik {

class SoundPlayer;

class PositionControl : public QFrame {
  Q_OBJECT
  Q_PROPERTY(double latitude READ latitude WRITE setLatitude)
  Q_PROPERTY(double longitude READ longitude WRITE setLongitude)
  Q_PROPERTY(int grid READ grid WRITE setGrid)
  Q_PROPERTY(int decimals READ decimals WRITE setDecimals)
  Q_PROPERTY(double majoraxis READ majoraxis WRITE setMajoraxis)
  Q_PROPERTY(double minoraxis READ minoraxis WRITE setMinoraxis)
  Q_PROPERTY(bool Locked READ locked WRITE setLocked)
  Q_PROPERTY(bool Display READ display WRITE setDisplay)
  Q_PROPERTY(int BorderStyle READ borderStyle WRITE setBorderStyle)
  Q_PROPERTY(QString North READ north WRITE setNorth)
  Q_PROPERTY(QString South READ south WRITE setSouth)
  Q_PROPERTY(QString East READ east WRITE setEast)
  Q_PROPERTY(QString West READ west WRITE setWest)
  Q_PROPERTY(QString PosCaption READ posCaption WRITE setPosCaption)
  Q_PROPERTY(QString LatCaption READ latCaption WRITE setLatCaption)
  Q_PROPERTY(QString LonCaption READ lonCaption WRITE setLonCaption)
  Q_PROPERTY(QString UTMCaption1 READ utmCaption1 WRITE setUtmCaption1)
  Q_PROPERTY(QString UTMCaption2 READ utmCaption2 WRITE setUtmCaption2)
  Q_PROPERTY(QString RDPXCaption READ rdpxCaption WRITE setRdpxCaption)
  Q_PROPERTY(QString RDPYCaption READ rdpyCaption WRITE setRdpyCaption)
  Q_PROPERTY(QString NGRCaption READ ngrCaption WRITE setNgrCaption)
  Q_PROPERTY(QString position READ position)

 public:
  explicit PositionControl(QWidget* parent = nullptr);
  ~PositionControl() override;

  // Beeps go to this player (the App's); without one, QApplication::beep().
  void setSoundPlayer(SoundPlayer* sound) { m_sound = sound; }
  // The decimal separator entries accept besides '.'; the system's by default.
  void setDecimalSeparator(QChar sep) { m_decimalSeparator = sep; }

  double latitude() const { return m_lat; }
  double longitude() const { return m_lon; }
  void setLatitude(double lat);
  void setLongitude(double lon);
  void setPosition(double lat, double lon);

  int grid() const { return m_notation.grid; }
  void setGrid(int grid);
  int decimals() const { return m_notation.decimals; }
  void setDecimals(int decimals);
  double majoraxis() const { return m_notation.majoraxis; }
  void setMajoraxis(double a);
  double minoraxis() const { return m_notation.minoraxis; }
  void setMinoraxis(double b);
  bool locked() const { return m_locked; }
  void setLocked(bool locked);
  bool display() const { return m_display; }
  void setDisplay(bool display);
  int borderStyle() const { return m_borderStyle; }
  void setBorderStyle(int style);

  QString north() const { return m_notation.North; }
  void setNorth(const QString& s);
  QString south() const { return m_notation.South; }
  void setSouth(const QString& s);
  QString east() const { return m_notation.East; }
  void setEast(const QString& s);
  QString west() const { return m_notation.West; }
  void setWest(const QString& s);

  QString posCaption() const { return m_captions.value("PosCaption"); }
  void setPosCaption(const QString& s) { setCaption("PosCaption", s); }
  QString latCaption() const { return m_captions.value("LatCaption"); }
  void setLatCaption(const QString& s) { setCaption("LatCaption", s); }
  QString lonCaption() const { return m_captions.value("LonCaption"); }
  void setLonCaption(const QString& s) { setCaption("LonCaption", s); }
  QString utmCaption1() const { return m_captions.value("UTMCaption1"); }
  void setUtmCaption1(const QString& s) { setCaption("UTMCaption1", s); }
  QString utmCaption2() const { return m_captions.value("UTMCaption2"); }
  void setUtmCaption2(const QString& s) { setCaption("UTMCaption2", s); }
  QString rdpxCaption() const { return m_captions.value("RDPXCaption"); }
  void setRdpxCaption(const QString& s) { setCaption("RDPXCaption", s); }
  QString rdpyCaption() const { return m_captions.value("RDPYCaption"); }
  void setRdpyCaption(const QString& s) { setCaption("RDPYCaption", s); }
  QString ngrCaption() const { return m_captions.value("NGRCaption"); }
  void setNgrCaption(const QString& s) { setCaption("NGRCaption", s); }

  // The display text of the current notation, built from the field texts.
  QString position() const;
  // The field of a tag (nullptr when the tag is unknown).
  QLineEdit* field(const QString& tag) const { return m_fields.value(tag); }
  const GridNotation& notation() const { return m_notation; }

  // Lays out the fields of the current notation with their captions and fills them.
  void InitGrid();
  // Fills the fields of the current notation from the position held.
  void refresh();
  // Reads the fields now, as when a field is left; false when refused (after a beep).
  bool applyEntry();

 signals:
  // The user's entry changed the position held.
  void positionEdited(double lat, double lon);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void setCaption(const QString& key, const QString& text);
  void beep();
  void updateDisplayLabel();
  void applyLockState();
  PositionFields currentFields() const;

  GridNotation m_notation;
  double m_lat = 0, m_lon = 0;
  bool m_locked = false, m_display = false;
  int m_borderStyle = 0;
  QChar m_decimalSeparator;
  SoundPlayer* m_sound = nullptr;
  bool m_filling = false;
  bool m_refocusing = false;

  QGridLayout* m_layout = nullptr;
  QMap<QString, QLineEdit*> m_fields;
  QMap<QString, QLabel*> m_units;     // "°", "'", "''" after degree fields
  QMap<QString, QString> m_captions;  // property name -> text
  QMap<QString, QLabel*> m_captionLabels;
  QLabel* m_displayCaption = nullptr;
  QLabel* m_displayLabel = nullptr;
};

}  // namespace tavrik
