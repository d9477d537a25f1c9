// The six page files as committed: encodings, line ends, texts and the picture's size.

import { test } from "node:test";
import assert from "node:assert/strict";
import fs from "node:fs";
import path from "node:path";
import { pagesDir } from "./harness.mjs";

const read = (name) => fs.readFileSync(path.join(pagesDir, name));

function assertCrLf(bytes, name) {
    for (let i = 0; i < bytes.length; i++) {
        if (bytes[i] === 0x0a) assert.equal(bytes[i - 1], 0x0d, `${name}: bare LF at byte ${i}`);
        if (bytes[i] === 0x0d) assert.equal(bytes[i + 1], 0x0a, `${name}: bare CR at byte ${i}`);
    }
    assert.ok(bytes.includes(0x0a), `${name} has lines`);
}

const welcome = "Welcome to Vov Ozerezavo roru VEV Odivoz";
const statusPages = {
    "startup.html": null,
    "no_gps_info.html": "ERROR: The information in GPS route file is unavailable!",
    "no_gps_file.html": "ERROR: No corresponding GPS file!",
    "no_connection.html": "ERROR: Check your internet connection!",
};

test("start and status pages: ASCII, CR LF, welcome line, red error line at size 4", () => {
    for (const [name, error] of Object.entries(statusPages)) {
        const bytes = read(name);
        assert.ok(bytes.every((b) => b < 0x80), `${name} is ASCII`);
        assertCrLf(bytes, name);
        const text = bytes.toString("ascii");
        assert.ok(text.includes(welcome), name);
        assert.match(text, /#151515/);
        assert.match(text, /url\(\.\/gps\.jpg\)\s+no-repeat\s+center/);
        assert.match(text, /font-size:\s*19px/);
        if (error) {
            assert.ok(text.includes(`${welcome}<p><font color="red" size="4">${error}</font></p>`), name);
        } else {
            assert.ok(!text.includes("ERROR"), name);
        }
    }
});

test("map page: GBK with CR LF, the alert text, the container and the load hook", () => {
    const bytes = read("googlearth.html");
    assertCrLf(bytes, "googlearth.html");
    const text = new TextDecoder("gbk", { fatal: true }).decode(bytes);
    assert.ok(text.includes('alert("地图坐标转换出错")'));
    // Stored as GBK: the alert's first character is 0xB5 0xD8 there, not UTF-8's three bytes.
    assert.ok(bytes.includes(Buffer.from([0xb5, 0xd8, 0xcd, 0xbc])));
    assert.match(text, /charset=gbk/i);
    assert.match(text, /initial-scale=1\.0, user-scalable=no/);
    assert.match(text, /<div id="map_canvas"><\/div>/);
    assert.match(text, /<body onload="initialize\(\)">/);
    assert.match(text, /src="[^"]+\/api\?v=2\.0&ak=[A-Za-z0-9]{24}"/);
});

test("gps.jpg is a 470 x 483 JPEG", () => {
    const bytes = read("gps.jpg");
    assert.deepEqual([...bytes.subarray(0, 3)], [0xff, 0xd8, 0xff]);
    // Walk the segments to the start-of-frame marker, which holds height and width.
    let i = 2;
    for (;;) {
        assert.equal(bytes[i], 0xff);
        const marker = bytes[i + 1];
        const length = bytes.readUInt16BE(i + 2);
        if (marker >= 0xc0 && marker <= 0xc3) {
            assert.equal(bytes.readUInt16BE(i + 5), 483);
            assert.equal(bytes.readUInt16BE(i + 7), 470);
            break;
        }
        i += 2 + length;
    }
});
