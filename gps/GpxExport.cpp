#include "GpxExport.h"

#include "version/Version.h"

#include <QDateTime>
#include <QIODevice>

#include <QXmlStreamWriter>
#include <limits>

namespace {
// The coordinates are "%f" texts already; a number that does not parse has no position.
bool ReadCoordinate(const QString& text, double& value)
{
    bool ok = false;
    value = text.toDouble(&ok);  // QString::toDouble always reads the C locale
    return ok;
}
}  // namespace

bool WriteGpxTrack(const std::vector<GpsSample>& gpsTrack, const QString& trackName, QIODevice& out,
                   const std::vector<std::int64_t>& utcMs)
{
    QXmlStreamWriter xml(&out);
    xml.setAutoFormatting(true);
    xml.writeStartDocument();
    xml.writeStartElement(QStringLiteral("gpx"));
    xml.writeDefaultNamespace(QStringLiteral("http://www.topografix.com/GPX/1/1"));
    xml.writeNamespace(QStringLiteral("http://www.garmin.com/xmlschemas/TrackPointExtension/v2"),
                       QStringLiteral("gpxtpx"));
    xml.writeAttribute(QStringLiteral("version"), QStringLiteral("1.1"));
    xml.writeAttribute(QStringLiteral("creator"), QStringLiteral("Vindrel " VINDREL_VERSION));
    xml.writeStartElement(QStringLiteral("trk"));
    xml.writeTextElement(QStringLiteral("name"), trackName);
    xml.writeStartElement(QStringLiteral("trkseg"));
    const QString ext = QStringLiteral("http://www.garmin.com/xmlschemas/TrackPointExtension/v2");
    for (std::size_t k = 0; k < gpsTrack.size(); ++k) {
        const GpsSample& sample = gpsTrack[k];
        double lat = 0, lon = 0;
        if (!ReadCoordinate(sample.latitude, lat) || !ReadCoordinate(sample.longitude, lon))
            continue;
        if ((lat == 0 && lon == 0) || lat < -90 || lat > 90 || lon < -180 || lon > 180)
            continue;
        xml.writeStartElement(QStringLiteral("trkpt"));
        xml.writeAttribute(QStringLiteral("lat"), QString::number(lat, 'f', 6));
        xml.writeAttribute(QStringLiteral("lon"), QString::number(lon, 'f', 6));
        if (k < utcMs.size() && utcMs[k] != std::numeric_limits<std::int64_t>::min()) {
            const QDateTime time = QDateTime::fromMSecsSinceEpoch(utcMs[k], Qt::UTC);  // written with Z
            if (time.isValid())
                xml.writeTextElement(QStringLiteral("time"), time.toString(Qt::ISODateWithMs));
        }
        xml.writeStartElement(QStringLiteral("extensions"));
        xml.writeStartElement(ext, QStringLiteral("TrackPointExtension"));
        xml.writeTextElement(ext, QStringLiteral("speed"), QString::number(sample.speed / 3.6, 'f', 3));
        xml.writeEndElement();
        xml.writeEndElement();
        xml.writeEndElement();
    }
    xml.writeEndDocument();
    return !xml.hasError();
}
