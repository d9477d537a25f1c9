// The map page's script against a recording stand-in of the map library and a conversion service
// on 127.0.0.1 that moves every point by (+0.01, +0.02), so converted points are told from raw ones.

import { after, before, beforeEach, describe, test } from "node:test";
import assert from "node:assert/strict";
import { BUILTIN_KEY, coordsOf, openBrowser, queryKeys, queryValue, startServer, until } from "./harness.mjs";

const shift = (lng, lat) => ({ x: lng + 0.01, y: lat + 0.02 });

let server;
let browser;
let page;

before(async () => {
    server = await startServer({ provider: "stub", convert: shift });
    browser = await openBrowser(server.origin);
    page = browser.page;
});

after(async () => {
    await browser?.close();
    await server?.close();
});

beforeEach(async () => {
    Object.assign(server.state, { status: 0, hold: false, inflight: 0, maxInflight: 0 });
    server.state.held.length = 0;
    await page.goto(server.origin + "/googlearth.html");
    await page.waitForFunction(() => typeof map !== "undefined" && window.__bmap.maps.length === 1);
    server.state.requests.length = 0;
    browser.dialogs.length = 0;
});

// n points "%f"-formatted as the player writes them: longitude 113.9 + k/10000, latitude 22.5 + k/10000.
function route(n) {
    const points = [];
    for (let k = 0; k < n; k++) {
        points.push([(113.9 + k / 10000).toFixed(6), (22.5 + k / 10000).toFixed(6)]);
    }
    return points;
}

// The script texts the player runs: clearPath() and appendPathNode(longitude,latitude) per point.
async function sendRoute(points) {
    const calls = ["clearPath()"].concat(points.map(([lng, lat]) => `appendPathNode(${lng},${lat})`));
    await page.evaluate(calls.join(";"));
}

const state = () => page.evaluate(() => ({
    init,
    flight: flightPlanCoordinates.length,
    valid: validCoordinates.length,
    currentArrayCount,
    translatedCount,
    polylines: window.__bmap.polylines.map((p) => p.path),
    markers: window.__bmap.markers.map((m) => ({ position: m.position, visible: m.visible })),
    center: window.__bmap.maps[0].center,
}));

describe("initialize", () => {
    test("creates the map, the controls and two hidden markers", async () => {
        const s = await page.evaluate(() => {
            const m = window.__bmap.maps[0];
            return {
                container: m.container, center: m.center, zoom: m.zoom, wheel: m.wheelZoom,
                controls: m.controls.map((c) => ({ kind: c.kind, options: c.options, types: c.types })),
                overlays: m.overlays.length,
                markers: window.__bmap.markers.map((k) => ({ position: k.position, visible: k.visible })),
                init,
            };
        });
        assert.equal(s.container, "map_canvas");
        assert.deepEqual(s.center, [113.921957, 22.584828]);
        assert.equal(s.zoom, 15);
        assert.equal(s.wheel, true);
        assert.deepEqual(s.controls.map((c) => c.kind), ["navigation", "scale", "maptype"]);
        assert.equal(s.controls[0].options.type, "small");
        assert.deepEqual(s.controls[2].types, ["normal", "hybrid"]);
        assert.equal(s.overlays, 2);
        assert.deepEqual(s.markers, [
            { position: [113.922957, 22.585828], visible: false },
            { position: [113.922957, 22.585828], visible: false },
        ]);
        assert.equal(s.init, 0);
    });
});

