// tavrik-db: imports, exports and listings of the database, for people with many charts.
//   tavrik-db --home DIR import [--folder NAME] [--datum NAME] [--copy-images] FILE...
//   tavrik-db --home DIR export-chi [--version 2.0|3.0] [--folders] OUT.chi CHART...
//   tavrik-db --home DIR export-gpx OUT.gpx [--waypoints NAME...] [--routes NAME...] [--tracks NAME...]
//   tavrik-db --home DIR list charts|folders|waypoints|routes|tracks
// Results are JSON lines on stdout, messages on stderr; exit status 0 on success, 1
// when anything failed, 2 on bad usage. A subcommand is one entry of kCommands.

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstdio>
#include <functional>

#include "core/app_paths.h"
#include "core/clock.h"
#include "library/bsb_import.h"
#include "library/chart_library_store.h"
#include "library/exchange_file.h"
#include "library/file_names.h"
#include "store/db_datum_lookup.h"
#include "transfer/gpx_store.h"
#include "store/main_database.h"
#include "store/system_row.h"

using namespace tavrik;

namespace {

const char* const kUsage =
    "usage: tavrik-db --home DIR COMMAND [OPTIONS] ARGS\n"
    "\n"
    "Commands over the database DIR/gps.db (made when missing):\n"
    "\n"
    "  import [--folder NAME] [--datum NAME] [--copy-images] FILE...\n"
    "      Stores each file by its extension: .chi chart information files (versions\n"
    "      1.0, 2.0, 3.0 and the wave-atlas variant; --copy-images copies the images into\n"
    "      DIR/charts), .WP waypoint, .RT route and .TRC track files, and BSB/KAP charts\n"
    "      (.KAP, headers only; --datum names the chart datum as in the Datums table,\n"
    "      --folder the folder the charts join), and GPX 1.0/1.1 files (.gpx: waypoints\n"
    "      into a group named after the file, routes, tracks with their segments).\n"
    "      Each file is one transaction: a file that fails stores nothing and the\n"
    "      others go on. Prints one JSON line per stored row (per GPX file: its counts)\n"
    "      and a summary line.\n"
    "\n"
    "  export-chi [--version 2.0|3.0] [--folders] OUT.chi CHART...\n"
    "      Writes the charts named by their descriptions to a chart information file\n"
    "      (default version 3.0; --folders adds each chart's folders, 3.0 only).\n"
    "\n"
    "  export-gpx OUT.gpx [--waypoints NAME...] [--routes NAME...] [--tracks NAME...]\n"
    "      Writes the named waypoints, routes and tracks as GPX 1.1; everything the\n"
    "      database holds when nothing is named.\n"
    "\n"
    "  list charts|folders|waypoints|routes|tracks\n"
    "      Prints one JSON line per row.\n"
    "\n"
    "Exit status: 0 on success, 1 when any file or chart failed, 2 on bad usage.\n";

int usage(const QString& why = {}) {
  if (!why.isEmpty()) std::fprintf(stderr, "tavrik-db: %s\n", qPrintable(why));
  std::fputs(kUsage, stderr);
  return 2;
}

void printJson(const QJsonObject& o) {
  std::fputs(QJsonDocument(o).toJson(QJsonDocument::Compact).constData(), stdout);
  std::fputc('\n', stdout);
}

void complain(const QString& file, const QString& text) {
  std::fprintf(stderr, "tavrik-db: %s: %s\n", qPrintable(file), qPrintable(text));
}

struct Context {
  AppPaths paths;
  Database db;
  SystemClock clock;
};

// Options of the form "--name VALUE" and flags; the rest stays in `args`.
struct Options {
  QStringList args;
  QMap<QString, QString> values;
  QSet<QString> flags;
  QString error;
};
Options parseOptions(const QStringList& in, const QStringList& valued, const QStringList& flags) {
  Options o;
  for (qsizetype i = 0; i < in.size(); ++i) {
    const QString& a = in[i];
    if (valued.contains(a)) {
      if (i + 1 >= in.size()) {
        o.error = a + QStringLiteral(" needs a value");
        return o;
      }
      o.values[a] = in[++i];
    } else if (flags.contains(a)) {
      o.flags.insert(a);
    } else if (a.startsWith(QLatin1String("--"))) {
      o.error = QStringLiteral("unknown option ") + a;
      return o;
    } else {
      o.args << a;
    }
  }
  return o;
}

int importCommand(Context& c, const QStringList& arguments) {
  const Options o = parseOptions(arguments, {"--folder", "--datum"}, {"--copy-images"});
  if (!o.error.isEmpty()) return usage(o.error);
  if (o.args.isEmpty()) return usage(QStringLiteral("import needs at least one file"));
  const QDateTime now = c.clock.now();
  std::optional<int> datum;
  if (o.values.contains("--datum")) {
    datum = datumKeyByDescription(c.db, o.values["--datum"]);
    if (!datum) return usage(QStringLiteral("no datum \"%1\" in the database").arg(o.values["--datum"]));
  }
  SystemSettings settings;
  readSystemRow(c.db, settings);
  int failed = 0, rows = 0;
  for (const QString& file : o.args) {
    const QString ext = extensionPart(file).toUpper();
    ImportOutcome outcome;
    if (ext == QLatin1String("CHI")) {
      ChiImportOptions options;
      options.copyImages = o.flags.contains("--copy-images");
      options.chartDirectory = c.paths.chartsFolder();
      options.now = now;
      outcome = importChiFile(c.db, file, options);
    } else if (const std::optional<ExchangeKind> kind = exchangeKindOfPath(file)) {
      outcome = importExchangeFile(c.db, file, *kind, {settings.gpsDatum, now});
    } else if (ext == QLatin1String("GPX")) {
      GpxImportResult gpx;
      QString error;
      if (!importGpxFile(c.db, file, gpx, error, now)) {
        ++failed;
        complain(file, error);
        continue;
      }
      printJson({{"file", file}, {"group", gpx.group}, {"waypoints", gpx.waypoints}, {"routes", gpx.routes},
                 {"routePoints", gpx.routePoints}, {"tracks", gpx.tracks}, {"trackPoints", gpx.trackPoints}});
      rows += gpx.waypoints + gpx.routes + gpx.tracks;
      continue;
    } else if (ext == QLatin1String("KAP")) {
      if (!datum) return usage(QStringLiteral("BSB/KAP charts need --datum NAME"));
      outcome = BsbImporter(c.db, {o.values.value("--folder"), *datum, now}).importFile(file);
    } else {
      outcome.ok = false;
      outcome.error = QStringLiteral("unknown kind of file (.chi, .WP, .RT, .TRC, .KAP or .gpx)");
    }
    for (const QString& w : outcome.warnings) complain(file, w);
    if (!outcome.ok) {
      ++failed;
      complain(file, outcome.error);
      continue;
    }
    for (const ImportedRow& r : outcome.rows) {
      printJson({{"file", file}, {"table", r.table}, {"key", r.key}, {"description", r.description},
                 {"action", r.added ? "added" : "updated"}});
      ++rows;
    }
  }
  printJson({{"files", static_cast<int>(o.args.size())}, {"failed", failed}, {"rows", rows}});
  return failed ? 1 : 0;
}

int exportCommand(Context& c, const QStringList& arguments) {
  const Options o = parseOptions(arguments, {"--version"}, {"--folders"});
  if (!o.error.isEmpty()) return usage(o.error);
  if (o.args.size() < 2) return usage(QStringLiteral("export-chi needs OUT.chi and at least one chart"));
  ChiExportOptions options;
  const QString version = o.values.value("--version", QStringLiteral("3.0"));
  if (version == QLatin1String("2.0")) options.version = ChiVersion::V2;
  else if (version != QLatin1String("3.0")) return usage(QStringLiteral("--version is 2.0 or 3.0"));
  options.includeFolders = o.flags.contains("--folders");
  QString error;
  if (!exportChiFile(c.db, o.args.mid(1), options, o.args.first(), &error)) {
    complain(o.args.first(), error);
    return 1;
  }
  printJson({{"file", o.args.first()}, {"charts", static_cast<int>(o.args.size() - 1)}});
  return 0;
}

int listCommand(Context& c, const QStringList& arguments) {
  if (arguments.size() != 1) return usage(QStringLiteral("list needs one of charts, folders, waypoints, routes, tracks"));
  const QString what = arguments.first();
  struct Listing {
    const char* name;
    const char* sql;
    QStringList fields;
  };
  const Listing listings[] = {
      {"charts",
       "SELECT chart, description, bitmap, mercator, bsb, datum, latmin, lonmin, latmax, lonmax, Scale FROM Charts ORDER BY description",
       {"key", "description", "bitmap", "mercator", "bsb", "datum", "latmin", "lonmin", "latmax", "lonmax", "scale"}},
      {"folders",
       "SELECT folder, description, (SELECT COUNT(*) FROM [Folder charts] WHERE [Folder charts].Folder = Folders.folder) "
       "FROM Folders ORDER BY description",
       {"key", "description", "charts"}},
      {"waypoints",
       "SELECT Waypoint, description, latitude, longitude, proximity, approachable, Type, [Group], Datum, memo FROM Waypoints "
       "ORDER BY description",
       {"key", "description", "latitude", "longitude", "proximity", "approachable", "type", "group", "datum", "memo"}},
      {"routes",
       "SELECT route, description, (SELECT COUNT(*) FROM [Route points] WHERE [Route points].Route = Routes.route) "
       "FROM Routes ORDER BY description",
       {"key", "description", "points"}},
      {"tracks",
       "SELECT Track, description, (SELECT COUNT(*) FROM [Track data] WHERE [Track data].Track = Tracks.Track) "
       "FROM Tracks ORDER BY description",
       {"key", "description", "points"}},
  };
  for (const Listing& l : listings) {
    if (what != QLatin1String(l.name)) continue;
    StoreResult r;
    for (const QVariantList& row : c.db.rows(QString::fromLatin1(l.sql), {}, &r)) {
      QJsonObject o;
      for (qsizetype i = 0; i < l.fields.size() && i < row.size(); ++i) {
        const QString& field = l.fields[i];
        const QVariant& v = row[i];
        if (field == "mercator" || field == "bsb" || field == "approachable") o[field] = v.toInt() != 0;
        else o[field] = QJsonValue::fromVariant(v);
      }
      printJson(o);
    }
    if (!r.ok()) {
      complain(what, r.detail);
      return 1;
    }
    return 0;
  }
  return usage(QStringLiteral("cannot list \"%1\"").arg(what));
}

// export-gpx OUT.gpx [--waypoints NAME...] [--routes NAME...] [--tracks NAME...]: each
// option takes the names after it up to the next option.
int exportGpxCommand(Context& c, const QStringList& arguments) {
  QString out;
  GpxSelection selection;
  QStringList* into = nullptr;
  for (const QString& a : arguments) {
    if (a == QLatin1String("--waypoints")) into = &selection.waypoints;
    else if (a == QLatin1String("--routes")) into = &selection.routes;
    else if (a == QLatin1String("--tracks")) into = &selection.tracks;
    else if (a.startsWith(QLatin1String("--"))) return usage(QStringLiteral("unknown option ") + a);
    else if (into) into->append(a);
    else if (out.isEmpty()) out = a;
    else return usage(QStringLiteral("names follow --waypoints, --routes or --tracks"));
  }
  if (out.isEmpty()) return usage(QStringLiteral("export-gpx needs OUT.gpx"));
  DatabaseDatumLookup datums(c.db);
  GpxDocument doc;
  QString error;
  if (!collectGpx(c.db, datums, selection, doc, error) || !writeGpxFile(out, doc, error)) {
    complain(out, error);
    return 1;
  }
  printJson({{"file", out}, {"waypoints", static_cast<int>(doc.waypoints.size())},
             {"routes", static_cast<int>(doc.routes.size())}, {"tracks", static_cast<int>(doc.tracks.size())}});
  return 0;
}

struct Command {
  const char* name;
  std::function<int(Context&, const QStringList&)> run;
};
const Command kCommands[] = {
    {"import", importCommand},
    {"export-chi", exportCommand},
    {"export-gpx", exportGpxCommand},
    {"list", listCommand},
};

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QStringList args = app.arguments().mid(1);
  if (args.contains("--help") || args.contains("-h")) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  QString home;
  if (const qsizetype i = args.indexOf("--home"); i >= 0) {
    if (i + 1 >= args.size()) return usage(QStringLiteral("--home needs a folder"));
    home = args[i + 1];
    args.remove(i, 2);
  }
  if (args.isEmpty()) return usage();
  const QString name = args.takeFirst();
  for (const Command& command : kCommands) {
    if (name != QLatin1String(command.name)) continue;
    Context c{AppPaths::resolve(home), {}, {}};
    if (!c.paths.ensureExists()) {
      std::fprintf(stderr, "tavrik-db: cannot make %s\n", qPrintable(c.paths.programFolder()));
      return 1;
    }
    const StoreResult opened = openMainDatabase(c.db, c.paths.file(QStringLiteral("gps.db")), c.clock.now(), true);
    if (!opened.ok()) {
      complain(c.paths.file(QStringLiteral("gps.db")), opened.detail.isEmpty() ? QString::number(opened.error) : opened.detail);
      return 1;
    }
    return command.run(c, args);
  }
  return usage(QStringLiteral("unknown command ") + name);
}
