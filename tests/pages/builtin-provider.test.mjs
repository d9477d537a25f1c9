// The built-in map library (vendored Leaflet plus the BMap layer) under the real map page, with
// the network cut off: tiles fail, the route and the markers are still drawn.

import { after, before, test } from "node:test";
import assert from "node:assert/strict";
import { openBrowser, startServer, until } from "./harness.mjs";

const tiles = {
    normal: { url: "https://tile.openstreetmap.org/{z}/{x}/{y}.png", attribution: "OSM", maxZoom: 19 },
    hybrid: { url: "https://{s}.tile.opentopomap.org/{z}/{x}/{y}.png", attribution: "OTM", maxZoom: 17 },
};

let server;
let browser;
let page;

before(async () => {
    server = await startServer({ provider: "builtin", tileConfig: tiles });
    browser = await openBrowser(server.origin);
    page = browser.page;
    await page.goto(server.origin + "/googlearth.html");
    await page.waitForFunction(() => typeof map !== "undefined" && map instanceof BMap.Map);
});

after(async () => {
    await browser?.close();
    await server?.close();
});

test("offline: the map comes up with its controls and hidden markers, tiles fail", async () => {
    await until(() => browser.blocked.some((u) => u.startsWith("https://tile.openstreetmap.org/")), "a tile request");
    const s = await page.evaluate(() => ({
        center: map.getCenter(),
        zoom: map.getZoom(),
        wheel: map.isScrollWheelZoomEnabled(),
        zoomControl: !!document.querySelector("#map_canvas .leaflet-control-zoom"),
        scale: !!document.querySelector("#map_canvas .leaflet-control-scale"),
        types: [...document.querySelectorAll(".leaflet-control-layers-base label")].map((l) => l.textContent.trim()),
        icons: document.querySelectorAll(".leaflet-marker-icon").length,
        overlays: map.getOverlays().map((o) => [o instanceof BMap.Marker, o.isVisible()]),
    }));
    assert.deepEqual(s.center, { lng: 113.921957, lat: 22.584828 });
    assert.equal(s.zoom, 15);
    assert.equal(s.wheel, true);
    assert.ok(s.zoomControl && s.scale);
    assert.deepEqual(s.types, ["Map", "Hybrid"]);
    assert.equal(s.icons, 0);
    assert.deepEqual(s.overlays, [[true, false], [true, false]]);
    assert.ok(server.state.requests.some((r) => r.path === "/leaflet.css"));
});

test("offline: the route and both markers are drawn and read back unchanged", async () => {
    const points = [];
    for (let k = 0; k < 65; k++) points.push([113.9 + k / 1000, 22.5 + k / 2000]);
    const calls = ["clearPath()"]
        .concat(points.map(([lng, lat]) => `appendPathNode(${lng.toFixed(6)},${lat.toFixed(6)})`))
        .concat(["showPath()", "setstart(22.500000,113.900000)", "setposition(22.532000,113.964000)"]);
    await page.evaluate(calls.join(";"));
    await until(() => page.evaluate(() => map.getOverlays().some((o) => o instanceof BMap.Polyline)), "the line");
    await until(() => page.evaluate(() => pathposition.isVisible() && pathstart.isVisible()), "the markers");

    const s = await page.evaluate(() => ({
        lines: map.getOverlays().filter((o) => o instanceof BMap.Polyline).map((o) => o.getPath().map((p) => [p.lng, p.lat])),
        svgPaths: [...document.querySelectorAll("#map_canvas .leaflet-overlay-pane path")].map((p) => p.getAttribute("d")),
        icons: [...document.querySelectorAll("#map_canvas .leaflet-marker-icon")].map((i) => ({ ok: i.complete && i.naturalWidth > 0 })),
        start: pathstart.getPosition(),
        position: pathposition.getPosition(),
        center: map.getCenter(),
    }));
    assert.equal(s.lines.length, 1);
    assert.deepEqual(s.lines[0], points.map(([a, b]) => [Number(a.toFixed(6)), Number(b.toFixed(6))]));
    assert.equal(s.svgPaths.length, 1);
    assert.ok(s.svgPaths[0].split("L").length >= 2, "the line has segments on screen");
    assert.deepEqual(s.icons, [{ ok: true }, { ok: true }]);
    assert.deepEqual(s.start, { lng: 113.9, lat: 22.5 });
    assert.deepEqual(s.position, { lng: 113.964, lat: 22.532 });
    assert.deepEqual(s.center, { lng: 113.964, lat: 22.532 });
});

test("the map-type control switches to the hybrid tiles", async () => {
    await page.click(".leaflet-control-layers-base label:nth-of-type(2) input");
    await until(() => page.evaluate(() => map.getMapType() === BMAP_HYBRID_MAP), "hybrid type");
    await until(() => browser.blocked.some((u) => /tile\.opentopomap\.org/.test(u)), "a hybrid tile request");
    assert.equal(await page.evaluate(() => map.getOverlays().length), 3, "overlays stay");
});