describe("route conversion", () => {
    test("65 valid points: batches of 30, 30 and 5, one at a time, one line after the third", async () => {
        server.state.hold = true;
        const points = route(65);
        await sendRoute(points);
        await page.evaluate("showPath()");

        const batches = [[0, 30], [30, 60], [60, 65]];
        for (let i = 0; i < batches.length; i++) {
            await until(() => server.conversions().length === i + 1, `request ${i + 1}`);
            await new Promise((r) => setTimeout(r, 100));  // room for a wrong second request
            assert.equal(server.conversions().length, i + 1, "only one route request outstanding");
            const [from, to] = batches[i];
            const q = server.conversions()[i].query;
            assert.deepEqual(coordsOf(q), points.slice(from, to).map(([a, b]) => [Number(a), Number(b)]));
            assert.equal(queryValue(q, "callback"), "getMapPath");
            assert.equal((await state()).polylines.length, 0, `no line before answer ${i + 1}`);
            server.release();
        }
        await until(async () => (await state()).polylines.length === 1, "the line");
        await new Promise((r) => setTimeout(r, 100));
        const s = await state();
        assert.equal(server.conversions().length, 3);
        assert.equal(server.state.maxInflight, 1);
        assert.equal(s.polylines.length, 1);
        const expected = points.map(([a, b]) => shift(Number(a), Number(b))).map((p) => [p.x, p.y]);
        assert.deepEqual(s.polylines[0], expected);
        assert.deepEqual([s.flight, s.valid, s.currentArrayCount, s.translatedCount], [0, 0, 0, 0]);
    });

    test("exactly 30 valid points need one request", async () => {
        await sendRoute(route(30));
        await page.evaluate("showPath()");
        await until(async () => (await state()).polylines.length === 1, "the line");
        assert.equal(server.conversions().length, 1);
        assert.equal(coordsOf(server.conversions()[0].query).length, 30);
        assert.equal((await state()).polylines[0].length, 30);
    });

    test("points with a zero number are left out, including 0.0", async () => {
        const points = route(5);
        const sent = [points[0], ["0.0", "0.0"], points[1], ["0.000000", "22.500000"], points[2],
            ["113.900000", "0.0"], points[3], points[4]];
        await sendRoute(sent);
        await page.evaluate("showPath()");
        await until(async () => (await state()).polylines.length === 1, "the line");
        assert.deepEqual(coordsOf(server.conversions()[0].query), points.map(([a, b]) => [Number(a), Number(b)]));
        assert.equal((await state()).polylines[0].length, 5);
    });

    test("a route without one valid point draws nothing and clears the list", async () => {
        await sendRoute([["0.0", "0.0"], ["0.0", "22.5"], ["113.5", "0.0"]]);
        assert.equal((await state()).flight, 3);
        await page.evaluate("showPath()");
        await new Promise((r) => setTimeout(r, 200));
        const s = await state();
        assert.equal(server.conversions().length, 0);
        assert.equal(s.polylines.length, 0);
        assert.deepEqual([s.flight, s.valid], [0, 0]);
    });

    test("a second showPath while a batch is in flight asks for nothing more", async () => {
        server.state.hold = true;
        await sendRoute(route(40));
        await page.evaluate("showPath()");
        await until(() => server.conversions().length === 1, "first request");
        await page.evaluate("showPath()");
        await new Promise((r) => setTimeout(r, 100));
        assert.equal(server.conversions().length, 1);
        server.release();
        await until(() => server.conversions().length === 2, "second request");
        server.release();
        await until(async () => (await state()).polylines.length === 1, "the line");
        assert.equal((await state()).polylines[0].length, 40);
        assert.equal(server.state.maxInflight, 1);
    });

    test("a route after a failed one is counted afresh", async () => {
        server.state.hold = true;
        await sendRoute(route(40));
        await page.evaluate("showPath()");
        await until(() => server.conversions().length === 1, "first request");
        server.release();
        await until(() => server.conversions().length === 2, "second request");
        server.state.status = 1;
        server.release();
        await until(() => browser.dialogs.length === 1, "the alert");
        server.state.status = 0;
        server.state.hold = false;
        await page.evaluate("showPath()");  // the same 40 points are still pending
        await until(async () => (await state()).polylines.length === 1, "the line");
        assert.equal((await state()).polylines[0].length, 40);
    });
});

describe("start and position", () => {
    test("setstart converts longitude,latitude once per load, even with other numbers", async () => {
        await page.evaluate("setstart(22.584828,113.921957)");
        await until(async () => (await state()).markers[1].visible, "start marker");
        await page.evaluate("setstart(23.100000,114.100000)");
        await new Promise((r) => setTimeout(r, 200));
        assert.equal(server.conversions().length, 1);
        const q = server.conversions()[0].query;
        assert.deepEqual(coordsOf(q), [[113.921957, 22.584828]]);
        assert.equal(queryValue(q, "callback"), "getMapStart");
        const s = await state();
        assert.equal(s.init, 1);
        const p = shift(113.921957, 22.584828);
        assert.deepEqual(s.markers[1], { position: [p.x, p.y], visible: true });  // pathstart
        assert.equal(s.markers[0].visible, false);  // pathposition untouched
    });

    test("setstart with a zero number does nothing and leaves a later start possible", async () => {
        await page.evaluate("setstart(0.0,113.5)");
        await new Promise((r) => setTimeout(r, 100));
        assert.equal(server.conversions().length, 0);
        assert.equal((await state()).init, 0);
        await page.evaluate("setstart(22.5,113.5)");
        await until(() => server.conversions().length === 1, "start request");
    });

    test("setposition moves the marker and the centre; a zero number does nothing", async () => {
        await page.evaluate("setposition(0.0,113.5)");
        await page.evaluate("setposition(22.5,0.0)");
        await new Promise((r) => setTimeout(r, 200));
        assert.equal(server.conversions().length, 0);

        await page.evaluate("setposition(-33.500000,-70.500000)");
        await until(async () => (await state()).markers[0].visible, "position marker");
        const q = server.conversions()[0].query;
        assert.deepEqual(coordsOf(q), [[-70.5, -33.5]]);
        assert.equal(queryValue(q, "callback"), "getMapPosition");
        const p = shift(-70.5, -33.5);
        const s = await state();
        assert.deepEqual(s.markers[0].position, [p.x, p.y]);
        assert.deepEqual(s.center, [p.x, p.y]);
        assert.equal(s.markers[1].visible, false);
    });
});

