#pragma once
// Build settings of the map view (CMake cache variables, see map/CMakeLists.txt). The page's
// own copy of the origins and the key is written into googlearth.html at configure time.

#ifndef VINDREL_MAP_SCRIPT_ORIGIN
#define VINDREL_MAP_SCRIPT_ORIGIN "vindrel-map://provider"
#endif
#ifndef VINDREL_MAP_CONVERT_ORIGIN
#define VINDREL_MAP_CONVERT_ORIGIN "vindrel-map://provider"
#endif
#ifndef VINDREL_MAP_TILE_URL
#define VINDREL_MAP_TILE_URL "https://tile.openstreetmap.org/{z}/{x}/{y}.png"
#endif
#ifndef VINDREL_MAP_TILE_CREDIT
#define VINDREL_MAP_TILE_CREDIT "\u00a9 OpenStreetMap contributors"
#endif
#ifndef VINDREL_MAP_HYBRID_TILE_URL
#define VINDREL_MAP_HYBRID_TILE_URL "https://{s}.tile.opentopomap.org/{z}/{x}/{y}.png"
#endif
#ifndef VINDREL_MAP_HYBRID_TILE_CREDIT
#define VINDREL_MAP_HYBRID_TILE_CREDIT "\u00a9 OpenStreetMap contributors, SRTM, \u00a9 OpenTopoMap (CC-BY-SA)"
#endif
