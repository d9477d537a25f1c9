// The player's built-in map library: the small part of the BMap interface that the map page uses
// (map, points, markers, polyline, navigation, scale and map-type controls, wheel zoom), drawn
// with Leaflet. Served as one script together with leaflet.js; the map's frame is WGS-84.
(function () {
    "use strict";

    // Tile layers, filled in by the server that serves this script; null means no tiles (a plain
    // background, as offline).
    var tileConfig = /*@TILES*/null/*TILES@*/;

    var scripts = document.getElementsByTagName("script");
    var self = document.currentScript || scripts[scripts.length - 1];
    var selfUrl = (self && self.src ? self.src : "").split("?")[0];
    var base = selfUrl.substring(0, selfUrl.lastIndexOf("/") + 1);

    (function addStyleSheet() {
        var link = document.createElement("link");
        link.rel = "stylesheet";
        link.type = "text/css";
        link.href = base + "leaflet.css";
        (document.head || document.getElementsByTagName("head")[0]).appendChild(link);
    })();

    var markerIcon = L.icon({
        iconUrl: base + "images/marker-icon.png",
        iconRetinaUrl: base + "images/marker-icon-2x.png",
        shadowUrl: base + "images/marker-shadow.png",
        iconSize: [25, 41],
        iconAnchor: [12, 41],
        shadowSize: [41, 41]
    });

    function toLatLng(point) {
        return L.latLng(point.lat, point.lng);
    }

    function Point(lng, lat) {
        this.lng = Number(lng);
        this.lat = Number(lat);
    }
    Point.prototype.equals = function (other) {
        return !!other && other.lng == this.lng && other.lat == this.lat;
    };

    // A map type names a tile layer of tileConfig.
    function MapType(key, name) {
        this._key = key;
        this._name = name;
    }
    MapType.prototype.getName = function () {
        return this._name;
    };

    var NORMAL = new MapType("normal", "Map");
    var HYBRID = new MapType("hybrid", "Hybrid");

    function makeTileLayer(type) {
        var entry = tileConfig && tileConfig[type._key];
        if (!entry || !entry.url) {
            return L.layerGroup();  // nothing to fetch: the map stays a plain background
        }
        return L.tileLayer(entry.url, {
            attribution: entry.attribution || "",
            maxZoom: entry.maxZoom || 19
        });
    }

    function Map(container, options) {
        var element = typeof container == "string" ? document.getElementById(container) : container;
        this._types = (options && options.mapTypes) || [NORMAL, HYBRID];
        this._leaflet = L.map(element, {
            zoomControl: false,
            scrollWheelZoom: false,
            attributionControl: true,
            center: [0, 0],
            zoom: 3
        });
        this._leaflet.attributionControl.setPrefix(false);
        this._overlays = [];
        this._controls = [];
        this._layers = {};
        this._type = null;
        this.setMapType(this._types[0]);
    }
    Map.prototype._layerFor = function (type) {
        if (!this._layers[type._key]) {
            this._layers[type._key] = makeTileLayer(type);
        }
        return this._layers[type._key];
    };
    Map.prototype.setMapType = function (type) {
        if (this._type) {
            this._leaflet.removeLayer(this._layerFor(this._type));
        }
        this._type = type;
        this._layerFor(type).addTo(this._leaflet);
    };
    Map.prototype.getMapType = function () {
        return this._type;
    };
    Map.prototype.centerAndZoom = function (point, zoom) {
        this._leaflet.setView(toLatLng(point), zoom, { animate: false });
    };
    Map.prototype.setCenter = function (point) {
        this._leaflet.setView(toLatLng(point), this._leaflet.getZoom(), { animate: false });
    };
    Map.prototype.panTo = function (point) {
        this._leaflet.panTo(toLatLng(point));
    };
    Map.prototype.getCenter = function () {
        var c = this._leaflet.getCenter();
        return new Point(c.lng, c.lat);
    };
    Map.prototype.setZoom = function (zoom) {
        this._leaflet.setZoom(zoom);
    };
    Map.prototype.getZoom = function () {
        return this._leaflet.getZoom();
    };
    Map.prototype.enableScrollWheelZoom = function () {
        this._leaflet.scrollWheelZoom.enable();
    };
    Map.prototype.disableScrollWheelZoom = function () {
        this._leaflet.scrollWheelZoom.disable();
    };
    Map.prototype.isScrollWheelZoomEnabled = function () {
        return this._leaflet.scrollWheelZoom.enabled();
    };
    Map.prototype.addControl = function (control) {
        if (this._controls.indexOf(control) < 0) {
            this._controls.push(control);
            control._addTo(this);
        }
    };
    Map.prototype.removeControl = function (control) {
        var i = this._controls.indexOf(control);
        if (i >= 0) {
            this._controls.splice(i, 1);
            this._leaflet.removeControl(control._leaflet);
        }
    };
    Map.prototype.getControls = function () {
        return this._controls.slice();
    };
    Map.prototype.addOverlay = function (overlay) {
        if (this._overlays.indexOf(overlay) < 0) {
            this._overlays.push(overlay);
            overlay._setMap(this);
        }
    };
    Map.prototype.removeOverlay = function (overlay) {
        var i = this._overlays.indexOf(overlay);
        if (i >= 0) {
            this._overlays.splice(i, 1);
            overlay._setMap(null);
        }
    };
    Map.prototype.clearOverlays = function () {
        while (this._overlays.length > 0) {
            this.removeOverlay(this._overlays[this._overlays.length - 1]);
        }
    };
    Map.prototype.getOverlays = function () {
        return this._overlays.slice();
    };
    // Events of the map: "click" gives the listener { type, point } with the clicked point.
    Map.prototype.addEventListener = function (type, listener) {
        this._leaflet.on(type, function (e) {
            listener({ type: type, point: e.latlng ? new Point(e.latlng.lng, e.latlng.lat) : null });
        });
    };
    Map.prototype.getLeafletMap = function () {
        return this._leaflet;
    };

    // Overlays: the Leaflet layer is on the Leaflet map while the overlay is on a map and visible.
    function Overlay() {}
    Overlay.prototype._init = function (layer) {
        this._layer = layer;
        this._map = null;
        this._visible = true;
    };
    Overlay.prototype._sync = function () {
        var lmap = this._map && this._map._leaflet;
        var want = !!lmap && this._visible;
        if (want && !lmap.hasLayer(this._layer)) {
            this._layer.addTo(lmap);
        } else if (!want && this._layer._map) {
            this._layer.remove();
        }
    };
    Overlay.prototype._setMap = function (map) {
        if (this._map && this._map !== map) {
            this._map = null;
            this._sync();
        }
        this._map = map;
        this._sync();
    };
    Overlay.prototype.show = function () {
        this._visible = true;
        this._sync();
    };
    Overlay.prototype.hide = function () {
        this._visible = false;
        this._sync();
    };
    // Puts a line under the other overlays (Leaflet draws paths in the order they were added).
    Overlay.prototype.bringToBack = function () {
        if (this._layer._map && typeof this._layer.bringToBack == "function") {
            this._layer.bringToBack();
        }
    };
    Overlay.prototype.isVisible = function () {
        return this._visible;
    };

    function Marker(point) {
        this._point = new Point(point.lng, point.lat);
        this._init(L.marker(toLatLng(point), { icon: markerIcon, keyboard: false }));
    }
    Marker.prototype = Object.create(Overlay.prototype);
    Marker.prototype.constructor = Marker;
    Marker.prototype.setPosition = function (point) {
        this._point = new Point(point.lng, point.lat);
        this._layer.setLatLng(toLatLng(point));
    };
    Marker.prototype.getPosition = function () {
        return new Point(this._point.lng, this._point.lat);
    };

    function Polyline(points, options) {
        this._points = [];
        var style = { color: "blue", weight: 5, opacity: 0.6, interactive: false };
        if (options) {
            if (options.strokeColor) style.color = options.strokeColor;
            if (options.strokeWeight) style.weight = options.strokeWeight;
            if (options.strokeOpacity) style.opacity = options.strokeOpacity;
        }
        this._init(L.polyline([], style));
        this.setPath(points || []);
    }
    Polyline.prototype = Object.create(Overlay.prototype);
    Polyline.prototype.constructor = Polyline;
    Polyline.prototype.setPath = function (points) {
        this._points = [];
        var latlngs = [];
        for (var i = 0; i < points.length; i++) {
            this._points.push(new Point(points[i].lng, points[i].lat));
            latlngs.push(toLatLng(points[i]));
        }
        this._layer.setLatLngs(latlngs);
    };
    Polyline.prototype.getPath = function () {
        return this._points.map(function (p) { return new Point(p.lng, p.lat); });
    };

    // Controls.
    function Control() {}
    Control.prototype._addTo = function (map) {
        this._leaflet.addTo(map._leaflet);
    };

    function NavigationControl(options) {
        this.type = (options && options.type) || 0;
        this._leaflet = L.control.zoom({ position: "topleft" });
    }
    NavigationControl.prototype = Object.create(Control.prototype);

    function ScaleControl() {
        this._leaflet = L.control.scale({ position: "bottomleft", imperial: false });
    }
    ScaleControl.prototype = Object.create(Control.prototype);

    function MapTypeControl(options) {
        this._types = (options && options.mapTypes) || [NORMAL, HYBRID];
    }
    MapTypeControl.prototype = Object.create(Control.prototype);
    MapTypeControl.prototype._addTo = function (map) {
        var layers = {};
        var byLayer = [];
        for (var i = 0; i < this._types.length; i++) {
            var layer = map._layerFor(this._types[i]);
            layers[this._types[i].getName()] = layer;
            byLayer.push([layer, this._types[i]]);
        }
        this._leaflet = L.control.layers(layers, null, { position: "topright", collapsed: false });
        this._leaflet.addTo(map._leaflet);
        map._leaflet.on("baselayerchange", function (e) {
            for (var j = 0; j < byLayer.length; j++) {
                if (byLayer[j][0] === e.layer) {
                    map._type = byLayer[j][1];
                }
            }
        });
    };
    MapTypeControl.prototype.getMapTypes = function () {
        return this._types.slice();
    };

    window.BMap = {
        Point: Point,
        Map: Map,
        Marker: Marker,
        Polyline: Polyline,
        NavigationControl: NavigationControl,
        ScaleControl: ScaleControl,
        MapTypeControl: MapTypeControl,
        MapType: MapType
    };
    window.BMAP_NORMAL_MAP = NORMAL;
    window.BMAP_HYBRID_MAP = HYBRID;
    window.BMAP_NAVIGATION_CONTROL_LARGE = 0;
    window.BMAP_NAVIGATION_CONTROL_SMALL = 1;
    window.BMAP_NAVIGATION_CONTROL_PAN = 2;
    window.BMAP_NAVIGATION_CONTROL_ZOOM = 3;
})();