describe("requests", () => {
    test("query keys come in the order coords, from, to, ak, callback", async () => {
        await page.evaluate("appendPathNode(113.921957,22.584828);showPath()");
        await page.evaluate("setstart(22.584828,113.921957);setposition(22.584828,113.921957)");
        await until(() => server.conversions().length === 3, "three requests");
        for (const { query } of server.conversions()) {
            assert.deepEqual(queryKeys(query), ["coords", "from", "to", "ak", "callback"]);
            assert.equal(queryValue(query, "from"), "1");
            assert.equal(queryValue(query, "to"), "5");
            assert.equal(queryValue(query, "ak"), BUILTIN_KEY);
            assert.match(queryValue(query, "ak"), /^[A-Za-z0-9]{24}$/);
            assert.equal(decodeURIComponent(queryValue(query, "coords")), "113.921957,22.584828");
        }
        assert.deepEqual(server.conversions().map((r) => queryValue(r.query, "callback")).sort(),
            ["getMapPath", "getMapPosition", "getMapStart"]);
    });

    test("a batch is written longitude first, points joined by ';'", async () => {
        await page.evaluate("appendPathNode(113.1,22.1);appendPathNode(-70.5,-33.5);showPath()");
        await until(() => server.conversions().length === 1, "route request");
        assert.equal(decodeURIComponent(queryValue(server.conversions()[0].query, "coords")), "113.1,22.1;-70.5,-33.5");
    });

    test("the library is asked for with v=2.0 and the key", async () => {
        await page.goto(server.origin + "/googlearth.html");
        await page.waitForFunction(() => typeof map !== "undefined");
        const api = server.state.requests.find((r) => r.path === "/api");
        assert.equal(api.query, `v=2.0&ak=${BUILTIN_KEY}`);
    });
});

describe("failed conversions", () => {
    test("a non-zero status alerts and changes nothing", async () => {
        await sendRoute(route(35));
        server.state.status = 1;
        await page.evaluate("showPath();setstart(22.5,113.5);setposition(22.6,113.6)");
        await until(() => browser.dialogs.length === 3, "three alerts");
        assert.deepEqual(browser.dialogs, ["地图坐标转换出错", "地图坐标转换出错", "地图坐标转换出错"]);
        await new Promise((r) => setTimeout(r, 100));
        const s = await state();
        assert.equal(s.polylines.length, 0);
        assert.equal(server.conversions().length, 3, "no second batch after a failed one");
        assert.deepEqual(s.markers.map((m) => m.visible), [false, false]);
        assert.deepEqual(s.center, [113.921957, 22.584828]);
    });

    test("an answer with fewer points than asked for is a failure", async () => {
        await page.route("**/geoconv/v1/*", (r) => r.fulfill({
            contentType: "application/javascript",
            body: 'getMapPath({"status":0,"result":[{"x":1,"y":2}]})',
        }));
        await sendRoute(route(3));
        await page.evaluate("showPath()");
        await until(() => browser.dialogs.length === 1, "the alert");
        assert.equal((await state()).polylines.length, 0);
        await page.unroute("**/geoconv/v1/*");
    });
});

describe("clearPath", () => {
    test("removes the last pending point; on an empty list does nothing", async () => {
        await page.evaluate("clearPath();appendPathNode(1.5,2.5);appendPathNode(3.5,4.5);clearPath()");
        assert.deepEqual(await page.evaluate(() => flightPlanCoordinates), [[1.5, 2.5]]);
    });
});

describe("trip line and clicks", () => {
    // Clicks reported on the console, as the player reads them.
    async function clicks(action) {
        const seen = [];
        const listener = (m) => { if (m.text().startsWith("vindrel:mapclick:")) seen.push(m.text()); };
        page.on("console", listener);
        await page.evaluate(action);
        await new Promise((r) => setTimeout(r, 50));
        page.off("console", listener);
        return seen;
    }

    test("the trip line is drawn quieter under the route; clicks name the nearest vertex of the line hit", async () => {
        // Trip points 0.001 degrees (about 100 m) apart; a zero point is left out of the count.
        const trip = [[113.8, 22.4], [0, 22.401], [113.801, 22.401], [113.802, 22.402], [113.803, 22.403]];
        await page.evaluate(`setTripLine(${JSON.stringify(trip)})`);
        await sendRoute(route(5));
        await page.evaluate("showPath()");
        await until(async () => (await state()).polylines.length === 2, "route drawn");
        const [tripLine, routeLine] = await page.evaluate(() => window.__bmap.polylines.map((p) => p.options));
        assert.ok(tripLine.strokeWeight < 5 && tripLine.strokeColor, "thinner and coloured");
        assert.equal(routeLine, undefined, "the route keeps the default style");

        assert.deepEqual(await clicks("map.click(113.80212, 22.40195)"), ["vindrel:mapclick:1:2"]);
        // The route is drawn shifted by (+0.01, +0.02); a click on its second point.
        assert.deepEqual(await clicks("map.click(113.9101, 22.5201)"), ["vindrel:mapclick:0:1"]);
        assert.deepEqual(await clicks("map.click(114.5, 23.0)"), [], "far from both lines");

        await page.evaluate("setTripLine([[113.8, 22.4]])");
        assert.equal(await page.evaluate(() => window.__bmap.maps[0].overlays.includes(window.__bmap.polylines[0])), false,
            "a new trip of one point removes the old line and draws none");
        assert.deepEqual(await clicks("map.click(113.80212, 22.40195)"), []);
    });
});
