// Built-in tile-server tables. The first-start entry's host is also the
// folder of the offline world map below the fixed cache: the set-up scripts
// read it from here, so it is the one place that names it.
#pragma once

#define ORV_FIRST_START_HOST "tile.stamen.com"
