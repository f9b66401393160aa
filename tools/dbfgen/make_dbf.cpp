// Writes the project's own tables: `make_dbf samples FOLDER` writes the sample tables that
// the program installs beside itself; `make_dbf bench N FILE [SEED]` writes a benchmark
// table of N records.
#include "DbfWriter.h"

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

using quarvel::tools::TableSpec;

namespace {

std::optional<std::string> text(const char* value) {
    return std::string(value);
}

bool samples(const std::string& folder, std::string& error) {
    TableSpec counties;
    counties.codePage = "LDID/87";
    counties.fields = {{"NAME", 'C', 24, 0},      {"STATE", 'C', 2, 0},    {"POP2020", 'N', 9, 0},
                       {"AREA_SQKM", 'N', 10, 2}, {"DENSITY", 'N', 10, 2}, {"MEDINCOME", 'N', 8, 0},
                       {"FIPS", 'C', 5, 0}};
    const struct {
        const char* name;
        const char* fips;
        int pop;
        double area;
        int income;
    } rows[] = {
        {"Alder", "01001", 58805, 1543.12, 57982},    {"Birch", "01003", 231767, 4117.52, 61756},
        {"Cedar", "01005", 25223, 2292.14, 34990},    {"Dogwood", "01007", 22293, 1612.48, 51721},
        {"Elm", "01009", 59134, 1670.31, 48922},      {"Fir", "01011", 10357, 1618.55, 33866},
        {"Gum", "01013", 19051, 2011.06, 44850},      {"Hazel", "01015", 116441, 1574.78, 50128},
        {"Ironwood", "01017", 34772, 1545.02, 46167}, {"Juniper", "01019", 24971, 1433.11, 46013},
        {"Kapok", "01021", 44828, 1795.31, 49487},    {"Larch", "01023", 12665, 2365.72, 36130},
        {"Maple", "01025", 23087, 3208.61, 38656},    {"Nutmeg", "01027", 13235, 1564.62, 43146},
        {"Oak", "01029", 14910, 1450.69, 47453},      {"Pine", "01031", 53465, 1751.64, 56089},
        {"Quince", "01033", 57215, 1533.02, 49305},   {"Rowan", "01035", 11597, 2204.93, 36862},
        {"Spruce", "01037", 10388, 1685.80, 47543},   {"Tamarack", "01039", 37570, 2677.13, 41739},
        {"Upas", "01041", 13194, 1582.59, 40379},     {"Viburnum", "01043", 87866, 1904.59, 48981},
        {"Willow", "01045", 49326, 1453.23, 50049},   {"Yew", "01047", 38462, 2570.12, 31271},
        {"Zelkova", "01049", 71608, 2013.80, 44208},  {"Metro", "01051", 1324171, 2896.42, 72112}};
    char buffer[32];
    for (const auto& row : rows) {
        std::vector<std::optional<std::string>> record;
        record.push_back(text(row.name));
        record.push_back(text("QV"));
        record.push_back(std::to_string(row.pop));
        std::snprintf(buffer, sizeof buffer, "%.2f", row.area);
        record.emplace_back(buffer);
        std::snprintf(buffer, sizeof buffer, "%.2f", row.pop / row.area);
        record.emplace_back(buffer);
        record.push_back(std::to_string(row.income));
        record.push_back(text(row.fips));
        counties.records.push_back(std::move(record));
    }
    if (!quarvel::tools::writeDbf(folder + "/counties.dbf", counties, error)) {
        return false;
    }

    TableSpec stations;
    stations.codePage = "LDID/87";
    stations.fields = {{"STATION", 'C', 8, 0}, {"SITE", 'C', 30, 0},  {"ELEV_M", 'N', 8, 1},
                       {"TEMP_C", 'N', 6, 1},  {"OPENED", 'D', 8, 0}, {"ACTIVE", 'L', 1, 0}};
    const struct {
        const char* id;
        const char* site;
        const char* elevation;
        const char* temperature;
        const char* opened;
        const char* active;
    } sites[] = {{"ST01", "Coastal Dune", "12.0", "11.8", "19990101", "F"},
                 {"ST02", "Salt Flat", "-86.0", "25.3", "19610514", "T"},
                 {"ST03", "Dead Sea Shore", "-430.5", "26.1", "19720301", "T"},
                 {"ST04", "Delta Polder", "-6.7", "10.2", "19850911", "T"},
                 {"ST05", "River Terrace", "48.2", "12.4", "20010620", "T"},
                 {"ST06", "Foothill Farm", "355.0", "9.7", "19930415", "T"},
                 {"ST07", "Valley Floor", "-28.0", "23.9", "20050830", "T"},
                 {"ST08", "High Pass", "2105.4", "-1.5", "19880707", "F"},
                 {"ST09", "Summit Ridge", "3850.0", "-8.2", "20120302", "T"},
                 {"ST10", "Lake Basin", "-155.0", "18.6", "19770125", "T"},
                 {"ST11", "Plateau Edge", "1420.3", "4.3", "20150912", "T"},
                 {"ST12", "Marsh Outlet", "-1.2", "13.0", "20200101", "?"}};
    for (const auto& site : sites) {
        stations.records.push_back({text(site.id), text(site.site), text(site.elevation),
                                    text(site.temperature), text(site.opened), text(site.active)});
    }
    if (!quarvel::tools::writeDbf(folder + "/stations.dbf", stations, error)) {
        return false;
    }

    TableSpec gaps;
    gaps.codePage = "LDID/87";
    gaps.fields = {{"PARCEL", 'C', 10, 0},
                   {"VALUE", 'N', 10, 0},
                   {"YIELD", 'N', 6, 2},
                   {"SURVEYED", 'D', 8, 0}};
    const char* values[] = {"125000", nullptr,  "98000", "143500", nullptr,  "87250",
                            "201000", "110000", "99500", nullptr,  "132000", "156800"};
    const char* yields[] = {"3.10",  "2.75", nullptr, "4.20", "3.05", "2.90",
                            nullptr, "3.65", "3.30",  "2.40", "3.95", nullptr};
    for (int i = 0; i < 12; ++i) {
        std::snprintf(buffer, sizeof buffer, "P-%04d", i + 1);
        gaps.records.push_back(
            {text(buffer), values[i] ? text(values[i]) : std::nullopt,
             yields[i] ? text(yields[i]) : std::nullopt,
             i % 4 == 3 ? std::nullopt : std::optional<std::string>("20230915")});
    }
    if (!quarvel::tools::writeDbf(folder + "/parcels_with_gaps.dbf", gaps, error)) {
        return false;
    }

    // Place names in Windows-1252, named by a .cpg beside the table.
    TableSpec towns;
    towns.codePage = "1252";
    towns.fields = {
        {"TOWN", 'C', 24, 0}, {"COUNTRY", 'C', 16, 0}, {"ALT_M", 'N', 6, 0}, {"POP", 'N', 9, 0}};
    const struct {
        const char* town;
        const char* country;
        const char* altitude;
        const char* population;
    } places[] = {{"Z\xfcrich", "Schweiz", "408", "421878"},
                  {"Gen\xe8ve", "Suisse", "375", "203856"},
                  {"M\xfcnchen", "Deutschland", "519", "1488202"},
                  {"K\xf6ln", "Deutschland", "53", "1073096"},
                  {"S\xe3o Paulo", "Brasil", "760", "12325232"},
                  {"Bogot\xe1", "Colombia", "2640", "7743955"},
                  {"Mal\xe9", "Maldives", "2", "252768"},
                  {"Link\xf6ping", "Sverige", "48", "164616"},
                  {"\xc5rhus", "Danmark", "105", "285273"},
                  {"Reykjav\xedk", "\xcdsland", "15", "131136"}};
    for (const auto& place : places) {
        towns.records.push_back(
            {text(place.town), text(place.country), text(place.altitude), text(place.population)});
    }
    return quarvel::tools::writeDbf(folder + "/towns_1252.dbf", towns, error);
}

} // namespace

int main(int argc, char* argv[]) {
    std::string error;
    const std::string command = argc > 1 ? argv[1] : "";
    bool ok = false;
    if (command == "samples" && argc == 3) {
        ok = samples(argv[2], error);
    } else if (command == "bench" && (argc == 4 || argc == 5)) {
        const unsigned seed =
            argc == 5 ? static_cast<unsigned>(std::strtoul(argv[4], nullptr, 10)) : 1;
        ok = quarvel::tools::writeBenchmarkTable(argv[3], std::atoi(argv[2]), seed, error);
    } else {
        std::fprintf(stderr,
                     "usage: make_dbf samples FOLDER | make_dbf bench RECORDS FILE [SEED]\n");
        return 2;
    }
    if (!ok) {
        std::fprintf(stderr, "make_dbf: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
