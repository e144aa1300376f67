#include "game/tileserver_defaults.h"

namespace tiles {

namespace {
// The hosts of the built-in rows. Rows that the table lets share a server
// name one constant.
const char kHostEsri[] = "services.arcgisonline.com";
const char kHostHiking[] = "tile.waymarkedtrails.org";
const char kHostShade[] = "tiles.wmflabs.org";
const char kHostLonvia[] = "tile.lonvia.de";
}  // namespace

const char kFirstStartName[] = "WaterColor";
const char kFirstStartPath[] = "watercolor/*.jpg";
const char kFirstStartZoomMin[] = "2";
const char kFirstStartZoomMax[] = "6";

const DefaultBaseMap kBaseMapDefaults[kDefaultBaseMaps] = {
    {"Mapic", "tile.openstreetmap.org", "", nullptr, nullptr, 0},
    {"Cycle", "tile.thunderforest.com", "cycle", nullptr, nullptr, 0},
    {"Tiles", "tiles.openseamap.org", "tiles/1.0.0/osm", nullptr, nullptr, 0},
    {"Transport", "tile2.thunderforest.com", "transport", nullptr, nullptr, 0},
    {"Hot", "tile.openstreetmap.fr", "hot", nullptr, nullptr, 0},
    {"Basemap", "maps.wien.gv.at", "tiles/basemap_base", nullptr, nullptr, 0},
    {"Type-B", "tile.memomaps.de", "", nullptr, nullptr, 0},
    {"Mapbox", "a.tiles.mapbox.com", "v3/sozialhelden.map-iqt6py1k", nullptr, nullptr, 0},
    {"Outdoors", "tile3.thunderforest.com", "outdoors", nullptr, nullptr, 0},
    {"Topo", "tile.opentopomap.org", "topo", nullptr, nullptr, 0},
    {"WaterColor", ORV_FIRST_START_HOST, "watercolor/*.jpg", nullptr, nullptr, 0},
    {"Tilegen", "tiles.tilegen.org", "tilegen", nullptr, nullptr, 0},
    {"Comic", "b.tiles.mapbox.com", "v3/examples.bc17bb2a", nullptr, nullptr, 0},
    {"TopoMap", "a.tile.opentopomap.org", "", nullptr, nullptr, 0},
    {"Toner", "toner.stamen.com", "toner", nullptr, nullptr, 0},
    {"Esri", kHostEsri, "ArcGIS/rest/services/World_Street_Map/MapServer/tile", nullptr, nullptr, 1},
    {"Esri Gray", kHostEsri, "ArcGIS/rest/services/Canvas/World_Light_Gray_Base/MapServer/tile", nullptr, nullptr,
     1},
    {"Physical", kHostEsri, "ArcGIS/rest/services/World_Physical_Map/MapServer/tile", "0", "8", 1},
    {"Satellite", kHostEsri, "ArcGIS/rest/services/World_Imagery/MapServer/tile", "0", "18", 1},
    {"Relief", kHostEsri, "ArcGIS/rest/services/World_Shaded_Relief/MapServer/tile", "0", "13", 1},
    {"Esri Topo", kHostEsri, "ArcGIS/rest/services/World_Topo_Map/MapServer/tile", "0", "16", 1},
    {"Here Hyprit", "maps.here.com", "maptile/2.1/maptile/fcffbcd571/hybrid.day", nullptr, nullptr, 0},
    {"Komoot", "tile.komoot.de", "tiles/a", nullptr, nullptr, 0},
    {"Yandex", "vec.maps.yandex.net", "tiles?l=map&v=2.2.3", nullptr, nullptr, 2},
};

const DefaultLayer kLayerDefaults[kDefaultLayers] = {
    {"Topologie", kHostShade, "landshaded", "-20", "100", 0},
    {"Topologie (stärker)", kHostShade, "landshaded", "0", "0", 0},
    {"Wanderwege", kHostHiking, "hiking", "0", "0", 0},
    {"Radwege", kHostLonvia, "lonvia", "0", "0", 0},
    {"Wanderwege 2", kHostLonvia, "lonvia", "0", "0", 0},
    {"MTB Wege", kHostHiking, "waymarkedtrails", "0", "0", 0},
    {"Esri Places", kHostEsri,
     "ArcGIS/rest/services/Reference/World_Boundaries_and_Places/MapServer/tile/*.jpg", nullptr, nullptr, 1},
};

}  // namespace tiles
