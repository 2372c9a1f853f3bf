#include "ais/ais_json.h"

#include <charconv>
#include <cstdio>

namespace tavrik {
namespace {

class Writer {
 public:
  explicit Writer(std::string& out) : m_out(out) {}
  void integer(const char* name, long v) {
    key(name);
    char buf[24];
    m_out.append(buf, std::to_chars(buf, buf + sizeof buf, v).ptr);
  }
  void scaled(const char* name, long raw, double divisor) {
    key(name);
    char buf[32];
    m_out.append(buf, std::to_chars(buf, buf + sizeof buf, static_cast<double>(raw) / divisor).ptr);
  }
  void boolean(const char* name, bool v) {
    key(name);
    m_out += v ? "true" : "false";
  }
  void text(const char* name, const char* v) {
    key(name);
    m_out += '"';
    for (; *v; ++v) {
      const char c = *v;
      if (c == '"' || c == '\\') m_out += '\\';
      m_out += c;
    }
    m_out += '"';
  }

 private:
  void key(const char* name) {
    m_out += ",\"";
    m_out += name;
    m_out += "\":";
  }
  std::string& m_out;
};

void dimensions(Writer& w, const AisMessage& m) {
  w.integer("to_bow", m.toBow);
  w.integer("to_stern", m.toStern);
  w.integer("to_port", m.toPort);
  w.integer("to_starboard", m.toStarboard);
}

void position(Writer& w, const AisMessage& m) {
  w.boolean("accuracy", m.accuracy);
  w.scaled("lon", m.lon, 600000.0);
  w.scaled("lat", m.lat, 600000.0);
}

}  // namespace

void appendAisJson(std::string& out, const AisMessage& m) {
  out += "{\"class\":\"AIS\"";
  Writer w(out);
  w.text("sentence", m.ownVessel ? "VDO" : "VDM");
  w.integer("type", m.type);
  w.integer("repeat", m.repeat);
  w.integer("mmsi", static_cast<long>(m.mmsi));
  switch (m.type) {
    case 1:
    case 2:
    case 3:
      w.integer("status", m.status);
      // As gpsd writes an unknown class A speed.
      if (m.hasSpeed()) w.scaled("speed", m.speed, 10.0);
      else w.text("speed", "nan");
      position(w, m);
      w.scaled("course", m.course, 10.0);
      w.integer("heading", m.heading);
      w.integer("second", m.second);
      w.integer("maneuver", m.maneuver);
      w.boolean("raim", m.raim);
      w.integer("radio", static_cast<long>(m.radio));
      break;
    case 4: {
      char stamp[32];
      std::snprintf(stamp, sizeof stamp, "%04d-%02d-%02dT%02d:%02d:%02dZ", m.year, m.month, m.day, m.hour, m.minute,
                    m.second);
      w.text("timestamp", stamp);
      position(w, m);
      w.integer("epfd", m.epfd);
      w.boolean("raim", m.raim);
      w.integer("radio", static_cast<long>(m.radio));
      break;
    }
    case 5: {
      w.integer("imo", static_cast<long>(m.imo));
      w.integer("ais_version", m.aisVersion);
      w.text("callsign", m.callsign.data());
      w.text("shipname", m.shipname.data());
      w.integer("shiptype", m.shiptype);
      dimensions(w, m);
      w.integer("epfd", m.epfd);
      char eta[32];
      std::snprintf(eta, sizeof eta, "%02d-%02dT%02d:%02dZ", m.etaMonth, m.etaDay, m.etaHour, m.etaMinute);
      w.text("eta", eta);
      w.scaled("draught", m.draught, 10.0);
      w.text("destination", m.destination.data());
      w.integer("dte", m.dte ? 1 : 0);
      break;
    }
    case 18:
    case 19:
      w.integer("reserved", m.reserved);
      w.scaled("speed", m.speed, 10.0);
      position(w, m);
      w.scaled("course", m.course, 10.0);
      w.integer("heading", m.heading);
      w.integer("second", m.second);
      w.integer("regional", m.regional);
      if (m.type == 18) {
        w.boolean("cs", m.cs);
        w.boolean("display", m.display);
        w.boolean("dsc", m.dsc);
        w.boolean("band", m.band);
        w.boolean("msg22", m.msg22);
        w.boolean("raim", m.raim);
        w.integer("radio", static_cast<long>(m.radio));
      } else {
        w.text("shipname", m.shipname.data());
        w.integer("shiptype", m.shiptype);
        dimensions(w, m);
        w.integer("epfd", m.epfd);
        w.boolean("raim", m.raim);
        w.integer("dte", m.dte ? 1 : 0);
      }
      w.boolean("assigned", m.assigned);
      break;
    case 21:
      w.integer("aid_type", m.aidType);
      w.text("name", m.shipname.data());
      position(w, m);
      dimensions(w, m);
      w.integer("epfd", m.epfd);
      w.integer("second", m.second);
      w.boolean("off_position", m.offPosition);
      w.integer("regional", m.regional);
      w.boolean("raim", m.raim);
      w.boolean("virtual_aid", m.virtualAid);
      w.boolean("assigned", m.assigned);
      break;
    case 24:
      w.text("part", m.partno == 0 ? "A" : "B");
      if (m.partno == 0) {
        w.text("shipname", m.shipname.data());
      } else {
        w.integer("shiptype", m.shiptype);
        w.text("callsign", m.callsign.data());
        if (m.mothershipMmsi != 0) w.integer("mothership_mmsi", static_cast<long>(m.mothershipMmsi));
        else dimensions(w, m);
      }
      break;
    default: break;
  }
  out += '}';
}

}  // namespace tavrik
