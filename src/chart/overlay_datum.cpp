#include "chart/overlay_datum.h"

#include <memory>

#include "geo/datum.h"
#include "geo/datum_catalogue.h"

namespace tavrik {

std::function<GeoPoint(const GeoPoint&)> chartDatumConverter(int chartDatum, const DatumLookup* datums) {
  if (chartDatum == 0) return {};
  std::shared_ptr<const DatumLookup> lookup;
  if (datums) lookup = std::shared_ptr<const DatumLookup>(datums, [](const DatumLookup*) {});
  else lookup = std::make_shared<CatalogueDatumLookup>();
  return [lookup, chartDatum](const GeoPoint& g) {
    if (g.datum == chartDatum || g.datum == 0) return g;
    CalcRecord r;
    r.Lat1 = g.lat;
    r.Lon1 = g.lon;
    r.Datum1 = g.datum;
    r.Datum2 = chartDatum;
    DatumConvert(r, *lookup);
    return GeoPoint{r.Lat2, r.Lon2, chartDatum};
  };
}

}  // namespace tavrik
