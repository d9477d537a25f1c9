#include "GpsTypes.h"

const char* GpsStatusName(GpsStatus status)
{
    switch (status) {
    case NoGpsFile: return "NoGpsFile";
    case GpsPresent: return "GpsPresent";
    case NoGpsInfo: return "NoGpsInfo";
    }
    return "Unknown";
}
