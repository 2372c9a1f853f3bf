// A GPX scanner over the bytes of a whole file. It checks what XML requires of the
// parts it reads and skips (names, quoting, references, nesting, namespaces, comments,
// processing instructions, CDATA) and is stricter than Qt's reader wherever that is
// simpler: readGpx hands Qt whatever it refuses. Points cost no heap: numbers and
// times are read from the bytes, strings made only for names and descriptions.

#include <QStringView>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <vector>

#include "transfer/gpx_scan.h"

namespace tavrik {
namespace {

using std::string_view;

// Qt's reader refuses names of 4096 characters and more; names this long are its to judge.
constexpr qsizetype kLongName = 1024;
// Attributes are checked pairwise for repeats; beyond this many Qt's reader checks them.
constexpr size_t kManyAttributes = 64;

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }
bool isAsciiNameStart(unsigned char c) { return ((c | 0x20) >= 'a' && (c | 0x20) <= 'z') || c == '_'; }
bool isAsciiNameChar(unsigned char c) {
  return isAsciiNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.';
}

// Letters of the common scripts that Qt's reader takes in names (Latin, Greek,
// Cyrillic, kana, CJK); names with any other character go to Qt's reader.
struct NameRange {
  char32_t from, to;
  bool canStart;
};
constexpr NameRange kNameRanges[] = {
    {0x00B7, 0x00B7, false}, {0x00C0, 0x00D6, true}, {0x00D8, 0x00F6, true}, {0x00F8, 0x0131, true},
    {0x0134, 0x013E, true},  {0x0141, 0x0148, true}, {0x014A, 0x017E, true}, {0x0300, 0x0345, false},
    {0x0388, 0x038A, true},  {0x038C, 0x038C, true}, {0x038E, 0x03A1, true}, {0x03A3, 0x03CE, true},
    {0x0401, 0x040C, true},  {0x040E, 0x044F, true}, {0x0451, 0x045C, true}, {0x045E, 0x0481, true},
    {0x3041, 0x3094, true},  {0x30A1, 0x30FA, true}, {0x4E00, 0x9FA5, true},
};

// Length of the UTF-8 sequence at p if it is an XML character, else 0.
size_t xmlCharLength(const unsigned char* p, const unsigned char* end, char32_t& c) {
  const unsigned char b = p[0];
  if (b < 0x80) {
    c = b;
    return b >= 0x20 || b == '\t' || b == '\n' || b == '\r' ? 1 : 0;
  }
  size_t n;
  char32_t min;
  if (b >= 0xC2 && b <= 0xDF) n = 2, c = b & 0x1F, min = 0x80;
  else if (b >= 0xE0 && b <= 0xEF) n = 3, c = b & 0x0F, min = 0x800;
  else if (b >= 0xF0 && b <= 0xF4) n = 4, c = b & 0x07, min = 0x10000;
  else return 0;
  if (static_cast<size_t>(end - p) < n) return 0;
  for (size_t i = 1; i < n; ++i) {
    if ((p[i] & 0xC0) != 0x80) return 0;
    c = (c << 6) | (p[i] & 0x3F);
  }
  if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF) || c == 0xFFFE || c == 0xFFFF) return 0;
  return n;
}

bool isXmlChar(char32_t c) {
  return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD) ||
         (c >= 0x10000 && c <= 0x10FFFF);
}

void appendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

string_view trimAscii(string_view t) {
  while (!t.empty() && isSpace(t.front())) t.remove_prefix(1);
  while (!t.empty() && isSpace(t.back())) t.remove_suffix(1);
  return t;
}

// Qt's toDouble of the text, as the Qt reader reads coordinates and elevations: the
// plain decimal form straight from the bytes, any other through Qt itself.
bool toNumber(string_view text, double& out) {
  const string_view t = trimAscii(text);
  size_t i = !t.empty() && t[0] == '-' ? 1 : 0;
  const size_t intStart = i;
  while (i < t.size() && t[i] >= '0' && t[i] <= '9') ++i;
  bool plain = i > intStart;
  if (plain && i < t.size() && t[i] == '.') {
    const size_t fracStart = ++i;
    while (i < t.size() && t[i] >= '0' && t[i] <= '9') ++i;
    plain = i > fracStart;
  }
  if (plain && i == t.size()) {
    const auto r = std::from_chars(t.data(), t.data() + t.size(), out);
    if (r.ec == std::errc() && r.ptr == t.data() + t.size()) return true;
  }
  bool ok = false;
  const QString q = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
  out = QStringView(q).toDouble(&ok);
  return ok;
}

