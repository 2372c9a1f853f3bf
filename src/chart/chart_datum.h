#pragma once
// The datum of a BSB/KAP chart opened as a file: its `GD=` name matched to a row of
// `Datums` (names are spelled differently there: "NAD27" is "North American 1927
// (CONUS)"), and its `DTM/` shift.

#include <QString>

#include <optional>
#include <vector>

#include "chart/kap_header.h"

namespace tavrik {

struct DatumName {
  int datum = 0;        // key in `Datums`
  QString description;  // as the table has it
};

// The rows of the built-in datum table (used when no database is open).
std::vector<DatumName> builtinDatumNames();

// The row a chart's datum name stands for: the same description, or the same datum
// spelled another way (WGS84, NAD83, NAD27, ED50, ED79, OSGB36, WGS72 and their long
// names); of several regional variants the one without a region, then the mean
// (or CONUS) one, then the first. nullopt when nothing matches.
std::optional<DatumName> matchDatumName(const QString& name, const std::vector<DatumName>& rows);

// How positions meet a chart opened as a file.
struct ChartFileDatum {
  // Key of the datum positions are converted to before they reach the chart; 0 when
  // they stay unconverted (an unknown datum name).
  int datum = 0;
  QString datumName;  // the row's description, or the chart's own name when unknown
  // DTM/: degrees added to a position in the chart's datum to give WGS-84; the chart
  // then takes WGS-84 positions and shifts them itself.
  double shiftLat = 0, shiftLon = 0;
  QString text;  // what the chart information window says
};
ChartFileDatum chartFileDatum(const KapHeader& header, const std::vector<DatumName>& rows);

}  // namespace tavrik
