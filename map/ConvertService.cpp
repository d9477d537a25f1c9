#include "map/ConvertService.h"

#include <QList>
#include <QRegularExpression>

#include <charconv>
#include <cmath>
#include <system_error>

namespace {

// Upper bound of the coords text: kMaxConvertPoints points of two long numbers each.
constexpr qsizetype kMaxCoordsLength = kMaxConvertPoints * 64;

bool ParseNumber(const QString& text, double& value)
{
    static const QRegularExpression number(QStringLiteral(R"(^[+-]?(\d+\.?\d*|\.\d+)([eE][+-]?\d{1,3})?$)"));
    if (text.size() > 40 || !number.match(text).hasMatch()) {
        return false;
    }
    const QByteArray latin = text.toLatin1();
    const char* begin = latin.constData();
    if (*begin == '+') {
        ++begin;  // from_chars takes no leading plus
    }
    const char* end = latin.constData() + latin.size();
    const auto [ptr, ec] = std::from_chars(begin, end, value);
    return ec == std::errc() && ptr == end && std::isfinite(value);
}

// Shortest text that reads back as the same double, so a point comes back exactly as sent.
QByteArray WriteNumber(double value)
{
    char buffer[64];
    const auto [ptr, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
    if (ec != std::errc()) {
        return "0";
    }
    return QByteArray(buffer, static_cast<qsizetype>(ptr - buffer));
}

bool PlainScriptName(const QString& name)
{
    static const QRegularExpression identifier(
        QStringLiteral(R"(^[A-Za-z_$][A-Za-z0-9_$]{0,63}(\.[A-Za-z_$][A-Za-z0-9_$]{0,63}){0,3}$)"));
    return identifier.match(name).hasMatch();
}

QByteArray Wrap(const QString& callback, const QByteArray& json)
{
    if (!PlainScriptName(callback)) {
        return json;
    }
    return callback.toLatin1() + '(' + json + ");";
}

ConvertAnswer Failure(const QString& callback, int status)
{
    const QByteArray json = "{\"status\":" + QByteArray::number(status) + ",\"result\":[]}";
    return {status, Wrap(callback, json)};
}

}  // namespace

ConvertAnswer AnswerConversion(const QUrlQuery& query)
{
    const QString callback = query.queryItemValue(QStringLiteral("callback"), QUrl::FullyDecoded);
    if (query.queryItemValue(QStringLiteral("ak")).isEmpty()) {
        return Failure(callback, ConvertNoKey);
    }
    if (query.hasQueryItem(QStringLiteral("from")) &&
        query.queryItemValue(QStringLiteral("from")) != QLatin1String("1")) {
        return Failure(callback, ConvertBadFrom);
    }
    if (query.hasQueryItem(QStringLiteral("to")) && query.queryItemValue(QStringLiteral("to")) != QLatin1String("5")) {
        return Failure(callback, ConvertBadTo);
    }
    const QString coords = query.queryItemValue(QStringLiteral("coords"), QUrl::FullyDecoded);
    if (coords.isEmpty() || coords.size() > kMaxCoordsLength) {
        return Failure(callback, coords.isEmpty() ? ConvertBadCoords : ConvertTooManyCoords);
    }
    const QList<QStringView> points = QStringView(coords).split(QLatin1Char(';'));
    if (points.size() > kMaxConvertPoints) {
        return Failure(callback, ConvertTooManyCoords);
    }
    QByteArray result;
    for (const QStringView point : points) {
        const QList<QStringView> parts = point.split(QLatin1Char(','));
        double x = 0.0;
        double y = 0.0;
        if (parts.size() != 2 || !ParseNumber(parts[0].toString(), x) || !ParseNumber(parts[1].toString(), y)) {
            return Failure(callback, ConvertBadCoords);
        }
        if (!result.isEmpty()) {
            result += ',';
        }
        result += "{\"x\":" + WriteNumber(x) + ",\"y\":" + WriteNumber(y) + '}';
    }
    return {ConvertOk, Wrap(callback, "{\"status\":0,\"result\":[" + result + "]}")};
}
