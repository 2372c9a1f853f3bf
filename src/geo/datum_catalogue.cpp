#include "geo/datum_catalogue.h"

#include <algorithm>
#include <array>

namespace tavrik {

namespace {

// Minor axes are b = a (1 - f) from the published a and 1/f, to 0.1 mm.
constexpr std::array kEllipsoids{
    EllipsoidRow{0, "Default", 0, 0},
    EllipsoidRow{1, "Airy 1830", 6377563.396, 6356256.9092},
    EllipsoidRow{2, "Modified Airy", 6377340.189, 6356034.4479},
    EllipsoidRow{3, "Australian National", 6378160, 6356774.7192},
    EllipsoidRow{4, "Bessel 1841", 6377397.155, 6356078.9628},
    EllipsoidRow{5, "Bessel 1841 (Namibia)", 6377483.865, 6356165.3830},
    EllipsoidRow{6, "Clarke 1866", 6378206.4, 6356583.8000},
    EllipsoidRow{7, "Clarke 1880", 6378249.145, 6356514.8695},
    EllipsoidRow{8, "Everest (India 1830)", 6377276.345, 6356075.4131},
    EllipsoidRow{9, "Everest (India 1956)", 6377301.243, 6356100.2284},
    EllipsoidRow{10, "Everest (Malaysia 1948)", 6377304.063, 6356103.0390},
    EllipsoidRow{11, "Everest (Malaysia 1969)", 6377295.664, 6356094.6679},
    EllipsoidRow{12, "Everest (Pakistan)", 6377309.613, 6356108.5705},
    EllipsoidRow{13, "Everest (Sabah Sarawak)", 6377298.556, 6356097.5503},
    EllipsoidRow{14, "GRS 80", 6378137, 6356752.3141},
    EllipsoidRow{15, "Helmert 1906", 6378200, 6356818.1696},
    EllipsoidRow{16, "Hough 1960", 6378270, 6356794.3434},
    EllipsoidRow{17, "Indonesian 1974", 6378160, 6356774.5041},
    EllipsoidRow{18, "International 1924", 6378388, 6356911.9461},
    EllipsoidRow{19, "Krassovsky 1940", 6378245, 6356863.0188},
    EllipsoidRow{20, "Modified Fischer 1960", 6378155, 6356773.3205},
    EllipsoidRow{21, "South American 1969", 6378160, 6356774.7192},
    EllipsoidRow{22, "WGS 72", 6378135, 6356750.5200},
    EllipsoidRow{kWgs84Ellipse, "WGS 84", 6378137, 6356752.3142},
};

constexpr int kAiry = 1, kModAiry = 2, kAusNat = 3, kBessel = 4, kBesselNam = 5,
              kClarke66 = 6, kClarke80 = 7, kEverest30 = 8, kEverest56 = 9, kEverest48 = 10,
              kGrs80 = 14, kHelmert = 15, kIndonesian = 17, kIntl = 18, kKrassovsky = 19,
              kModFischer = 20, kSa69 = 21, kWgs72 = 22;

constexpr std::array kDatums{
    DatumRow{kDefaultDatum, "Default", kDefaultEllipse, 0, 0, 0},
    DatumRow{kWgs84Datum, "WGS-84", kWgs84Ellipse, 0, 0, 0},
    DatumRow{2, "WGS-72", kWgs72, 0, 0, 4.5},
    DatumRow{3, "North American 1983", kGrs80, 0, 0, 0},
    DatumRow{4, "North American 1927 (CONUS)", kClarke66, -8, 160, 176},
    DatumRow{5, "North American 1927 (Eastern US)", kClarke66, -9, 161, 179},
    DatumRow{6, "North American 1927 (Western US)", kClarke66, -8, 159, 175},
    DatumRow{7, "North American 1927 (Alaska)", kClarke66, -5, 135, 172},
    DatumRow{8, "North American 1927 (Canada)", kClarke66, -10, 158, 187},
    DatumRow{9, "North American 1927 (Caribbean)", kClarke66, -3, 142, 183},
    DatumRow{10, "North American 1927 (Central America)", kClarke66, 0, 125, 194},
    DatumRow{11, "North American 1927 (Mexico)", kClarke66, -12, 130, 190},
    DatumRow{12, "European 1950 (mean)", kIntl, -87, -98, -121},
    DatumRow{13, "European 1950 (Western Europe)", kIntl, -87, -96, -120},
    DatumRow{14, "European 1950 (Great Britain, Ireland)", kIntl, -86, -96, -120},
    DatumRow{15, "European 1950 (Norway, Finland)", kIntl, -87, -95, -120},
    DatumRow{16, "European 1950 (Portugal, Spain)", kIntl, -84, -107, -120},
    DatumRow{17, "European 1950 (Greece)", kIntl, -84, -95, -130},
    DatumRow{18, "European 1950 (Sardinia)", kIntl, -97, -103, -120},
    DatumRow{19, "European 1950 (Sicily)", kIntl, -97, -88, -135},
    DatumRow{20, "European 1950 (Malta)", kIntl, -107, -88, -149},
    DatumRow{21, "European 1950 (Cyprus)", kIntl, -104, -101, -140},
    DatumRow{22, "European 1950 (Egypt)", kIntl, -130, -117, -151},
    DatumRow{23, "European 1950 (Middle East)", kIntl, -103, -106, -141},
    DatumRow{24, "European 1950 (Tunisia)", kIntl, -112, -77, -145},
    DatumRow{25, "European 1979", kIntl, -86, -98, -119},
    DatumRow{26, "Ordnance Survey GB 1936 (mean)", kAiry, 375, -111, 431},
    DatumRow{27, "Ordnance Survey GB 1936 (England)", kAiry, 371, -112, 434},
    DatumRow{28, "Ordnance Survey GB 1936 (England, Isle of Man, Wales)", kAiry, 371, -111, 434},
    DatumRow{29, "Ordnance Survey GB 1936 (Scotland, Shetland)", kAiry, 384, -111, 425},
    DatumRow{30, "Ordnance Survey GB 1936 (Wales)", kAiry, 370, -108, 434},
    DatumRow{31, "Ireland 1965", kModAiry, 506, -122, 611},
    DatumRow{32, "CH-1903 (Switzerland)", kBessel, 674.374, 15.056, 405.346},
    DatumRow{33, "Hermannskogel (former Yugoslavia)", kBessel, 682, -203, 480},
    DatumRow{34, "Pulkovo 1942 (Russia)", kKrassovsky, 28, -130, -95},
    DatumRow{35, "Hjorsey 1955 (Iceland)", kIntl, -73, 46, -86},
    DatumRow{36, "Qornoq (Greenland)", kIntl, 164, 138, -189},
    DatumRow{37, "Rome 1940 (Sardinia)", kIntl, -225, -65, 9},
    DatumRow{38, "Pico de las Nieves (Canary Islands)", kIntl, -307, -92, 127},
    DatumRow{39, "Tokyo (mean)", kBessel, -148, 507, 685},
    DatumRow{40, "Tokyo (Japan)", kBessel, -148, 507, 685},
    DatumRow{41, "Tokyo (South Korea)", kBessel, -146, 507, 687},
    DatumRow{42, "Tokyo (Okinawa)", kBessel, -158, 507, 676},
    DatumRow{43, "Australian Geodetic 1966", kAusNat, -133, -48, 148},
    DatumRow{44, "Australian Geodetic 1984", kAusNat, -134, -48, 149},
    DatumRow{45, "Geodetic Datum 1949 (New Zealand)", kIntl, 84, -22, 209},
    DatumRow{46, "South American 1969 (mean)", kSa69, -57, 1, -41},
    DatumRow{47, "Provisional South American 1956 (mean)", kIntl, -288, 175, -376},
    DatumRow{48, "Corrego Alegre (Brazil)", kIntl, -206, 172, -6},
    DatumRow{49, "Campo Inchauspe (Argentina)", kIntl, -148, 136, 90},
    DatumRow{50, "Old Hawaiian (mean)", kClarke66, 61, -285, -181},
    DatumRow{51, "Bermuda 1957", kClarke66, -73, 213, 296},
    DatumRow{52, "Puerto Rico", kClarke66, 11, 72, -101},
    DatumRow{53, "Arc 1950 (mean)", kClarke80, -143, -90, -294},
    DatumRow{54, "Arc 1960 (Kenya, Tanzania)", kClarke80, -160, -6, -302},
    DatumRow{55, "Cape (South Africa)", kClarke80, -136, -108, -292},
    DatumRow{56, "Adindan (mean)", kClarke80, -166, -15, 204},
    DatumRow{57, "Minna (Nigeria)", kClarke80, -92, -93, 122},
    DatumRow{58, "Merchich (Morocco)", kClarke80, 31, 146, 47},
    DatumRow{59, "Old Egyptian 1907", kHelmert, -130, 110, -13},
    DatumRow{60, "Schwarzeck (Namibia)", kBesselNam, 616, 97, -251},
    DatumRow{61, "Ain el Abd 1970 (Bahrain)", kIntl, -150, -250, -1},
    DatumRow{62, "Hong Kong 1963", kIntl, -156, -271, -189},
    DatumRow{63, "Hu-Tzu-Shan (Taiwan)", kIntl, -637, -549, -203},
    DatumRow{64, "Indian (Thailand, Vietnam)", kEverest30, 217, 823, 299},
    DatumRow{65, "Indian (India, Nepal)", kEverest56, 295, 736, 257},
    DatumRow{66, "Kertau 1948 (West Malaysia, Singapore)", kEverest48, -11, 851, 5},
    DatumRow{67, "Luzon (Philippines)", kClarke66, -133, -77, -51},
    DatumRow{68, "Djakarta (Batavia)", kBessel, -377, 681, -50},
    DatumRow{69, "Indonesian 1974", kIndonesian, -24, -15, 5},
    DatumRow{70, "South Asia (Singapore)", kModFischer, 7, -10, -26},
};

template <typename Row, std::size_t N>
const Row* findRow(const std::array<Row, N>& rows, int number, int Row::*key) {
  const auto it = std::find_if(rows.begin(), rows.end(), [&](const Row& r) { return r.*key == number; });
  return it == rows.end() ? nullptr : &*it;
}

}  // namespace

std::span<const EllipsoidRow> builtinEllipsoids() { return kEllipsoids; }
std::span<const DatumRow> builtinDatums() { return kDatums; }

const EllipsoidRow* findBuiltinEllipsoid(int ellipse) {
  return findRow(kEllipsoids, ellipse, &EllipsoidRow::ellipse);
}

const DatumRow* findBuiltinDatum(int datum) { return findRow(kDatums, datum, &DatumRow::datum); }

std::optional<DatumDefinition> CatalogueDatumLookup::datum(int number) const {
  const DatumRow* d = findBuiltinDatum(number);
  if (!d) return std::nullopt;
  const EllipsoidRow* e = findBuiltinEllipsoid(d->ellipse);
  if (!e) return std::nullopt;
  DatumDefinition def;
  def.datum = d->datum;
  def.description = QString::fromUtf8(d->description);
  def.ellipse = d->ellipse;
  def.majorAxis = e->majoraxis;
  def.minorAxis = e->minoraxis;
  def.x = d->x;
  def.y = d->y;
  def.z = d->z;
  return def;
}

}  // namespace tavrik