QString trimmedText(string_view t) {
  return QString::fromUtf8(t.data(), static_cast<qsizetype>(t.size())).trimmed();
}

class Scanner {
 public:
  explicit Scanner(QByteArrayView bytes) : m_begin(bytes.data()), m_p(m_begin), m_end(m_begin + bytes.size()) {}

  GpxScan read(GpxDocument& doc, QString& error) {
    if (declarationRead() && charactersChecked() && prolog()) {
      if (m_local != "gpx") {
        m_status = GpxScan::Failed;
        m_error = QStringLiteral("not a GPX file (no <gpx> element)");
      } else {
        while (nextChild()) {
          if (m_local == "wpt") {
            GpxPoint p;
            if (point(p)) doc.waypoints.push_back(std::move(p));
          } else if (m_local == "rte") {
            route(doc);
          } else if (m_local == "trk") {
            track(doc);
          } else {
            skipElement();  // metadata, extensions, other programs' elements
          }
        }
      }
    }
    error = m_error;
    return m_status;
  }

 private:
  struct Attribute {
    string_view name, value;
    bool hasReference;
  };
  struct Binding {
    string_view prefix;
    size_t depth;  // of the element declaring it
  };

  bool good() const { return m_status == GpxScan::Read; }
  bool stop(GpxScan status, const char* at, const QString& text) {
    if (good()) {
      m_status = status;
      const qsizetype line = std::count(m_begin, std::min(at, m_end), '\n') + 1;
      m_error = QStringLiteral("line %1: %2").arg(line).arg(text);
    }
    return false;
  }
  bool fail(const char* at, const char* text) { return stop(GpxScan::Failed, at, QString::fromLatin1(text)); }
  bool unsupported(const char* at, const char* text) {
    return stop(GpxScan::Unsupported, at, QString::fromLatin1(text));
  }
  bool startsWith(const char* p, string_view s) const {
    return static_cast<size_t>(m_end - p) >= s.size() && std::memcmp(p, s.data(), s.size()) == 0;
  }
  void skipSpace() {
    while (m_p < m_end && isSpace(*m_p)) ++m_p;
  }

  // The byte order mark and XML declaration, if any: UTF-8 only.
  bool declarationRead() {
    const auto* b = reinterpret_cast<const unsigned char*>(m_begin);
    const qsizetype n = m_end - m_begin;
    if (n >= 2 && ((b[0] == 0xFE && b[1] == 0xFF) || (b[0] == 0xFF && b[1] == 0xFE) || b[0] == 0 || b[1] == 0))
      return unsupported(m_begin, "not UTF-8");
    if (n >= 3 && b[0] == 0xEF && b[1] == 0xBB && b[2] == 0xBF) m_p += 3;
    return !(startsWith(m_p, "<?xml") && m_p + 5 < m_end && isSpace(m_p[5])) || declaration();
  }

  // Every byte part of an XML character, so that nothing further on checks encoding.
  bool charactersChecked() {
    const auto* b = reinterpret_cast<const unsigned char*>(m_begin);
    const auto* e = reinterpret_cast<const unsigned char*>(m_end);
    bool nonAscii = false;
    for (const unsigned char* p = b; p < e;) {
      if (*p >= 0x20 && *p < 0x80) {
        ++p;
        continue;
      }
      char32_t c;
      const size_t n = xmlCharLength(p, e, c);
      if (n == 0 && m_asciiDeclared) return unsupported(reinterpret_cast<const char*>(p), "not ASCII");
      if (n == 0) return fail(reinterpret_cast<const char*>(p), "not a UTF-8 XML character");
      nonAscii |= n > 1;
      p += n;
    }
    return !(nonAscii && m_asciiDeclared) || unsupported(m_begin, "not ASCII");
  }

