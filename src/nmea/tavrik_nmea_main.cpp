// tavrik-nmea: decodes NMEA 0183 from files or standard input through the program's
// receive path and prints what each accepted sentence wrote, as JSON lines.

#include <QCoreApplication>
#include <QStringList>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "ais/ais_json.h"
#include "ais/ais_reception.h"
#include "core/clock.h"
#include "nmea/network_link.h"
#include "nmea/nmea_decoder.h"
#include "nmea/source_stream.h"
#include "ships/decoder_fields.h"

namespace {

const char* kUsage =
    "Usage: tavrik-nmea [options] [FILE|SOURCE...]\n"
    "Decodes NMEA 0183 sentences from the files (or standard input for '-' or no\n"
    "file) or network sources (tcp://HOST:PORT, udp://:PORT, gpsd://HOST[:PORT]; read\n"
    "until the peer closes, --seconds pass or Ctrl+C) as the program receives them, and prints one JSON object per line for\n"
    "each sentence accepted, with the navigation fields it wrote (for TTM and TLL\n"
    "the radar target's record, for a $SHIPS line the ship's values, for an AIS\n"
    "message (VDM/VDO) its fields under gpsd's names); the last line holds the\n"
    "received and error counters of every sentence, after the AIS counters when\n"
    "there were AIS sentences.\n"
    "\n"
    "Options:\n"
    "  --local-offset H   hours added to received UTC times (default 0)\n"
    "  --talkers LIST     talker ids to accept instead of $GP,$AP,$RA,$DE,$LC,$II\n"
    "                     (comma-separated, at most six, each like $GP)\n"
    "  --seconds N        stop reading a network source after N seconds\n"
    "  --help             show this text\n";

bool decodeStream(std::FILE* in, tavrik::NmeaDecoder& decoder) {
  char buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, in)) > 0) decoder.feed(std::string_view(buf, n));
  return !std::ferror(in);
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  tavrik::DecoderOptions options;
  int seconds = 0;
  QStringList files;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--help" || a == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (a == "--seconds") {
      bool ok = false;
      seconds = i + 1 < argc ? QString::fromLocal8Bit(argv[++i]).toInt(&ok) : 0;
      if (!ok || seconds < 1) {
        std::fprintf(stderr, "tavrik-nmea: --seconds needs a whole number of seconds\n");
        return 2;
      }
      continue;
    }
    if (a == "--local-offset" || a == "--talkers") {
      if (i + 1 >= argc) {
        std::fprintf(stderr, "tavrik-nmea: %s needs a value\n%s", a.c_str(), kUsage);
        return 2;
      }
      const QString v = QString::fromLocal8Bit(argv[++i]);
      if (a == "--local-offset") {
        bool ok = false;
        options.localOffsetHours = v.toInt(&ok);
        if (!ok || options.localOffsetHours < -24 || options.localOffsetHours > 24) {
          std::fprintf(stderr, "tavrik-nmea: --local-offset needs whole hours from -24 to 24, not '%s'\n", argv[i]);
          return 2;
        }
      } else {
        options.talkers = v.split(',', Qt::SkipEmptyParts);
        if (options.talkers.size() > tavrik::kTalkerCount) {
          std::fprintf(stderr, "tavrik-nmea: at most six talker ids\n");
          return 2;
        }
      }
      continue;
    }
    if (a.size() > 1 && a[0] == '-' && a != "-") {
      std::fprintf(stderr, "tavrik-nmea: unknown option %s\n%s", a.c_str(), kUsage);
      return 2;
    }
    files << QString::fromLocal8Bit(argv[i]);
  }
  if (files.isEmpty()) files << QStringLiteral("-");

  tavrik::NmeaDecoder decoder(options, [](std::string_view s) { std::fwrite(s.data(), 1, s.size(), stdout); });
  const tavrik::SystemClock clock;
  tavrik::DecoderShipFields shipFields(decoder, clock, options.localOffsetHours);
  tavrik::AisReception ais;
  ais.install(decoder.receiver());
  std::string aisJson;
  ais.onMessage = [&](const tavrik::AisMessage& m) {
    aisJson.clear();
    tavrik::appendAisJson(aisJson, m);
    decoder.appendLine(aisJson);
  };
  int status = 0;
  for (const QString& f : files) {
    if (f == QLatin1String("-")) {
      if (!decodeStream(stdin, decoder)) {
        std::fprintf(stderr, "tavrik-nmea: error reading standard input: %s\n", std::strerror(errno));
        status = 1;
      }
      continue;
    }
    if (tavrik::isNetworkSource(f)) {
      const QString error = tavrik::readNetworkSource(
          f, [&decoder](std::string_view bytes) { decoder.feed(bytes); }, seconds);
      if (!error.isEmpty()) {
        std::fprintf(stderr, "tavrik-nmea: %s: %s\n", qPrintable(f), qPrintable(error));
        status = 1;
      }
      continue;
    }
    const QByteArray path = f.toLocal8Bit();
    std::FILE* in = std::fopen(path.constData(), "rb");
    if (!in) {
      std::fprintf(stderr, "tavrik-nmea: cannot open %s: %s\n", path.constData(), std::strerror(errno));
      status = 1;
      continue;
    }
    if (!decodeStream(in, decoder)) {
      std::fprintf(stderr, "tavrik-nmea: error reading %s: %s\n", path.constData(), std::strerror(errno));
      status = 1;
    }
    std::fclose(in);
  }
  tavrik::finishStream(decoder.receiver());
  if (const auto& c = ais.decoder.counters(); c.sentences > 0)
    decoder.appendLine("{\"AisCounts\":{\"sentences\":" + std::to_string(c.sentences) + ",\"messages\":" +
                       std::to_string(c.messages) + ",\"errors\":" + std::to_string(c.errors) +
                       ",\"unsupported\":" + std::to_string(c.unsupported) + "}}");
  decoder.finish();
  std::fflush(stdout);
  return status;
}
