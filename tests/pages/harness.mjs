// Serves the map page and a map provider on 127.0.0.1 and drives the page in headless Chromium.
// Every request is recorded; conversion answers can be held back and released one by one.

import { chromium } from "playwright-core";
import fs from "node:fs";
import http from "node:http";
import os from "node:os";
import path from "node:path";
import { fileURLToPath } from "node:url";

const here = path.dirname(fileURLToPath(import.meta.url));
export const root = path.resolve(here, "../..");
export const pagesDir = path.join(root, "map/pages");
const leafletDir = path.join(root, "third_party/leaflet");

export const BUILTIN_ORIGIN = "vindrel-map://provider";
export const BUILTIN_KEY = "VindrelBuiltInMapKey2024";

/// The committed map page with the provider origins replaced; nothing else changes.
export function mapPageBytes(origin) {
    const bytes = fs.readFileSync(path.join(pagesDir, "googlearth.html"));
    const text = bytes.toString("latin1");  // GBK bytes pass through untouched
    if (!text.includes(BUILTIN_ORIGIN)) {
        throw new Error("page does not name the built-in provider");
    }
    return Buffer.from(text.split(BUILTIN_ORIGIN).join(origin), "latin1");
}

export function builtInLibrary(tileConfig) {
    const leaflet = fs.readFileSync(path.join(leafletDir, "leaflet.js"), "utf8");
    let layer = fs.readFileSync(path.join(root, "map/provider/bmap.js"), "utf8");
    if (tileConfig) {
        layer = layer.replace("/*@TILES*/null/*TILES@*/", JSON.stringify(tileConfig));
    }
    return leaflet + "\n;\n" + layer;
}

/// Echo conversion (the built-in frame is WGS-84) unless convert is given: (lng, lat) -> {x, y}.
export async function startServer({ provider = "stub", tileConfig = null, convert = null } = {}) {
    const state = {
        requests: [],        // {path, query (raw), time}
        status: 0,           // status of the next conversion answers
        hold: false,         // keep conversion answers until release()
        held: [],
        inflight: 0,
        maxInflight: 0,
    };
    const library = provider === "stub"
        ? fs.readFileSync(path.join(here, "stub-bmap.js"), "utf8")
        : builtInLibrary(tileConfig);

    function answerConversion(res, query) {
        const params = new URLSearchParams(query);
        const callback = params.get("callback");
        let body;
        if (state.status !== 0) {
            body = { status: state.status };
        } else {
            const result = (params.get("coords") || "").split(";").map((p) => {
                const [a, b] = p.split(",").map(Number);
                return convert ? convert(a, b) : { x: a, y: b };
            });
            body = { status: 0, result };
        }
        res.writeHead(200, { "Content-Type": "application/javascript" });
        res.end(`${callback}(${JSON.stringify(body)})`);
        state.inflight--;
    }

    const server = http.createServer((req, res) => {
        const url = new URL(req.url, "http://127.0.0.1");
        const query = req.url.includes("?") ? req.url.slice(req.url.indexOf("?") + 1) : "";
        state.requests.push({ path: url.pathname, query, time: Date.now() });
        if (url.pathname === "/googlearth.html") {
            res.writeHead(200, { "Content-Type": "text/html; charset=gbk" });
            res.end(mapPageBytes(origin));
        } else if (url.pathname === "/api") {
            res.writeHead(200, { "Content-Type": "application/javascript; charset=utf-8" });
            res.end(library);
        } else if (url.pathname === "/geoconv/v1/") {
            state.inflight++;
            state.maxInflight = Math.max(state.maxInflight, state.inflight);
            if (state.hold) {
                state.held.push(() => answerConversion(res, query));
            } else {
                answerConversion(res, query);
            }
        } else if (url.pathname === "/leaflet.css" || url.pathname.startsWith("/images/")) {
            const file = path.join(leafletDir, path.normalize(url.pathname).replace(/^\/+/, ""));
            if (!file.startsWith(leafletDir) || !fs.existsSync(file)) {
                res.writeHead(404).end();
                return;
            }
            res.writeHead(200, { "Content-Type": file.endsWith(".css") ? "text/css" : "image/png" });
            res.end(fs.readFileSync(file));
        } else {
            res.writeHead(404).end();
        }
    });
    await new Promise((resolve) => server.listen(0, "127.0.0.1", resolve));
    const origin = `http://127.0.0.1:${server.address().port}`;

    return {
        origin,
        state,
        conversions() {
            return state.requests.filter((r) => r.path === "/geoconv/v1/");
        },
        /// Answers the oldest held conversion request; false when none is held.
        release() {
            const next = state.held.shift();
            if (next) next();
            return !!next;
        },
        close() {
            for (const answer of state.held.splice(0)) answer();
            return new Promise((resolve) => server.close(resolve));
        },
    };
}

const chromiumArgs = [
    "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
    "--disable-background-networking", "--disable-component-update", "--disable-sync",
];

/// A fresh browser with its own profile folder; requests to anything but allowedOrigin fail
/// (they are recorded in blocked).
export async function openBrowser(allowedOrigin) {
    const userDataDir = fs.mkdtempSync(path.join(os.tmpdir(), "vindrel-pages-"));
    const context = await chromium.launchPersistentContext(userDataDir, {
        executablePath: "/usr/bin/chromium",
        headless: true,
        args: chromiumArgs,
        viewport: { width: 800, height: 600 },
    });
    const blocked = [];
    await context.route("**/*", (route) => {
        const url = route.request().url();
        if (url.startsWith(allowedOrigin + "/")) {
            route.continue();
        } else {
            blocked.push(url);
            route.abort("internetdisconnected");
        }
    });
    const page = context.pages()[0] || (await context.newPage());
    const dialogs = [];
    page.on("dialog", (dialog) => {
        dialogs.push(dialog.message());
        dialog.dismiss().catch(() => {});
    });
    return {
        context,
        page,
        dialogs,
        blocked,
        async close() {
            await context.close();
            fs.rmSync(userDataDir, { recursive: true, force: true });
        },
    };
}

/// Waits until fn() is true (polling), failing after timeoutMs.
export async function until(fn, what, timeoutMs = 5000) {
    const end = Date.now() + timeoutMs;
    for (;;) {
        if (await fn()) return;
        if (Date.now() > end) throw new Error(`timed out waiting for ${what}`);
        await new Promise((r) => setTimeout(r, 10));
    }
}

/// Query keys in the order they are written.
export function queryKeys(query) {
    return query.split("&").map((kv) => kv.split("=")[0]);
}

export function queryValue(query, key) {
    for (const kv of query.split("&")) {
        const i = kv.indexOf("=");
        if (kv.slice(0, i) === key) return kv.slice(i + 1);
    }
    return undefined;
}

/// "a,b;c,d" -> [[a, b], [c, d]] as numbers.
export function coordsOf(query) {
    return decodeURIComponent(queryValue(query, "coords")).split(";").map((p) => p.split(",").map(Number));
}