  // A name (one colon at most, splitting prefix from local name); m_p after it.
  bool name(string_view& qualified, string_view& local) {
    const char* start = m_p;
    const char* colon = nullptr;
    bool first = true;
    while (m_p < m_end) {
      const auto c = static_cast<unsigned char>(*m_p);
      if (c < 0x80) {
        if (first ? isAsciiNameStart(c) : isAsciiNameChar(c)) {
          ++m_p;
        } else if (c == ':' && !first && !colon) {
          colon = m_p++;
          first = true;
          continue;
        } else {
          break;
        }
      } else {
        char32_t u;
        const size_t n = xmlCharLength(reinterpret_cast<const unsigned char*>(m_p),
                                       reinterpret_cast<const unsigned char*>(m_end), u);
        const auto* r = std::find_if(std::begin(kNameRanges), std::end(kNameRanges),
                                     [u](const NameRange& range) { return u >= range.from && u <= range.to; });
        if (r == std::end(kNameRanges) || (first && !r->canStart)) return unsupported(m_p, "a name Qt's reader must judge");
        m_p += n;
      }
      first = false;
    }
    if (m_p == start || first) return fail(m_p, "invalid name");
    if (m_p - start >= kLongName) return unsupported(start, "a name this long");
    if (m_p < m_end && *m_p == ':') return fail(m_p, "invalid name");
    qualified = string_view(start, static_cast<size_t>(m_p - start));
    local = colon ? string_view(colon + 1, static_cast<size_t>(m_p - colon - 1)) : qualified;
    return true;
  }

  // A reference after '&' at m_p; its character appended to out when given.
  bool reference(std::string* out) {
    const char* amp = m_p++;
    if (m_p < m_end && *m_p == '#') {
      ++m_p;
      const bool hex = m_p < m_end && *m_p == 'x';
      if (hex) ++m_p;
      char32_t c = 0;
      const char* digits = m_p;
      for (; m_p < m_end && *m_p != ';'; ++m_p) {
        const char d = *m_p;
        int v;
        if (d >= '0' && d <= '9') v = d - '0';
        else if (hex && (d | 0x20) >= 'a' && (d | 0x20) <= 'f') v = (d | 0x20) - 'a' + 10;
        else return fail(m_p, "invalid character reference");
        if (c <= 0x10FFFF) c = c * (hex ? 16 : 10) + static_cast<char32_t>(v);
      }
      if (m_p == m_end || m_p == digits || !isXmlChar(c)) return fail(amp, "invalid character reference");
      ++m_p;
      if (out) appendUtf8(*out, c);
      return true;
    }
    static constexpr struct {
      string_view name;
      char c;
    } kEntities[] = {{"amp;", '&'}, {"lt;", '<'}, {"gt;", '>'}, {"quot;", '"'}, {"apos;", '\''}};
    for (const auto& e : kEntities)
      if (startsWith(m_p, e.name)) {
        m_p += e.name.size();
        if (out) *out += e.c;
        return true;
      }
    return fail(amp, "undeclared entity");
  }

  // An attribute value decoded as XML reads it: references resolved, line breaks and
  // tabs as spaces.
  bool attributeValue(const Attribute& a, std::string& out) {
    out.clear();
    const char* keep = m_p;
    for (m_p = a.value.data(); m_p < a.value.data() + a.value.size();) {
      if (*m_p == '&') {
        if (!reference(&out)) return false;
      } else {
        if (*m_p == '\r' && m_p + 1 < m_end && m_p[1] == '\n') ++m_p;
        out += isSpace(*m_p) ? ' ' : *m_p;
        ++m_p;
      }
    }
    m_p = keep;
    return true;
  }

