// Shared pieces of the track writers.
#pragma once

#include <stdio.h>

#include "tracks/trackpoint.h"

// name as XML text: Windows-1252 to UTF-8, the five special characters as
// entities, control characters other than tab dropped. Always terminated.
void TrackXmlText(const char* name, char* dest, int size);
const int TRACK_XML_NAME_SIZE = TRACK_NAME_SIZE * 6 + 16;

enum TrackWriteKind { TRACK_WRITE_GPX, TRACK_WRITE_KML, TRACK_WRITE_CSV };

// Runs the body of kind onto an open stream (which it closes).
int TrackWriteBody(TrackWriteKind kind, FILE* stream, const TrackPoint* points, int count,
                   const char* name, const char* documentName);
