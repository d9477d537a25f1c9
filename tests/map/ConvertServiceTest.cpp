#include "map/ConvertService.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>

#include <gtest/gtest.h>

namespace {

ConvertAnswer Ask(const char* query) { return AnswerConversion(QUrlQuery(QString::fromLatin1(query))); }

// The object passed to cb(...).
QJsonObject Payload(const QByteArray& body)
{
    EXPECT_TRUE(body.startsWith("cb(")) << body.constData();
    EXPECT_TRUE(body.endsWith(");")) << body.constData();
    return QJsonDocument::fromJson(body.mid(3, body.size() - 5)).object();
}

}  // namespace

TEST(ConvertService, OnePointComesBackUnchangedAsJsonp)
{
    const ConvertAnswer a =
        Ask("coords=113.921957,22.584828&from=1&to=5&ak=VindrelBuiltInMapKey2024&callback=getMapStart");
    EXPECT_EQ(a.status, 0);
    EXPECT_EQ(a.body, QByteArray(R"(getMapStart({"status":0,"result":[{"x":113.921957,"y":22.584828}]});)"));
}

TEST(ConvertService, ManyPointsInOrderWithSignsAndEncodedSeparators)
{
    const ConvertAnswer a =
        Ask("coords=-70.500000,-33.500000%3B113.5%2C22.5;0.000001,1e-3&from=1&to=5&ak=k&callback=cb");
    ASSERT_EQ(a.status, 0);
    const QJsonObject o = Payload(a.body);
    EXPECT_EQ(o.value("status").toInt(-1), 0);
    const QJsonArray r = o.value("result").toArray();
    ASSERT_EQ(r.size(), 3);
    const double expected[3][2] = {{-70.5, -33.5}, {113.5, 22.5}, {0.000001, 0.001}};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(r[i].toObject().value("x").toDouble(), expected[i][0]) << i;
        EXPECT_EQ(r[i].toObject().value("y").toDouble(), expected[i][1]) << i;
    }
}

TEST(ConvertService, HundredPointsAreTheLimit)
{
    QStringList points;
    for (int i = 0; i < 101; ++i) {
        points << QStringLiteral("113.%1,22.5").arg(i);
    }
    const QString hundred = points.mid(0, 100).join(';');
    const ConvertAnswer ok = AnswerConversion(QUrlQuery("coords=" + hundred + "&from=1&to=5&ak=k&callback=cb"));
    EXPECT_EQ(ok.status, 0);
    EXPECT_EQ(Payload(ok.body).value("result").toArray().size(), 100);
    const ConvertAnswer over =
        AnswerConversion(QUrlQuery("coords=" + points.join(';') + "&from=1&to=5&ak=k&callback=cb"));
    EXPECT_EQ(over.status, ConvertTooManyCoords);
    EXPECT_EQ(Payload(over.body).value("status").toInt(), ConvertTooManyCoords);
}

TEST(ConvertService, MalformedRequestsAnswerANonZeroStatusThroughTheCallback)
{
    const struct {
        const char* query;
        int status;
    } cases[] = {
        {"from=1&to=5&ak=k&callback=cb", ConvertBadCoords},
        {"coords=&from=1&to=5&ak=k&callback=cb", ConvertBadCoords},
        {"coords=abc&from=1&to=5&ak=k&callback=cb", ConvertBadCoords},
        {"coords=1,2,3&from=1&to=5&ak=k&callback=cb", ConvertBadCoords},
        {"coords=1,2;&from=1&to=5&ak=k&callback=cb", ConvertBadCoords},
        {"coords=1;2&from=1&to=5&ak=k&callback=cb", ConvertBadCoords},
        {"coords=nan,1&from=1&to=5&ak=k&callback=cb", ConvertBadCoords},
        {"coords=inf,1&from=1&to=5&ak=k&callback=cb", ConvertBadCoords},
        {"coords=1e999,1&from=1&to=5&ak=k&callback=cb", ConvertBadCoords},
        {"coords=0x10,1&from=1&to=5&ak=k&callback=cb", ConvertBadCoords},
        {"coords=1,2&from=3&to=5&ak=k&callback=cb", ConvertBadFrom},
        {"coords=1,2&from=1&to=6&ak=k&callback=cb", ConvertBadTo},
        {"coords=1,2&from=1&to=5&callback=cb", ConvertNoKey},
        {"coords=1,2&from=1&to=5&ak=&callback=cb", ConvertNoKey},
    };
    for (const auto& c : cases) {
        const ConvertAnswer a = Ask(c.query);
        EXPECT_EQ(a.status, c.status) << c.query;
        const QJsonObject o = Payload(a.body);
        EXPECT_EQ(o.value("status").toInt(), c.status) << c.query;
        EXPECT_TRUE(o.value("result").toArray().isEmpty()) << c.query;
    }
}

TEST(ConvertService, ACallbackThatIsNotAPlainNameIsNeverEchoed)
{
    for (const char* query :
         {"coords=1,2&from=1&to=5&ak=k&callback=alert(1)//", "coords=1,2&from=1&to=5&ak=k&callback=a%3Balert(1)",
          "coords=1,2&from=1&to=5&ak=k&callback=</script>", "coords=1,2&from=1&to=5&ak=k"}) {
        const ConvertAnswer a = Ask(query);
        EXPECT_FALSE(a.body.contains("alert")) << query;
        EXPECT_FALSE(a.body.contains("script")) << query;
        EXPECT_TRUE(QJsonDocument::fromJson(a.body).isObject()) << query << " " << a.body.constData();
    }
}

TEST(ConvertService, HugeCoordsAreRefusedWithoutParsing)
{
    const QByteArray huge = "coords=" + QByteArray(1 << 20, '1') + ",2&from=1&to=5&ak=k&callback=cb";
    const ConvertAnswer a = AnswerConversion(QUrlQuery(QString::fromLatin1(huge)));
    EXPECT_NE(a.status, 0);
}