  // A start tag, m_p after its '<': the element is open afterwards (and closes at
  // once when empty, as the next call finds).
  bool startTag() {
    if (!name(m_qname, m_local)) return false;
    m_attributes.clear();
    for (;;) {
      const char* before = m_p;
      skipSpace();
      if (m_p == m_end) return fail(m_p, "premature end of document");
      if (*m_p == '>' || *m_p == '/') break;
      if (m_p == before) return fail(m_p, "expected '>' or '/'");
      Attribute a;
      string_view local;
      if (!name(a.name, local)) return false;
      skipSpace();
      if (m_p == m_end || *m_p != '=') return fail(m_p, "expected '='");
      ++m_p;
      skipSpace();
      if (m_p == m_end || (*m_p != '"' && *m_p != '\'')) return fail(m_p, "expected a quoted attribute value");
      const char quote = *m_p++;
      const char* value = m_p;
      a.hasReference = false;
      for (; m_p < m_end && *m_p != quote; ++m_p) {
        if (*m_p == '<') return fail(m_p, "'<' in an attribute value");
        if (*m_p == '&') {
          a.hasReference = true;
          if (!reference(nullptr)) return false;
          --m_p;
        }
      }
      if (m_p == m_end) return fail(m_p, "premature end of document");
      a.value = string_view(value, static_cast<size_t>(m_p - value));
      ++m_p;
      if (m_attributes.size() == kManyAttributes) return unsupported(m_p, "this many attributes");
      m_attributes.push_back(a);
    }
    m_empty = *m_p == '/';
    if (m_empty && (++m_p == m_end || *m_p != '>')) return fail(m_p, "expected '>'");
    ++m_p;
    m_open.push_back(m_qname);
    return namespacesChecked();
  }

  static string_view prefixOf(string_view qualified) {
    const size_t colon = qualified.find(':');
    return colon == string_view::npos ? string_view() : qualified.substr(0, colon);
  }
  static string_view localOf(string_view qualified) { return qualified.substr(qualified.find(':') + 1); }

  // Declarations taken, every prefix declared, no attribute twice.
  bool namespacesChecked() {
    const size_t depth = m_open.size();
    for (const Attribute& a : m_attributes) {
      const bool isDefault = a.name == "xmlns";
      if (!isDefault && prefixOf(a.name) != "xmlns") continue;
      if (a.hasReference) return unsupported(m_p, "a namespace declaration with references");
      if (a.value == "http://www.w3.org/XML/1998/namespace" || a.value == "http://www.w3.org/2000/xmlns/")
        return unsupported(m_p, "a declaration of a reserved namespace");
      if (isDefault) continue;
      const string_view prefix = localOf(a.name);
      if (prefix == "xml" || prefix == "xmlns") return unsupported(m_p, "a declaration of a reserved prefix");
      if (a.value.empty()) return fail(m_p, "illegal namespace declaration");
      m_bindings.push_back({prefix, depth});
    }
    const auto declared = [this](string_view qualified, bool attribute) {
      const string_view prefix = prefixOf(qualified);
      if (prefix.empty() || (attribute && (prefix == "xmlns" || prefix == "xml"))) return true;
      if (prefix == "xml") return unsupported(m_p, "an element of the xml namespace");
      if (std::none_of(m_bindings.rbegin(), m_bindings.rend(), [prefix](const Binding& b) { return b.prefix == prefix; }))
        return fail(m_p, "namespace prefix not declared");
      return true;
    };
    if (!declared(m_qname, false)) return false;
    for (size_t i = 0; i < m_attributes.size(); ++i) {
      const string_view n = m_attributes[i].name;
      if (!declared(n, true)) return false;
      for (size_t j = 0; j < i; ++j) {
        const string_view m = m_attributes[j].name;
        if (m == n) return fail(m_p, "attribute redefined");
        if (localOf(m) == localOf(n) && !prefixOf(m).empty() && !prefixOf(n).empty())
          return unsupported(m_p, "attributes of the same name in two namespaces");
      }
    }
    return true;
  }

  void closeElement() {
    m_open.pop_back();
    while (!m_bindings.empty() && m_bindings.back().depth > m_open.size()) m_bindings.pop_back();
  }

  // An end tag, m_p after its "</".
  bool endTag() {
    string_view qualified, local;
    if (!name(qualified, local)) return false;
    skipSpace();
    if (m_p == m_end || *m_p != '>') return fail(m_p, "expected '>'");
    if (qualified != m_open.back()) return fail(m_p, "opening and ending tag mismatch");
    ++m_p;
    closeElement();
    return true;
  }

  // "<!--", "<?" or "<!DOCTYPE" at m_p: skipped (a DOCTYPE left to Qt's reader).
  bool commentOrInstruction() {
    if (startsWith(m_p, "<!--")) {
      const char* end = static_cast<const char*>(memmem(m_p + 4, static_cast<size_t>(m_end - m_p - 4), "--", 2));
      if (!end) return fail(m_end, "premature end of document");
      if (end + 2 == m_end || end[2] != '>') return fail(end, "\"--\" in a comment");
      m_p = end + 3;
      return true;
    }
    if (startsWith(m_p, "<!DOCTYPE")) return unsupported(m_p, "a document type declaration");
    if (!startsWith(m_p, "<?")) return fail(m_p, "unexpected '<!'");
    m_p += 2;
    const char* target = m_p;
    while (m_p < m_end && isAsciiNameChar(static_cast<unsigned char>(*m_p))) ++m_p;
    const string_view t(target, static_cast<size_t>(m_p - target));
    if (t.empty() || !isAsciiNameStart(static_cast<unsigned char>(t[0])))
      return fail(target, "invalid processing instruction");
    if (static_cast<qsizetype>(t.size()) >= kLongName) return unsupported(target, "a name this long");
    if (t.size() == 3 && (t[0] | 0x20) == 'x' && (t[1] | 0x20) == 'm' && (t[2] | 0x20) == 'l')
      return fail(target, "XML declaration not at start of document");
    if (m_p < m_end && !isSpace(*m_p) && !startsWith(m_p, "?>")) return fail(m_p, "invalid processing instruction");
    const char* end = static_cast<const char*>(memmem(m_p, static_cast<size_t>(m_end - m_p), "?>", 2));
    if (!end) return fail(m_end, "premature end of document");
    m_p = end + 2;
    return true;
  }

  // <?xml version="1.0" encoding="UTF-8" standalone="yes"?>: anything else (another
  // version or encoding, odd spacing) is left to Qt's reader.
  bool declaration() {
    m_p += 5;
    string_view seen[3];
    bool present[3] = {};
    int count = 0;
    for (;;) {
      const char* before = m_p;
      skipSpace();
      if (startsWith(m_p, "?>")) break;
      if (m_p == before || count == 3) return unsupported(m_p, "an XML declaration");
      const char* n = m_p;
      while (m_p < m_end && *m_p >= 'a' && *m_p <= 'z') ++m_p;
      const string_view key(n, static_cast<size_t>(m_p - n));
      skipSpace();
      if (m_p == m_end || *m_p != '=') return unsupported(m_p, "an XML declaration");
      ++m_p;
      skipSpace();
      if (m_p == m_end || (*m_p != '"' && *m_p != '\'')) return unsupported(m_p, "an XML declaration");
      const char* close = static_cast<const char*>(std::memchr(m_p + 1, *m_p, static_cast<size_t>(m_end - m_p - 1)));
      if (!close) return unsupported(m_p, "an XML declaration");
      const string_view value(m_p + 1, static_cast<size_t>(close - m_p - 1));
      m_p = close + 1;
      static constexpr string_view kKeys[] = {"version", "encoding", "standalone"};
      int slot = count == 0 ? 0 : key == "encoding" ? 1 : 2;
      if (key != kKeys[slot] || present[slot] || (slot == 1 && present[2]))
        return unsupported(m_p, "an XML declaration");
      seen[slot] = value;
      present[slot] = true;
      ++count;
    }
    m_p += 2;
    QByteArray encoding(seen[1].data(), static_cast<qsizetype>(seen[1].size()));
    encoding = encoding.toLower();
    // Files that say ASCII or Latin-1 but hold only ASCII are UTF-8 as well.
    const bool ascii = encoding == "us-ascii" || encoding == "ascii" || encoding == "iso-8859-1" || encoding == "latin1";
    m_asciiDeclared = ascii;
    if (seen[0] != "1.0" || !(!present[1] || encoding == "utf-8" || ascii) ||
        !(!present[2] || seen[2] == "yes" || seen[2] == "no"))
      return unsupported(m_p, "an XML declaration");
    return true;
  }

  // Up to the root's start tag.
  bool prolog() {
    for (;;) {
      skipSpace();
      if (m_p == m_end) return fail(m_p, "premature end of document");
      if (*m_p != '<') return fail(m_p, "start tag expected");
      if (m_p + 1 < m_end && (m_p[1] == '!' || m_p[1] == '?')) {
        if (!commentOrInstruction()) return false;
        continue;
      }
      ++m_p;
      return startTag();
    }
  }

  // Character data up to the next '<', checked; appended to the element's text when
  // collecting. A single plain run is kept as a view of the bytes.
  bool characters(bool collect) {
    const char* start = m_p;
    bool plain = true;
    for (; m_p < m_end && *m_p != '<'; ++m_p) {
      const char c = *m_p;
      if (c == '&') {
        plain = false;
        if (!reference(nullptr)) return false;
        --m_p;
      } else if (c == ']') {
        if (startsWith(m_p, "]]>")) return fail(m_p, "sequence ']]>' not allowed in content");
      } else if (c == '\r') {
        plain = false;
      }
    }
    if (m_p == m_end) return fail(m_p, "premature end of document");
    if (collect && m_p > start) {
      const string_view run(start, static_cast<size_t>(m_p - start));
      if (plain) {
        appendRun(run, false);
      } else {
        const char* keep = m_p;
        startBuffer();
        for (m_p = start; m_p < keep;) {
          if (*m_p == '&') {
            reference(&m_buffer);
          } else if (*m_p == '\r') {
            m_buffer += '\n';
            if (++m_p < keep && *m_p == '\n') ++m_p;
          } else {
            m_buffer += *m_p++;
          }
        }
        m_p = keep;
      }
    }
    return true;
  }
  // Text collected from runs: one view while there is one run, else m_buffer.
  void startBuffer() {
    if (!m_buffered) {
      m_buffer.assign(m_run.data(), m_run.size());
      m_buffered = true;
    }
  }
  void appendRun(string_view run, bool normalize) {
    if (!m_buffered && m_run.empty() && !normalize) {
      m_run = run;
      return;
    }
    startBuffer();
    for (size_t i = 0; i < run.size(); ++i) {
      if (normalize && run[i] == '\r') {
        m_buffer += '\n';
        if (i + 1 < run.size() && run[i + 1] == '\n') ++i;
      } else {
        m_buffer += run[i];
      }
    }
  }

  // Markup at m_p ('<'): true at a start tag (now open), false at the end of the
  // current element or an error.
  bool markup(bool collect, bool& started) {
    started = false;
    if (startsWith(m_p, "</")) {
      m_p += 2;
      return endTag() && false;
    }
    if (startsWith(m_p, "<![CDATA[")) {
      const char* end = static_cast<const char*>(memmem(m_p + 9, static_cast<size_t>(m_end - m_p - 9), "]]>", 3));
      if (!end) return fail(m_end, "premature end of document");
      if (collect) appendRun(string_view(m_p + 9, static_cast<size_t>(end - m_p - 9)), true);
      m_p = end + 3;
      return true;
    }
    if (m_p + 1 < m_end && (m_p[1] == '!' || m_p[1] == '?')) return commentOrInstruction();
    ++m_p;
    started = true;
    return startTag();
  }

  // As QXmlStreamReader::readNextStartElement: on to the next child of the open
  // element; false when the element ends (or on an error).
  bool nextChild() {
    if (m_empty) {
      m_empty = false;
      closeElement();
      return false;
    }
    while (good()) {
      bool started;
      if (!characters(false) || !markup(false, started)) return false;
      if (started) return true;
    }
    return false;
  }

  void skipElement() {
    const size_t depth = m_open.size();
    while (good() && m_open.size() >= depth) nextChild();
  }

  // As QXmlStreamReader::readElementText: the text of the open element, up to its end.
  bool text(string_view& out) {
    m_run = {};
    m_buffered = false;
    if (m_empty) {
      m_empty = false;
      closeElement();
      out = {};
      return true;
    }
    const size_t depth = m_open.size();
    while (good()) {
      bool started;
      if (!characters(true)) return false;
      if (!markup(true, started)) {
        if (!good()) return false;
        if (m_open.size() < depth) break;
        continue;
      }
      if (started) return fail(m_p, "expected character data");
    }
    out = m_buffered ? string_view(m_buffer) : m_run;
    return good();
  }

  const Attribute* attribute(string_view qualified) const {
    for (const Attribute& a : m_attributes)
      if (a.name == qualified) return &a;
    return nullptr;
  }
  bool coordinate(const Attribute* a, double& out) {
    if (!a) return false;
    if (!a->hasReference) return toNumber(a->value, out);
    return attributeValue(*a, m_value) && toNumber(m_value, out);
  }
  QString shown(const Attribute* a) {
    if (!a) return QString();
    if (!a->hasReference) return QString::fromUtf8(a->value.data(), static_cast<qsizetype>(a->value.size()));
    attributeValue(*a, m_value);
    return QString::fromStdString(m_value);
  }

  bool point(GpxPoint& p) {
    const Attribute* lat = attribute("lat");
    const Attribute* lon = attribute("lon");
    const bool okLat = coordinate(lat, p.lat), okLon = coordinate(lon, p.lon);
    if (!good()) return false;
    if (!okLat || !okLon || !std::isfinite(p.lat) || !std::isfinite(p.lon) || std::abs(p.lat) > 90 ||
        std::abs(p.lon) > 180)
      return stop(GpxScan::Failed, m_p,
                  QStringLiteral("<%1> has no valid lat and lon (lat \"%2\", lon \"%3\")")
                      .arg(QString::fromUtf8(m_local.data(), static_cast<qsizetype>(m_local.size())), shown(lat),
                           shown(lon)));
    string_view t;
    while (nextChild()) {
      const string_view n = m_local;
      if (n == "name") {
        if (text(t)) p.name = trimmedText(t);
      } else if (n == "desc" || (n == "cmt" && p.description.isEmpty())) {
        if (text(t)) p.description = trimmedText(t);
      } else if (n == "sym") {
        if (text(t)) p.symbol = trimmedText(t);
      } else if (n == "ele") {
        double e;
        if (text(t) && toNumber(t, e) && std::isfinite(e)) p.elevation = e;
      } else if (n == "time") {
        if (!text(t)) break;
        const auto fast = gpxLoggerTime(trimAscii(t));
        p.time = fast ? *fast : gpxTime(trimmedText(t));
      } else {
        skipElement();
      }
    }
    return good();
  }

  void route(GpxDocument& doc) {
    GpxRoute r;
    string_view t;
    while (nextChild()) {
      if (m_local == "name") {
        if (text(t)) r.name = trimmedText(t);
      } else if (m_local == "desc") {
        if (text(t)) r.description = trimmedText(t);
      } else if (m_local == "rtept") {
        GpxPoint p;
        if (point(p)) r.points.push_back(std::move(p));
      } else {
        skipElement();
      }
    }
    doc.routes.push_back(std::move(r));
  }

  void track(GpxDocument& doc) {
    GpxTrack t;
    string_view s;
    while (nextChild()) {
      if (m_local == "name") {
        if (text(s)) t.name = trimmedText(s);
      } else if (m_local == "desc") {
        if (text(s)) t.description = trimmedText(s);
      } else if (m_local == "trkseg") {
        std::vector<GpxPoint> seg;
        while (nextChild()) {
          if (m_local == "trkpt") {
            GpxPoint p;
            if (point(p)) seg.push_back(std::move(p));
          } else {
            skipElement();
          }
        }
        if (!seg.empty()) t.segments.push_back(std::move(seg));
      } else {
        skipElement();
      }
    }
    doc.tracks.push_back(std::move(t));
  }

  const char* m_begin;
  const char* m_p;
  const char* m_end;
  GpxScan m_status = GpxScan::Read;
  QString m_error;
  bool m_asciiDeclared = false;  // and only holding ASCII is it UTF-8
  std::vector<string_view> m_open;  // qualified names of the open elements
  std::vector<Binding> m_bindings;
  std::vector<Attribute> m_attributes;  // of the last start tag
  string_view m_qname, m_local;         // of the last start tag
  bool m_empty = false;                 // the last start tag closed itself
  string_view m_run;
  bool m_buffered = false;
  std::string m_buffer, m_value;
};

}  // namespace

GpxScan scanGpx(QByteArrayView bytes, GpxDocument& out, QString& error) {
  out = GpxDocument{};
  GpxDocument doc;
  const GpxScan result = Scanner(bytes).read(doc, error);
  if (result == GpxScan::Read) out = std::move(doc);
  return result;
}

}  // namespace tavrik
